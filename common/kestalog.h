#pragma once

#include <QLoggingCategory>

// One logging category per subsystem.  Debug and info lines are off unless a
// rule turns them on (QT_LOGGING_RULES="kesta.*=true", or `scripts/kesta run -v`);
// warnings always show.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)  // kesta.settings
Q_DECLARE_LOGGING_CATEGORY(lcTools)     // kesta.tools
Q_DECLARE_LOGGING_CATEGORY(lcEmulator)  // kesta.emulator
Q_DECLARE_LOGGING_CATEGORY(lcTrackMap)  // kesta.trackmap
Q_DECLARE_LOGGING_CATEGORY(lcUi)        // kesta.ui
