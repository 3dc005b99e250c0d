#include "Framework/Net/IpAddress.h"

#include <arpa/inet.h>
#include <net/if.h>

#include <cstdlib>

namespace fw {

namespace {

// An interface name or number after an IPv6 address's '%'; 0 when there is no such interface.
unsigned ScopeId(const QByteArray& scope) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(scope.constData(), &end, 10);
    if (!scope.isEmpty() && end && *end == '\0')
        return static_cast<unsigned>(number);
    return ::if_nametoindex(scope.constData());
}

} // namespace

bool IpAddress::Parse(const QString& text, quint16 port, IpAddress* address) {
    *address = IpAddress();
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty() || bytes.contains(' ') || bytes.contains('\t'))
        return false;
    // IPv4 in every form the classic parser takes ("127.0.0.1", "127.1", "0x7f.1"), as Qt's
    // address parser did before us, so a settings file that worked still works.
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address->storage);
    if (::inet_aton(bytes.constData(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        address->length = sizeof(sockaddr_in);
        return true;
    }
    // IPv6, with a scope ("fe80::1%eth0") for a link-local address.
    const qsizetype percent = bytes.indexOf('%');
    const QByteArray host = percent < 0 ? bytes : bytes.left(percent);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address->storage);
    if (::inet_pton(AF_INET6, host.constData(), &v6->sin6_addr) == 1) {
        if (percent >= 0 && (v6->sin6_scope_id = ScopeId(bytes.mid(percent + 1))) == 0) {
            *address = IpAddress();
            return false;
        }
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        address->length = sizeof(sockaddr_in6);
        return true;
    }
    *address = IpAddress();
    return false;
}

bool IpAddress::IsValid(const QString& text) {
    IpAddress address;
    return Parse(text, 0, &address);
}

} // namespace fw
