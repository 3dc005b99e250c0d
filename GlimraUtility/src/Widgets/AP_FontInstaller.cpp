#include "Widgets/AP_FontInstaller.h"

#include "Framework/Resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QSaveFile>

namespace {

// The skin draws its captions in this family; our "FONTS" resources are League Spartan faces.
const QString CaptionFamily = QStringLiteral("Gotham");
const QString CaptionFaces = QStringLiteral("League Spartan");
// Simplified Chinese families, in order of preference, for the Chinese captions.
const char* const ChineseFamilies[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC",
                                       "Source Han Sans SC", "WenQuanYi Zen Hei", "AR PL UMing CN"};

} // namespace

CAP_FontInstaller::CAP_FontInstaller() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    fontsFolder_ = data + QStringLiteral("/fonts/");
}

// The records go; the written files and the added fonts stay.
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
    record->installed = false;
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
    return QFontDatabase::families().contains(name, Qt::CaseSensitive);
}

bool CAP_FontInstaller::ExtractFontResource(const QString& path, int resourceId,
                                            const QString& type, QByteArray* data) {
    *data = fw::Resources::LoadRaw(type, static_cast<unsigned>(resourceId));
    if (data->isEmpty())
        return false;
    // Other programs on the desktop may have the file mapped: one that already holds these bytes
    // is left alone, and a new one replaces it whole, by a rename, never by rewriting it.
    QFile existing(path);
    if (existing.size() == data->size() && existing.open(QIODevice::ReadOnly) &&
        existing.readAll() == *data)
        return true;
    existing.close();
    // The user's fonts folder need not exist yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*data) != data->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool CAP_FontInstaller::InstallFonts() {
    bool result = true;
    QStringList added;
    for (const auto& listed : fonts_) {
        FONT_DETAILS* font = nullptr;
        bool outcome = false;
        QByteArray data;
        if (FindFont(listed->name, &font) && !font->installed && !font->present &&
            ExtractFontResource(font->path, font->resourceId, font->resourceType, &data)) {
            // Added from the bytes in hand: the font database does not read the file again.
            const int id = QFontDatabase::addApplicationFontFromData(data);
            font->installed = id >= 0;
            if (font->installed)
                added << QFontDatabase::applicationFontFamilies(id);
            outcome = font->installed;
        }
        result = result && outcome;
    }
    MapCaptionFamily(added);
    return result;
}

void CAP_FontInstaller::MapCaptionFamily(const QStringList& added) {
    QStringList substitutes = added;
    if (!substitutes.contains(CaptionFaces))
        substitutes << CaptionFaces;
    const QStringList families = QFontDatabase::families();
    for (const char* chinese : ChineseFamilies) {
        if (families.contains(QLatin1String(chinese))) {
            substitutes << QLatin1String(chinese);
            break;
        }
    }
    substitutes.removeDuplicates();
    QFont::removeSubstitutions(CaptionFamily);
    QFont::insertSubstitutions(CaptionFamily, substitutes);
}

QStringList CAP_FontInstaller::CaptionSubstitutes() {
    return QFont::substitutes(CaptionFamily);
}
