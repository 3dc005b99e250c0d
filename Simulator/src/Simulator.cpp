#include "Sim/Simulator.h"

#include "Sim/SimController.h"
#include "Sim/SimFrame.h"
#include "Sim/SimInterface.h"
#include "Sim/SimRuntimeDir.h"
#include "Sim/SimTrace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

using namespace std::chrono;

// Reports per reply frame when --split-replies is on: small enough that even the shortest
// frame (13 bytes) needs two.
constexpr std::size_t kSplitChunk = 7;
// Junk before a reply frame; never 0xFF, so it cannot pass for a start mark.
constexpr std::uint8_t kStrayByte = 0x5A;
// Without pacing, a connection still yields after this many packets so the others get a turn.
constexpr int kBurstPackets = 64;

std::atomic<int> g_instances{0};

struct Device {
    int index = 0;
    std::unique_ptr<SimController> controller;
    std::vector<std::unique_ptr<SimInterface>> interfaces;
    bool plugged = false;
    unsigned generation = 0; // counts unplugs, so poll results for vanished connections are
                             // recognised as stale
    std::optional<SimClock::time_point> returnAt;
    bool unplugWhenIdle = false;
};

struct PollRef {
    Device* device = nullptr;
    SimInterface* interface = nullptr;
    SimConnection* connection = nullptr; // null: the listening socket
    unsigned generation = 0;
};

TraceEvent Named(const char* name, int device) {
    TraceEvent e;
    e.event = name;
    e.device = device;
    return e;
}

} // namespace

struct Simulator::Impl {
    explicit Impl(SimConfig c) : config(std::move(c)) {}

    SimConfig config;
    std::string dir;
    std::string prefix;
    std::string error;

    mutable std::mutex mu;
    mutable std::condition_variable changed;
    SimTrace trace;
    std::vector<std::unique_ptr<Device>> devices;
    std::thread thread;
    int wake[2] = {-1, -1};
    bool started = false;
    bool running = false;
    bool stopping = false;
    std::deque<std::function<void()>> tasks;
    std::uint64_t tasksDone = 0;
    std::uint64_t tasksQueued = 0;

    SimClock::duration Interval() const { return microseconds(config.reportIntervalUs); }

    void Emit(TraceEvent e) { trace.Add(std::move(e)); }

    bool DoPlug(Device& d) {
        if (d.plugged)
            return true;
        d.returnAt.reset();
        d.unplugWhenIdle = false;
        for (auto& itf : d.interfaces) {
            std::string why;
            if (!itf->Create(why)) {
                for (auto& other : d.interfaces)
                    other->Remove();
                error = why;
                std::fprintf(stderr, "glimra-sim: %s\n", why.c_str());
                return false;
            }
        }
        d.plugged = true;
        Emit(Named("plug", d.index));
        return true;
    }

    void DoUnplug(Device& d) {
        if (!d.plugged)
            return;
        for (auto& itf : d.interfaces)
            itf->Remove();
        d.plugged = false;
        ++d.generation;
        Emit(Named("unplug", d.index));
    }

    void EmitMode(Device& d) {
        TraceEvent e = Named("mode", d.index);
        e.mode = d.controller->Mode() == SimMode::App ? "app" : "loader";
        Emit(std::move(e));
    }

    void WriteFlash(const std::vector<std::uint8_t>& image) {
        if (config.flashOut.empty())
            return;
        std::FILE* f = std::fopen(config.flashOut.c_str(), "wb");
        if (!f || std::fwrite(image.data(), 1, image.size(), f) != image.size())
            std::fprintf(stderr, "glimra-sim: cannot write %s: %s\n", config.flashOut.c_str(),
                         std::strerror(errno));
        if (f)
            std::fclose(f);
    }

