#include "App/CTavrelLibApp.h"

#include "App/LogFile.h"
#include "Framework/DrawingKit.h"
#include "Framework/MessageBox.h"
#include "Framework/ProfileFile.h"
#include "Framework/Resources.h"
#include "Framework/Trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

struct LanguageEntry {
    const char* code;
    const char* packFile;
};
constexpr LanguageEntry kLanguages[] = {{"zh_CN", "zh_CN.rcc"}, {"en_US", "en_US.rcc"}};

CTavrelLibApp* g_app = nullptr;

const QString kDefaultLogFileName = QStringLiteral("log.txt");

QString ConfigFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/glimra-utility/");
}

} // namespace

CTavrelLibApp::CTavrelLibApp() {
    g_app = this;
}

CTavrelLibApp::~CTavrelLibApp() {
    if (g_app == this)
        g_app = nullptr;
}

CTavrelLibApp* CTavrelLibApp::Current() {
    return g_app;
}

bool CTavrelLibApp::InitInstance() {
    LoadSettings();
    if (guard_.Acquire(QStringLiteral("TavrelCtrl")) == fw::InstanceGuard::Result::AlreadyExists) {
        fw::MessageBox(nullptr, QStringLiteral("Application already exist!"), QString(), fw::MB_OK);
        return false;
    }
    OpenLogIfAsked();
    drawingToken_ = fw::DrawingKit::Startup();
    return true;
}

int CTavrelLibApp::ExitInstance() {
    if (drawingToken_ != 0) {
        fw::DrawingKit::Shutdown(drawingToken_);
        drawingToken_ = 0;
    }
    if (languagePack_.IsLoaded()) {
        fw::Resources::SetSource(QString());
        languagePack_.Release();
    }
    return 0;
}

QString CTavrelLibApp::SystemDefaultLanguage() {
    // The first of these that is set decides, as for any message catalogue lookup.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty())
            continue;
        return value.startsWith(QLatin1String("zh")) ? QStringLiteral("zh_CN")
                                                     : QStringLiteral("en_US");
    }
    return QStringLiteral("en_US");
}

void CTavrelLibApp::LoadSettings() {
    LoadSettingsFor(fw::App::ModuleFileName());
}

void CTavrelLibApp::LoadSettingsFor(const QString& modulePath) {
    const qsizetype slash = modulePath.lastIndexOf(QLatin1Char('/'));
    programFolder_ = slash < 0 ? QString() : modulePath.left(slash + 1);
    imageFolder_ = programFolder_ + QStringLiteral("image/");

    const QString folder = programFolder_.isEmpty() ? QStringLiteral(".") : programFolder_;
    dataFolder_ = QFileInfo(folder).isWritable() ? programFolder_ : ConfigFolder();
    settingsPath_ = dataFolder_ + QStringLiteral("settings.ini");

    if (!QFileInfo::exists(settingsPath_)) {
        if (!dataFolder_.isEmpty())
            QDir().mkpath(dataFolder_);
        QFile file(settingsPath_);
        if (file.open(QIODevice::ReadWrite))
            file.close();
    }

    ReadSettingString(QStringLiteral("Settings"), QStringLiteral("Language"), languageCode_,
                      SystemDefaultLanguage());
    SetLanguage(languageCode_);
    ReadSettingInt(QStringLiteral("Settings"), QStringLiteral("OpenLog"), openLog_, 0);
    ReadSettingString(QStringLiteral("Settings"), QStringLiteral("LogFileName"), logFileName_,
                      kDefaultLogFileName);
}

bool CTavrelLibApp::IsLogFileName(const QString& name) {
    // One name in the data folder: no folder part, nothing that climbs out, and short enough
    // for the file system (a name of more than 255 bytes can't be made).
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..") && !name.contains(QChar(0)) &&
           QFile::encodeName(name).size() <= 255;
}

void CTavrelLibApp::OpenLogIfAsked() {
    if (openLog_ == 0)
        return;
    QString name = logFileName_;
    if (!IsLogFileName(name)) {
        fw::Trace(QStringLiteral("LogFileName \"%1\" is not a file name in %2; the log is %3.")
                      .arg(name, dataFolder_, kDefaultLogFileName));
        name = kDefaultLogFileName;
    }
    LogFile::GetInstance().Open(dataFolder_ + name);
}

void CTavrelLibApp::ReadSettingInt(const QString& section, const QString& key, int& value,
                                   int def) const {
    value = fw::ProfileFile(settingsPath_).ReadInt(section, key, def);
}

void CTavrelLibApp::ReadSettingString(const QString& section, const QString& key, QString& value,
                                      const QString& def) const {
    value = fw::ProfileFile(settingsPath_).ReadString(section, key, def);
}

void CTavrelLibApp::WriteSettingString(const QString& section, const QString& key,
                                       const QString& value) const {
    fw::ProfileFile(settingsPath_).WriteString(section, key, value);
}

bool CTavrelLibApp::SetLanguage(const QString& code) {
    return LoadLanguagePack(code == QLatin1String("zh_CN") ? 0 : 1);
}

bool CTavrelLibApp::LoadLanguagePack(int index) {
    const LanguageEntry& entry = kLanguages[index == 0 ? 0 : 1];
    const QString path = programFolder_ + QStringLiteral("lang/") + QLatin1String(entry.packFile);

    // Never leave the lookups pointing at a pack that is about to go.
    fw::Resources::SetSource(QString());
    languagePack_.Release();

    bool loaded = languagePack_.Load(path);
    if (loaded) {
        fw::Resources::SetSource(fw::ResourcePack::Root());
        languageCode_ = QLatin1String(entry.code);
    } else {
        languageCode_ = QStringLiteral("en_US");
    }
    // The choice is stored even when its pack failed: English serves meanwhile, and the
    // choice holds again once the pack is repaired.
    WriteSettingString(QStringLiteral("Settings"), QStringLiteral("Language"),
                       QLatin1String(entry.code));
    return loaded;
}
