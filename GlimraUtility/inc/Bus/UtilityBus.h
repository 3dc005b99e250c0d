#pragma once

#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <vector>

class GlimraUtilityDlg;
namespace fw {
class Window;
}

// The program's entry point on the user's session bus. Other programs of the same user hand
// the window its graph values here, and glimractl does its lighting work through the window
// while it holds the controller. Every call runs on the window's thread (this object lives
// there, and the bus delivers calls in its thread): graph values arrive as the window's own
// messages, lighting calls do exactly what the corresponding click does. Without a session bus,
// or when the name is taken, nothing is registered and the window runs alone.
class UtilityBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.glimra.Utility1")
public:
    static constexpr const char* ServiceName = "org.glimra.Utility1";
    static constexpr const char* ObjectPath = "/org/glimra/Utility1";
    static constexpr const char* InterfaceName = "org.glimra.Utility1";
    // Errors of the lighting calls, beyond the bus's own.
    static constexpr const char* ErrorNotConnected = "org.glimra.Utility1.Error.NotConnected";
    static constexpr const char* ErrorRefused = "org.glimra.Utility1.Error.Refused";
    static constexpr const char* ErrorBusy = "org.glimra.Utility1.Error.Busy";
    static constexpr const char* ErrorNoAnswer = "org.glimra.Utility1.Error.NoAnswer";

    // The window's graph messages: the value goes in wParam.
    enum : unsigned { MsgFanSpeed = 0x402, MsgGpuTemperature = 0x403, MsgCpuTemperature = 0x404 };

    // Borrows window, which outlives this object; create it on the window's thread. The
    // lighting calls need the main window; on any other window they fail.
    explicit UtilityBus(fw::Window* window);
    ~UtilityBus() override;
    UtilityBus(const UtilityBus&) = delete;
    UtilityBus& operator=(const UtilityBus&) = delete;

    // Whether the service name and the object are on the bus.
    bool IsRegistered() const { return registered_; }

public Q_SLOTS:
    Q_SCRIPTABLE void AddFanSpeed(uint value);
    Q_SCRIPTABLE void AddGpuTemperature(uint value);
    Q_SCRIPTABLE void AddCpuTemperature(uint value);

    // Shows and raises the window, also from the notification area.
    Q_SCRIPTABLE void Activate();

    // What the lighting controls show now; Status reads the controller back first, as the
    // window does after connecting, and adds its records.
    Q_SCRIPTABLE QVariantMap View();
    Q_SCRIPTABLE QVariantMap Status();

    // The clicks. Each answers with the view after it, and "sent" telling whether anything went
    // to the controller.
    Q_SCRIPTABLE QVariantMap SelectSwatch(int swatch);
    Q_SCRIPTABLE QVariantMap StepBrightness(bool up);
    Q_SCRIPTABLE QVariantMap SetBrightness(uint level);
    Q_SCRIPTABLE QVariantMap SelectMode(int index);
    Q_SCRIPTABLE QVariantMap SetEnabled(bool on);
    Q_SCRIPTABLE QVariantMap Recover();
    // Answers once the whole Default sequence has run and the state was read back.
    Q_SCRIPTABLE QVariantMap RestoreDefaults();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Deliver(unsigned msg, uint value);
    void Fail(const QString& name, const QString& text);
    void Fail(QDBusError::ErrorType type, const QString& text);
    // The main window, when a lighting call may use it now; otherwise the error is sent.
    GlimraUtilityDlg* LightingWindow(bool needConnected = true);
    QVariantMap ViewMap() const;
    // The view after an action that sent something: an error when it never reached the wire.
    QVariantMap Sent(bool sent);
    void FinishDefaults();

    QPointer<fw::Window> window_;
    GlimraUtilityDlg* mainWindow_ = nullptr;
    bool registered_ = false;
    // Callers of RestoreDefaults waiting for the sequence to end.
    std::vector<QDBusMessage> defaultWaiters_;
};
