#pragma once

#include <QString>

#include <memory>
#include <vector>

// The program's own fonts, carried as "FONTS" resources and made available at start-up.
class CAP_FontInstaller {
public:
    struct FONT_DETAILS {
        QString name;
        QString path;
        int resourceId = 0;
        QString resourceType;
        bool installed = false;
        bool present = false;
    };

    CAP_FontInstaller();
    virtual ~CAP_FontInstaller();

    // Registrations chain; a name that is already listed is ignored.
    virtual CAP_FontInstaller& AddFont(const QString& name, int resourceId, const QString& type);
    // Makes every registered font available to this process; true when all of them loaded.
    bool InstallFonts();
    bool FindFont(const QString& name, FONT_DETAILS** record) const;
    static bool IsFontInstalled(const QString& name);

    const std::vector<std::unique_ptr<FONT_DETAILS>>& Fonts() const { return fonts_; }
    const QString& FontsFolder() const { return fontsFolder_; }

private:
    std::vector<std::unique_ptr<FONT_DETAILS>> fonts_;
    QString fontsFolder_;
};
