#pragma once

#include <QtGlobal>

// A minimal OpenRGB SDK client: asks a server on loopback how many controllers it offers.
// -1 when nothing listens there or no well-formed answer came.
int SdkControllerCount(quint16 port);

// A free loopback port for a server of the test.
quint16 FreeLoopbackPort();
