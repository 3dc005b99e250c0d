#pragma once

#include "OpenRgb/OpenRgbPacket.h"

#include <QByteArray>
#include <QByteArrayView>

// Cuts a client's byte stream into packets. It never holds more than one header and one
// payload of at most the size cap, whatever the client sends.
class OpenRgbFrameReader {
public:
    enum class Result {
        NeedMore,  // every byte given was taken; no packet is complete
        Packet,    // a packet is complete; bytes after it were left for the next call
        Malformed, // bad magic or a size over the cap: the stream cannot go on
    };

    // Takes bytes from data up to the end of the packet they complete and reports how many it
    // took in used. After Packet, header and payload hold that packet.
    Result Push(QByteArrayView data, qsizetype& used, OpenRgbHeader& header, QByteArray& payload);

    // Some bytes of a packet arrived, but not all of it.
    bool HasPartialPacket() const { return !buffer_.isEmpty(); }

private:
    QByteArray buffer_;
    OpenRgbHeader header_;
    bool haveHeader_ = false;
};
