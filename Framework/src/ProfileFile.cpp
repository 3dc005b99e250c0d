#include "Framework/ProfileFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace fw {

namespace {

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3));
    } else {
        text = QString::fromUtf8(bytes);
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
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
    QStringList lines = ReadLines(path_);
    const QString entry = key + QLatin1Char('=') + value;

    qsizetype sectionLine = -1;   // the section header
    qsizetype lastInSection = -1; // last key line of the section, or its header
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inSection)
                break;
            inSection = SameName(*name, section);
            if (inSection)
                sectionLine = lastInSection = i;
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = KeyName(lines[i])) {
            if (SameName(*k, key)) {
                lines[i] = entry;
                written = true;
            }
            lastInSection = i;
        }
    }
    if (!written) {
        if (sectionLine >= 0) {
            lines.insert(lastInSection + 1, entry);
        } else {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }

    QSaveFile file(path_);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

} // namespace fw
