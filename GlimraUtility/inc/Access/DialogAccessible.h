#pragma once

#include <QAccessibleWidget>

#include <vector>

// A dialog window as assistive technology sees it: only the controls on show (a hidden label,
// such as "Device not found!" while connected, is not there to be read), with the members of
// an AccessibleGroup found under their group.
class DialogAccessible : public QAccessibleWidget {
public:
    explicit DialogAccessible(QWidget* dialog);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    std::vector<QAccessibleInterface*> Children() const;
};
