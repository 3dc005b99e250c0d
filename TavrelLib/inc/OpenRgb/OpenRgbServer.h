#pragma once

#include "Framework/Net/TcpListener.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class LightingHolder;
class OpenRgbConnection;

// OpenRGB's SDK server for whoever holds the controller: clients list our one device, read it
// back and drive it through the holder, as clicks would. Everything runs on the holder's
// thread with non-blocking sockets: a slow or stalled client costs the others nothing.
class OpenRgbServer : public QObject {
    Q_OBJECT
public:
    // Beyond this many clients a new connection is closed at once.
    static constexpr int MaxConnections = 16;
    // A packet must be complete this long after its first byte.
    static constexpr int DefaultStallTimeoutMs = 5000;
    // A client that leaves this much of our replies unread is dropped.
    static constexpr qint64 MaxPendingWrite = 64 * 1024;
    // How often the holder's controller is looked at, to tell clients when it comes or goes.
    static constexpr int DevicePollMs = 1000;

    explicit OpenRgbServer(LightingHolder& holder, QObject* parent = nullptr);
    ~OpenRgbServer() override;

    // On a numeric address; port 0 takes any free port (Port() tells which). False with a
    // reason in error.
    bool Listen(const QString& address, quint16 port, QString* error);
    // Stops listening and drops every client: the handover to another holder.
    void Close();
    bool IsListening() const;
    quint16 Port() const;

    int ConnectionCount() const { return static_cast<int>(clients_.size()); }
    void SetStallTimeout(int ms) { stallTimeoutMs_ = ms; }

private:
    struct Client;

    void Accept();
    void Read(Client* client);
    void Drop(Client* client);
    void PollDevice();

    LightingHolder& holder_;
    fw::TcpListener server_;
    std::vector<std::unique_ptr<Client>> clients_;
    QTimer devicePoll_;
    bool deviceConnected_ = false;
    int stallTimeoutMs_ = DefaultStallTimeoutMs;
};
