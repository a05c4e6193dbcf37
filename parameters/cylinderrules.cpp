#include "cylinderrules.h"

#include <algorithm>

int CylinderRules::ReadValue(const QString& text, int defaultValue)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

CylinderRules::Result CylinderRules::Apply(const QString& cylinders, const QString& begin,
                                           const QString& end, Changed changed)
{
    const int c = ReadValue(cylinders, DEFAULT_CYLINDERS);
    const int b = ReadValue(begin, DEFAULT_BEGIN);
    const int e = ReadValue(end, DEFAULT_END);

    // Highest cylinder the run may touch; a count below 1 leaves cylinder 0.
    const int last = std::max(c, 1) - 1;
    int nb = std::clamp(b, 0, last);
    int ne = std::clamp(e, 0, last);

    if (nb > ne) {
        switch (changed) {
        case EndChanged:
            ne = nb;
            break;
        case CylindersChanged:
        case BeginChanged:
            nb = ne;
            break;
        }
    }

    Result result;
    if (nb != b) {
        result.writeBegin = true;
        result.begin = QString::number(nb);
    }
    if (ne != e) {
        result.writeEnd = true;
        result.end = QString::number(ne);
    }
    return result;
}
