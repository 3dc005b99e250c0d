// glimra-bench-start: the main window's start on a real X server, seen from outside, next to a
// bare Qt Widgets program mapping an 800 x 455 window (glimra-bench-bare), and beside it the same
// with a line of text and with a decoded background: the floors of a window that shows a word
// and of a skinned one. Not a test: it starts its own Xvfb, session bus and glimra-sim, then, in
// interleaved rounds, each program as a user would, and prints medians of
//   start to mapped: from the spawn to the X server's MapNotify of the 800 x 455 window;
//   peak memory: VmHWM once the window has settled (connected and painted);
// with their ratios. The window's figure includes the program's own start (settings, language
// pack, fonts, images, the bus).
//   glimra-bench-start [--starts N] [--settle-ms M] [--program PATH]
#include "ProcStatus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QResource>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A child process with the given environment, its output into a log file; 0 when it failed.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& log, int keepFd = -1) {
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (keepFd >= 0) // the fd stays open across exec: clear its close-on-exec flag by dup2
        posix_spawn_file_actions_adddup2(&actions, keepFd, 3);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

void Stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

bool WaitForText(const std::string& file, const char* text, int timeoutMs) {
    for (int i = 0; i < timeoutMs / 20; ++i) {
        QFile f(QString::fromStdString(file));
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The X server as the panel sees it: every top-level window's MapNotify, through the root's
// SubstructureNotify.
class Screen {
public:
    bool Open(const std::string& display) {
        conn_ = xcb_connect(display.c_str(), nullptr);
        if (!conn_ || xcb_connection_has_error(conn_))
            return false;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        auto* reply =
            xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, sizeof name - 1, name), nullptr);
        if (!reply)
            return false;
        pidAtom_ = reply->atom;
        std::free(reply);
        xcb_flush(conn_);
        return true;
    }
    ~Screen() {
        if (conn_)
            xcb_disconnect(conn_);
    }

    // Waits for pid's 800 x 455 window to be mapped; its time, or nothing on time-out.
    bool WaitForMap(pid_t pid, Clock::time_point& at, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
                const auto now = Clock::now();
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (mapped && PidOf(window) == pid && IsMainSize(window)) {
                    at = now;
                    return true;
                }
            }
            pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
            ::poll(&fd, 1, 50);
            if (xcb_connection_has_error(conn_))
                return false;
        }
        return false;
    }

private:
    pid_t PidOf(xcb_window_t window) {
        auto* reply = xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = static_cast<pid_t>(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return pid;
    }
    bool IsMainSize(xcb_window_t window) {
        auto* reply = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window), nullptr);
        const bool ok = reply && reply->width == 800 && reply->height == 455;
        std::free(reply);
        return ok;
    }

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
};

struct Figures {
    std::vector<double> mappedMs, peakKb;
};

