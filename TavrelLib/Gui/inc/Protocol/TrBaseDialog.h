#pragma once

#include "Protocol/TrRequestSide.h"
#include "Widgets/BaseDialog.h"

// A dialog that executes link requests: worker threads hand their device requests to it with
// WM_COMM_REQUEST and they run on its thread. The window implements OnCommResult.
class TrBaseDialog : public BaseDialog, public TrRequestSide {
    Q_OBJECT
public:
    explicit TrBaseDialog(unsigned templateId, fw::Dialog* parent = nullptr);
};
