#pragma once

#include <QString>

namespace fw {

// INI files read and written with the platform's profile semantics: sections and keys match
// without regard to case, surrounding blanks and one pair of quotes are stripped from values,
// and a text value is read into a bounded buffer.
class ProfileFile {
public:
    static constexpr int kDefaultBufferChars = 1024;

    explicit ProfileFile(QString path);

    // The key's integer (decimal, or 0x/0o/0b prefixed; parsing stops at the first bad
    // character), or def when the key is missing or empty.
    int ReadInt(const QString& section, const QString& key, int def) const;

    // The key's text cut to bufferChars - 1 characters, or def (cut the same way) when missing.
    QString ReadString(const QString& section, const QString& key, const QString& def,
                       int bufferChars = kDefaultBufferChars) const;

    // Creates the file, section and key as needed. False when the file could not be written.
    bool WriteString(const QString& section, const QString& key, const QString& value) const;

    const QString& Path() const { return path_; }

    // Parses an integer the way profile integers are read (exposed for the tests).
    static int ParseInt(const QString& text);

private:
    QString path_;
};

} // namespace fw
