#include "CliSandbox.h"
#include "SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject Json(const QByteArray& out) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.constData();
    EXPECT_TRUE(document.isObject());
    return document.object();
}

// A JSON integer as the text wrote it, not a fraction.
void ExpectInteger(const QJsonObject& object, const char* key, int value) {
    ASSERT_TRUE(object.contains(key)) << key;
    EXPECT_TRUE(object.value(key).isDouble()) << key;
    EXPECT_EQ(object.value(key).toDouble(), static_cast<double>(value)) << key;
}

TEST(CliStatusTest, JsonHoldsTheDerivedStateAndEveryRecord) {
    CliSandbox sandbox;
    SimProcess sim(sandbox, {"--leds", "3", "--handles", "2", "--version", "2.1.7"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sandbox.Run({"brightness", "4"}).exitCode, 0);
    ASSERT_EQ(sandbox.Run({"mode", "breath-cycle"}).exitCode, 0);

    const CliSandbox::Result run = sandbox.Run({"status", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_FALSE(run.out.contains(".0")) << "numbers are integers: " << run.out.constData();
    EXPECT_EQ(run.out.count('\n'), 1) << "one object on one line";
    const QJsonObject status = Json(run.out);
    EXPECT_EQ(status.value("connected"), QJsonValue(true));
    EXPECT_EQ(status.value("version").toString(), "2.1.7");
    EXPECT_EQ(status.value("version_label").toString(), "V 2.1.7");
    ExpectInteger(status, "swatch", 1);
    ExpectInteger(status, "level", 4);
    ExpectInteger(status, "mode_index", 5);
    EXPECT_EQ(status.value("on"), QJsonValue(true));
    EXPECT_EQ(status.value("colour_enabled"), QJsonValue(false));
    EXPECT_EQ(status.value("brightness_enabled"), QJsonValue(false));

    const QJsonArray leds = status.value("leds").toArray();
    ASSERT_EQ(leds.size(), 3);
    const QJsonObject led0 = leds.at(0).toObject();
    ExpectInteger(led0, "red", 0x80);
    ExpectInteger(led0, "green", 0);
    ExpectInteger(led0, "blue", 0);
    ExpectInteger(led0, "sequence", 1);
    ExpectInteger(led0, "on", 1);
    ExpectInteger(leds.at(2).toObject(), "red", 0xFF);

    const QJsonArray handles = status.value("handles").toArray();
    ASSERT_EQ(handles.size(), 2);
    const QJsonObject handle0 = handles.at(0).toObject();
    ExpectInteger(handle0, "mode", 1);
    ExpectInteger(handle0, "reference_mode", 3);
    ExpectInteger(handle0, "reference_id", 0);
    ExpectInteger(handle0, "speed", 132);
    ExpectInteger(handle0, "period", 1805);
    ExpectInteger(handle0, "direction", 1);
    ExpectInteger(handle0, "element_mask", 1);
    ExpectInteger(handle0, "enable", 1);
    ExpectInteger(handles.at(1).toObject(), "enable", 0);
    EXPECT_FALSE(status.contains("dump"));
}

TEST(CliStatusTest, TextAndDumpAsTheLogReceivesIt) {
    CliSandbox sandbox;
    SimProcess sim(sandbox, {"--leds", "2", "--handles", "1"});
    ASSERT_TRUE(sim.Ready());
    const CliSandbox::Result run = sandbox.Run({"status", "--dump"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("version: 1.0.2 (shown as \"V 1.0.2\")\n")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("swatch: 1 (red)\n"));
    EXPECT_TRUE(run.out.contains("level: 8\n"));
    EXPECT_TRUE(run.out.contains("mode index: 0 (static)\n"));
    EXPECT_TRUE(run.out.contains("on: yes\n"));
    const QByteArray dump =
        "led id: 0\r\n\t\tred: FF, green: 00, blue: 00, sequece no: 1, on: 01\r\n"
        "led id: 1\r\n\t\tred: FF, green: 00, blue: 00, sequece no: 2, on: 01\r\n"
        "\r\n"
        "handle id: 0\r\n\t\tenable: 01\r\n\t\tmode: 0\r\n\t\treference id: "
        "FF\r\n\t\treference mode: 00\r\n\t\tspeed: 0000\r\n\t\tperiod: "
        "0000\r\n\t\tdirection: 1\r\n\t\telement: 1\r\n"
        "\r\n";
    EXPECT_TRUE(run.out.endsWith(dump)) << run.out.constData();
}

TEST(CliStatusTest, ListNamesEveryControllerWithItsSerial) {
    CliSandbox sandbox;
    SimProcess sim(sandbox, {"--count", "2", "--serial", "GL-1,GL-2"});
    ASSERT_TRUE(sim.Ready());
    const CliSandbox::Result run = sandbox.Run({"list", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonArray devices = Json(run.out).value("devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    QStringList serials;
    for (const QJsonValue& device : devices) {
        const QString path = device.toObject().value("path").toString();
        EXPECT_TRUE(path.startsWith("\\\\?\\hid#vid_04d9&pid_8008#")) << path.toStdString();
        serials << device.toObject().value("serial").toString();
    }
    serials.sort();
    EXPECT_EQ(serials, (QStringList{"GL-1", "GL-2"}));

    const CliSandbox::Result text = sandbox.Run({"list"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out.count('\n'), 2);
    EXPECT_TRUE(text.out.contains("\tGL-1\n"));
    EXPECT_TRUE(sim.Frames().empty()) << "listing talks to no controller";
}

TEST(CliStatusTest, WithoutAControllerEveryCommandEndsWithOne) {
    CliSandbox sandbox;
    for (const QStringList& arguments : {QStringList{"status"}, QStringList{"color", "red"},
                                         QStringList{"recover"}, QStringList{"list"}}) {
        const CliSandbox::Result run = sandbox.Run(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("no controller found")) << run.err.constData();
    }
    const CliSandbox::Result status = sandbox.Run({"status", "--json"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_EQ(Json(status.out), (QJsonObject{{"connected", false}}));
    const CliSandbox::Result list = sandbox.Run({"list", "--json"});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(Json(list.out), (QJsonObject{{"devices", QJsonArray()}}));
}

TEST(CliStatusTest, AControllerThatDoesNotAnswerEndsWithThreeAndSendsNoSetting) {
    CliSandbox sandbox;
    SimProcess sim(sandbox, {"--no-reply"});
    ASSERT_TRUE(sim.Ready());
    const CliSandbox::Result status = sandbox.Run({"status", "--json"});
    EXPECT_EQ(status.exitCode, 3);
    EXPECT_TRUE(status.err.contains("did not answer")) << status.err.constData();
    EXPECT_EQ(Json(status.out), (QJsonObject{{"connected", true}}));

    EXPECT_EQ(sandbox.Run({"color", "blue"}).exitCode, 3);
    // The layout header goes unanswered, so each run stops after its first query.
    const std::vector<SimProcess::Frame> expected = {MakeFrame(0x01, "00"), MakeFrame(0x01, "00")};
    EXPECT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);
}

} // namespace
