// glimractl: the Glimra lighting controller from the command line.
#include "CliCommandRunner.h"
#include "CliExitCode.h"
#include "CliOutput.h"
#include "CliRequest.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    CliRequest request;
    QString message;
    switch (CliRequest::FromArguments(arguments, request, message)) {
    case CliRequest::Parse::Help:
        Out(CliRequest::Usage());
        return ExitSuccess;
    case CliRequest::Parse::Version:
        Out(QStringLiteral("glimractl %1\n").arg(QStringLiteral(GLIMRA_VERSION)));
        return ExitSuccess;
    case CliRequest::Parse::Error:
        Err(QStringLiteral("glimractl: %1\nTry 'glimractl --help'.\n").arg(message));
        return ExitUsage;
    case CliRequest::Parse::Run:
        break;
    }
    if (request.command == CliRequest::Command::Firmware && !request.yes && !StdinIsTerminal()) {
        Err(QStringLiteral("glimractl: firmware asks for confirmation on a terminal; give --yes "
                           "to update without asking\n"));
        return ExitUsage;
    }
    return CliCommandRunner(request).Run();
}
