#include "OpenRgb/OpenRgbFrameReader.h"

#include "OpenRgb/OpenRgbProtocol.h"

OpenRgbFrameReader::Result OpenRgbFrameReader::Push(QByteArrayView data, qsizetype& used,
                                                    OpenRgbHeader& header, QByteArray& payload) {
    used = 0;
    while (used < data.size()) {
        const qsizetype wanted =
            haveHeader_ ? OpenRgbProtocol::HeaderSize + static_cast<qsizetype>(header_.size)
                        : OpenRgbProtocol::HeaderSize;
        const qsizetype take = qMin(wanted - buffer_.size(), data.size() - used);
        buffer_.append(data.sliced(used, take));
        used += take;
        if (buffer_.size() < wanted)
            break;

        if (!haveHeader_) {
            // The magic first: a stream that is not ours says nothing true about sizes.
            if (!buffer_.startsWith("ORGB"))
                return Result::Malformed;
            OpenRgbReader reader(QByteArrayView(buffer_).sliced(4));
            header_.deviceIndex = reader.U32();
            header_.id = reader.U32();
            header_.size = reader.U32();
            if (header_.size > OpenRgbProtocol::MaxPayloadSize)
                return Result::Malformed;
            haveHeader_ = true;
            if (header_.size > 0)
                continue;
        }
        header = header_;
        payload = buffer_.sliced(OpenRgbProtocol::HeaderSize);
        buffer_.clear();
        haveHeader_ = false;
        return Result::Packet;
    }
    return Result::NeedMore;
}
