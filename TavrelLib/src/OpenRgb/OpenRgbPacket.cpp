#include "OpenRgb/OpenRgbPacket.h"

#include "OpenRgb/OpenRgbProtocol.h"

#include <QtEndian>

void OpenRgbWriter::U16(quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    bytes_.append(bytes, 2);
}

void OpenRgbWriter::U32(quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    bytes_.append(bytes, 4);
}

void OpenRgbWriter::String(QByteArrayView text) {
    // Our own strings are short; a longer one would not fit the length field.
    const QByteArrayView cut = text.first(qMin<qsizetype>(text.size(), 0xFFFE));
    U16(static_cast<quint16>(cut.size() + 1));
    bytes_.append(cut);
    bytes_.append('\0');
}

void OpenRgbWriter::Colour(RgbColour colour) {
    const char bytes[4] = {static_cast<char>(colour.red), static_cast<char>(colour.green),
                           static_cast<char>(colour.blue), 0};
    bytes_.append(bytes, 4);
}

qsizetype OpenRgbWriter::BeginBlock() {
    const qsizetype start = bytes_.size();
    U32(0);
    return start;
}

void OpenRgbWriter::EndBlock(qsizetype start) {
    qToLittleEndian(static_cast<quint32>(bytes_.size() - start), bytes_.data() + start);
}

QByteArray OpenRgbWriter::Packet(quint32 deviceIndex, quint32 id, const QByteArray& payload) {
    OpenRgbWriter writer;
    writer.bytes_.reserve(OpenRgbProtocol::HeaderSize + payload.size());
    writer.bytes_.append("ORGB", 4);
    writer.U32(deviceIndex);
    writer.U32(id);
    writer.U32(static_cast<quint32>(payload.size()));
    writer.bytes_.append(payload);
    return writer.bytes_;
}

bool OpenRgbReader::Take(qsizetype count, const char*& data) {
    if (!ok_ || count < 0 || count > bytes_.size() - offset_) {
        ok_ = false;
        return false;
    }
    data = bytes_.data() + offset_;
    offset_ += count;
    return true;
}

quint16 OpenRgbReader::U16() {
    const char* data = nullptr;
    return Take(2, data) ? qFromLittleEndian<quint16>(data) : 0;
}

quint32 OpenRgbReader::U32() {
    const char* data = nullptr;
    return Take(4, data) ? qFromLittleEndian<quint32>(data) : 0;
}

QByteArray OpenRgbReader::String() {
    const quint16 length = U16();
    const char* data = nullptr;
    if (!Take(length, data) || length == 0)
        return {};
    QByteArray text(data, length);
    // The NUL is part of the length; text after an early NUL is not.
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    return text;
}

RgbColour OpenRgbReader::Colour() {
    const char* data = nullptr;
    if (!Take(4, data))
        return {0, 0, 0};
    return {static_cast<std::uint8_t>(data[0]), static_cast<std::uint8_t>(data[1]),
            static_cast<std::uint8_t>(data[2])};
}
