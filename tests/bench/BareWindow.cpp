// glimra-bench-bare: the least a Qt Widgets program costs to put a window on the screen, the
// baselines of the main window's start. A QApplication showing an 800 x 455 window:
//   glimra-bench-bare               empty;
//   glimra-bench-bare --text        with one line of text ("Device not found!"), so the font
//                                   database, FreeType and HarfBuzz come up as in any window
//                                   that shows a word;
//   glimra-bench-bare --skin PNG    with that text over an 800 x 455 PNG decoded at start and
//                                   painted as the background, the least a skinned window does.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QWidget>

namespace {

class Skinned : public QWidget {
public:
    explicit Skinned(const QString& png) : image_(png) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const int skin = static_cast<int>(args.indexOf(QStringLiteral("--skin")));
    QWidget plain;
    Skinned skinned(skin > 0 && skin + 1 < args.size() ? args[skin + 1] : QString());
    QWidget& window = skin > 0 ? static_cast<QWidget&>(skinned) : plain;
    window.resize(800, 455);
    if (skin > 0 || args.contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("Device not found!"), &window);
        label->move(10, 10);
    }
    window.show();
    return app.exec();
}
