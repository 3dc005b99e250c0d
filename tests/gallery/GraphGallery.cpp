// Gallery page of the graph: empty, with one sample, and full, with the main window's ranges.

#include "Gallery.h"

#include "Widgets/Graph.h"

#include <QWidget>

#include <cmath>

namespace {

// A graph set up as the main window sets up its fan speed or temperature graph.
CGraph* MakeGraph(QWidget* parent, int x, bool fan) {
    auto* graph = new CGraph(parent);
    graph->setGeometry(x, 10, 232, 80);
    graph->SetFont(7, 0xFF999999);
    if (fan) {
        graph->SetRange(500, 2600, 35.0f);
        graph->SetTitle(QStringLiteral("FAN SPEED"), QStringLiteral("RPM"));
    } else {
        graph->SetRange(0, 100, 5.0f / 3.0f);
        graph->SetTitle(QStringLiteral("CPU TEMP"), QStringLiteral("C°"));
    }
    return graph;
}

} // namespace

GLIMRA_GALLERY_PAGE(graph) {
    QWidget window;
    window.setFixedSize(1000, 100);
    window.setStyleSheet(QStringLiteral("background: rgb(37, 40, 44)"));
    CGraph* empty = MakeGraph(&window, 10, true);
    CGraph* one = MakeGraph(&window, 255, false);
    CGraph* full = MakeGraph(&window, 500, true);
    CGraph* clamped = MakeGraph(&window, 745, false);
    if (!gallery.Show(&window)) {
        gallery.Fail(QStringLiteral("window not shown"));
        return;
    }
    one->AddValue(46);
    // A fan speed that rises, wanders and settles, more samples than the graph keeps.
    for (int i = 0; i < 260; ++i)
        full->AddValue(1500 + static_cast<int>(700 * std::sin(i / 18.0) + 250 * std::sin(i / 5.0)));
    // Temperatures past both ends of the range, and a real 0 that the minimum does not keep.
    for (int v : {0, 40, 120, 75, -10, 60, 55, 58, 62})
        for (int i = 0; i < 12; ++i)
            clamped->AddValue(v);
    gallery.Shot(QStringLiteral("empty"), empty);
    gallery.Shot(QStringLiteral("one-sample"), one);
    gallery.Shot(QStringLiteral("full"), full);
    gallery.Shot(QStringLiteral("clamped"), clamped);
}
