#include "Bus/UtilityBus.h"

#include "Control/LightingHolder.h"
#include "Framework/SessionBus.h"
#include "Framework/Trace.h"
#include "Framework/Window.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace {

// The owner may be reading a controller that answers late before it can let go.
constexpr int kHandOverTimeoutMs = 10000;

} // namespace

UtilityBus::UtilityBus(LightingHolder& holder, fw::Window* graphs, Claim claim, HandOverHooks hooks)
    : holder_(holder), graphs_(graphs), claim_(claim), hooks_(std::move(hooks)) {
    if (!fw::SessionBusReachable())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return;
    // The object first, so that a caller who sees the name always finds it.
    if (!bus.registerObject(QLatin1String(ObjectPath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        fw::Trace(QStringLiteral("Session bus: the object path is taken."));
        return;
    }
    if (!Register(claim)) {
        bus.unregisterObject(QLatin1String(ObjectPath));
        return;
    }
    registered_ = true;
}

UtilityBus::~UtilityBus() {
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.interface()->disconnect(this);
    bus.interface()->unregisterService(QLatin1String(ServiceName));
    bus.unregisterObject(QLatin1String(ObjectPath));
}

bool UtilityBus::Register(Claim claim) {
    QDBusConnectionInterface* daemon = QDBusConnection::sessionBus().interface();
    const QString name = QLatin1String(ServiceName);
    if (claim == Claim::Take)
        AskOwnerToHandOver();
    // The bus tells a yielding owner when a window has replaced it and when the name comes back.
    connect(daemon, &QDBusConnectionInterface::serviceRegistered, this,
            &UtilityBus::OnNameAcquired);
    connect(daemon, &QDBusConnectionInterface::serviceUnregistered, this, &UtilityBus::OnNameLost);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        claim == Claim::Take
            ? daemon->registerService(name, QDBusConnectionInterface::ReplaceExistingService,
                                      QDBusConnectionInterface::DontAllowReplacement)
            : daemon->registerService(name, QDBusConnectionInterface::QueueService,
                                      QDBusConnectionInterface::AllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        ownsName_ = true;
        return true;
    }
    if (claim == Claim::Yield && reply.isValid() &&
        reply.value() == QDBusConnectionInterface::ServiceQueued)
        return true;
    daemon->disconnect(this);
    fw::Trace(QStringLiteral("Session bus: the name %1 is taken.").arg(name));
    return false;
}

void UtilityBus::AskOwnerToHandOver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QLatin1String(ServiceName);
    if (!bus.interface()->isServiceRegistered(name).value())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QLatin1String(ObjectPath), QLatin1String(InterfaceName), QStringLiteral("HandOver"));
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kHandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        fw::Trace(QStringLiteral("Session bus: the owner of %1 did not hand over: %2")
                      .arg(name, reply.errorMessage()));
}

void UtilityBus::OnNameAcquired(const QString& name) {
    if (name != QLatin1String(ServiceName) || ownsName_)
        return;
    ownsName_ = true;
    handedOver_ = false;
    taker_.reset();
    if (claim_ == Claim::Yield && hooks_.resume)
        hooks_.resume();
}

void UtilityBus::OnNameLost(const QString& name) {
    if (name != QLatin1String(ServiceName) || !ownsName_)
        return;
    ownsName_ = false;
    taker_.reset();
    // Replaced without being asked first: let go all the same, the new owner holds it now.
    if (claim_ == Claim::Yield && !handedOver_ && hooks_.release)
        hooks_.release();
    handedOver_ = false;
}

void UtilityBus::HandOver() {
    if (claim_ != Claim::Yield) {
        Fail(QDBusError::NotSupported, QStringLiteral("The window does not hand over."));
        return;
    }
    if (!ownsName_ || handedOver_)
        return;
    handedOver_ = true;
    if (hooks_.release)
        hooks_.release();
    if (!calledFromDBus())
        return;
    // A taker that dies before it takes the name would leave the controller to nobody.
    taker_ = std::make_unique<QDBusServiceWatcher>(message().service(), connection(),
                                                   QDBusServiceWatcher::WatchForUnregistration);
    connect(taker_.get(), &QDBusServiceWatcher::serviceUnregistered, this,
            &UtilityBus::OnTakerGone);
}

void UtilityBus::OnTakerGone() {
    taker_.reset();
    if (!ownsName_ || !handedOver_)
        return;
    handedOver_ = false;
    fw::Trace(QStringLiteral("Session bus: the window went before it took over."));
    if (hooks_.resume)
        hooks_.resume();
}

void UtilityBus::Deliver(unsigned msg, uint value) {
    if (graphs_)
        fw::SendMessage(graphs_, msg, static_cast<fw::WPARAM>(value), 0);
}

void UtilityBus::AddFanSpeed(uint value) {
    Deliver(MsgFanSpeed, value);
}

void UtilityBus::AddGpuTemperature(uint value) {
    Deliver(MsgGpuTemperature, value);
}

void UtilityBus::AddCpuTemperature(uint value) {
    Deliver(MsgCpuTemperature, value);
}

void UtilityBus::Activate() {
    holder_.Activate();
}
