#include "OpenRgb/OpenRgbServer.h"

#include "Control/LightingHolder.h"
#include "OpenRgb/OpenRgbConnection.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace {

// Bounds what Qt buffers for a client that sends faster than we read.
constexpr qint64 kReadBufferSize = 64 * 1024;

} // namespace

struct OpenRgbServer::Client {
    // The timer lives with the socket: both may be in the middle of emitting when a client is
    // dropped, so they go with deleteLater.
    Client(LightingHolder& holder, QTcpSocket* s)
        : socket(s), stall(new QTimer(s)), connection(holder) {}
    ~Client() { socket->deleteLater(); }

    QTcpSocket* socket;
    QTimer* stall;
    OpenRgbConnection connection;
};

OpenRgbServer::OpenRgbServer(LightingHolder& holder, QObject* parent)
    : QObject(parent), holder_(holder), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &OpenRgbServer::Accept);
    devicePoll_.setInterval(DevicePollMs);
    connect(&devicePoll_, &QTimer::timeout, this, &OpenRgbServer::PollDevice);
}

OpenRgbServer::~OpenRgbServer() {
    Close();
}

bool OpenRgbServer::Listen(const QHostAddress& address, quint16 port, QString* error) {
    Close();
    if (!server_->listen(address, port)) {
        if (error) {
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(address.toString())
                         .arg(port)
                         .arg(server_->errorString());
        }
        return false;
    }
    deviceConnected_ = holder_.IsConnected();
    devicePoll_.start();
    return true;
}

void OpenRgbServer::Close() {
    devicePoll_.stop();
    server_->close();
    while (!clients_.empty())
        Drop(clients_.back().get());
}

bool OpenRgbServer::IsListening() const {
    return server_->isListening();
}

quint16 OpenRgbServer::Port() const {
    return server_->serverPort();
}

void OpenRgbServer::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (static_cast<int>(clients_.size()) >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kReadBufferSize);
        auto client = std::make_unique<Client>(holder_, socket);
        Client* raw = client.get();
        client->stall->setSingleShot(true);
        connect(client->stall, &QTimer::timeout, this, [this, raw] { Drop(raw); });
        connect(socket, &QTcpSocket::readyRead, this, [this, raw] { Read(raw); });
        connect(socket, &QTcpSocket::disconnected, this, [this, raw] { Drop(raw); });
        clients_.push_back(std::move(client));
        // Bytes may have come with the connection.
        if (socket->bytesAvailable() > 0)
            Read(raw);
    }
}

void OpenRgbServer::Read(Client* client) {
    QByteArray output;
    char chunk[4096];
    bool keep = true;
    while (keep && client->socket->bytesAvailable() > 0) {
        const qint64 got = client->socket->read(chunk, sizeof chunk);
        if (got <= 0)
            break;
        keep = client->connection.Feed(QByteArrayView(chunk, got), output);
    }
    if (!output.isEmpty()) {
        client->socket->write(output);
        // Hand what the kernel takes over now, so only what a client leaves unread stays here.
        client->socket->flush();
    }
    if (!keep || client->socket->bytesToWrite() > MaxPendingWrite) {
        Drop(client);
        return;
    }
    // The clock runs from a packet's first byte to its last, however the bytes trickle in.
    if (!client->connection.HasPartialPacket())
        client->stall->stop();
    else if (!client->stall->isActive())
        client->stall->start(stallTimeoutMs_);
}

void OpenRgbServer::Drop(Client* client) {
    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [client](const auto& c) { return c.get() == client; });
    if (it == clients_.end())
        return;
    // Taken out first: aborting can emit disconnected, which comes back here.
    std::unique_ptr<Client> owned = std::move(*it);
    clients_.erase(it);
    owned->stall->stop();
    owned->stall->disconnect(this);
    owned->socket->disconnect(this);
    owned->socket->abort();
}

void OpenRgbServer::PollDevice() {
    const bool connected = holder_.IsConnected();
    if (connected == deviceConnected_)
        return;
    deviceConnected_ = connected;
    // Clients that speak a version with the notice enumerate again.
    const QByteArray notice = OpenRgbWriter::Packet(0, OpenRgbProtocol::DeviceListUpdated, {});
    for (const auto& client : clients_) {
        if (client->connection.ProtocolVersion() >= 1)
            client->socket->write(notice);
    }
}
