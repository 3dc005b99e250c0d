#include "Widgets/Graph.h"

#include "Framework/Drawing/Brushes.h"
#include "Framework/Drawing/Curves.h"
#include "Framework/Drawing/Fonts.h"
#include "Framework/Drawing/Surface.h"
#include "Framework/Drawing/Text.h"

#include <QPaintEngine>
#include <QPainter>
#include <QVector>

namespace {

constexpr QRgb Ground = 0xFF25282C; // RGB (37, 40, 44)
constexpr QRgb TextGrey = 0xFF999999;
constexpr QRgb ValueYellow = 0xFFEBE004;
constexpr QRgb GridColour = 0xFF313337;
constexpr QRgb BaseLineColour = 0xFF48494B;
constexpr QRgb CurveColour = 0xFF21BACC;
constexpr QRgb FillLeft = 0xFF243238;
constexpr QRgb FillRight = 0xFF30332B;
const QRectF FillRect(4, 16, 229, 76);
constexpr int ValueX = 64;
constexpr int ExtremesX = 128;

} // namespace

CGraph::CGraph(QWidget* parent)
    : QWidget(parent), font_(fw::BoldFont(QStringLiteral("Gothma"), 7, fw::FontUnit::Point)),
      brush_(fw::SolidBrush(TextGrey)) {
    for (int k = 0; k < MaxPoints; ++k)
        points_[k] = QPointF(k + Left, Top);
    // The scratch places start at zero.
    for (int k = MaxPoints; k < MaxPoints + 3; ++k)
        points_[k] = QPointF(0, 0);
}

void CGraph::SetTitle(const QString& title, const QString& unit) {
    title_ = title;
    unit_ = unit;
}

void CGraph::SetFont(float points, QRgb argb) {
    font_ = fw::BoldFont(QStringLiteral("Gothma"), points, fw::FontUnit::Point);
    brush_ = fw::SolidBrush(argb);
}

void CGraph::SetRange(int lower, int upper, float scale) {
    lower_ = lower;
    upper_ = upper;
    scale_ = scale;
}

void CGraph::AddValue(int sample) {
    int v = sample;
    if (v > upper_)
        v = upper_;
    if (v < lower_)
        v = lower_;
    if (minimum_ == 0 || minimum_ >= v)
        minimum_ = v;
    if (maximum_ <= v)
        maximum_ = v;
    minimumText_ = QString::number(minimum_);
    maximumText_ = QString::number(maximum_);
    valueText_ = QString::number(v);

    for (int k = count_; k >= 1; --k)
        points_[k].setY(points_[k - 1].y());
    // Without a range there is no scale; such a sample lies on the base line rather than at
    // an infinite height.
    const float height = scale_ > 0 ? static_cast<float>(v - lower_) / scale_ : 0.0f;
    points_[0].setY(Base - height);
    if (count_ < MaxPoints)
        ++count_;
}

void CGraph::paintEvent(QPaintEvent*) {
    QPainter window(this);
    // Composed off screen at the pixel ratio of what is painted on, then copied in one go.
    const QPaintDevice* target =
        window.paintEngine() ? window.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : fw::DevicePixelRatioOf(window);
    QImage surface = fw::CreateSurface(size(), ratio);
    if (surface.isNull())
        return;
    {
        QPainter p(&surface);
        Draw(p);
    }
    fw::CopySurface(window, QPointF(0, 0), surface);
}

void CGraph::Draw(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(0, 0), size()), QColor::fromRgba(Ground));

    // The header: the brush's own colour is replaced while painting, grey then yellow.
    QBrush brush = brush_;
    brush.setColor(QColor::fromRgba(TextGrey));
    fw::DrawStringAt(p, title_, font_, brush, QPointF(0, 0));
    const qreal valueWidth = fw::MeasureString(valueText_, font_).width();
    fw::DrawStringAt(p, unit_, font_, brush, QPointF(valueWidth + ValueX + 3, 0));
    fw::DrawStringAt(p, QStringLiteral("MAX %1  /  MIN %2").arg(maximumText_, minimumText_), font_,
                     brush, QPointF(ExtremesX, 0));
    brush.setColor(QColor::fromRgba(ValueYellow));
    fw::DrawStringAt(p, valueText_, font_, brush, QPointF(ValueX, 0));

    if (count_ > 0) {
        // The area under the curve, closed along the base line back to the newest point.
        QVector<QPointF> area(points_.begin(), points_.begin() + count_);
        area << QPointF(points_[count_ - 1].x(), Base) << QPointF(Left, Base) << points_[0];
        fw::FillPolygon(p, fw::HorizontalGradientBrush(FillRect, FillLeft, FillRight), area);
    }

    const QPen grid = fw::MakePen(GridColour, 1);
    for (int x = Left; x <= 228; x += 32)
        fw::DrawLine(p, grid, QPointF(x, Top), QPointF(x, Base));
    fw::DrawLine(p, fw::MakePen(BaseLineColour, 2), QPointF(Left, Base), QPointF(228, Base));

    if (count_ > 0)
        fw::DrawCurve(p, fw::MakePen(CurveColour, 2),
                      QVector<QPointF>(points_.begin(), points_.begin() + count_));
}
