#include "Framework/Trace.h"

#include <cstdio>

namespace fw {

void Trace(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace fw
