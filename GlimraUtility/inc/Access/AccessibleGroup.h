#pragma once

#include <QAccessibleInterface>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

// A named group of a window's controls as assistive technology sees it (the lighting modes,
// the colour swatches): the group stands in the window's place of its members, and they are its
// children, so a screen reader tells which radio choices belong together. The controls keep
// their widget parent; only the accessibility tree changes.
class AccessibleGroup : public QAccessibleInterface {
public:
    AccessibleGroup(QWidget* window, std::vector<QWidget*> members);
    ~AccessibleGroup() override;

    void SetName(const QString& name);
    // The group a control belongs to; null when none.
    static AccessibleGroup* Of(const QObject* member);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Grouping; }
    QAccessible::State state() const override;

private:
    // The members a user can see, in their order.
    std::vector<QWidget*> Shown() const;

    QPointer<QWidget> window_;
    std::vector<QPointer<QWidget>> members_;
    QString name_;
};
