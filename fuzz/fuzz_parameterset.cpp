// The text form of a parameter set as a hand-edited settings file may hold
// it: elements separated by line feeds, any text in each.  What is read back
// must survive being written and read again unchanged.
#include <cstddef>
#include <cstdint>

#include "parameterset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const QStringList elements = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);

    ParameterSet* set = ParameterSet::FromTextForm(elements);
    for (const QString& key : set->uniqueKeys()) {
        if (set->count(key) != 1 || key.isEmpty() || key.contains(QLatin1Char('/')))
            __builtin_trap();
    }
    const QStringList form = set->ToTextForm();
    ParameterSet* again = ParameterSet::FromTextForm(form);
    if (again->ToTextForm() != form || again->size() != set->size())
        __builtin_trap();
    for (auto it = set->constBegin(); it != set->constEnd(); ++it) {
        if (again->Value(it.key()) != it.value())
            __builtin_trap();
    }
    (void)set->Name();
    delete again;
    delete set;
    return 0;
}
