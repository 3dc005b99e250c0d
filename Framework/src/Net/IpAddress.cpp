#include "Framework/Net/IpAddress.h"

#include <arpa/inet.h>

#include <cstring>

namespace fw {

bool IpAddress::Parse(const QString& text, quint16 port, IpAddress* address) {
    *address = IpAddress();
    const QByteArray bytes = text.trimmed().toLatin1();
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address->storage);
    if (::inet_pton(AF_INET, bytes.constData(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        address->length = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address->storage);
    if (::inet_pton(AF_INET6, bytes.constData(), &v6->sin6_addr) == 1) {
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
