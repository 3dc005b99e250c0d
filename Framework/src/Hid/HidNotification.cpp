#include "Framework/Hid/HidNotification.h"

#include "Framework/Hid/DeviceChange.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/HidPathName.h"

#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace fw {

namespace {

// What the watchers and the window's thread share about one registration.
struct Delivery {
    std::mutex mutex;
    std::condition_variable changed;
    bool stopped = false;
    bool delivering = false; // the window's thread is running a handler for us
};

struct Broadcast {
    DevBroadcastDeviceInterface message;
    bool done = false;
};

// SendMessage's hand-over, except that the waiting side gives up once the registration is
// stopped: fw::SendMessage's blocking call can't be abandoned, and unregistering on the
// window's thread while a watcher waited for that thread would deadlock.
void Deliver(Window* window, const std::shared_ptr<Delivery>& delivery, HidDeviceEvent event,
             const std::wstring& path) {
    auto broadcast = std::make_shared<Broadcast>();
    broadcast->message.size = static_cast<std::uint32_t>(sizeof(DevBroadcastDeviceInterface));
    broadcast->message.deviceType = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->message.classId = kHidClassId;
    broadcast->message.name = HidNotificationName(path);
    const WPARAM type =
        event == HidDeviceEvent::Arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;

    auto run = [window, delivery, broadcast, type] {
        {
            std::lock_guard lock(delivery->mutex);
            if (delivery->stopped)
                return;
            delivery->delivering = true;
        }
        window->WindowProc(
            WM_DEVICECHANGE, type,
            reinterpret_cast<LPARAM>(static_cast<DevBroadcastHeader*>(&broadcast->message)));
        std::lock_guard lock(delivery->mutex);
        delivery->delivering = false;
        broadcast->done = true;
        delivery->changed.notify_all();
    };

    if (QThread::currentThread() == window->thread()) {
        run();
        return;
    }
    QMetaObject::invokeMethod(window, run, Qt::QueuedConnection);
    std::unique_lock lock(delivery->mutex);
    delivery->changed.wait(lock, [&] { return broadcast->done || delivery->stopped; });
}

} // namespace

class HidNotification {
public:
    explicit HidNotification(Window* window)
        : window_(window), delivery_(std::make_shared<Delivery>()), backends_(HidBackends()) {
        for (const auto& backend : backends_) {
            auto watcher = backend->Watch([window = window_, delivery = delivery_](
                                              HidDeviceEvent event, const std::wstring& path) {
                Deliver(window, delivery, event, path);
            });
            if (watcher)
                watchers_.push_back(std::move(watcher));
        }
    }

    ~HidNotification() {
        {
            std::unique_lock lock(delivery_->mutex);
            delivery_->stopped = true;
            delivery_->changed.notify_all();
            // From another thread, let a handler that is running finish before we return.
            if (QThread::currentThread() != window_->thread())
                delivery_->changed.wait(lock, [&] { return !delivery_->delivering; });
        }
        watchers_.clear(); // joins the watcher threads
    }

private:
    Window* window_;
    std::shared_ptr<Delivery> delivery_;
    std::vector<std::shared_ptr<HidBackend>> backends_; // outlive the watchers using them
    std::vector<std::unique_ptr<HidWatcher>> watchers_;
};

HidNotification* HidRegisterDeviceNotification(Window* window) {
    if (!window)
        return nullptr;
    return new HidNotification(window);
}

bool HidUnregisterDeviceNotification(HidNotification* notification) {
    if (!notification)
        return false;
    delete notification;
    return true;
}

} // namespace fw
