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

    Result Acquire(const QString& name);
    void Release();

    // $XDG_RUNTIME_DIR, else /tmp/glimra-<uid>.
    static QString RuntimeFolder();

private:
    int fd_ = -1;
};

} // namespace fw
