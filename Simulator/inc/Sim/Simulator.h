#pragma once

#include "Sim/SimConfig.h"
#include "Sim/SimState.h"
#include "Sim/TraceEvent.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// The simulated lighting controller(s), run on a thread of their own. Every public operation
// may be called from any thread.
//
// On the wire (docs/virtual-hid.md): every interface of a controller takes frames and each
// connection has its own receive stream; replies go back on the connection that sent the frame.
// An output report with more-follows 0 ends the write: a frame left unfinished is dropped.
// Pacing, per connection, with reportIntervalUs > 0: at most one output report is taken and one
// input report sent per interval, and a reply's first report leaves replyDelayMs plus one
// interval after its request was complete. Input reports carry up to inputReportLength - 2 data
// bytes (62), or 7 with splitReplies. The raw byte answering CmdBeginUpgrade is not a frame and
// has no "reply" trace line.
class Simulator {
public:
    explicit Simulator(SimConfig config = {});
    ~Simulator(); // Stop()
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates every interface's files and starts serving. False with LastError() on failure.
    // A simulator starts once.
    bool Start();
    // Ends serving and removes every file. The state and trace stay readable.
    void Stop();
    bool IsRunning() const;
    std::string LastError() const;

    const SimConfig& Config() const;
    std::string Dir() const;
    // "<prefix>-<device>-<interface>", stable across unplug and plug.
    std::string Stem(int device = 0, int interface = 0) const;
    std::vector<std::string> Stems() const;
    // <dir>/<stem><suffix>, suffix ".sock", ".desc" or ".lock".
    std::string Path(int device, int interface, const char* suffix) const;

    // Device -1 = all. A manual unplug cancels a pending return from a restart; a manual plug
    // brings the controller back at once, in the mode it is in.
    void Unplug(int device = -1);
    void Plug(int device = -1);

    SimState State(int device = 0) const;
    std::vector<TraceEvent> Trace() const;

    // Wait until pred holds (checked under the simulator's lock after each change) or
    // timeoutMs passes; returns whether it held.
    bool WaitForTrace(const std::function<bool(const std::vector<TraceEvent>&)>& pred,
                      int timeoutMs) const;
    bool WaitForState(int device, const std::function<bool(const SimState&)>& pred,
                      int timeoutMs) const;
    // An event named `event` at trace index `from` or later.
    bool WaitForEvent(const std::string& event, std::size_t from, int timeoutMs) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace sim
