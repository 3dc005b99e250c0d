#include "CliConnection.h"

#include "Link/TavrelUsbDev.h"

CliConnection::CliConnection() {
    manager_.CreateUsbLink(&window_, table_, 1);
}

CliConnection::Result CliConnection::Connect() {
    manager_.RefreshDevices();
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
