#pragma once

#include <QString>

// What makes the program usable with a finger on the 800 x 480 panel.  Every
// widget that wants the wide bar or the grey value list takes it from here,
// and main() installs the application style sheet, which gives the toolkit's
// own dialogs (message boxes, progress boxes) and the small indicator
// controls finger-sized targets; tests that look at sizes apply it the same way.
namespace TouchStyle {

// The smallest extent of anything a finger taps, in pixels.
constexpr int FINGER_SIZE = 44;

extern const QString APPLICATION_STYLE_SHEET;

// Installs the application style sheet (appended to any sheet already set,
// once).  Does nothing without a QApplication.
void Apply();

// A vertical scroll bar 50 px wide with a grey handle and no arrow buttons.
QString WideScrollBar();

// A grey value list: a combo box with a 1 px grey border and radius 3 px,
// boxRules (its padding and width), a vertical gradient that turns over while
// the list is open, a drop-down area dropDownWidth px wide on the right with
// the compiled-in down arrow, and a plain list under the box instead of a screen-high
// popup, so that the list keeps its wide scroll bar.
QString ValueList(const QString& boxRules, int dropDownWidth);

} // namespace TouchStyle
