#pragma once

#include <QAccessibleWidget>

// A skinned control as assistive technology sees it. A lighting-mode button and a swatch are
// radio buttons, checked while selected; the colour plate's centre is the lights' switch, a
// check box checked while they are on; the other skinned buttons are push buttons. Pressing
// one does what a click on it does.
class SkinControlAccessible : public QAccessibleWidget {
public:
    explicit SkinControlAccessible(QWidget* control);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QAccessibleInterface* parent() const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;
};