    SimOutgoing MakeOutgoing(const SimReply& reply, SimClock::time_point now) {
        std::vector<std::uint8_t> bytes;
        SimOutgoing out;
        if (reply.raw) {
            bytes = reply.data;
        } else {
            bytes.assign(static_cast<std::size_t>(config.strayBytes), kStrayByte);
            std::vector<std::uint8_t> frame =
                SimFrame::Encode(reply.cmd, reply.data, config.badEndMark);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
            TraceEvent e;
            e.event = "reply";
            e.cmd = reply.cmd;
            e.payload = reply.data;
            out.trace = std::move(e);
        }
        const std::size_t room = static_cast<std::size_t>(config.inputReportLength) - 2;
        const std::size_t chunk = config.splitReplies ? std::min(kSplitChunk, room) : room;
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            std::size_t n = std::min(chunk, bytes.size() - at);
            std::vector<std::uint8_t> report(static_cast<std::size_t>(config.inputReportLength), 0);
            report[0] = 0x3F;
            report[1] = config.oversizedCount ? 0xFF : static_cast<std::uint8_t>(n);
            std::copy_n(bytes.begin() + static_cast<long>(at), n, report.begin() + 2);
            out.reports.push_back(std::move(report));
        }
        // Like an interrupt endpoint, the first report leaves one interval after the request.
        out.due = now + milliseconds(config.replyDelayMs) + Interval();
        return out;
    }

    void HandleFrame(Device& d, SimConnection& c, const SimFrame& frame, SimClock::time_point now) {
        TraceEvent e = Named("frame", d.index);
        e.cmd = frame.cmd;
        e.payload = frame.payload;
        Emit(std::move(e));

        SimOutcome out = d.controller->HandleFrame(frame);
        for (TraceEvent& ev : out.events) {
            ev.device = d.index;
            Emit(std::move(ev));
        }
        for (const SimReply& r : out.replies) {
            SimOutgoing o = MakeOutgoing(r, now);
            if (o.trace)
                o.trace->device = d.index;
            c.queue.push_back(std::move(o));
        }
        switch (out.after) {
        case SimOutcome::After::None:
            break;
        case SimOutcome::After::EnterLoader:
            DoUnplug(d);
            d.controller->EnterLoader();
            EmitMode(d);
            if (!config.neverReturn)
                d.returnAt = now + milliseconds(config.rebootMs);
            break;
        case SimOutcome::After::LeaveLoader:
            if (d.controller->LeaveLoader()) {
                WriteFlash(d.controller->Flashed());
                TraceEvent fc = Named("flash-complete", d.index);
                fc.size = static_cast<int>(d.controller->Flashed().size());
                Emit(std::move(fc));
            }
            DoUnplug(d);
            EmitMode(d);
            d.returnAt = now + milliseconds(config.rebootMs);
            break;
        case SimOutcome::After::UnplugWhenIdle:
            d.unplugWhenIdle = true;
            break;
        }
    }

    // One output report: its data joins the connection's stream; the last report of a write
    // ends any frame left unfinished, so a broken write cannot swallow the next one.
    void HandleReport(Device& d, SimConnection& c, const std::uint8_t* r, std::size_t len,
                      SimClock::time_point now) {
        if (len < 3 || r[0] != 0x3F)
            return;
        const unsigned gen = d.generation;
        const std::size_t n = std::min<std::size_t>(r[1], len - 3);
        for (std::size_t i = 0; i < n; ++i) {
            if (std::optional<SimFrame> f = c.reader.Feed(r[3 + i])) {
                HandleFrame(d, c, *f, now);
                if (d.generation != gen)
                    return; // the device vanished with this connection
            }
        }
        if (r[2] == 0)
            c.reader.Reset();
    }

    void ReadConnection(Device& d, SimConnection& c, SimClock::time_point now) {
        const unsigned gen = d.generation;
        std::uint8_t buf[4096];
        for (int i = 0; i < kBurstPackets; ++i) {
            ssize_t n = ::recv(c.Fd(), buf, sizeof buf, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                c.dead = true;
                return;
            }
            if (n < 0)
                return;
            HandleReport(d, c, buf, static_cast<std::size_t>(n), now);
            if (d.generation != gen)
                return;
            if (config.reportIntervalUs > 0) {
                c.nextRead = now + Interval();
                return;
            }
        }
    }

    void SendDue(Device& d, SimConnection& c, SimClock::time_point now) {
        while (!c.queue.empty() && !c.blocked && !c.dead) {
            SimOutgoing& item = c.queue.front();
            if (now < item.due || now < c.nextSend)
                return;
            if (item.trace) {
                Emit(std::move(*item.trace));
                item.trace.reset();
            }
            const std::vector<std::uint8_t>& report = item.reports[item.next];
            ssize_t n = ::send(c.Fd(), report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    c.blocked = true;
                else if (errno != EINTR)
                    c.dead = true;
                return;
            }
            if (++item.next == item.reports.size())
                c.queue.pop_front();
            if (config.reportIntervalUs > 0) {
                c.nextSend = now + Interval();
                return;
            }
        }
        (void)d;
    }

    void DropDead(Device& d) {
        for (auto& itf : d.interfaces) {
            std::vector<SimConnection*> dead;
            for (auto& c : itf->Connections())
                if (c->dead)
                    dead.push_back(c.get());
            for (SimConnection* c : dead)
                itf->Drop(c);
        }
    }

    bool Idle(Device& d) {
        for (auto& itf : d.interfaces)
            for (auto& c : itf->Connections())
                if (!c->queue.empty() && !c->dead)
                    return false;
        return true;
    }

    void RunTasks() {
        while (!tasks.empty()) {
            std::function<void()> task = std::move(tasks.front());
            tasks.pop_front();
            task();
            ++tasksDone;
        }
    }

    // Runs fn on the loop thread (it owns every descriptor) and waits for it.
    void RunInLoop(std::unique_lock<std::mutex>& lock, std::function<void()> fn) {
        if (!running)
            return;
        tasks.push_back(std::move(fn));
        const std::uint64_t mine = ++tasksQueued;
        char one = 1;
        (void)!::write(wake[1], &one, 1);
        changed.wait(lock, [&] { return tasksDone >= mine || !running; });
    }

    void Loop() {
        std::unique_lock<std::mutex> lock(mu);
        std::vector<pollfd> fds;
        std::vector<PollRef> refs;
        while (!stopping) {
            RunTasks();
            SimClock::time_point now = SimClock::now();
            std::optional<SimClock::time_point> wakeAt;
            auto earliest = [&](SimClock::time_point t) {
                if (!wakeAt || t < *wakeAt)
                    wakeAt = t;
            };

            for (auto& dp : devices) {
                Device& d = *dp;
                if (d.returnAt && now >= *d.returnAt)
                    DoPlug(d);
                if (d.returnAt)
                    earliest(*d.returnAt);
                if (!d.plugged)
                    continue;
                for (auto& itf : d.interfaces)
                    for (auto& c : itf->Connections())
                        SendDue(d, *c, now);
                DropDead(d);
                if (d.unplugWhenIdle && Idle(d)) {
                    d.unplugWhenIdle = false;
                    DoUnplug(d);
                }
            }
            changed.notify_all();

            fds.clear();
            refs.clear();
            fds.push_back({wake[0], POLLIN, 0});
            refs.push_back({});
            for (auto& dp : devices) {
                Device& d = *dp;
                if (!d.plugged)
                    continue;
                for (auto& itf : d.interfaces) {
                    fds.push_back({itf->ListenFd(), POLLIN, 0});
                    refs.push_back({&d, itf.get(), nullptr, d.generation});
                    for (auto& c : itf->Connections()) {
                        short events = 0;
                        if (now >= c->nextRead)
                            events |= POLLIN;
                        else
                            earliest(c->nextRead);
                        if (c->blocked)
                            events |= POLLOUT;
                        else if (!c->queue.empty())
                            earliest(std::max(c->queue.front().due, c->nextSend));
                        fds.push_back({c->Fd(), events, 0});
                        refs.push_back({&d, itf.get(), c.get(), d.generation});
                    }
                }
            }

            timespec ts{};
            timespec* timeout = nullptr;
            if (wakeAt) {
                auto left = std::max(SimClock::duration::zero(), *wakeAt - now);
                auto ns = duration_cast<nanoseconds>(left).count();
                ts.tv_sec = static_cast<time_t>(ns / 1000000000);
                ts.tv_nsec = static_cast<long>(ns % 1000000000);
                timeout = &ts;
            }
            lock.unlock();
            int ready = ::ppoll(fds.data(), fds.size(), timeout, nullptr);
            lock.lock();
            if (ready <= 0)
                continue;

            now = SimClock::now();
            if (fds[0].revents & POLLIN) {
                char drain[64];
                while (::read(wake[0], drain, sizeof drain) > 0) {
                }
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                const PollRef& ref = refs[i];
                if (!fds[i].revents || ref.device->generation != ref.generation)
                    continue;
                if (!ref.connection) {
                    ref.interface->AcceptPending();
                    continue;
                }
                SimConnection& c = *ref.connection;
                if (fds[i].revents & POLLOUT)
                    c.blocked = false;
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                    ReadConnection(*ref.device, c, now);
            }
            for (auto& dp : devices)
                DropDead(*dp);
        }
    }
};

