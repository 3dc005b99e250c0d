#include "Framework/Net/TcpListener.h"

#include "Framework/Net/IpAddress.h"

#include <QObject>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

// As many as the kernel lets wait for accept; more are refused by it.
constexpr int kBacklog = 50;

} // namespace

TcpListener::~TcpListener() {
    Close();
}

bool TcpListener::Listen(const QString& address, quint16 port, QString* error) {
    Close();
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("cannot listen on %1:%2: %3").arg(address).arg(port).arg(why);
        Close();
        return false;
    };
    IpAddress where;
    if (!IpAddress::Parse(address, port, &where))
        return fail(QStringLiteral("not a numeric IP address"));
    fd_ = ::socket(where.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // A port whose last connections are still in TIME_WAIT can be taken again at once; a port
    // another socket listens on still cannot.
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&where.storage), where.length) != 0 ||
        ::listen(fd_, kBacklog) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
        if (onNew_)
            onNew_();
    });
    return true;
}

void TcpListener::Close() {
    if (notifier_) {
        // Its signal may be the one being delivered.
        notifier_->setEnabled(false);
        QObject::disconnect(notifier_, nullptr, nullptr, nullptr);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    port_ = 0;
}

std::unique_ptr<TcpStream> TcpListener::NextPendingConnection() {
    while (fd_ >= 0) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client >= 0)
            return std::make_unique<TcpStream>(client);
        // A client that gave up before we took it is no reason to stop taking the others.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
            continue;
        return nullptr;
    }
    return nullptr;
}

} // namespace fw
