#include "Bus/UtilityBus.h"
#include "BusClient.h"
#include "Control/LightingHolder.h"
#include "Framework/Window.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A window that records the graph messages it receives, and on which thread.
class GraphWindow : public fw::Window {
public:
    struct Received {
        unsigned msg;
        fw::WPARAM wParam;
        QThread* thread;
    };
    GraphWindow() {
        for (unsigned msg : {0x402u, 0x403u, 0x404u})
            OnMessage(msg, [this, msg](fw::WPARAM wParam, fw::LPARAM) -> fw::LRESULT {
                received.push_back({msg, wParam, QThread::currentThread()});
                return 0;
            });
    }
    std::vector<Received> received;
};

// A holder without a controller: the graph methods never ask it anything.
class NoControllerHolder : public LightingHolder {
public:
    bool IsConnected() const override { return false; }
    bool IsBusy() const override { return false; }
    const LightingView& View() const override { return view; }
    int Refresh() override { return 0; }
    const ControllerProtocol* Protocol() const override { return nullptr; }
    bool LastWriteFailed() const override { return false; }
    void ClickSwatch(int) override {}
    void ClickSwitch() override {}
    void ClickPlus() override {}
    void ClickMinus() override {}
    void ClickMode(int) override {}
    void ClickRecover() override {}
    void ClickDefault(std::function<void(bool)> done) override { done(false); }
    void Activate() override {}
    LightingView view;
};

class GraphBusTest : public ::testing::Test {
protected:
    NoControllerHolder holder;
    GraphWindow window;
    BusClient client;
};

TEST_F(GraphBusTest, EachGraphMethodReachesTheWindowAsItsMessageOnTheWindowsThread) {
    UtilityBus bus(holder, &window);
    ASSERT_TRUE(bus.IsRegistered());
    ASSERT_TRUE(client.IsConnected());

    struct Case {
        const char* method;
        unsigned msg;
        uint value;
    };
    const Case cases[] = {{"AddFanSpeed", 0x402, 1200},
                          {"AddGpuTemperature", 0x403, 65},
                          {"AddCpuTemperature", 0x404, 0},
                          {"AddFanSpeed", 0x402, 0xFFFFFFFFu}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        window.received.clear();
        const QDBusMessage reply =
            client.Call(QLatin1String(c.method), {QVariant::fromValue(c.value)});
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        ASSERT_EQ(window.received.size(), 1u);
        EXPECT_EQ(window.received[0].msg, c.msg);
        EXPECT_EQ(window.received[0].wParam, c.value);
        EXPECT_EQ(window.received[0].thread, window.thread());
    }
}

TEST_F(GraphBusTest, AValueOfAnotherTypeIsRefusedAndTheWindowHearsNothing) {
    UtilityBus bus(holder, &window);
    ASSERT_TRUE(bus.IsRegistered());
    for (const QVariant& wrong : {QVariant(QStringLiteral("hot")), QVariant(-3.5), QVariant()}) {
        const QVariantList args = wrong.isValid() ? QVariantList{wrong} : QVariantList{};
        const QDBusMessage reply = client.Call(QStringLiteral("AddCpuTemperature"), args);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    }
    EXPECT_TRUE(window.received.empty());
}

TEST_F(GraphBusTest, TheNameComesAndGoesWithTheObject) {
    const QString name = QLatin1String(UtilityBus::ServiceName);
    {
        UtilityBus bus(holder, &window);
        ASSERT_TRUE(bus.IsRegistered());
        EXPECT_TRUE(client.NameHasOwner(name));
    }
    EXPECT_FALSE(client.NameHasOwner(name));
    // A second window later in the same process registers again.
    UtilityBus again(holder, &window);
    EXPECT_TRUE(again.IsRegistered());
}

TEST_F(GraphBusTest, WhenTheNameIsHeldElsewhereNothingIsRegisteredAndTheWindowGoesOn) {
    const QString name = QLatin1String(UtilityBus::ServiceName);
    ASSERT_TRUE(client.Connection().registerService(name));
    {
        UtilityBus bus(holder, &window);
        EXPECT_FALSE(bus.IsRegistered());
    }
    // The holder keeps its name: ours gave up without touching it.
    EXPECT_TRUE(client.NameHasOwner(name));
    client.Connection().unregisterService(name);
}

TEST_F(GraphBusTest, TheInterfaceDescribesItsMethodsForGenericTools) {
    UtilityBus bus(holder, &window);
    ASSERT_TRUE(bus.IsRegistered());
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(UtilityBus::ServiceName), QLatin1String(UtilityBus::ObjectPath),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    QDBusPendingCall pending = client.Connection().asyncCall(call);
    ASSERT_TRUE(DispatchUntil([&pending] { return pending.isFinished(); }));
    const QString xml = pending.reply().arguments().value(0).toString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<interface name=\"org.glimra.Utility1\">")));
    for (const char* method : {"AddFanSpeed", "AddGpuTemperature", "AddCpuTemperature"})
        EXPECT_TRUE(xml.contains(QRegularExpression(
            QStringLiteral("<method name=\"%1\">\\s*<arg name=\"value\" type=\"u\" "
                           "direction=\"in\"/>\\s*</method>")
                .arg(QLatin1String(method)))))
            << method << "\n"
            << xml.toStdString();
}

TEST_F(GraphBusTest, TheCommandLineExampleOfTheReadmeReachesTheWindow) {
    UtilityBus bus(holder, &window);
    ASSERT_TRUE(bus.IsRegistered());
    QProcess send;
    send.start(
        QStringLiteral("dbus-send"),
        {QStringLiteral("--session"), QStringLiteral("--print-reply"),
         QStringLiteral("--dest=org.glimra.Utility1"), QStringLiteral("/org/glimra/Utility1"),
         QStringLiteral("org.glimra.Utility1.AddCpuTemperature"), QStringLiteral("uint32:54")});
    ASSERT_TRUE(DispatchUntil([&send] { return send.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].msg, 0x404u);
    EXPECT_EQ(window.received[0].wParam, 54u);
}

TEST_F(GraphBusTest, AWindowNeverHandsItsControllerOver) {
    UtilityBus bus(holder, &window);
    ASSERT_TRUE(bus.IsRegistered());
    const QDBusMessage reply = client.Call(QStringLiteral("HandOver"));
    EXPECT_EQ(reply.errorName(), QDBusError::errorString(QDBusError::NotSupported));
    EXPECT_TRUE(bus.OwnsName());
}

} // namespace
