#pragma once

#include "CliRequest.h"

#include <QObject>

// glimractl serve: holds the controller for this user until SIGTERM or Ctrl-C, as the main
// window would, and offers the window's session-bus object, so every other glimractl command
// goes through it. A Glimra Utility window that starts takes the controller, the bus name and
// the OpenRGB SDK port over; when it ends, they come back here. One service per user; it logs to
// stderr (the journal, under systemd).
class CliService {
public:
    explicit CliService(const CliRequest& request) : request_(request) {}

    // The exit status: 0 after a signal, 6 when a service already runs for this user.
    int Run();
    // One line of the service's log, on stderr.
    static void Log(const QString& text);

private:
    const CliRequest& request_;
};
