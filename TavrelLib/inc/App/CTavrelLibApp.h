#pragma once

#include "Framework/App.h"
#include "Framework/InstanceGuard.h"
#include "Framework/ResourcePack.h"

#include <QString>

#include <cstdint>

// The library's application base: the program folder and what lies beside the executable
// (settings.ini, the language packs, the log), the single-instance guard and the drawing kit.
class CTavrelLibApp : public fw::App {
public:
    CTavrelLibApp();
    ~CTavrelLibApp() override;

    static CTavrelLibApp* Current();

    bool InitInstance() override;
    int ExitInstance() override;

    void LoadSettings();
    // LoadSettings for an executable at modulePath (the start-up passes our own).
    void LoadSettingsFor(const QString& modulePath);

    void ReadSettingInt(const QString& section, const QString& key, int& value, int def) const;
    void ReadSettingString(const QString& section, const QString& key, QString& value,
                           const QString& def) const;
    void WriteSettingString(const QString& section, const QString& key, const QString& value) const;

    bool SetLanguage(const QString& code);
    bool LoadLanguagePack(int index);

    QString GetImagePath() const { return imageFolder_; }
    QString GetLanguage() const { return languageCode_; }

    QString ProgramFolder() const { return programFolder_; }
    QString SettingsPath() const { return settingsPath_; }
    // Where settings.ini and the log live: the program folder, or the user's configuration
    // folder when the program folder cannot be written (an installed copy).
    QString DataFolder() const { return dataFolder_; }
    bool LanguagePackLoaded() const { return languagePack_.IsLoaded(); }

    // The system's default language from the locale: "zh_CN" for Chinese of any region.
    static QString SystemDefaultLanguage();
    // Whether a LogFileName names a file in the data folder (and nothing outside it).
    static bool IsLogFileName(const QString& name);

protected:
    // Opens the log when the settings ask for it. Runs after the guard has passed, so that a
    // refused second start leaves the running instance's log alone.
    void OpenLogIfAsked();

private:
    std::uintptr_t drawingToken_ = 0;
    fw::ResourcePack languagePack_;
    QString programFolder_;
    QString imageFolder_;
    QString settingsPath_;
    QString languageCode_;
    QString dataFolder_;
    int openLog_ = 0;
    QString logFileName_;
    fw::InstanceGuard guard_;
};
