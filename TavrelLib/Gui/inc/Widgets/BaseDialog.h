#pragma once

#include "Framework/Dialog.h"
#include "Framework/Drawing/OwnerDrawButton.h"

#include <QObject>

// The common root of the library's dialogs.
class BaseDialog : public fw::Dialog {
    Q_OBJECT
public:
    explicit BaseDialog(unsigned templateId, fw::Dialog* parent = nullptr);

protected:
    // Data exchange for a skinned button: the template's control id is built as a T (an
    // fw::OwnerDrawButton), stored in *slot while the window exists, and its clicks reach this
    // dialog as WM_COMMAND with the id, as a plain button's do. Call before DoModal.
    template <class T> void SubclassButton(int id, T** slot) {
        SetControlFactory(id, [this, slot](const fw::DialogControl& control, QWidget* parent) {
            T* button = new T(parent);
            PrepareButton(button, control);
            if (slot)
                *slot = button;
            return button;
        });
    }

private:
    void PrepareButton(fw::OwnerDrawButton* button, const fw::DialogControl& control);
};
