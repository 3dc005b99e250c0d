#include "OpenRgb/OpenRgbServer.h"

#include "Control/LightingHolder.h"
#include "OpenRgb/OpenRgbConnection.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"

#include <algorithm>

namespace {

// What one wake-up reads of a client that sends faster than we read; the rest waits for the
// next one, so a flood cannot keep the thread to itself.
constexpr qint64 kReadPerWakeUp = 64 * 1024;

} // namespace

struct OpenRgbServer::Client {
    // The timer may be in the middle of emitting when a client is dropped: it goes with
    // deleteLater.
    Client(LightingHolder& holder, std::unique_ptr<fw::TcpStream> s, QObject* owner)
        : socket(std::move(s)), stall(new QTimer(owner)), connection(holder) {}
    ~Client() { stall->deleteLater(); }

    std::unique_ptr<fw::TcpStream> socket;
    QTimer* stall;
    OpenRgbConnection connection;
};

OpenRgbServer::OpenRgbServer(LightingHolder& holder, QObject* parent)
    : QObject(parent), holder_(holder) {
    server_.SetOnNewConnection([this] { Accept(); });
    devicePoll_.setInterval(DevicePollMs);
    connect(&devicePoll_, &QTimer::timeout, this, &OpenRgbServer::PollDevice);
}

OpenRgbServer::~OpenRgbServer() {
    Close();
}

bool OpenRgbServer::Listen(const QString& address, quint16 port, QString* error) {
    Close();
    if (!server_.Listen(address, port, error))
        return false;
    deviceConnected_ = holder_.IsConnected();
    devicePoll_.start();
    return true;
}

void OpenRgbServer::Close() {
    devicePoll_.stop();
    server_.Close();
    while (!clients_.empty())
        Drop(clients_.back().get());
}

bool OpenRgbServer::IsListening() const {
    return server_.IsListening();
}

quint16 OpenRgbServer::Port() const {
    return server_.Port();
}

void OpenRgbServer::Accept() {
    while (std::unique_ptr<fw::TcpStream> socket = server_.NextPendingConnection()) {
        // Beyond the limit a connection is closed as soon as it is taken.
        if (static_cast<int>(clients_.size()) >= MaxConnections)
            continue;
        auto client = std::make_unique<Client>(holder_, std::move(socket), this);
        Client* raw = client.get();
        client->stall->setSingleShot(true);
        connect(client->stall, &QTimer::timeout, this, [this, raw] { Drop(raw); });
        raw->socket->SetCallbacks([this, raw] { Read(raw); }, [this, raw] { Drop(raw); });
        clients_.push_back(std::move(client));
        // Bytes may have come with the connection.
        Read(raw);
        if (!server_.IsListening())
            return;
    }
}

void OpenRgbServer::Read(Client* client) {
    QByteArray output;
    char chunk[4096];
    bool keep = true;
    bool ended = false;
    for (qint64 taken = 0; keep && taken < kReadPerWakeUp;) {
        const qint64 got = client->socket->Read(chunk, sizeof chunk);
        if (got < 0)
            ended = true;
        if (got <= 0)
            break;
        taken += got;
        keep = client->connection.Feed(QByteArrayView(chunk, got), output);
    }
    // Replies to what came before the client's end are of no use to it any more.
    if (ended || (!output.isEmpty() && !client->socket->Write(output)) || !keep ||
        client->socket->BytesToWrite() > MaxPendingWrite) {
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
    std::unique_ptr<Client> owned = std::move(*it);
    clients_.erase(it);
    owned->stall->stop();
    owned->stall->disconnect(this);
    owned->socket->Abort();
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
            client->socket->Write(notice);
    }
}