Simulator::Simulator(SimConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start() {
    Impl& m = *impl_;
    std::unique_lock<std::mutex> lock(m.mu);
    if (m.started) {
        m.error = "the simulator was started already";
        return false;
    }
    m.started = true;
    m.error = m.config.Validate();
    if (!m.error.empty())
        return false;
    m.dir = SimRuntimeDir(m.config.dir);
    if (!SimMakeDirs(m.dir, m.error))
        return false;
    if (!m.config.stemPrefix.empty()) {
        m.prefix = m.config.stemPrefix;
    } else {
        int k = g_instances++;
        m.prefix = "sim-" + std::to_string(::getpid());
        if (k > 0)
            m.prefix += "x" + std::to_string(k);
    }
    if (!m.trace.Open(m.config.traceFile, m.config.count > 1, m.error))
        return false;
    if (::pipe2(m.wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        m.error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    for (int d = 0; d < m.config.count; ++d) {
        auto dev = std::make_unique<Device>();
        dev->index = d;
        dev->controller = std::make_unique<SimController>(m.config);
        for (int i = 0; i < m.config.interfaces; ++i) {
            SimDescriptor desc;
            desc.vendor = m.config.vendor;
            desc.product = m.config.product;
            desc.serial = m.config.SerialFor(d);
            desc.interface = m.config.interfaces > 1 ? i : -1;
            desc.inputReportLength = m.config.inputReportLength;
            desc.outputReportLength = m.config.outputReportLength;
            std::string stem = m.prefix + "-" + std::to_string(d) + "-" + std::to_string(i);
            dev->interfaces.push_back(
                std::make_unique<SimInterface>(m.dir, stem, desc, m.config.holdExclusive));
        }
        m.devices.push_back(std::move(dev));
    }
    for (auto& dev : m.devices) {
        if (!m.DoPlug(*dev)) {
            std::string why = m.error;
            for (auto& other : m.devices)
                m.DoUnplug(*other);
            m.devices.clear();
            m.trace.Close();
            ::close(m.wake[0]);
            ::close(m.wake[1]);
            m.wake[0] = m.wake[1] = -1;
            m.error = why;
            return false;
        }
    }
    m.running = true;
    m.thread = std::thread([&m] { m.Loop(); });
    return true;
}

void Simulator::Stop() {
    Impl& m = *impl_;
    {
        std::lock_guard<std::mutex> lock(m.mu);
        if (!m.running)
            return;
        m.stopping = true;
        char one = 1;
        (void)!::write(m.wake[1], &one, 1);
    }
    m.thread.join();
    std::lock_guard<std::mutex> lock(m.mu);
    for (auto& dev : m.devices) {
        dev->returnAt.reset();
        m.DoUnplug(*dev);
    }
    m.trace.Close();
    ::close(m.wake[0]);
    ::close(m.wake[1]);
    m.wake[0] = m.wake[1] = -1;
    m.running = false;
    m.changed.notify_all();
}

bool Simulator::IsRunning() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->running;
}

std::string Simulator::LastError() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->error;
}

const SimConfig& Simulator::Config() const {
    return impl_->config;
}

std::string Simulator::Dir() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->dir;
}

