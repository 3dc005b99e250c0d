// glimra-bench-bare: the least a Qt Widgets program costs to put a window on the screen, the
// baseline of the main window's start. A QApplication showing an empty 800 x 455 window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 455);
    window.show();
    return app.exec();
}
