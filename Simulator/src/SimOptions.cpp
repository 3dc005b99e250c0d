#include "Sim/SimOptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string_view>

namespace sim {

namespace {

bool ToInt(const std::string& text, long min, long max, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        out.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return out;
        start = comma + 1;
    }
}

struct Option {
    const char* name;
    const char* arg; // nullptr for a flag
    std::function<bool(SimConfig&, const std::string&)> apply;
};

std::function<bool(SimConfig&, const std::string&)> Number(int SimConfig::*field, long min,
                                                           long max = INT_MAX) {
    return [=](SimConfig& c, const std::string& v) { return ToInt(v, min, max, c.*field); };
}

std::function<bool(SimConfig&, const std::string&)> Flag(bool SimConfig::*field) {
    return [=](SimConfig& c, const std::string&) { return (c.*field = true); };
}

const std::vector<Option>& Options() {
    static const std::vector<Option> options = {
        {"dir", "DIR", [](SimConfig& c, const std::string& v) { return !(c.dir = v).empty(); }},
        {"count", "N", Number(&SimConfig::count, 1, 64)},
        {"interfaces", "N", Number(&SimConfig::interfaces, 1, 99)},
        {"serial", "S",
         [](SimConfig& c, const std::string& v) { return (c.serials = SplitCommas(v), true); }},
        {"leds", "N", Number(&SimConfig::leds, 0, 65535)},
        {"handles", "N", Number(&SimConfig::handles, 0, 65535)},
        {"second-set", nullptr, Flag(&SimConfig::secondSet)},
        {"version", "TEXT",
         [](SimConfig& c, const std::string& v) { return (c.version = v, true); }},
        {"reboot-ms", "N", Number(&SimConfig::rebootMs, 0)},
        {"report-interval-us", "N", Number(&SimConfig::reportIntervalUs, 0)},
        {"reply-delay-ms", "N", Number(&SimConfig::replyDelayMs, 0)},
        {"reject-block", "N", Number(&SimConfig::rejectBlock, 0)},
        {"no-reply", nullptr, Flag(&SimConfig::noReply)},
        {"stray-bytes", "N", Number(&SimConfig::strayBytes, 0, 65535)},
        {"split-replies", nullptr, Flag(&SimConfig::splitReplies)},
        {"bad-end-mark", nullptr, Flag(&SimConfig::badEndMark)},
        {"oversized-count", nullptr, Flag(&SimConfig::oversizedCount)},
        {"layout-led-size", "N", Number(&SimConfig::layoutLedSize, 0, 65535)},
        {"layout-handle-size", "N", Number(&SimConfig::layoutHandleSize, 0, 65535)},
        {"unplug-after-block", "N", Number(&SimConfig::unplugAfterBlock, 0)},
        {"never-return", nullptr, Flag(&SimConfig::neverReturn)},
        {"hold-exclusive", nullptr, Flag(&SimConfig::holdExclusive)},
        {"flash-out", "FILE",
         [](SimConfig& c, const std::string& v) { return !(c.flashOut = v).empty(); }},
        {"flashed-version", "TEXT",
         [](SimConfig& c, const std::string& v) { return (c.flashedVersion = v, true); }},
        {"trace", "FILE",
         [](SimConfig& c, const std::string& v) { return !(c.traceFile = v).empty(); }},
    };
    return options;
}

} // namespace

SimOptionsResult ParseSimOptions(int argc, char** argv, SimConfig& config, std::string& message) {
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--help" || word == "-h")
            return SimOptionsResult::Help;
        if (word.substr(0, 2) != "--") {
            message = "unexpected argument: " + std::string(word);
            return SimOptionsResult::Error;
        }
        word.remove_prefix(2);
        std::string value;
        bool inlineValue = false;
        if (std::size_t eq = word.find('='); eq != std::string_view::npos) {
            value = std::string(word.substr(eq + 1));
            word = word.substr(0, eq);
            inlineValue = true;
        }
        const Option* found = nullptr;
        for (const Option& o : Options())
            if (word == o.name)
                found = &o;
        if (!found) {
            message = "unknown option: --" + std::string(word);
            return SimOptionsResult::Error;
        }
        if (found->arg && !inlineValue) {
            if (i + 1 >= argc) {
                message = "--" + std::string(word) + " needs " + found->arg;
                return SimOptionsResult::Error;
            }
            value = argv[++i];
        } else if (!found->arg && inlineValue) {
            message = "--" + std::string(word) + " takes no value";
            return SimOptionsResult::Error;
        }
        if (!found->apply(config, value)) {
            message = "bad value for --" + std::string(word) + ": " + value;
            return SimOptionsResult::Error;
        }
    }
    message = config.Validate();
    return message.empty() ? SimOptionsResult::Run : SimOptionsResult::Error;
}

std::string SimUsage() {
    return R"(Usage: glimra-sim [OPTION]...
A simulated Glimra lighting controller (USB HID 04d9:8008) on the virtual HID backend.
Each interface is <stem>.desc, <stem>.lock and <stem>.sock (SOCK_SEQPACKET) in the runtime
folder: $GLIMRA_SIM_DIR, else $XDG_RUNTIME_DIR/glimra-sim, else /tmp/glimra-sim-<uid>.
Prints "glimra-sim ready dir=<folder> stems=<stem>,..." once it is serving.

Identity:
  --dir DIR               runtime folder (overrides the rule above)
  --count N               simulate N controllers (default 1)
  --interfaces N          composite device with interfaces 00 to N-1 (default 1: not composite)
  --serial S              serial number (default empty); S1,S2,... gives one per controller
Factory state (also what CmdRestoreDefaults restores):
  --leds N                LED records (default 16): colour FF 00 00, sequence i+1, on 1
  --handles N             handle records (default 8): handle 0 drives LED 0 and is enabled
  --second-set            add the second copy of both tables
  --version TEXT          firmware version text (default "1.0.2")
Loader:
  --reboot-ms N           time to come back after entering or leaving the loader (default 1500)
  --flash-out FILE        write each received firmware image to FILE
  --flashed-version TEXT  version reported after a firmware update
Timing:
  --report-interval-us N  one report per N microseconds each way (default 1000, 0 = no pacing)
  --reply-delay-ms N      wait N ms before replying (default 0)
Faults:
  --reject-block N        acknowledge block N (0-based) with 0 whatever its CRC
  --no-reply              leave queries unanswered
  --stray-bytes N         send N junk bytes before each reply frame
  --split-replies         spread each reply frame over several reports
  --bad-end-mark          end reply frames FF 54
  --oversized-count       byte 1 of every input report says 255
  --layout-led-size N     LED record size in the layout header (default 5)
  --layout-handle-size N  handle record size in the layout header (default 11)
                          (the body is sent at the sizes the header announces)
  --unplug-after-block N  vanish after acknowledging block N (0-based)
  --never-return          after entering the loader, do not come back by itself
  --hold-exclusive        hold each interface's lock, so another opener meets a sharing violation
Other:
  --trace FILE            JSON Lines wire trace: frame, reply, plug, unplug, mode, block,
                          flash-complete; each line with "t_ms" and "event"
  --help                  show this text
Signals: SIGUSR1 unplugs, SIGUSR2 plugs back in, SIGTERM or SIGINT ends (files removed).
)";
}

} // namespace sim
