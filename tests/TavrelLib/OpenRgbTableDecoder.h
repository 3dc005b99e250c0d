#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <vector>

// Reads a Device Data block field by field in the order of OpenRGB's protocol tables, written
// apart from the server's encoder so that the two check each other. A string must count its
// trailing NUL and end with it.
class OpenRgbTableDecoder {
public:
    struct Colour {
        int r, g, b, pad;
    };
    struct Mode {
        QByteArray name;
        qint32 value = 0;
        quint32 flags = 0, speedMin = 0, speedMax = 0, brightnessMin = 0, brightnessMax = 0;
        quint32 coloursMin = 0, coloursMax = 0, speed = 0, brightness = 0, direction = 0;
        quint32 colourMode = 0;
        std::vector<Colour> colours;
    };
    struct Device {
        quint32 dataSize = 0;
        qint32 type = 0;
        QByteArray name, vendor, description, version, serial, location;
        qint32 activeMode = -1;
        std::vector<Mode> modes;
        int zoneCount = 0;
        QByteArray zoneName;
        qint32 zoneType = -1;
        quint32 ledsMin = 0, ledsMax = 0, ledsCount = 0;
        int matrixLength = -1, segmentCount = -1;
        int ledCount = 0;
        QByteArray ledName;
        quint32 ledValue = 0;
        std::vector<Colour> colours;
    };

    OpenRgbTableDecoder(const QByteArray& bytes, quint32 version) : b_(bytes), v_(version) {}

    Device Decode() {
        Device d;
        d.dataSize = U32();
        d.type = static_cast<qint32>(U32());
        d.name = Str();
        if (v_ >= 1)
            d.vendor = Str();
        d.description = Str();
        d.version = Str();
        d.serial = Str();
        d.location = Str();
        const int modes = U16();
        d.activeMode = static_cast<qint32>(U32());
        for (int i = 0; i < modes && ok_; ++i) {
            Mode m;
            m.name = Str();
            m.value = static_cast<qint32>(U32());
            m.flags = U32();
            m.speedMin = U32();
            m.speedMax = U32();
            if (v_ >= 3) {
                m.brightnessMin = U32();
                m.brightnessMax = U32();
            }
            m.coloursMin = U32();
            m.coloursMax = U32();
            m.speed = U32();
            if (v_ >= 3)
                m.brightness = U32();
            m.direction = U32();
            m.colourMode = U32();
            m.colours = Colours();
            d.modes.push_back(m);
        }
        d.zoneCount = U16();
        if (d.zoneCount == 1) {
            d.zoneName = Str();
            d.zoneType = static_cast<qint32>(U32());
            d.ledsMin = U32();
            d.ledsMax = U32();
            d.ledsCount = U32();
            d.matrixLength = U16();
            if (v_ >= 4)
                d.segmentCount = U16();
        }
        d.ledCount = U16();
        if (d.ledCount == 1) {
            d.ledName = Str();
            d.ledValue = U32();
        }
        d.colours = Colours();
        return d;
    }

    bool Ok() const { return ok_; }
    bool AtEnd() const { return at_ == b_.size(); }

private:
    bool Have(qsizetype n) {
        ok_ = ok_ && n <= b_.size() - at_;
        return ok_;
    }
    quint32 U32() {
        if (!Have(4))
            return 0;
        const auto v = qFromLittleEndian<quint32>(b_.constData() + at_);
        at_ += 4;
        return v;
    }
    int U16() {
        if (!Have(2))
            return 0;
        const auto v = qFromLittleEndian<quint16>(b_.constData() + at_);
        at_ += 2;
        return v;
    }
    QByteArray Str() {
        const int n = U16();
        if (n < 1 || !Have(n) || b_.at(at_ + n - 1) != '\0') {
            ok_ = false;
            return {};
        }
        QByteArray s = b_.mid(at_, n - 1);
        at_ += n;
        return s;
    }
    std::vector<Colour> Colours() {
        std::vector<Colour> out;
        const int n = U16();
        for (int i = 0; i < n && Have(4); ++i, at_ += 4) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(b_.constData() + at_);
            out.push_back({p[0], p[1], p[2], p[3]});
        }
        return out;
    }

    QByteArray b_;
    quint32 v_;
    qsizetype at_ = 0;
    bool ok_ = true;
};
