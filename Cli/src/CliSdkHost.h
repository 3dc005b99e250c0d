#pragma once

#include "CliRequest.h"

#include <QString>
#include <QTimer>

#include <memory>

class LightingHolder;
class OpenRgbServer;

// The service's OpenRGB SDK server, when --openrgb asked for it: listens while the service
// holds the controller and closes (dropping its clients) when a window takes over. A port that
// the window has not quite let go of yet is tried again for a few seconds.
class CliSdkHost {
public:
    static constexpr int RetryMs = 200;
    static constexpr int RetryCount = 50;

    CliSdkHost(LightingHolder& holder, const CliRequest& request);
    ~CliSdkHost();
    CliSdkHost(const CliSdkHost&) = delete;
    CliSdkHost& operator=(const CliSdkHost&) = delete;

    // Nothing when the server was not asked for.
    void Listen();
    void Close();

private:
    bool TryListen(bool last);

    std::unique_ptr<OpenRgbServer> server_;
    QString address_;
    quint16 port_ = 0;
    QTimer retry_;
    int retriesLeft_ = 0;
};
