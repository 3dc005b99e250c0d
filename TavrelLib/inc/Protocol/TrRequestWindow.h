#pragma once

#include "Framework/Window.h"
#include "Protocol/TrRequestSide.h"

// A window-less request target for programs without a main window (the command-line tool): it
// executes link requests on the thread that created it, exactly as the main window does.
class TrRequestWindow : public fw::Window, public TrRequestSide {
public:
    explicit TrRequestWindow(QObject* parent = nullptr);

protected:
    void OnCommResult(int result, Message* message) override;
};
