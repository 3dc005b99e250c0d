#include "Protocol/TrBaseDialog.h"

TrBaseDialog::TrBaseDialog(unsigned templateId, fw::Dialog* parent)
    : BaseDialog(templateId, parent), TrRequestSide(static_cast<fw::Window&>(*this)) {}
