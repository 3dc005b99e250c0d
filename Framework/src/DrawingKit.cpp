#include "Framework/DrawingKit.h"

#include <atomic>

namespace fw {

namespace {
std::atomic<std::uintptr_t> g_token{0};
std::atomic<std::uintptr_t> g_next{1};
} // namespace

std::uintptr_t DrawingKit::Startup() {
    const std::uintptr_t token = g_next++;
    g_token = token;
    return token;
}

void DrawingKit::Shutdown(std::uintptr_t token) {
    std::uintptr_t expected = token;
    g_token.compare_exchange_strong(expected, 0);
}

bool DrawingKit::IsRunning() {
    return g_token != 0;
}

} // namespace fw
