#pragma once

#include "OpenRgb/OpenRgbFrameReader.h"
#include "OpenRgb/OpenRgbHolderControl.h"

#include <QByteArray>
#include <QByteArrayView>

class LightingHolder;

// One client's side of the protocol, without the socket: bytes in, replies out. Every request
// that has a reply gets it as one packet; a malformed packet (bad magic, a size over the cap or
// overrunning its block, an index out of range, a device that does not exist) ends the
// connection, so the client fails at once instead of waiting for an answer.
class OpenRgbConnection {
public:
    explicit OpenRgbConnection(LightingHolder& holder);

    // Takes received bytes, answers every packet they complete and appends the replies to
    // output. False when the connection must be closed (output then holds the replies to the
    // packets before the bad one).
    bool Feed(QByteArrayView data, QByteArray& output);

    bool HasPartialPacket() const { return reader_.HasPartialPacket(); }
    // The version agreed with the client: 0 until it asks.
    quint32 ProtocolVersion() const { return version_; }
    const QByteArray& ClientName() const { return clientName_; }

private:
    bool Handle(const OpenRgbHeader& header, const QByteArray& payload, QByteArray& output);
    bool DeviceExists(quint32 deviceIndex) const;

    LightingHolder& holder_;
    OpenRgbHolderControl control_;
    OpenRgbFrameReader reader_;
    quint32 version_ = 0;
    QByteArray clientName_;
};
