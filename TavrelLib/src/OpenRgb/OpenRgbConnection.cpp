#include "OpenRgb/OpenRgbConnection.h"

#include "Control/LightingHolder.h"
#include "OpenRgb/OpenRgbDeviceModel.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"

namespace {

QByteArray U32Payload(quint32 value) {
    OpenRgbWriter out;
    out.U32(value);
    return out.Bytes();
}

// Profiles and plugins: we keep none.
QByteArray EmptyList() {
    OpenRgbWriter out;
    const qsizetype block = out.BeginBlock();
    out.U16(0);
    out.EndBlock(block);
    return out.Bytes();
}

// A client that names no version speaks the first one.
quint32 VersionIn(const QByteArray& payload) {
    OpenRgbReader in(payload);
    const quint32 version = in.U32();
    return in.Ok() ? version : 0;
}

} // namespace

OpenRgbConnection::OpenRgbConnection(LightingHolder& holder) : holder_(holder), control_(holder) {}

bool OpenRgbConnection::Feed(QByteArrayView data, QByteArray& output) {
    while (!data.isEmpty()) {
        qsizetype used = 0;
        OpenRgbHeader header;
        QByteArray payload;
        const OpenRgbFrameReader::Result result = reader_.Push(data, used, header, payload);
        data = data.sliced(used);
        if (result == OpenRgbFrameReader::Result::Malformed)
            return false;
        if (result == OpenRgbFrameReader::Result::Packet && !Handle(header, payload, output))
            return false;
    }
    return true;
}

bool OpenRgbConnection::DeviceExists(quint32 deviceIndex) const {
    return deviceIndex == 0 && holder_.IsConnected();
}

bool OpenRgbConnection::Handle(const OpenRgbHeader& header, const QByteArray& payload,
                               QByteArray& output) {
    const auto reply = [&](const QByteArray& body) {
        output += OpenRgbWriter::Packet(header.deviceIndex, header.id, body);
    };
    switch (header.id) {
    case OpenRgbProtocol::RequestControllerCount:
        reply(U32Payload(holder_.IsConnected() ? 1 : 0));
        return true;
    case OpenRgbProtocol::RequestProtocolVersion:
        version_ = qMin(VersionIn(payload), OpenRgbProtocol::ServerVersion);
        reply(U32Payload(OpenRgbProtocol::ServerVersion));
        return true;
    case OpenRgbProtocol::SetClientName:
        clientName_ = payload.left(payload.indexOf('\0'));
        return true;
    case OpenRgbProtocol::RequestProfileList:
    case OpenRgbProtocol::RequestPluginList:
        reply(EmptyList());
        return true;
    case OpenRgbProtocol::SaveProfile:
    case OpenRgbProtocol::LoadProfile:
    case OpenRgbProtocol::DeleteProfile:
        return true;
    case OpenRgbProtocol::RequestControllerData:
        if (!DeviceExists(header.deviceIndex))
            return false;
        // Never a later encoding than the one agreed.
        reply(OpenRgbDeviceModel::DeviceData(OpenRgbDeviceModel::StateOf(holder_),
                                             qMin(VersionIn(payload), version_)));
        return true;
    default:
        break;
    }

    // The rest act on a device.
    if (header.id < OpenRgbProtocol::ResizeZone)
        return true; // unknown, and no device named
    if (header.id > OpenRgbProtocol::SaveMode)
        return true;
    if (!DeviceExists(header.deviceIndex))
        return false;
    switch (header.id) {
    case OpenRgbProtocol::ResizeZone:
        return OpenRgbDeviceModel::ParseResizeZone(payload);
    case OpenRgbProtocol::UpdateLeds:
    case OpenRgbProtocol::UpdateZoneLeds: {
        const auto colours = OpenRgbDeviceModel::ParseLedColours(
            payload, header.id == OpenRgbProtocol::UpdateZoneLeds);
        if (!colours)
            return false;
        if (*colours)
            control_.SetLedColour(**colours);
        return true;
    }
    case OpenRgbProtocol::UpdateSingleLed: {
        const auto colour = OpenRgbDeviceModel::ParseSingleLed(payload);
        if (!colour)
            return false;
        control_.SetLedColour(*colour);
        return true;
    }
    case OpenRgbProtocol::SetCustomMode:
        control_.SelectCustomMode();
        return true;
    case OpenRgbProtocol::UpdateMode:
    case OpenRgbProtocol::SaveMode: {
        const auto mode = OpenRgbDeviceModel::ParseModeRequest(payload, version_);
        if (!mode)
            return false;
        // The controller keeps what it is given: saving is the same as selecting.
        control_.SelectMode(mode->index, mode->colour, mode->brightness);
        return true;
    }
    default:
        return true; // unknown ids between the device requests
    }
}
