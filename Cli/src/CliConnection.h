#pragma once

#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/TrRequestWindow.h"

// The tool's connection to the controller, made as the main window makes its own: the one-entry
// device table, a connection manager whose link requests run on this thread's request target,
// then scan and open table index 0.
class CliConnection {
public:
    enum class Result { Connected, NotFound, PermissionDenied };

    static constexpr std::uint16_t VendorId = 0x04D9;
    static constexpr std::uint16_t ProductId = 0x8008;

    CliConnection();
    CliConnection(const CliConnection&) = delete;
    CliConnection& operator=(const CliConnection&) = delete;

    Result Connect();

    CommManager& Manager() { return manager_; }
    ControllerProtocol* Protocol() { return manager_.GetProtocol(); }

    // What to tell a user who may not open the device node.
    static QString PermissionHelp();

private:
    TrRequestWindow window_;
    UsbDeviceEntry table_[1] = {{VendorId, ProductId, 0}};
    CommManager manager_;
};
