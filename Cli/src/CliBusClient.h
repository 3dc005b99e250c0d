#pragma once

#include "CliRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

// The way to the controller while the desktop program holds it: its window's object on this
// user's session bus. Each action is the click on the window's control, so the window shows it
// at once and the controller hears one opener only. Output and exit status are the tool's own,
// as when it opens the controller itself.
class CliBusClient {
public:
    CliBusClient();

    // Whether the desktop program runs for this user and the request goes through its window:
    // it holds a controller, or it has a dialog open (a firmware update may be running). False
    // without a session bus, without the program, or when its window has no controller.
    bool WindowHoldsController();

    // Carries out the request through the window; the exit status.
    int Run(const CliRequest& request);

private:
    QDBusMessage Call(const QString& method, const QVariantList& args = {});
    // The view in a reply, or the exit status of an error reply (set when it returns false).
    bool Reply(const QDBusMessage& reply, QVariantMap& view, int& exitCode) const;
    int Status(const CliRequest& request);
    int Lighting(const CliRequest& request);

    QDBusConnection bus_;
    bool busy_ = false;
    QVariantMap view_; // the window's view when the request began
};
