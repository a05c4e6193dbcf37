#include "machinepresets.h"

#include <QStringList>

#include "mycommon.h"

namespace MachinePresets {

namespace {

// One row per parameter, in the parameter order; the columns are the machines
// in the order of Machine: generic, X68K, PC-88, X1, FM77.
// The X1 asserts pins 2 and 4, as a reset of its button has always given it.
// The settings defaults used to carry a second copy of these values in which
// the X1 had pin 2 alone, so that a fresh start and a reset gave the same
// button two different presets; both now come from here.
struct Row {
    const QString& key;
    const char* values[5];
};

const Row* table(int* rows)
{
    static const Row kTable[] = {
        {MyCommon::KEY_DRIVES, {"0", "0", "0", "0", "0"}},
        {MyCommon::KEY_CYLINDERS, {"40", "80", "40", "40", "40"}},
        {MyCommon::KEY_HEADS, {"2", "2", "2", "2", "2"}},
        {MyCommon::KEY_BEGIN, {"0", "0", "0", "0", "0"}},
        {MyCommon::KEY_END, {"39", "79", "39", "39", "39"}},
        {MyCommon::KEY_STEPS, {"1", "1", "1", "1", "2"}},
        {MyCommon::KEY_DENSITY, {"double", "high", "double", "double", "double"}},
        {MyCommon::KEY_FORMAT, {"encode", "encode", "encode", "encode", "encode"}},
        {MyCommon::KEY_ASSERT_PIN1, {"---", "---", "2", "2", "---"}},
        {MyCommon::KEY_ASSERT_PIN2, {"---", "---", "4", "4", "---"}},
        {MyCommon::KEY_ASSERT_PIN3, {"---", "---", "12", "---", "---"}},
        {MyCommon::KEY_RETRY, {"3", "3", "3", "3", "3"}},
        {MyCommon::KEY_FLAG, {"1", "1", "1", "1", "1"}},
        {MyCommon::KEY_DISKNO, {"1", "1", "1", "1", "1"}},
        {MyCommon::KEY_OVERWRITE, {"SETTING", "SETTING", "SETTING", "SETTING", "SETTING"}},
    };
    *rows = int(sizeof(kTable) / sizeof(kTable[0]));
    return kTable;
}

} // namespace

QList<QPair<QString, QString>> Values(Machine machine)
{
    int rows = 0;
    const Row* rowsOf = table(&rows);
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < rows; ++i)
        values.append({rowsOf[i].key, QString::fromLatin1(rowsOf[i].values[int(machine)])});
    return values;
}

QString SettingsDefault(Machine machine)
{
    QStringList elements;
    for (const auto& pair : Values(machine)) {
        if (pair.first != MyCommon::KEY_OVERWRITE)
            elements << pair.first + QLatin1Char('/') + pair.second;
    }
    return elements.join(QStringLiteral(", "));
}

} // namespace MachinePresets
