#pragma once

#include "Framework/Net/TcpStream.h"

#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace fw {

// A listening TCP socket on a numeric address, driven by the event loop of its thread. Plain
// sockets, so a program that serves a port needs no network library beside Qt Core.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Port 0 takes any free port (Port() tells which). False with the reason in error (the
    // address and port named in it).
    bool Listen(const QString& address, quint16 port, QString* error);
    void Close();
    bool IsListening() const { return fd_ >= 0; }
    quint16 Port() const { return port_; }

    // Called when connections wait to be taken; it may close the listener.
    void SetOnNewConnection(std::function<void()> callback) { onNew_ = std::move(callback); }
    // The next waiting connection, or null when none waits.
    std::unique_ptr<TcpStream> NextPendingConnection();

private:
    int fd_ = -1;
    quint16 port_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onNew_;
};

} // namespace fw
