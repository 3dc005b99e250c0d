#pragma once

#include <QBrush>
#include <QFont>
#include <QPointF>
#include <QRgb>
#include <QString>
#include <QWidget>

#include <array>

// A small scrolling history graph with a one-line header: the title, the latest value in
// yellow with its unit, and the largest and smallest values seen. The newest sample is drawn at
// the left edge; each new sample moves the older ones one pixel to the right, up to 225.
class CGraph : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxPoints = 225;
    // The plot area: x from 4 to 228 (point k at x = k + 4), y from 16 (top) to 76 (base line).
    static constexpr int Left = 4;
    static constexpr int Top = 16;
    static constexpr int Base = 76;

    explicit CGraph(QWidget* parent = nullptr);

    // Shown from the next paint on.
    void SetTitle(const QString& title, const QString& unit);
    // A bold "Gothma" font of the size in points (the generic sans-serif family when that is
    // not installed) and the text colour.
    void SetFont(float points, QRgb argb);
    // Samples are held to lower ... upper; scale is value units per pixel of height, so
    // upper = lower + 60 * scale reaches the top.
    void SetRange(int lower, int upper, float scale);
    // Adds the newest sample. It does not repaint; the owner updates the control.
    void AddValue(int sample);

    int Count() const { return count_; }
    // The y of the k-th newest point (k < Count()).
    float PointY(int k) const { return static_cast<float>(points_[k].y()); }
    const QString& ValueText() const { return valueText_; }
    const QString& MinimumText() const { return minimumText_; }
    const QString& MaximumText() const { return maximumText_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Draw(QPainter& p) const;

    QFont font_;
    QBrush brush_;
    QString title_;
    QString unit_;
    QString valueText_;
    QString minimumText_;
    QString maximumText_;
    int minimum_ = 0; // 0 counts as none yet
    int maximum_ = 0;
    int lower_ = 0;
    int upper_ = 0;
    float scale_ = 0;
    // The curve's points, and three scratch places after them.
    std::array<QPointF, MaxPoints + 3> points_;
    int count_ = 0;
};
