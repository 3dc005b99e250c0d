#pragma once

#include "Model/ColourConversion.h"

#include <QByteArray>
#include <QByteArrayView>

// The fixed header in front of every packet, either way.
struct OpenRgbHeader {
    quint32 deviceIndex = 0;
    quint32 id = 0;
    quint32 size = 0;
};

// Builds a packet's payload: little-endian integers, strings with their length and trailing NUL,
// colours as R G B 0, and blocks that start with their own size.
class OpenRgbWriter {
public:
    void U16(quint16 value);
    void U32(quint32 value);
    void I32(qint32 value) { U32(static_cast<quint32>(value)); }
    // The length counts the NUL that follows the text.
    void String(QByteArrayView text);
    void Colour(RgbColour colour);

    // A block's size field comes first and counts itself; EndBlock fills it in.
    qsizetype BeginBlock();
    void EndBlock(qsizetype start);

    const QByteArray& Bytes() const { return bytes_; }

    // Header and payload as one buffer, so the reply goes out in one write.
    static QByteArray Packet(quint32 deviceIndex, quint32 id, const QByteArray& payload);

private:
    QByteArray bytes_;
};

// Reads a received payload. Every read checks the length first; once one fails the reader stays
// failed, so a caller can read a whole structure and look at Ok() once.
class OpenRgbReader {
public:
    explicit OpenRgbReader(QByteArrayView bytes) : bytes_(bytes) {}

    quint16 U16();
    quint32 U32();
    qint32 I32() { return static_cast<qint32>(U32()); }
    // Without the trailing NUL. A length of 0 is taken as an empty string.
    QByteArray String();
    RgbColour Colour();

    bool Ok() const { return ok_; }
    qsizetype Remaining() const { return ok_ ? bytes_.size() - offset_ : 0; }

private:
    bool Take(qsizetype count, const char*& data);

    QByteArrayView bytes_;
    qsizetype offset_ = 0;
    bool ok_ = true;
};
