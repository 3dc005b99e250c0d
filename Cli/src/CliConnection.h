#pragma once

#include "Framework/InstanceGuard.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/TrRequestWindow.h"

#include <QDeadlineTimer>

// The tool's connection to the controller, made as the main window makes its own: the one-entry
// device table, a connection manager whose link requests run on this thread's request target,
// then scan and open table index 0.
//
// Calls queue for the controller: one glimractl of this user at a time holds the queue's lock
// for its whole run, and a controller that another program holds is waited for as well, both
// within one bound.
class CliConnection {
public:
    enum class Result { Connected, NotFound, PermissionDenied, InUse };

    static constexpr std::uint16_t VendorId = 0x04D9;
    static constexpr std::uint16_t ProductId = 0x8008;
    // How long a call waits for the controller to be free.
    static constexpr int WaitMs = 10000;

    CliConnection();
    CliConnection(const CliConnection&) = delete;
    CliConnection& operator=(const CliConnection&) = delete;

    // Waits its turn, then connects. InUse when the controller was still held by another
    // opener once the bound had passed.
    Result Connect(QDeadlineTimer deadline = QDeadlineTimer(WaitMs));

    CommManager& Manager() { return manager_; }
    ControllerProtocol* Protocol() { return manager_.GetProtocol(); }

    // What to tell a user who may not open the device node.
    static QString PermissionHelp();
    // What to tell a user whose controller another program holds.
    static QString InUseHelp();

private:
    // Waits for the other calls of this user ahead of us; false when the bound passed first.
    bool WaitForTurn(const QDeadlineTimer& deadline);
    // Whether the first controller is held by another opener, found as the link would open it.
    bool HeldElsewhere();

    fw::InstanceGuard turn_;
    TrRequestWindow window_;
    UsbDeviceEntry table_[1] = {{VendorId, ProductId, 0}};
    CommManager manager_;
};
