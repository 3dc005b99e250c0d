#pragma once

#include <QDBusConnection>
#include <QString>

namespace fw {

// Keeps the machine from sleeping or shutting down while something must not be cut short: a
// logind "sleep:shutdown" block inhibitor, held for as long as we keep its file descriptor.
// Where there is no system bus or no logind, nothing is held and nothing else changes.
class SleepInhibitor {
public:
    SleepInhibitor(); // the system bus, reached at the first Acquire
    explicit SleepInhibitor(const QDBusConnection& bus);
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // who: the program's name shown to the user; why: what it is doing. True when held
    // (also when it was held already).
    bool Acquire(const QString& who, const QString& why);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

private:
    QDBusConnection bus_;
    bool systemBus_ = false;
    int fd_ = -1;
};

} // namespace fw
