// Tool output for the log pane: any bytes, any escape sequences.
#include <cstddef>
#include <cstdint>

#include "logscanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray chunk(reinterpret_cast<const char*>(data), int(size));
    const LogScanner::Result result = LogScanner::Scan(chunk);
    for (const QString& paragraph : result.paragraphs) {
        // Paragraphs are trimmed and never hold an escape (blanks and ESC
        // before a sequence give an empty one, which the pane shows).
        if (paragraph != paragraph.trimmed() || paragraph.contains(QChar(0x1B)))
            __builtin_trap();
    }
    if (!result.cursorFinal.isNull() && (result.cursorCount < 1 || result.cursorCount > 1000000))
        __builtin_trap();
    return 0;
}
