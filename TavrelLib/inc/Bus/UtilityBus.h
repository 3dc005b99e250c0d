#pragma once

#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <functional>
#include <memory>

class LightingHolder;
class QDBusServiceWatcher;
namespace fw {
class Window;
}

// The program's entry point on the user's session bus, offered by whoever holds the controller:
// the main window, or the background service while no window runs. Other programs of the same
// user hand the window its graph values here, and glimractl does its lighting work through the
// holder. Every call runs on the holder's thread (this object lives there, and the bus delivers
// calls in its thread): graph values arrive as the window's own messages, lighting calls do
// exactly what the corresponding click does. Without a session bus, or when the name cannot be
// had, nothing is registered and the holder runs alone.
//
// The name is also the token of who holds the controller. The service yields: it owns the name
// with replacement allowed and stays queued for it. The window takes: it first asks a yielding
// owner to hand over (HandOver closes that owner's controller and port before it answers), then
// replaces it. When the window's connection goes, the bus gives the name back to the queued
// service, which takes the controller again.
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

    enum class Claim {
        Take,  // the window: asks a yielding owner to hand over, then replaces it
        Yield, // the service: gives way to a window and queues to have the name back
    };
    // What a yielding holder does when it gives the controller away and when the name comes
    // back to it. Both run on the holder's thread; release must have let go of everything when
    // it returns.
    struct HandOverHooks {
        std::function<void()> release;
        std::function<void()> resume;
    };

    // Borrows holder and graphs (may be null: graph values are then taken and dropped), which
    // outlive this object; create it on their thread. Yield needs the hooks.
    UtilityBus(LightingHolder& holder, fw::Window* graphs, Claim claim = Claim::Take,
               HandOverHooks hooks = {});
    ~UtilityBus() override;
    UtilityBus(const UtilityBus&) = delete;
    UtilityBus& operator=(const UtilityBus&) = delete;

    // Whether the object is on the bus (and the name is owned, or queued for when yielding).
    bool IsRegistered() const { return registered_; }
    // Whether this process owns the name now.
    bool OwnsName() const { return ownsName_; }

public Q_SLOTS:
    Q_SCRIPTABLE void AddFanSpeed(uint value);
    Q_SCRIPTABLE void AddGpuTemperature(uint value);
    Q_SCRIPTABLE void AddCpuTemperature(uint value);

    // Shows and raises the window, also from the notification area; the service has none.
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

    // A yielding owner closes its controller and everything it serves, and answers when done;
    // the caller then takes the name. Refused by a window.
    Q_SCRIPTABLE void HandOver();

private:
    bool Register(Claim claim);
    // Asks the name's present owner to hand over; nothing when there is none.
    void AskOwnerToHandOver();
    void OnNameAcquired(const QString& name);
    void OnNameLost(const QString& name);
    // The process that asked for the hand-over went away without taking the name.
    void OnTakerGone();

    void Deliver(unsigned msg, uint value);
    void Fail(const QString& name, const QString& text);
    void Fail(QDBusError::ErrorType type, const QString& text);
    // Whether a lighting call may drive the holder now; otherwise the error is sent.
    bool Usable(bool needConnected = true);
    QVariantMap ViewMap() const;
    // The view after an action that sent something: an error when it never reached the wire.
    QVariantMap Sent(bool sent);

    LightingHolder& holder_;
    QPointer<fw::Window> graphs_;
    Claim claim_ = Claim::Take;
    HandOverHooks hooks_;
    bool registered_ = false;
    bool ownsName_ = false;
    bool handedOver_ = false;
    std::unique_ptr<QDBusServiceWatcher> taker_;
};
