#include "CliSdkHost.h"

#include "CliService.h"
#include "OpenRgb/OpenRgbServer.h"

CliSdkHost::CliSdkHost(LightingHolder& holder, const CliRequest& request)
    : address_(request.openRgbAddress), port_(request.openRgbPort) {
    if (!request.openRgb)
        return;
    server_ = std::make_unique<OpenRgbServer>(holder);
    retry_.setInterval(RetryMs);
    QObject::connect(&retry_, &QTimer::timeout, [this] {
        if (TryListen(--retriesLeft_ <= 0) || retriesLeft_ <= 0)
            retry_.stop();
    });
}

CliSdkHost::~CliSdkHost() = default;

void CliSdkHost::Listen() {
    if (!server_ || server_->IsListening())
        return;
    retriesLeft_ = RetryCount;
    if (!TryListen(false))
        retry_.start();
}

bool CliSdkHost::TryListen(bool last) {
    QString error;
    if (server_->Listen(address_, port_, &error)) {
        CliService::Log(QStringLiteral("OpenRGB SDK server on %1 port %2 (no authentication)")
                            .arg(address_)
                            .arg(port_));
        return true;
    }
    if (last)
        CliService::Log(QStringLiteral("OpenRGB SDK server: cannot listen on %1 port %2: %3")
                            .arg(address_)
                            .arg(port_)
                            .arg(error));
    return false;
}

void CliSdkHost::Close() {
    if (!server_)
        return;
    retry_.stop();
    if (server_->IsListening())
        CliService::Log(QStringLiteral("OpenRGB SDK server closed"));
    server_->Close();
}
