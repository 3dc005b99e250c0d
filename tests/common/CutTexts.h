#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QWidget>

// The part of a label its text takes, by its alignment; empty without a text.
inline QRect Ink(const QLabel* label) {
    if (label->text().isEmpty())
        return {};
    const QFontMetrics metrics(label->font());
    const QSize inked(metrics.horizontalAdvance(label->text()), metrics.height());
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), inked,
                               label->geometry());
}

// The texts of a window's labels that a user cannot read whole: wider or taller than their
// label, reaching past the window's edge, or covered by another control on show. Each entry
// says why.
inline QStringList CutTexts(QWidget* window) {
    QStringList cut;
    const QList<QWidget*> controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) {
        // A flat button is a text to click (a link): its text must fit it as well.
        if (auto* link = qobject_cast<QPushButton*>(control);
            link && link->isFlat() && !link->isHidden()) {
            const int wide = QFontMetrics(link->font()).horizontalAdvance(link->text());
            if (wide > link->contentsRect().width())
                cut << QStringLiteral("%1: %2 px wide in %3")
                           .arg(link->text())
                           .arg(wide)
                           .arg(link->contentsRect().width());
        }
        auto* label = qobject_cast<QLabel*>(control);
        if (!label || label->isHidden() || label->text().isEmpty() || label->wordWrap())
            continue;
        const QString text = label->text();
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                          -label->margin(), -label->margin());
        if (metrics.horizontalAdvance(text) > room.width())
            cut << QStringLiteral("%1: %2 px wide in %3")
                       .arg(text)
                       .arg(metrics.horizontalAdvance(text))
                       .arg(room.width());
        if (metrics.height() > room.height())
            cut << QStringLiteral("%1: %2 px high in %3")
                       .arg(text)
                       .arg(metrics.height())
                       .arg(room.height());
        if (!window->rect().contains(label->geometry()))
            cut << QStringLiteral("%1: past the window's edge").arg(text);
        // Labels are transparent: only their texts can cover each other.
        for (QWidget* other : controls) {
            if (other == label || other->isHidden())
                continue;
            const auto* otherLabel = qobject_cast<QLabel*>(other);
            const QRect covers = otherLabel ? Ink(otherLabel) : other->geometry();
            if (covers.intersects(Ink(label)))
                cut << QStringLiteral("%1: under %2").arg(text, other->metaObject()->className());
        }
    }
    return cut;
}
