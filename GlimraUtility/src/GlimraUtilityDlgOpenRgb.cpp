#include "GlimraUtilityDlg.h"

#include "App/CTavrelLibApp.h"
#include "Framework/Net/IpAddress.h"
#include "Framework/Trace.h"
#include "OpenRgb/OpenRgbServer.h"

// The OpenRGB SDK server, when settings.ini asks for it: [OpenRGB] Server=1, with Address
// (loopback unless the user names another) and Port. It has no authentication, so it stays off
// unless asked for.
void GlimraUtilityDlg::StartOpenRgbServer() {
    CTavrelLibApp* app = CTavrelLibApp::Current();
    if (!app)
        return;
    int enabled = 0;
    app->ReadSettingInt(QStringLiteral("OpenRGB"), QStringLiteral("Server"), enabled, 0);
    if (enabled != 1)
        return;
    QString address;
    app->ReadSettingString(QStringLiteral("OpenRGB"), QStringLiteral("Address"), address,
                           QStringLiteral("127.0.0.1"));
    int port = OpenRgbDefaultPort;
    app->ReadSettingInt(QStringLiteral("OpenRGB"), QStringLiteral("Port"), port,
                        OpenRgbDefaultPort);
    if (!fw::IpAddress::IsValid(address) || port < 1 || port > 65535) {
        fw::Trace(QStringLiteral("OpenRGB SDK server: [OpenRGB] Address=%1 Port=%2 is no address "
                                 "to listen on.")
                      .arg(address)
                      .arg(port));
        return;
    }
    openRgb_ = std::make_unique<OpenRgbServer>(*this);
    QString error;
    if (!openRgb_->Listen(address, static_cast<quint16>(port), &error)) {
        fw::Trace(QStringLiteral("OpenRGB SDK server: cannot listen on %1 port %2: %3")
                      .arg(address)
                      .arg(port)
                      .arg(error));
        openRgb_.reset();
    }
}
