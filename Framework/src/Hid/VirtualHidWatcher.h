#pragma once

#include "EventFd.h"
#include "Framework/Hid/HidWatcher.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

namespace fw {

class VirtualHidBackend;

// inotify on the simulator's folder, on a thread of its own.
class VirtualHidWatcher : public HidWatcher {
public:
    static std::unique_ptr<VirtualHidWatcher> Start(VirtualHidBackend& backend, Callback callback);
    ~VirtualHidWatcher() override;

private:
    VirtualHidWatcher(VirtualHidBackend& backend, Callback callback, int inotifyFd);
    void Run();
    bool AddWatch();
    void SocketCreated(const std::string& stem);
    void SocketRemoved(const std::string& stem);

    VirtualHidBackend& backend_;
    Callback callback_;
    int inotify_;
    int watch_ = -1;
    EventFd stop_;
    // Paths of the interfaces announced, so that a removal can name its interface after the
    // descriptor has gone.
    std::map<std::string, std::wstring> paths_;
    std::thread thread_;
};

} // namespace fw
