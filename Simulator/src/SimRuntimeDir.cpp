#include "Sim/SimRuntimeDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

std::string SimRuntimeDir(const std::string& configured) {
    if (!configured.empty())
        return configured;
    if (const char* env = std::getenv("GLIMRA_SIM_DIR"); env && *env)
        return env;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg)
        return std::string(xdg) + "/glimra-sim";
    return "/tmp/glimra-sim-" + std::to_string(::getuid());
}

bool SimMakeDirs(const std::string& path, std::string& error) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = path + " is not a folder";
        return false;
    }
    // Another user's folder (or one others may write) would let them take our sockets' place.
    if (st.st_uid != ::geteuid()) {
        error = "the folder " + path + " belongs to another user (uid " +
                std::to_string(st.st_uid) + "); it is not used";
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        error = "the folder " + path + " may be written by other users; it is not used";
        return false;
    }
    return true;
}

} // namespace sim
