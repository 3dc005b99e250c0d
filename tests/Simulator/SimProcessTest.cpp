#include "SimTestClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char* const kProgram = GLIMRA_BIN_DIR "/glimra-sim";

// glimra-sim as a child with its stdout on a pipe.
class SimProcess {
public:
    SimProcess(const std::vector<std::string>& args, const std::string& simDir) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> env = {"GLIMRA_SIM_DIR=" + simDir};
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("GLIMRA_SIM_DIR=", 0) != 0)
                env.emplace_back(*e);
        std::vector<char*> argv = {const_cast<char*>(kProgram)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, kProgram, &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }

    bool Started() const { return pid_ > 0; }
    void Signal(int s) { ::kill(pid_, s); }

    // Output until a newline or the end, within timeoutMs.
    std::string ReadLine(int timeoutMs) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string line;
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char c;
            if (::read(out_, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        return line;
    }
    std::string ReadAll() {
        std::string all;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(out_, buf, sizeof buf)) > 0)
            all.append(buf, static_cast<std::size_t>(n));
        return all;
    }
    // The exit status, or -1 when it did not end within timeoutMs.
    int Wait(int timeoutMs) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ::usleep(5000);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

std::size_t FileCount(const std::string& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

} // namespace

TEST(SimProcess, HelpListsEveryOption) {
    simtest::TempDir dir;
    SimProcess p({"--help"}, dir.Path());
    ASSERT_TRUE(p.Started());
    std::string help = p.ReadAll();
    EXPECT_EQ(p.Wait(5000), 0);
    for (const char* option : {"--count",
                               "--interfaces",
                               "--serial",
                               "--leds",
                               "--handles",
                               "--second-set",
                               "--version",
                               "--reboot-ms",
                               "--report-interval-us",
                               "--reply-delay-ms",
                               "--reject-block",
                               "--no-reply",
                               "--stray-bytes",
                               "--split-replies",
                               "--bad-end-mark",
                               "--oversized-count",
                               "--layout-led-size",
                               "--layout-handle-size",
                               "--unplug-after-block",
                               "--never-return",
                               "--hold-exclusive",
                               "--flash-out",
                               "--flashed-version",
                               "--trace",
                               "--help",
                               "SIGUSR1",
                               "SIGUSR2",
                               "SIGTERM"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(SimProcess, BadOptionIsAUsageError) {
    simtest::TempDir dir;
    SimProcess p({"--leds", "many"}, dir.Path());
    ASSERT_TRUE(p.Started());
    EXPECT_EQ(p.Wait(5000), 2);
    EXPECT_EQ(FileCount(dir.Path()), 0u);
}

TEST(SimProcess, ServesUntilSigtermAndFollowsSignals) {
    simtest::TempDir dir;
    const std::string simDir = dir / "run";
    SimProcess p({"--interfaces", "2", "--report-interval-us", "0", "--trace", dir / "t.jsonl"},
                 simDir);
    ASSERT_TRUE(p.Started());
    const std::string ready = p.ReadLine(5000);
    ASSERT_EQ(ready.rfind("glimra-sim ready dir=" + simDir + " stems=", 0), 0u) << ready;
    const std::string stems = ready.substr(ready.find("stems=") + 6);
    const std::string first = stems.substr(0, stems.find(','));
    const std::string sock = simDir + "/" + first + ".sock";
    EXPECT_EQ(FileCount(simDir), 6u);

    {
        simtest::RawClient client(sock);
        ASSERT_TRUE(client.SendFrame(0x01, {0x01}));
        EXPECT_EQ(client.ReadData(15), simtest::Frame(0x01, {0x05, 0x00}));
    }

    p.Signal(SIGUSR1);
    EXPECT_TRUE(simtest::WaitFile(sock, false, 3000));
    EXPECT_TRUE(simtest::WaitFile(simDir + "/" + first + ".desc", false, 3000));
    p.Signal(SIGUSR2);
    EXPECT_TRUE(simtest::WaitFile(sock, true, 3000));

    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(5000), 0);
    EXPECT_EQ(FileCount(simDir), 0u);
    const std::string trace = simtest::ReadFile(dir / "t.jsonl");
    EXPECT_NE(trace.find("\"event\":\"unplug\""), std::string::npos);
}

TEST(SimProcess, SigintEndsCleanlyToo) {
    simtest::TempDir dir;
    SimProcess p({}, dir.Path());
    ASSERT_TRUE(p.Started());
    ASSERT_NE(p.ReadLine(5000).find("ready"), std::string::npos);
    EXPECT_EQ(FileCount(dir.Path()), 3u);
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(5000), 0);
    EXPECT_EQ(FileCount(dir.Path()), 0u);
}
