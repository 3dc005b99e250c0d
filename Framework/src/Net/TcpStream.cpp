#include "Framework/Net/TcpStream.h"

#include <QObject>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

// A notifier may be the one whose signal is being delivered: it goes with the event loop.
void Retire(QSocketNotifier*& notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    QObject::disconnect(notifier, nullptr, nullptr, nullptr);
    notifier->deleteLater();
    notifier = nullptr;
}

} // namespace

TcpStream::TcpStream(int fd) : fd_(fd) {
    readable_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    writable_ = new QSocketNotifier(fd_, QSocketNotifier::Write);
    writable_->setEnabled(false);
    QObject::connect(readable_, &QSocketNotifier::activated, [this] {
        // A copy: the callback may delete the stream, and with it readyRead_.
        if (const auto callback = readyRead_)
            callback();
    });
    QObject::connect(writable_, &QSocketNotifier::activated, [this] { OnWritable(); });
}

TcpStream::~TcpStream() {
    Abort();
}

void TcpStream::SetCallbacks(std::function<void()> readyRead, std::function<void()> closed) {
    readyRead_ = std::move(readyRead);
    closed_ = std::move(closed);
}

qint64 TcpStream::Read(char* data, qint64 max) {
    if (fd_ < 0)
        return -1;
    for (;;) {
        const ssize_t got = ::recv(fd_, data, static_cast<size_t>(max), MSG_DONTWAIT);
        if (got > 0)
            return got;
        if (got == 0)
            return -1; // the peer's end
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

bool TcpStream::Write(const QByteArray& bytes) {
    if (fd_ < 0)
        return false;
    pending_.append(bytes);
    return SendPending();
}

bool TcpStream::SendPending() {
    while (sent_ < pending_.size()) {
        const ssize_t n =
            ::send(fd_, pending_.constData() + sent_, static_cast<size_t>(pending_.size() - sent_),
                   MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent_ += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writable_->setEnabled(true);
            return true;
        }
        return false;
    }
    pending_.clear();
    sent_ = 0;
    writable_->setEnabled(false);
    return true;
}

void TcpStream::OnWritable() {
    if (SendPending())
        return;
    Abort();
    if (const auto callback = closed_)
        callback();
}

void TcpStream::Abort() {
    Retire(readable_);
    Retire(writable_);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    pending_.clear();
    sent_ = 0;
}

} // namespace fw
