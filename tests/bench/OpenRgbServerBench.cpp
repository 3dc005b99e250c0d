// The SDK server under hostile load: rounds of bad packets, 4 GiB sizes, stalled headers and
// floods of idle connections, with a well-behaved client asking between them. Prints the
// process's resident memory after each round and how long the good client waited at most;
// memory must level off once Qt's and the allocator's pools are warm.
#include "Control/LightingHolder.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"
#include "OpenRgb/OpenRgbServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QtEndian>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Connected, with a view that only changes through its clicks.
class ViewHolder : public LightingHolder {
public:
    ViewHolder() {
        view_.controlsEnabled = view_.brightnessEnabled = view_.colourEnabled = true;
        view_.swatch = 1;
        view_.level = 8;
        view_.on = true;
    }
    bool IsConnected() const override { return true; }
    bool IsBusy() const override { return false; }
    const LightingView& View() const override { return view_; }
    int Refresh() override { return 1; }
    const ControllerProtocol* Protocol() const override { return nullptr; }
    bool LastWriteFailed() const override { return false; }
    void ClickSwatch(int swatch) override { view_.swatch = swatch; }
    void ClickSwitch() override { view_.on = !view_.on; }
    void ClickPlus() override { ++view_.level; }
    void ClickMinus() override { --view_.level; }
    void ClickMode(int index) override { view_.modeIndex = index; }
    void ClickRecover() override {}
    void ClickDefault(std::function<void(bool)>) override {}
    void Activate() override {}

private:
    LightingView view_;
};

long ResidentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}

bool Dispatch(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QByteArray Header(const char* magic, quint32 id, quint32 size) {
    QByteArray bytes = OpenRgbWriter::Packet(0, id, {});
    bytes.replace(0, 4, QByteArray(magic, 4));
    qToLittleEndian(size, bytes.data() + 12);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ViewHolder holder;
    OpenRgbServer server(holder);
    server.SetStallTimeout(50);
    QString error;
    if (!server.Listen(QStringLiteral("127.0.0.1"), 0, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QTcpSocket good;
    good.connectToHost(QHostAddress::LocalHost, server.Port());
    if (!Dispatch([&] { return good.state() == QAbstractSocket::ConnectedState; }, 5000))
        return 1;

    const QByteArray hostile[] = {Header("ORGX", 0, 0), Header("ORGB", 1050, 0xFFFFFFFF),
                                  Header("ORGB", 1050, OpenRgbProtocol::MaxPayloadSize + 1),
                                  QByteArray("ORGB\0\0", 6),
                                  Header("ORGB", 1101, 64) + QByteArray(8, '\x7F')};
    const QByteArray ask = OpenRgbWriter::Packet(0, OpenRgbProtocol::RequestControllerData, {});
    std::printf("round  rss_kib  clients_left  good_max_wait_ms\n");
    const long start = ResidentKiB();
    for (int round = 1; round <= 20; ++round) {
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < 64; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            sockets.back()->connectToHost(QHostAddress::LocalHost, server.Port());
        }
        Dispatch([&] { return false; }, 20);
        for (std::size_t i = 0; i < sockets.size(); ++i)
            sockets[i]->write(hostile[i % std::size(hostile)]);
        qint64 worst = 0;
        for (int ask_i = 0; ask_i < 20; ++ask_i) {
            QElapsedTimer wait;
            wait.start();
            good.write(ask);
            if (!Dispatch([&] { return good.bytesAvailable() > 100; }, 5000)) {
                std::fprintf(stderr, "the good client was not answered\n");
                return 1;
            }
            good.readAll();
            worst = qMax(worst, wait.elapsed());
        }
        // Everyone past the bound and every bad packet is gone; stalls end with their timer.
        Dispatch([&] { return server.ConnectionCount() == 1; }, 2000);
        const int left = server.ConnectionCount();
        sockets.clear();
        Dispatch([&] { return false; }, 20);
        std::printf("%5d  %7ld  %12d  %16lld\n", round, ResidentKiB(), left,
                    static_cast<long long>(worst));
    }
    std::printf("resident memory grew by %ld KiB over 20 rounds of 64 hostile connections\n",
                ResidentKiB() - start);
    return 0;
}
