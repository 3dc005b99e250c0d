#include "CliOutput.h"

#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

void Write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Out(const QString& text) {
    Write(stdout, text);
}

void Err(const QString& text) {
    Write(stderr, text);
}

void OutJson(const QJsonObject& object) {
    Out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) +
        QLatin1Char('\n'));
}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool StdinIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}
