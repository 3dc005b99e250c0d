#include "Framework/ProfileFile.h"

#include "Framework/RegularFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace fw {

namespace {

// Settings are a few lines; anything larger is not a settings file and is not read.
constexpr std::int64_t kMaxFileBytes = 1024 * 1024;

// The file's bytes cut into lines, each kept as it stands, so that a write changes the one
// line it sets and leaves every other byte alone, whatever the file's encoding or content.
struct RawLines {
    bool utf16 = false;       // UTF-16LE after FF FE; otherwise UTF-8 (with or without a BOM)
    QByteArray prefix;        // the byte-order mark
    QList<QByteArray> body;   // each line's bytes without its terminator
    QList<QByteArray> ending; // each line's terminator as it stands (empty for the last)
    QStringList text;         // each body decoded, for matching only: never written back
    QString newline = QStringLiteral("\n"); // what the file's first line ends with

    QByteArray Encode(const QString& line) const {
        if (!utf16)
            return line.toUtf8();
        QByteArray bytes;
        for (const QChar c : line) {
            bytes.append(static_cast<char>(c.unicode() & 0xFF));
            bytes.append(static_cast<char>(c.unicode() >> 8));
        }
        return bytes;
    }
    void Insert(qsizetype at, const QString& line) {
        // The line before must end before another follows it.
        if (at > 0 && ending[at - 1].isEmpty())
            ending[at - 1] = Encode(newline);
        body.insert(at, Encode(line));
        ending.insert(at, Encode(newline));
        text.insert(at, line);
    }
};

QString Decode(const QByteArray& bytes, bool utf16) {
    if (utf16)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    return QString::fromUtf8(bytes);
}

RawLines SplitLines(const QByteArray& bytes) {
    RawLines lines;
    qsizetype at = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        lines.utf16 = true;
        at = 2;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        at = 3;
    }
    lines.prefix = bytes.left(at);
    const qsizetype unit = lines.utf16 ? 2 : 1;
    auto code = [&](qsizetype i) -> unsigned {
        const auto low = static_cast<unsigned char>(bytes[i]);
        return unit == 2 ? low | (static_cast<unsigned char>(bytes[i + 1]) << 8) : low;
    };
    const qsizetype end = bytes.size() - (bytes.size() - at) % unit;
    bool sawNewline = false;
    qsizetype start = at;
    for (qsizetype i = at; i < end; i += unit) {
        const unsigned c = code(i);
        if (c != '\n' && c != '\r')
            continue;
        const qsizetype terminator =
            c == '\r' && i + unit < end && code(i + unit) == '\n' ? 2 * unit : unit;
        if (!sawNewline && terminator == 2 * unit)
            lines.newline = QStringLiteral("\r\n");
        sawNewline = true;
        lines.body.append(bytes.mid(start, i - start));
        lines.ending.append(bytes.mid(i, terminator));
        lines.text.append(Decode(lines.body.back(), lines.utf16));
        i += terminator - unit;
        start = i + unit;
    }
    if (start < bytes.size()) {
        lines.body.append(bytes.mid(start));
        lines.ending.append(QByteArray());
        lines.text.append(Decode(bytes.mid(start, end - start), lines.utf16));
    }
    return lines;
}

// Nothing for a file that is missing; the lines of a regular file within the cap; status says
// which (a FIFO, a device or a huge file is never read).
RawLines ReadRawLines(const QString& path, RegularFileStatus* status) {
    QByteArray bytes;
    *status = ReadRegularFile(path, kMaxFileBytes, &bytes);
    return *status == RegularFileStatus::Ok ? SplitLines(bytes) : RawLines{};
}

QStringList ReadLines(const QString& path) {
    RegularFileStatus status;
    return ReadRawLines(path, &status).text;
}

// "[name]" with blanks around; returns the trimmed name.
std::optional<QString> SectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// "key=value"; returns the trimmed key, or nothing for a line that holds no key.
std::optional<QString> KeyName(const QString& line, QString* value = nullptr) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const QString key = line.left(eq).trimmed();
    if (key.isEmpty() || key.startsWith(QLatin1Char(';')))
        return std::nullopt;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return key;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar q = value.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

std::optional<QString> Lookup(const QString& path, const QString& section, const QString& key) {
    bool inSection = false;
    for (const QString& line : ReadLines(path)) {
        if (auto name = SectionName(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        QString value;
        if (auto k = KeyName(line, &value); k && SameName(*k, key))
            return Unquote(value);
    }
    return std::nullopt;
}

} // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

int ProfileFile::ParseInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < n && text[i] == QLatin1Char('0')) {
        const QChar p = text[i + 1].toLower();
        if (p == QLatin1Char('x'))
            base = 16;
        else if (p == QLatin1Char('o'))
            base = 8;
        else if (p == QLatin1Char('b'))
            base = 2;
        if (base != 10)
            i += 2;
    }
    std::uint32_t result = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].toLower().unicode();
        unsigned digit = 99;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        if (digit >= base)
            break;
        result = result * base + digit; // wraps like the platform's 32-bit result
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

int ProfileFile::ReadInt(const QString& section, const QString& key, int def) const {
    const auto value = Lookup(path_, section, key);
    if (!value || value->isEmpty())
        return def;
    return ParseInt(*value);
}

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& def,
                                int bufferChars) const {
    const auto value = Lookup(path_, section, key);
    const QString& text = value ? *value : def;
    if (bufferChars <= 0)
        return {};
    return text.left(bufferChars - 1);
}

bool ProfileFile::WriteString(const QString& section, const QString& key,
                              const QString& value) const {
    RegularFileStatus status;
    RawLines file = ReadRawLines(path_, &status);
    // Only a missing file is made anew: one that can't be read would be lost by rewriting it.
    if (status != RegularFileStatus::Ok && status != RegularFileStatus::Missing)
        return false;
    const QString entry = key + QLatin1Char('=') + value;

    qsizetype sectionLine = -1;   // the section header
    qsizetype lastInSection = -1; // last key line of the section, or its header
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < file.text.size() && !written; ++i) {
        if (auto name = SectionName(file.text[i])) {
            if (inSection)
                break;
            inSection = SameName(*name, section);
            if (inSection)
                sectionLine = lastInSection = i;
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = KeyName(file.text[i])) {
            if (SameName(*k, key)) {
                file.body[i] = file.Encode(entry);
                written = true;
            }
            lastInSection = i;
        }
    }
    if (!written) {
        if (sectionLine >= 0) {
            file.Insert(lastInSection + 1, entry);
        } else {
            file.Insert(file.body.size(), QLatin1Char('[') + section + QLatin1Char(']'));
            file.Insert(file.body.size(), entry);
        }
    }

    QSaveFile out(path_);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(file.prefix);
    for (qsizetype i = 0; i < file.body.size(); ++i) {
        out.write(file.body[i]);
        out.write(file.ending[i]);
    }
    return out.commit();
}

} // namespace fw
