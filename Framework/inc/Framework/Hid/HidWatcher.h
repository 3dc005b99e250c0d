#pragma once

#include "Framework/Hid/HidTypes.h"

#include <functional>
#include <string>

namespace fw {

// Watches a backend for interfaces coming and going, on a thread of its own. The callback
// runs on that thread with the interface path; destruction stops and joins the thread.
class HidWatcher {
public:
    using Callback = std::function<void(HidDeviceEvent event, const std::wstring& path)>;

    virtual ~HidWatcher() = default;
};

} // namespace fw
