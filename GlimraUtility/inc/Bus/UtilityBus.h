#pragma once

#include <QDBusContext>
#include <QObject>
#include <QPointer>

namespace fw {
class Window;
}

// The program's entry point on the user's session bus. Other programs of the same user hand
// the window its graph values here; each call reaches the window as its own message, on the
// window's thread (this object lives there, and the bus delivers calls in its thread). Without
// a session bus, or when the name is taken, nothing is registered and the window runs alone.
class UtilityBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.glimra.Utility1")
public:
    static constexpr const char* ServiceName = "org.glimra.Utility1";
    static constexpr const char* ObjectPath = "/org/glimra/Utility1";
    static constexpr const char* InterfaceName = "org.glimra.Utility1";

    // The window's graph messages: the value goes in wParam.
    enum : unsigned { MsgFanSpeed = 0x402, MsgGpuTemperature = 0x403, MsgCpuTemperature = 0x404 };

    // Borrows window, which outlives this object; create it on the window's thread.
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

private:
    void Deliver(unsigned msg, uint value);

    QPointer<fw::Window> window_;
    bool registered_ = false;
};
