#include "CliSandbox.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <string>

namespace {

struct UsageCase {
    const char* name;
    QStringList arguments;
    const char* says; // part of the message on stderr
};

class CliUsageTest : public ::testing::TestWithParam<UsageCase> {};

// Usage errors are found before any device is looked at, so no simulator is needed: a
// controller that is absent would otherwise give exit status 1.
TEST_P(CliUsageTest, EndsWithTwoAndSaysWhy) {
    const UsageCase& c = GetParam();
    CliSandbox sandbox;
    const CliSandbox::Result run = sandbox.Run(c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CliUsageTest,
    ::testing::Values(
        UsageCase{"NoCommand", {}, "no command"},
        UsageCase{"UnknownCommand", {"blink"}, "unknown command: blink"},
        UsageCase{"UnknownOption", {"--loud", "status"}, "unknown option: --loud"},
        UsageCase{"UnknownColour", {"color", "pink"}, "unknown colour: pink"},
        UsageCase{"SwatchZero", {"color", "0"}, "unknown colour"},
        UsageCase{"SwatchNine", {"color", "9"}, "unknown colour"},
        UsageCase{"UnknownMode", {"mode", "disco"}, "unknown mode: disco"},
        UsageCase{"ModeSix", {"mode", "6"}, "unknown mode"},
        UsageCase{"LevelZero", {"brightness", "0"}, "unknown level"},
        UsageCase{"LevelNine", {"brightness", "9"}, "unknown level"},
        UsageCase{"LevelWord", {"brightness", "max"}, "unknown level"},
        UsageCase{"MissingArgument", {"color"}, "needs an argument"},
        UsageCase{"ExtraArgument", {"up", "2"}, "unexpected argument: 2"},
        UsageCase{"JsonOnAnAction", {"--json", "on"}, "--json"},
        UsageCase{"DumpOnList", {"list", "--dump"}, "--dump"},
        UsageCase{"OpenRgbOnStatus", {"status", "--openrgb"}, "--openrgb"},
        UsageCase{"OpenRgbWithoutPort", {"serve", "--openrgb", "127.0.0.1"}, "ADDRESS:PORT"},
        UsageCase{"OpenRgbIpv6WithoutBrackets", {"serve", "--openrgb=::1:6742"}, "ADDRESS:PORT"},
        UsageCase{"FirmwareWithoutFile", {"firmware"}, "needs an argument"},
        UsageCase{
            "FirmwareUnreadable", {"firmware", "/nonexistent/image.bin", "--yes"}, "cannot read"},
        UsageCase{"FirmwareUnconfirmed", {"firmware", "/dev/null"}, "--yes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliHelpTest, HelpAndVersionGoToStdout) {
    CliSandbox sandbox;
    const CliSandbox::Result help = sandbox.Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: glimractl")) << help.out.constData();
    for (const char* word : {"list", "status", "color", "brightness", "mode", "default", "recover",
                             "firmware", "--json", "--yes"})
        EXPECT_TRUE(help.out.contains(word)) << word;
    EXPECT_TRUE(help.err.isEmpty());

    const CliSandbox::Result version = sandbox.Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression("^glimractl \\d+\\.\\d+\\.\\d+\n$")
                    .match(QString::fromUtf8(version.out))
                    .hasMatch())
        << version.out.constData();
}

} // namespace
