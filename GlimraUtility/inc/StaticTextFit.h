#pragma once

class QWidget;

// Gives every static text of a dialog the room its text needs with the program's fonts, which
// are wider than the ones the templates were measured with. A label that is too narrow grows to
// its text, and the controls after it on its line move along by as much, keeping the
// template's gaps; when a line then reaches past the window, the window widens, keeping its
// right margin, and controls that spanned its whole width span the new width. Hidden labels are
// fitted too, so that a line looks the same whichever of its controls shows.
void FitStaticTexts(QWidget* window);
