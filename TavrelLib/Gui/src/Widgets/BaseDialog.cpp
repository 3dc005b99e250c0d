#include "Widgets/BaseDialog.h"

BaseDialog::BaseDialog(unsigned templateId, fw::Dialog* parent) : fw::Dialog(templateId, parent) {}

void BaseDialog::PrepareButton(fw::OwnerDrawButton* button, const fw::DialogControl& control) {
    button->SetDlgCtrlID(control.id);
    // The template's caption names the button for assistive tools; the skin draws its own.
    if (!control.text.isEmpty())
        button->setAccessibleName(control.text);
    const int id = control.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        fw::SendMessage(this, fw::WM_COMMAND, static_cast<fw::WPARAM>(id) & 0xFFFF, 0);
    });
}
