#pragma once

#include <QString>

namespace fw {

// Developer trace output (stderr), for conditions that are not shown to the user.
void Trace(const QString& text);

} // namespace fw
