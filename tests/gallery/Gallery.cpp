#include "Gallery.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace {
QMap<QString, GalleryPageFunction>& Pages() {
    static QMap<QString, GalleryPageFunction> pages;
    return pages;
}

// Lets the event loop run the widgets' own timers (hover notifications) for a moment.
void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
} // namespace

bool RegisterGalleryPage(const char* name, GalleryPageFunction page) {
    Pages().insert(QString::fromLatin1(name), page);
    return true;
}

Gallery::Gallery(QString outDir, QString imageDir, QString scratchDir)
    : outDir_(std::move(outDir)), imageDir_(std::move(imageDir)),
      scratchDir_(std::move(scratchDir)) {}

qreal Gallery::Scale() const {
    return qApp->devicePixelRatio();
}

bool Gallery::Show(QWidget* window) {
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

void Gallery::Shot(const QString& name, QWidget* widget) {
    Shot(name, widget->grab().toImage());
}

void Gallery::Shot(const QString& name, const QImage& image) {
    if (image.isNull()) {
        Fail(QStringLiteral("nothing to save for %1").arg(name));
        return;
    }
    const QString file = QStringLiteral("%1/%2-%3.png").arg(outDir_, page_, name);
    if (!image.save(file, "PNG"))
        Fail(QStringLiteral("cannot write %1").arg(file));
    shots_.append({name, image});
}

// The pointer events go straight to the widget: the offscreen screen is smaller than the main
// window at scale 2, and the cursor does not reach past its edge.
void Gallery::Hover(QWidget* widget) {
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    QEnterEvent enter(centre, centre, global);
    QCoreApplication::sendEvent(widget, &enter);
    QMouseEvent move(QEvent::MouseMove, centre, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    Settle();
}

void Gallery::Leave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
    Settle();
}

void Gallery::Press(QWidget* widget) {
    QTest::mousePress(widget, Qt::LeftButton, {}, widget->rect().center());
}

void Gallery::Release(QWidget* widget) {
    QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->rect().center());
}

void Gallery::Fail(const QString& why) {
    std::fprintf(stderr, "gallery page %s: %s\n", qPrintable(page_), qPrintable(why));
    failed_ = true;
}

void Gallery::BeginPage(const QString& name) {
    page_ = name;
    failed_ = false;
    shots_.clear();
}

bool Gallery::EndPage() {
    if (shots_.isEmpty())
        Fail(QStringLiteral("no looks saved"));
    if (shots_.isEmpty())
        return false;
    // The contact sheet: every look of the page with its name, in rows, at the same ratio.
    const qreal ratio = Scale();
    const int margin = 8, label = 14, rowWidth = 820;
    int x = margin, y = margin, rowHeight = 0, width = 0;
    QVector<QPoint> at;
    for (const auto& shot : shots_) {
        const QSize size = (QSizeF(shot.second.size()) / shot.second.devicePixelRatio()).toSize();
        const int w = std::max(size.width(), 130);
        if (x > margin && x + w > rowWidth) {
            x = margin;
            y += rowHeight + label + margin;
            rowHeight = 0;
        }
        at.append(QPoint(x, y));
        x += w + margin;
        rowHeight = std::max(rowHeight, size.height());
        width = std::max(width, x);
    }
    const int height = y + rowHeight + label + margin;
    QImage sheet(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(10);
    painter.setFont(font);
    for (int i = 0; i < shots_.size(); ++i) {
        const QImage& image = shots_[i].second;
        painter.drawText(at[i] + QPoint(0, 10), shots_[i].first);
        painter.drawImage(at[i] + QPoint(0, label), image);
    }
    painter.end();
    sheet.save(QStringLiteral("%1/%2.png").arg(outDir_, page_), "PNG");
    return !failed_;
}

int Gallery::RunAll() {
    QDir().mkpath(outDir_);
    int failures = 0;
    for (auto it = Pages().cbegin(); it != Pages().cend(); ++it) {
        BeginPage(it.key());
        it.value()(*this);
        if (!EndPage())
            ++failures;
        std::printf("%s: %lld looks at scale %g\n", qPrintable(it.key()),
                    static_cast<long long>(shots_.size()), Scale());
    }
    return failures;
}
