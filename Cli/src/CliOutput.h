#pragma once

#include <QJsonObject>
#include <QString>

// Results go to stdout, messages to stderr; both UTF-8 and flushed at once, so that a script
// reading a pipe sees each line when it is written.
void Out(const QString& text);
void Err(const QString& text);
// One compact JSON object on a line of its own, on stdout.
void OutJson(const QJsonObject& object);

bool StdoutIsTerminal();
bool StdinIsTerminal();
