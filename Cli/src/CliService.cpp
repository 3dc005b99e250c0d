#include "CliService.h"

#include "Bus/UtilityBus.h"
#include "CliExitCode.h"
#include "CliInterrupt.h"
#include "CliOutput.h"
#include "CliSdkHost.h"
#include "Control/HeadlessHolder.h"
#include "Framework/InstanceGuard.h"

#include <QEventLoop>

void CliService::Log(const QString& text) {
    Err(QStringLiteral("glimractl serve: %1\n").arg(text));
}

int CliService::Run() {
    fw::InstanceGuard guard;
    switch (guard.Acquire(QStringLiteral("glimractl-serve"))) {
    case fw::InstanceGuard::Result::Created:
        break;
    case fw::InstanceGuard::Result::AlreadyExists:
        Err(QStringLiteral("glimractl: a service already runs for this user (glimractl serve); "
                           "stop it first (systemctl --user stop glimractl)\n"));
        return ExitInUse;
    case fw::InstanceGuard::Result::Failed:
        Log(QStringLiteral("no runtime folder to record the service in; going on"));
        break;
    }

    QEventLoop loop;
    CliInterrupt interrupt([&loop] {
        Log(QStringLiteral("stopping"));
        loop.quit();
    });

    HeadlessHolder holder;
    QObject::connect(&holder, &HeadlessHolder::ConnectionChanged,
                     [&holder](bool connected, bool answered) {
                         if (!connected && holder.IsReleased())
                             return; // handed over: said below
                         if (!connected)
                             Log(QStringLiteral("no controller (USB 04d9:8008); waiting for one"));
                         else if (!answered)
                             Log(QStringLiteral("controller connected, but it did not answer"));
                         else
                             Log(QStringLiteral("controller connected"));
                     });
    CliSdkHost sdk(holder, request_);
    UtilityBus::HandOverHooks hooks;
    hooks.release = [&holder, &sdk] {
        sdk.Close();
        holder.Release();
        Log(QStringLiteral("handed the controller over to the Glimra Utility window"));
    };
    hooks.resume = [&holder, &sdk] {
        Log(QStringLiteral("taking the controller back"));
        holder.Connect();
        sdk.Listen();
    };
    UtilityBus bus(holder, nullptr, UtilityBus::Claim::Yield, hooks);
    if (!bus.IsRegistered()) {
        Log(QStringLiteral("no session bus to offer %1 on; serving without it")
                .arg(QLatin1String(UtilityBus::ServiceName)));
        holder.Connect();
        sdk.Listen();
    } else if (bus.OwnsName()) {
        Log(QStringLiteral("on the session bus as %1").arg(QLatin1String(UtilityBus::ServiceName)));
        holder.Connect();
        sdk.Listen();
    } else {
        Log(QStringLiteral("the Glimra Utility window holds the controller; waiting for it to "
                           "close"));
    }
    loop.exec();
    return ExitSuccess;
}
