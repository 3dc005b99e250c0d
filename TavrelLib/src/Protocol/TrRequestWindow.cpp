#include "Protocol/TrRequestWindow.h"

TrRequestWindow::TrRequestWindow(QObject* parent)
    : fw::Window(parent), TrRequestSide(static_cast<fw::Window&>(*this)) {}

void TrRequestWindow::OnCommResult(int, Message*) {}
