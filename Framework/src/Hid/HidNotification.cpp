#include "Framework/Hid/HidNotification.h"

#include "EventFd.h"
#include "Framework/Hid/DeviceChange.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/HidPathName.h"

#include <QSocketNotifier>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace fw {

namespace {

struct Broadcast {
    DevBroadcastDeviceInterface message;
    WPARAM event = 0;
    bool done = false;
};

// What the watchers and the window's thread share about one registration. Changes reach the
// window's thread through this queue and a wake-up its event loop watches, not through posted
// Qt events, so that everything the threads share is ordered by a lock the thread checker
// can see.
struct Delivery {
    explicit Delivery(Window* target) : window(target) {}

    Window* window;
    EventFd wake;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Broadcast>> queue;
    bool stopped = false;
    bool delivering = false; // the window's thread is running a handler for us
};

void Run(Delivery& delivery, Broadcast& broadcast) {
    const auto* header = static_cast<const DevBroadcastHeader*>(&broadcast.message);
    delivery.window->WindowProc(WM_DEVICECHANGE, broadcast.event, reinterpret_cast<LPARAM>(header));
}

// On the window's thread: hand every waiting change to the window, in order.
void RunQueued(Delivery& delivery) {
    delivery.wake.Clear();
    for (;;) {
        std::shared_ptr<Broadcast> next;
        {
            std::lock_guard lock(delivery.mutex);
            if (delivery.stopped || delivery.queue.empty())
                return;
            next = std::move(delivery.queue.front());
            delivery.queue.pop_front();
            delivery.delivering = true;
        }
        Run(delivery, *next);
        std::lock_guard lock(delivery.mutex);
        delivery.delivering = false;
        next->done = true;
        delivery.changed.notify_all();
    }
}

// SendMessage's hand-over, except that the waiting side gives up once the registration is
// stopped: fw::SendMessage's blocking call can't be abandoned, and unregistering on the
// window's thread while a watcher waited for that thread would deadlock.
void Deliver(const std::shared_ptr<Delivery>& delivery, HidDeviceEvent event,
             const std::wstring& path) {
    auto broadcast = std::make_shared<Broadcast>();
    broadcast->event = event == HidDeviceEvent::Arrival ? WPARAM(DBT_DEVICEARRIVAL)
                                                        : WPARAM(DBT_DEVICEREMOVECOMPLETE);
    DevBroadcastDeviceInterface& message = broadcast->message;
    message.size = static_cast<std::uint32_t>(sizeof(DevBroadcastDeviceInterface));
    message.deviceType = DBT_DEVTYP_DEVICEINTERFACE;
    message.classId = kHidClassId;
    message.name = HidNotificationName(path);

    if (QThread::currentThread() == delivery->window->thread()) {
        Run(*delivery, *broadcast);
        return;
    }
    std::unique_lock lock(delivery->mutex);
    if (delivery->stopped)
        return;
    delivery->queue.push_back(broadcast);
    delivery->wake.Raise();
    delivery->changed.wait(lock, [&] { return broadcast->done || delivery->stopped; });
}

} // namespace

class HidNotification {
public:
    explicit HidNotification(Window* window)
        : delivery_(std::make_shared<Delivery>(window)), backends_(HidBackends()) {
        notifier_ = new QSocketNotifier(delivery_->wake.Fd(), QSocketNotifier::Read);
        if (notifier_->thread() != window->thread())
            notifier_->moveToThread(window->thread());
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_,
                         [delivery = delivery_] { RunQueued(*delivery); });

        for (const auto& backend : backends_) {
            auto watcher = backend->Watch(
                [delivery = delivery_](HidDeviceEvent event, const std::wstring& path) {
                    Deliver(delivery, event, path);
                });
            if (watcher)
                watchers_.push_back(std::move(watcher));
        }
    }

    ~HidNotification() {
        {
            std::unique_lock lock(delivery_->mutex);
            delivery_->stopped = true;
            delivery_->queue.clear();
            delivery_->changed.notify_all();
            // From another thread, let a handler that is running finish before we return.
            if (QThread::currentThread() != delivery_->window->thread())
                delivery_->changed.wait(lock, [&] { return !delivery_->delivering; });
        }
        watchers_.clear(); // joins the watcher threads
        if (QThread::currentThread() == notifier_->thread())
            delete notifier_;
        else
            notifier_->deleteLater();
    }

private:
    std::shared_ptr<Delivery> delivery_;
    QSocketNotifier* notifier_;
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
