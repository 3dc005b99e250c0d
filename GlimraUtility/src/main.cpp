#include "GlimraUtilityApp.h"

#include <QCoreApplication>

// The one application object, constructed before main() as the framework expects.
static GlimraUtilityApp theApp;

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("GlimraUtility"));
    return theApp.Run(argc, argv);
}
