#include "SdkProbe.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

int SdkControllerCount(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return -1;
    // Header: magic, device index, packet id 0 (REQUEST_CONTROLLER_COUNT), payload size 0.
    QByteArray request("ORGB", 4);
    request.append(QByteArray(12, '\0'));
    socket.write(request);
    if (!socket.waitForBytesWritten(2000))
        return -1;
    QByteArray reply;
    while (reply.size() < 20) {
        if (!socket.waitForReadyRead(5000))
            return -1;
        reply += socket.readAll();
    }
    const auto* bytes = reinterpret_cast<const uchar*>(reply.constData());
    if (!reply.startsWith("ORGB") || qFromLittleEndian<quint32>(bytes + 8) != 0 ||
        qFromLittleEndian<quint32>(bytes + 12) != 4)
        return -1;
    return static_cast<int>(qFromLittleEndian<quint32>(bytes + 16));
}

quint16 FreeLoopbackPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}
