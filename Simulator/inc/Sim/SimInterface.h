#pragma once

#include "Sim/SimConnection.h"
#include "Sim/SimDescriptor.h"

#include <memory>
#include <string>
#include <vector>

namespace sim {

// One simulated HID interface: <stem>.desc, <stem>.lock and the listening <stem>.sock in the
// runtime folder, plus the connections accepted on it.
class SimInterface {
public:
    SimInterface(std::string dir, std::string stem, SimDescriptor descriptor, bool holdExclusive);
    ~SimInterface();
    SimInterface(const SimInterface&) = delete;
    SimInterface& operator=(const SimInterface&) = delete;

    // Descriptor first, then the lock file, the socket last: its appearance is the arrival.
    bool Create(std::string& error);
    // The socket first (removal), then every connection, then descriptor and lock.
    void Remove();
    bool Present() const { return listenFd_ >= 0; }

    int ListenFd() const { return listenFd_; }
    void AcceptPending();
    std::vector<std::unique_ptr<SimConnection>>& Connections() { return connections_; }
    void Drop(SimConnection* connection);

    const std::string& Stem() const { return stem_; }
    std::string Path(const char* suffix) const { return dir_ + "/" + stem_ + suffix; }

private:
    std::string dir_;
    std::string stem_;
    SimDescriptor descriptor_;
    bool holdExclusive_;
    int listenFd_ = -1;
    int lockFd_ = -1;
    bool created_ = false; // our .desc and .lock exist
    std::vector<std::unique_ptr<SimConnection>> connections_;
};

} // namespace sim
