#include "Framework/SessionBus.h"

#include <QFileInfo>
#include <QString>
#include <QtGlobal>

namespace fw {

bool SessionBusReachable() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace fw
