#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

namespace fw {

// Keeps the machine from sleeping or shutting down while something must not be cut short: a
// logind "sleep:shutdown" block inhibitor, held for as long as we keep its file descriptor.
// Where there is no system bus or no logind, nothing is held and nothing else changes.
class SleepInhibitor {
public:
    // The system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the standard socket), reached afresh by
    // each Acquire and left again once the inhibitor is ours.
    SleepInhibitor() = default;
    // This bus instead.
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
    int Inhibit(const QDBusConnection& bus, const QString& who, const QString& why);

    std::optional<QDBusConnection> bus_;
    int fd_ = -1;
};

} // namespace fw
