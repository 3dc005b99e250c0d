#include "CliRequest.h"

#include "CliNames.h"
#include "Framework/Net/IpAddress.h"

#include <map>

namespace {

using Command = CliRequest::Command;

struct CommandWord {
    Command command;
    bool takesArgument;
};

const std::map<QString, CommandWord>& Commands() {
    static const std::map<QString, CommandWord> commands = {
        {"list", {Command::List, false}},       {"status", {Command::Status, false}},
        {"color", {Command::Color, true}},      {"up", {Command::Up, false}},
        {"down", {Command::Down, false}},       {"brightness", {Command::Brightness, true}},
        {"mode", {Command::Mode, true}},        {"on", {Command::On, false}},
        {"off", {Command::Off, false}},         {"default", {Command::Default, false}},
        {"recover", {Command::Recover, false}}, {"firmware", {Command::Firmware, true}},
        {"serve", {Command::Serve, false}},
    };
    return commands;
}

CliRequest::Parse Fail(QString& message, const QString& text) {
    message = text;
    return CliRequest::Parse::Error;
}

} // namespace

CliRequest::Parse CliRequest::FromArguments(const QStringList& arguments, CliRequest& request,
                                            QString& message) {
    QStringList words;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnd || !argument.startsWith(QLatin1String("-")) || argument == "-") {
            words << argument;
        } else if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "--help" || argument == "-h") {
            return Parse::Help;
        } else if (argument == "--version") {
            return Parse::Version;
        } else if (argument == "--json") {
            request.json = true;
        } else if (argument == "--dump") {
            request.dump = true;
        } else if (argument == "--yes" || argument == "-y") {
            request.yes = true;
        } else if (argument == "--openrgb" || argument.startsWith("--openrgb=")) {
            request.openRgb = true;
            // The endpoint is optional: a following word that is no command is taken as it.
            QString endpoint = argument.mid(QStringLiteral("--openrgb=").size());
            if (argument == "--openrgb" && i + 1 < arguments.size() &&
                !arguments.at(i + 1).startsWith(QLatin1Char('-')) &&
                Commands().find(arguments.at(i + 1)) == Commands().end())
                endpoint = arguments.at(++i);
            if ((argument != "--openrgb" || !endpoint.isEmpty()) &&
                !ParseEndpoint(endpoint, request.openRgbAddress, request.openRgbPort))
                return Fail(message, QStringLiteral("--openrgb wants ADDRESS:PORT, for example "
                                                    "127.0.0.1:6742 or [::1]:6742, not %1")
                                         .arg(endpoint));
        } else {
            return Fail(message, QStringLiteral("unknown option: %1").arg(argument));
        }
    }
    if (words.isEmpty())
        return Fail(message, QStringLiteral("no command given"));

    const auto found = Commands().find(words.at(0));
    if (found == Commands().end())
        return Fail(message, QStringLiteral("unknown command: %1").arg(words.at(0)));
    const CommandWord& command = found->second;
    request.command = command.command;
    const qsizetype wanted = command.takesArgument ? 2 : 1;
    if (words.size() < wanted)
        return Fail(message, QStringLiteral("%1 needs an argument").arg(words.at(0)));
    if (words.size() > wanted)
        return Fail(message, QStringLiteral("unexpected argument: %1").arg(words.at(wanted)));

    if (request.json && request.command != Command::List && request.command != Command::Status &&
        request.command != Command::Firmware)
        return Fail(message, QStringLiteral("--json applies to list, status and firmware only"));
    if (request.dump && request.command != Command::Status)
        return Fail(message, QStringLiteral("--dump applies to status only"));
    if (request.yes && request.command != Command::Firmware)
        return Fail(message, QStringLiteral("--yes applies to firmware only"));
    if (request.openRgb && request.command != Command::Serve)
        return Fail(message, QStringLiteral("--openrgb applies to serve only"));

    const QString argument = command.takesArgument ? words.at(1) : QString();
    switch (request.command) {
    case Command::Color:
        request.swatch = CliNames::SwatchFromWord(argument);
        if (request.swatch == 0)
            return Fail(message, QStringLiteral("unknown colour: %1 (red, white, cyan, blue, "
                                                "green, yellow, orange, purple or 1-8)")
                                     .arg(argument));
        break;
    case Command::Brightness:
        request.level = CliNames::LevelFromWord(argument);
        if (request.level == 0)
            return Fail(message, QStringLiteral("unknown level: %1 (1-8)").arg(argument));
        break;
    case Command::Mode:
        request.modeIndex = CliNames::ModeFromWord(argument);
        if (request.modeIndex < 0)
            return Fail(message, QStringLiteral("unknown mode: %1 (static, strobe, breath, "
                                                "gradual, static-cycle, breath-cycle or 0-5)")
                                     .arg(argument));
        break;
    case Command::Firmware:
        request.file = argument;
        break;
    default:
        break;
    }
    return Parse::Run;
}

bool CliRequest::ParseEndpoint(const QString& text, QString& address, quint16& port) {
    QString host;
    QString portText;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0 || text.mid(close + 1, 1) != QLatin1String(":"))
            return false;
        host = text.mid(1, close - 1);
        portText = text.mid(close + 2);
    } else {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        // An IPv6 address without brackets cannot be told from its port.
        if (colon < 0 || text.indexOf(QLatin1Char(':')) != colon)
            return false;
        host = text.left(colon);
        portText = text.mid(colon + 1);
    }
    bool ok = false;
    const uint number = portText.toUInt(&ok);
    if (!ok || number == 0 || number > 65535 || !fw::IpAddress::IsValid(host))
        return false;
    address = host;
    port = static_cast<quint16>(number);
    return true;
}

QString CliRequest::Usage() {
    return QStringLiteral(
        R"(Usage: glimractl [OPTION]... COMMAND [ARGUMENT]
Controls the Glimra USB lighting controller (04d9:8008) as the Glimra Utility window does.
Every command but list connects to the first controller and reads its state first.

Commands:
  list               present controllers: interface path and serial number
  status             connection, version, LED and handle records, swatch, level, mode, on
  color COLOUR       red, white, cyan, blue, green, yellow, orange, purple or 1-8
  up                 one brightness level up
  down               one brightness level down
  brightness LEVEL   brightness level 1-8
  mode MODE          static, strobe, breath, gradual, static-cycle, breath-cycle or 0-5
  on                 switch the lighting on
  off                switch the lighting off
  default            restore the controller's defaults and read them back
  recover            tell a controller left in its loader to start its firmware
  firmware FILE      update the controller's firmware with the image FILE
  serve              hold the controller as a service until SIGTERM or Ctrl-C; the other
                     commands then go through it (until a Glimra Utility window takes over)

Options:
  --json             list, status, firmware: one JSON object on stdout
  --dump             status: also print the record dump, as the log receives it
  -y, --yes          firmware: do not ask for confirmation
  --openrgb [ADDRESS:PORT]
                     serve: also offer the OpenRGB SDK protocol (127.0.0.1:6742 unless
                     given); it has no authentication, so keep it on loopback
  -h, --help         show this text
  --version          show the version

A call waits up to 10 s for the controller while another glimractl uses it, or another
program holds it. firmware refuses an empty file and anything that is not a regular file,
and after the update waits up to 10 s for the controller to come back and prints its version.

Exit status: 0 success (also a brightness step already at its limit, and an update after
which the controller did not come back in time), 1 no controller found, 2 usage error or an
image that cannot be sent, 3 the controller did not answer, a command did not reach it or the
update failed, 4 permission denied on the device, 5 refused in the current mode, 6 the
controller is in use by another program (serve: a service already runs for this user).
)");
}
