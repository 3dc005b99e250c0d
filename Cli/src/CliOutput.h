#pragma once

#include <QString>

// Results go to stdout, messages to stderr; both UTF-8 and flushed at once, so that a script
// reading a pipe sees each line when it is written.
void Out(const QString& text);
void Err(const QString& text);

bool StdoutIsTerminal();
bool StdinIsTerminal();
