#pragma once

#include "DispatchUntil.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtEndian>

#include <optional>

// A raw client on the test's own thread: what it sends and receives is bytes, so a test can
// send what no real client would. Waiting dispatches events, so the server answers meanwhile.
class OpenRgbTestClient {
public:
    struct Reply {
        OpenRgbHeader header;
        QByteArray payload;
    };

    bool Connect(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        return DispatchUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; });
    }

    void SendRaw(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    void Send(quint32 id, const QByteArray& payload = {}, quint32 device = 0) {
        SendRaw(OpenRgbWriter::Packet(device, id, payload));
    }

    // The next packet from the server; none when it did not come within the time.
    std::optional<Reply> Receive(int timeoutMs = 3000) {
        const auto complete = [&] {
            received_ += socket_.readAll();
            if (received_.size() < OpenRgbProtocol::HeaderSize)
                return false;
            const quint32 size = qFromLittleEndian<quint32>(received_.constData() + 12);
            return received_.size() >= OpenRgbProtocol::HeaderSize + qsizetype(size);
        };
        if (!DispatchUntil(complete, timeoutMs))
            return std::nullopt;
        Reply reply;
        OpenRgbReader in(QByteArrayView(received_).sliced(4));
        reply.header.deviceIndex = in.U32();
        reply.header.id = in.U32();
        reply.header.size = in.U32();
        reply.payload = received_.mid(OpenRgbProtocol::HeaderSize, reply.header.size);
        received_.remove(0, OpenRgbProtocol::HeaderSize + reply.header.size);
        return reply;
    }

    std::optional<Reply> Request(quint32 id, const QByteArray& payload = {}, quint32 device = 0) {
        Send(id, payload, device);
        return Receive();
    }

    // Whether the server closed the connection within the time.
    bool WaitClosed(int timeoutMs = 3000) {
        return DispatchUntil(
            [&] {
                received_ += socket_.readAll();
                return socket_.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs);
    }
    bool IsConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    QTcpSocket& Socket() { return socket_; }

private:
    QTcpSocket socket_;
    QByteArray received_;
};
