#pragma once

#include <QString>

namespace fw {

// A named guard shared by all processes of one user: a lock file in the user's runtime
// folder, held for as long as this object lives (the process's life, in practice).
class InstanceGuard {
public:
    enum class Result { Created, AlreadyExists, Failed };

    InstanceGuard() = default;
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // Failed (with one line on stderr) when the runtime folder is not this user's alone.
    Result Acquire(const QString& name);
    void Release();

    // $XDG_RUNTIME_DIR, else /tmp/glimra-<uid> (made with mode 0700).
    static QString RuntimeFolder();

private:
    int fd_ = -1;
};

} // namespace fw
