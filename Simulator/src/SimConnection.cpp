#include "Sim/SimConnection.h"

#include <unistd.h>

namespace sim {

SimConnection::~SimConnection() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace sim
