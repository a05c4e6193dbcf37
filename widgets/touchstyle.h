#pragma once

#include <QString>

// What every window of the program shares so that it works under a finger
// on the 800 x 480 panel: an application style sheet that gives the
// toolkit's own dialogs (message boxes, progress boxes) and the small
// indicator controls finger-sized targets.  main() applies it before the window is built; tests that look at
// sizes apply it the same way.
namespace TouchStyle {

// The smallest extent of anything a finger taps, in pixels.
constexpr int FINGER_SIZE = 44;

extern const QString APPLICATION_STYLE_SHEET;

// Installs the application style sheet (appended to any sheet already set,
// once).  Does nothing without a QApplication.
void Apply();

} // namespace TouchStyle
