#pragma once

#include <QString>

// The style sheets that make scroll bars and value lists usable with a
// finger.  Every widget that wants the wide bar or the grey value list takes
// it from here.
namespace TouchStyle {

// A vertical scroll bar 50 px wide with a grey handle and no arrow buttons.
QString WideScrollBar();

// A grey value list: a combo box with a 1 px grey border and radius 3 px,
// boxRules (its padding and width), a vertical gradient that turns over while
// the list is open, a drop-down area dropDownWidth px wide on the right with
// the compiled-in down arrow, and a plain list under the box instead of a screen-high
// popup, so that the list keeps its wide scroll bar.
QString ValueList(const QString& boxRules, int dropDownWidth);

} // namespace TouchStyle
