#pragma once

#include <QString>

#include <netinet/in.h>
#include <sys/socket.h>

namespace fw {

// A numeric IPv4 ("127.0.0.1", also the short forms "127.1" and "0x7f.0.0.1") or IPv6 ("::1",
// "fe80::1%eth0") address, as a socket takes it. Host names are not looked up: a server is told
// where to listen by address.
struct IpAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    // False (and the address unset) for anything but a numeric address.
    static bool Parse(const QString& text, quint16 port, IpAddress* address);
    static bool IsValid(const QString& text);
};

} // namespace fw
