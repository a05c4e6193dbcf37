#include "kestalog.h"

Q_LOGGING_CATEGORY(lcSettings, "kesta.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTools, "kesta.tools", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEmulator, "kesta.emulator", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTrackMap, "kesta.trackmap", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "kesta.ui", QtWarningMsg)
