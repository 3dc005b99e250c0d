#include "Widgets/AP_FontInstaller.h"

#include "Framework/Resources.h"

#include <QDir>
#include <QFontDatabase>

CAP_FontInstaller::CAP_FontInstaller() {
    // The user's own fonts folder; nothing is written there yet (see InstallFonts).
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    fontsFolder_ = data + QStringLiteral("/fonts/");
}

CAP_FontInstaller::~CAP_FontInstaller() = default;

CAP_FontInstaller& CAP_FontInstaller::AddFont(const QString& name, int resourceId,
                                              const QString& type) {
    FONT_DETAILS* existing = nullptr;
    if (FindFont(name, &existing))
        return *this;
    auto record = std::make_unique<FONT_DETAILS>();
    record->name = name;
    record->path = fontsFolder_ + name + QStringLiteral(".ttf");
    record->resourceId = resourceId;
    record->resourceType = type;
    record->present = IsFontInstalled(name);
    fonts_.push_back(std::move(record));
    return *this;
}

bool CAP_FontInstaller::FindFont(const QString& name, FONT_DETAILS** record) const {
    for (const auto& font : fonts_) {
        if (font->name == name) {
            *record = font.get();
            return true;
        }
    }
    *record = nullptr;
    return false;
}

bool CAP_FontInstaller::IsFontInstalled(const QString& name) {
    return QFontDatabase::families().contains(name);
}

bool CAP_FontInstaller::InstallFonts() {
    bool all = true;
    for (const auto& font : fonts_) {
        if (font->present || font->installed)
            continue;
        const QByteArray data =
            fw::Resources::LoadRaw(font->resourceType, static_cast<unsigned>(font->resourceId));
        font->installed = !data.isEmpty() && QFontDatabase::addApplicationFontFromData(data) >= 0;
        all = all && font->installed;
    }
    return all;
}
