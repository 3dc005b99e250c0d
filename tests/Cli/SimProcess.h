#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CliSandbox;

// glimra-sim as a process of its own in a sandbox's simulator folder, with a wire trace.
class SimProcess {
public:
    struct Event {
        double tMs = 0;
        QString event; // "frame", "reply", "plug", "unplug", "mode", "block", "flash-complete"
        int cmd = -1;
        QByteArray payload;
        QString mode;
        int index = -1;
        int size = -1;
        bool crcOk = false;
    };
    // A frame the controller received: command and payload.
    struct Frame {
        int cmd;
        QByteArray payload;
        bool operator==(const Frame& other) const {
            return cmd == other.cmd && payload == other.payload;
        }
    };

    // The controller answers at once: the link drains its input before each write, so no
    // reply can be lost however quickly it comes.
    static constexpr int ReplyDelayMs = 0;

    // traceName: the trace's file in the sandbox, for a test that runs several simulators.
    SimProcess(const CliSandbox& sandbox, const QStringList& options = {},
               const QString& traceName = QStringLiteral("trace.jsonl"));
    ~SimProcess();

    // Whether it said it is ready within a few seconds.
    bool Ready() const { return ready_; }

    std::vector<Event> Events() const;
    // Waits until the trace holds at least count events of this kind (or ten seconds have
    // passed); whether it does.
    bool WaitForEvents(const QString& event, std::size_t count) const;
    // Unplugs every controller (SIGUSR1) and waits for the trace to say so.
    bool Unplug() const;
    void Signal(int signal) const;
    // SIGKILL, as a controller that dies: its files stay and no removal is announced. Whether
    // it ended.
    bool Kill();
    std::vector<Frame> Frames() const;
    // Waits until the trace holds at least count frames (or a few seconds have passed), then a
    // moment longer so that a frame too many is seen as well.
    std::vector<Frame> FramesAfterAtLeast(std::size_t count) const;

    QString TracePath() const { return tracePath_; }

private:
    QProcess process_;
    QString tracePath_;
    bool ready_ = false;
};

// The four queries of a refresh: layout header and body, version length and text.
std::vector<SimProcess::Frame> RefreshFrames();
SimProcess::Frame MakeFrame(int cmd, const char* hexPayload);

// For readable failures.
void PrintTo(const SimProcess::Frame& frame, std::ostream* os);
