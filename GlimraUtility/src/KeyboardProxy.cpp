#include "KeyboardProxy.h"

#include <QFocusEvent>
#include <QPainter>

#include <cmath>
#include <numbers>

KeyboardProxy::KeyboardProxy(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::TabFocus);
    setCheckable(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_)
            action_();
    });
}

void KeyboardProxy::PlaceOverPlate(const std::array<KeyboardProxy*, 8>& proxies,
                                   const QRect& plate) {
    // The plate's hit geometry: centre (138.5, 138.5), ring from 78 to 125.
    constexpr double centre = 138.5;
    constexpr double ringMiddle = (78.0 + 125.0) / 2;
    constexpr int box = 40;
    for (int swatch = 1; swatch <= 8; ++swatch) {
        KeyboardProxy* proxy = proxies[static_cast<std::size_t>(swatch - 1)];
        if (!proxy)
            continue;
        // Swatch n's sector is centred on 45n degrees, measured from the left, turning upwards.
        const double angle = swatch * 45.0 * std::numbers::pi / 180.0;
        const double x = centre - ringMiddle * std::cos(angle);
        const double y = centre - ringMiddle * std::sin(angle);
        proxy->setGeometry(plate.x() + static_cast<int>(std::lround(x)) - box / 2,
                           plate.y() + static_cast<int>(std::lround(y)) - box / 2, box, box);
    }
}

void KeyboardProxy::paintEvent(QPaintEvent*) {
    if (!keyboardFocus_ || !hasFocus())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2, Qt::DotLine));
    painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
}

void KeyboardProxy::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason ||
                     event->reason() == Qt::BacktabFocusReason ||
                     event->reason() == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
    update();
}

void KeyboardProxy::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
    update();
}
