#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The program's own fonts, carried as "FONTS" resources: written to the user's fonts folder
// and added to the program's font database at start-up. Failures are silent (a font is then
// simply missing); nothing is removed at the end.
class CAP_FontInstaller {
public:
    struct FONT_DETAILS {
        QString name; // family name as registered; also the file's name
        QString path; // fonts folder + name + ".ttf"
        int resourceId = 0;
        QString resourceType;
        bool installed = false; // written and added by this run
        bool present = false;   // the family was already known when registered
    };

    // The fonts folder: $XDG_DATA_HOME/fonts/, by default ~/.local/share/fonts/.
    CAP_FontInstaller();
    virtual ~CAP_FontInstaller();

    // Registrations chain; a name that is already listed is ignored.
    virtual CAP_FontInstaller& AddFont(const QString& name, int resourceId, const QString& type);
    // Writes and adds every listed font that is neither present nor installed yet, then lets
    // the widgets' caption family "Gotham" draw with them. True only when every record was
    // newly added by this call.
    bool InstallFonts();
    bool FindFont(const QString& name, FONT_DETAILS** record) const;
    // An exact, case-sensitive match among the families the system knows.
    static bool IsFontInstalled(const QString& name);
    // Writes the resource of the current resource source to path: a file there with other
    // contents is replaced by a rename, one with the same contents is left as it is. data
    // receives the resource's bytes.
    static bool ExtractFontResource(const QString& path, int resourceId, const QString& type,
                                    QByteArray* data);

    // What "Gotham" stands for after InstallFonts: the caption faces, then a Simplified
    // Chinese family for the texts they have no glyphs for.
    static QStringList CaptionSubstitutes();

    const std::vector<std::unique_ptr<FONT_DETAILS>>& Fonts() const { return fonts_; }
    const QString& FontsFolder() const { return fontsFolder_; }

private:
    void MapCaptionFamily(const QStringList& added);

    std::vector<std::unique_ptr<FONT_DETAILS>> fonts_;
    QString fontsFolder_;
};
