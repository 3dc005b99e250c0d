// glimra-sim: the simulated lighting controller as a process of its own.
#include "Sim/SimOptions.h"
#include "Sim/Simulator.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char** argv) {
    sim::SimConfig config;
    std::string message;
    switch (sim::ParseSimOptions(argc, argv, config, message)) {
    case sim::SimOptionsResult::Help:
        std::fputs(sim::SimUsage().c_str(), stdout);
        return 0;
    case sim::SimOptionsResult::Error:
        std::fprintf(stderr, "glimra-sim: %s\nTry 'glimra-sim --help'.\n", message.c_str());
        return 2;
    case sim::SimOptionsResult::Run:
        break;
    }

    // Blocked before the simulator's thread exists, so only sigwait below ever takes them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    sim::Simulator simulator(config);
    if (!simulator.Start()) {
        std::fprintf(stderr, "glimra-sim: %s\n", simulator.LastError().c_str());
        return 1;
    }
    std::string stems;
    for (const std::string& stem : simulator.Stems())
        stems += (stems.empty() ? "" : ",") + stem;
    std::printf("glimra-sim ready dir=%s stems=%s\n", simulator.Dir().c_str(), stems.c_str());
    std::fflush(stdout);

    for (;;) {
        int s = 0;
        if (sigwait(&signals, &s) != 0)
            continue;
        if (s == SIGUSR1) {
            simulator.Unplug();
        } else if (s == SIGUSR2) {
            simulator.Plug();
        } else {
            break;
        }
    }
    simulator.Stop();
    return 0;
}
