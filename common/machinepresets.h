#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The factory values of the machine preset buttons.  The buttons' reset and
// the settings defaults of the preset keys are both made from this one table.
namespace MachinePresets {

enum class Machine { Generic, X68K, PC88, X1, FM77 };

// The fifteen parameter keys with the machine's values, in the parameter order.
QList<QPair<QString, QString>> Values(Machine machine);

// The settings default of a preset key: "KEY/value" elements joined by ", ",
// without "OVERWRITE", so that a preset the user never recorded leaves the
// panel's overwrite choice alone.
QString SettingsDefault(Machine machine);

} // namespace MachinePresets
