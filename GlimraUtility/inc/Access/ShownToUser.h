#pragma once

class QWidget;

// Whether a child control is on show in its window: not hidden, and not placed wholly outside
// the window's area (the main window keeps its graphs below what it shows). Assistive
// technology is told only of such controls.
bool ShownToUser(const QWidget* control);
