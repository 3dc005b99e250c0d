#pragma once

#include "DispatchUntil.h"
#include "Framework/Hid/HidAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <vector>

// Puts a test's own backends in place and the previous ones back afterwards.
class HidBackendsScope {
public:
    explicit HidBackendsScope(std::vector<std::shared_ptr<fw::HidBackend>> backends)
        : previous_(fw::HidBackends()) {
        fw::HidSetBackends(std::move(backends));
    }
    ~HidBackendsScope() { fw::HidSetBackends(std::move(previous_)); }

private:
    std::vector<std::shared_ptr<fw::HidBackend>> previous_;
};