bool StartOnce(Screen& screen, const std::vector<std::string>& argv,
               const std::vector<std::string>& env, const std::string& log, int settleMs,
               Figures& figures) {
    const auto start = Clock::now();
    const pid_t pid = Spawn(argv, env, log);
    if (!pid)
        return false;
    Clock::time_point mapped;
    const bool ok = screen.WaitForMap(pid, mapped, 20000);
    if (ok) {
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
        figures.mappedMs.push_back(
            std::chrono::duration<double, std::milli>(mapped - start).count());
        figures.peakKb.push_back(static_cast<double>(
            ProcStatusKb(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM:")));
    }
    Stop(pid);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int starts = 11, settleMs = 1500;
    std::string program = GLIMRA_BIN_DIR "/glimra-utility";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--starts")
            starts = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--settle-ms")
            settleMs = std::max(0, std::atoi(argv[i + 1]));
        else if (option == "--program")
            program = argv[i + 1];
    }

    QTemporaryDir scratch;
    const std::string root = scratch.path().toStdString();
    for (const char* sub : {"/run", "/home", "/data", "/config", "/program", "/sim"})
        QDir().mkpath(QString::fromStdString(root + sub));
    const std::string log = root + "/children.log";

    // Xvfb picks a free display and writes its number into the pipe.
    int displayPipe[2];
    if (::pipe(displayPipe) != 0)
        return 1;
    const std::vector<std::string> base = {"PATH=/usr/bin:/bin", "HOME=" + root + "/home"};
    const pid_t xvfb = Spawn({"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24",
                              "-nolisten", "tcp", "-noreset"},
                             base, log, displayPipe[1]);
    ::close(displayPipe[1]);
    std::string number;
    char c;
    while (::read(displayPipe[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(displayPipe[0]);
    if (!xvfb || number.empty()) {
        std::fprintf(stderr, "Xvfb did not start (see %s)\n", log.c_str());
        return 1;
    }
    const std::string display = ":" + number;

    const std::string busAddress = "unix:path=" + root + "/run/bus";
    const pid_t bus = Spawn(
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + busAddress},
        base, log);
    const pid_t sim = Spawn({GLIMRA_BIN_DIR "/glimra-sim", "--dir", root + "/sim"}, base, log);
    std::vector<pid_t> services = {sim, bus, xvfb};
    auto stopAll = [&] {
        for (pid_t pid : services)
            Stop(pid);
    };
    if (!WaitForText(log, "glimra-sim ready", 10000) ||
        !QFile::exists(QString::fromStdString(root + "/run/bus"))) {
        std::fprintf(stderr, "the session bus or glimra-sim did not start (see %s)\n", log.c_str());
        stopAll();
        return 1;
    }

    // The program in a folder of its own, as installed: its language packs and images beside it.
    const QString folder = QString::fromStdString(root + "/program");
    const QString exe = folder + QStringLiteral("/glimra-utility");
    // A hard link or a copy, not a symbolic link: the program finds its folder from its own
    // resolved path.
    const bool placed = ::link(program.c_str(), exe.toLocal8Bit().constData()) == 0 ||
                        QFile::copy(QString::fromStdString(program), exe);
    if (!placed ||
        !QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/lang"), folder + QStringLiteral("/lang")) ||
        !QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), folder + QStringLiteral("/image"))) {
        stopAll();
        return 1;
    }
    QFile settings(folder + QStringLiteral("/settings.ini"));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[Settings]\nLanguage=en_US\n") < 0) {
        stopAll();
        return 1;
    }
    settings.close();

    const std::vector<std::string> env = {
        "PATH=/usr/bin:/bin",
        "HOME=" + root + "/home",
        "XDG_RUNTIME_DIR=" + root + "/run",
        "XDG_DATA_HOME=" + root + "/data",
        "XDG_CONFIG_HOME=" + root + "/config",
        "DISPLAY=" + display,
        "DBUS_SESSION_BUS_ADDRESS=" + busAddress,
        "QT_QPA_PLATFORM=xcb",
        "GLIMRA_SIM_DIR=" + root + "/sim",
    };
    Screen screen;
    if (!screen.Open(display)) {
        std::fprintf(stderr, "cannot open display %s\n", display.c_str());
        stopAll();
        return 1;
    }

    // The background the window decodes, as a file, for the skinned baseline.
    const std::string skinPng = root + "/background.png";
    {
        QFile pack(QStringLiteral(GLIMRA_BIN_DIR "/lang/en_US.rcc"));
        if (!pack.open(QIODevice::ReadOnly) ||
            !QResource::registerResource(
                reinterpret_cast<const uchar*>(pack.map(0, pack.size())))) {
            std::fprintf(stderr, "cannot read the language pack\n");
            stopAll();
            return 1;
        }
        QFile::copy(QStringLiteral(":/bitmap/1000.png"), QString::fromStdString(skinPng));
    }
    struct Program {
        const char* name;
        std::vector<std::string> argv;
        Figures figures;
    };
    std::vector<Program> programs = {
        {"bare window", {GLIMRA_BENCH_BARE}, {}},
        {"bare + text", {GLIMRA_BENCH_BARE, "--text"}, {}},
        {"bare + text + skin", {GLIMRA_BENCH_BARE, "--skin", skinPng}, {}},
        {"main window", {exe.toStdString()}, {}},
    };
    // One start of each first, not counted: it installs the fonts and warms the page cache.
    Figures warm;
    for (Program& p : programs) {
        if (!StartOnce(screen, p.argv, env, log, settleMs, warm)) {
            std::fprintf(stderr, "a warm-up start of %s did not map its window (see %s)\n", p.name,
                         log.c_str());
            stopAll();
            return 1;
        }
    }
    for (int i = 0; i < starts; ++i) {
        for (Program& p : programs) {
            if (!StartOnce(screen, p.argv, env, log, settleMs, p.figures)) {
                std::fprintf(stderr, "a start of %s did not map its window (see %s)\n", p.name,
                             log.c_str());
                stopAll();
                return 1;
            }
        }
    }
    stopAll();

    const double bm = Median(programs[0].figures.mappedMs);
    const double bp = Median(programs[0].figures.peakKb);
    std::printf("starts: %d each, interleaved, on Xvfb %s; ratios against the bare window\n",
                starts, display.c_str());
    std::printf("%-20s %16s %8s %16s %8s\n", "", "start to mapped", "ratio", "peak memory",
                "ratio");
    for (const Program& p : programs) {
        const double m = Median(p.figures.mappedMs), k = Median(p.figures.peakKb);
        std::printf("%-20s %13.1f ms %8.2f %13.0f kB %8.2f\n", p.name, m, m / bm, k, k / bp);
    }
    std::printf("goals: the main window at most 1.5 times the bare window in both\n");
    return 0;
}