std::string Simulator::Stem(int device, int interface) const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->prefix + "-" + std::to_string(device) + "-" + std::to_string(interface);
}

std::vector<std::string> Simulator::Stems() const {
    std::vector<std::string> out;
    for (int d = 0; d < impl_->config.count; ++d)
        for (int i = 0; i < impl_->config.interfaces; ++i)
            out.push_back(Stem(d, i));
    return out;
}

std::string Simulator::Path(int device, int interface, const char* suffix) const {
    return Dir() + "/" + Stem(device, interface) + suffix;
}

void Simulator::Unplug(int device) {
    Impl& m = *impl_;
    std::unique_lock<std::mutex> lock(m.mu);
    m.RunInLoop(lock, [&m, device] {
        for (auto& d : m.devices) {
            if (device >= 0 && d->index != device)
                continue;
            d->returnAt.reset();
            d->unplugWhenIdle = false;
            m.DoUnplug(*d);
        }
    });
}

void Simulator::Plug(int device) {
    Impl& m = *impl_;
    std::unique_lock<std::mutex> lock(m.mu);
    m.RunInLoop(lock, [&m, device] {
        for (auto& d : m.devices)
            if (device < 0 || d->index == device)
                m.DoPlug(*d);
    });
}

SimState Simulator::State(int device) const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    SimState state;
    for (auto& d : impl_->devices) {
        if (d->index == device) {
            d->controller->Snapshot(state);
            state.plugged = d->plugged;
        }
    }
    return state;
}

std::vector<TraceEvent> Simulator::Trace() const {
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->trace.Events();
}

bool Simulator::WaitForTrace(const std::function<bool(const std::vector<TraceEvent>&)>& pred,
                             int timeoutMs) const {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->changed.wait_for(lock, milliseconds(timeoutMs),
                                   [&] { return pred(impl_->trace.Events()); });
}

bool Simulator::WaitForState(int device, const std::function<bool(const SimState&)>& pred,
                             int timeoutMs) const {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->changed.wait_for(lock, milliseconds(timeoutMs), [&] {
        for (auto& d : impl_->devices) {
            if (d->index == device) {
                SimState state;
                d->controller->Snapshot(state);
                state.plugged = d->plugged;
                return pred(state);
            }
        }
        return false;
    });
}

bool Simulator::WaitForEvent(const std::string& event, std::size_t from, int timeoutMs) const {
    return WaitForTrace(
        [&](const std::vector<TraceEvent>& events) {
            for (std::size_t i = from; i < events.size(); ++i)
                if (events[i].event == event)
                    return true;
            return false;
        },
        timeoutMs);
}

} // namespace sim
