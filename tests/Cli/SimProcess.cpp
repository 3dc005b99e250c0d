#include "SimProcess.h"

#include "CliSandbox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <csignal>
#include <ostream>

SimProcess::SimProcess(const CliSandbox& sandbox, const QStringList& options,
                       const QString& traceName)
    : tracePath_(sandbox.Path(traceName)) {
    process_.setProcessEnvironment(sandbox.Environment());
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(CliSandbox::Program("glimra-sim"),
                   QStringList{"--dir", sandbox.SimDir(), "--trace", tracePath_, "--reply-delay-ms",
                               QString::number(ReplyDelayMs)} +
                       options);
    QElapsedTimer timer;
    timer.start();
    QByteArray said;
    while (timer.elapsed() < 10000 && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(100);
        said += process_.readAllStandardOutput();
        if (said.contains("glimra-sim ready")) {
            ready_ = true;
            break;
        }
    }
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
}

std::vector<SimProcess::Event> SimProcess::Events() const {
    std::vector<Event> events;
    QFile file(tracePath_);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty())
            continue;
        Event e;
        e.tMs = o.value("t_ms").toDouble();
        e.event = o.value("event").toString();
        e.cmd = o.value("cmd").toInt(-1);
        e.payload = QByteArray::fromHex(o.value("payload").toString().toLatin1());
        e.mode = o.value("mode").toString();
        e.index = o.value("index").toInt(-1);
        e.size = o.value("size").toInt(-1);
        e.crcOk = o.value("crc_ok").toBool();
        events.push_back(e);
    }
    return events;
}

bool SimProcess::WaitForEvents(const QString& event, std::size_t count) const {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        std::size_t seen = 0;
        for (const Event& e : Events())
            seen += e.event == event ? 1 : 0;
        if (seen >= count)
            return true;
        if (timer.elapsed() > 10000)
            return false;
        QThread::msleep(5);
    }
}

bool SimProcess::Unplug() const {
    std::size_t before = 0;
    for (const Event& e : Events())
        before += e.event == "unplug" ? 1 : 0;
    Signal(SIGUSR1);
    return WaitForEvents("unplug", before + 1);
}

void SimProcess::Signal(int signal) const {
    ::kill(static_cast<pid_t>(process_.processId()), signal);
}

bool SimProcess::Kill() {
    process_.kill();
    return process_.waitForFinished(5000);
}

std::vector<SimProcess::Frame> SimProcess::Frames() const {
    std::vector<Frame> frames;
    for (const Event& e : Events()) {
        if (e.event == "frame")
            frames.push_back({e.cmd, e.payload});
    }
    return frames;
}

std::vector<SimProcess::Frame> SimProcess::FramesAfterAtLeast(std::size_t count) const {
    QElapsedTimer timer;
    timer.start();
    while (Frames().size() < count && timer.elapsed() < 3000)
        QThread::msleep(20);
    QThread::msleep(150);
    return Frames();
}

std::vector<SimProcess::Frame> RefreshFrames() {
    return {MakeFrame(0x01, "00"), MakeFrame(0x01, "10"), MakeFrame(0x01, "01"),
            MakeFrame(0x01, "11")};
}

SimProcess::Frame MakeFrame(int cmd, const char* hexPayload) {
    return {cmd, QByteArray::fromHex(hexPayload)};
}

void PrintTo(const SimProcess::Frame& frame, std::ostream* os) {
    *os << "cmd " << frame.cmd << " payload " << frame.payload.toHex().constData();
}
