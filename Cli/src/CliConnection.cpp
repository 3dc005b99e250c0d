#include "CliConnection.h"

#include "Link/ControllerHeldElsewhere.h"
#include "Link/TavrelUsbDev.h"

#include <QThread>

namespace {

// How often a waiting call looks again: at its turn, and at a controller held elsewhere.
constexpr unsigned long TurnPollMs = 10;
constexpr unsigned long HeldPollMs = 100;

} // namespace

CliConnection::CliConnection() {
    manager_.CreateUsbLink(&window_, table_, 1);
}

bool CliConnection::WaitForTurn(const QDeadlineTimer& deadline) {
    for (;;) {
        switch (turn_.Acquire(QStringLiteral("glimractl"))) {
        case fw::InstanceGuard::Result::Created:
            return true;
        case fw::InstanceGuard::Result::Failed:
            // No runtime folder to queue in: the controller's own lock still keeps calls apart.
            return false;
        case fw::InstanceGuard::Result::AlreadyExists:
            break;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(TurnPollMs);
    }
}

bool CliConnection::HeldElsewhere() {
    return ControllerHeldElsewhere(*manager_.UsbLink(), VendorId, ProductId);
}

CliConnection::Result CliConnection::Connect(QDeadlineTimer deadline) {
    // Past the bound the turn is not ours alone; the controller's lock decides.
    WaitForTurn(deadline);
    for (;;) {
        manager_.RefreshDevices();
        if (!HeldElsewhere())
            break;
        if (deadline.hasExpired())
            return Result::InUse;
        QThread::msleep(HeldPollMs);
    }
    const bool deniedOnScan = manager_.UsbLink()->PermissionDenied();
    manager_.Open(0);
    if (manager_.IsConnected())
        return Result::Connected;
    if (deniedOnScan || manager_.UsbLink()->PermissionDenied())
        return Result::PermissionDenied;
    return Result::NotFound;
}

QString CliConnection::PermissionHelp() {
    return QStringLiteral(
        "glimractl: permission denied on the controller's device node (/dev/hidraw*).\n"
        "Install the udev rule 70-glimra.rules, which gives the logged-in user access:\n"
        "  sudo install -m 644 packaging/70-glimra.rules /etc/udev/rules.d/\n"
        "(the Debian package installs it as /usr/lib/udev/rules.d/70-glimra.rules), then apply "
        "it without a reboot:\n"
        "  sudo udevadm control --reload-rules && sudo udevadm trigger\n");
}

QString CliConnection::InUseHelp() {
    return QStringLiteral("glimractl: the controller is in use by another program (the Glimra "
                          "Utility window, or "
                          "a glimractl of another user); it was still held after %1 s.\n"
                          "Close that program, or wait for it to finish, and try again.\n")
        .arg(WaitMs / 1000);
}
