#pragma once

#include <QString>

// Keeps the first and last cylinder of an operation panel inside its cylinder
// count.  Pure: it reads the three texts the panel shows ("---" or a number)
// and tells which of BEGIN and END to rewrite.
//
// A "---" reads as its default (CYLINDERS 40, BEGIN 0, END 39).  The result
// always satisfies 0 <= BEGIN <= END <= CYLINDERS - 1 (in those readings), so
// applying the rules again to the panel after the writes changes nothing.
//
// Which value gives way depends on the one the user changed:
// - CYLINDERS: END is pulled down to CYLINDERS - 1, then BEGIN down to END;
// - BEGIN: BEGIN is pulled down to CYLINDERS - 1 and then to END (END itself
//   only when it lies beyond the cylinder count);
// - END: END is pulled down to CYLINDERS - 1, then raised to BEGIN (BEGIN
//   itself only when it lies beyond the cylinder count).
class CylinderRules
{
public:
    enum Changed { CylindersChanged, BeginChanged, EndChanged };

    static constexpr int DEFAULT_CYLINDERS = 40;
    static constexpr int DEFAULT_BEGIN = 0;
    static constexpr int DEFAULT_END = 39;

    struct Result
    {
        bool writeBegin = false;
        QString begin; // decimal text to select on BEGIN when writeBegin
        bool writeEnd = false;
        QString end;   // decimal text to select on END when writeEnd
    };

    // Apply the writes END first, then BEGIN.  When the END write re-enters
    // the END rule, that rule asks for exactly the BEGIN of this result, so the
    // later BEGIN write finds it in place: one change costs at most three rule
    // runs (the change, END, BEGIN) even without a re-entry guard.
    static Result Apply(const QString& cylinders, const QString& begin, const QString& end,
                        Changed changed);

    // The decimal value of text, or defaultValue when it is not a decimal
    // integer (such as "---").
    static int ReadValue(const QString& text, int defaultValue);
};
