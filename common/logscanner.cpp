#include "logscanner.h"

namespace {

constexpr QChar kEsc(0x1B);

bool isCursorFinal(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('G');
}

// Parameter bytes ("0".."?") and intermediate bytes (" ".."/") continue a
// sequence; anything else ends it as its final character.
bool continuesSequence(QChar c)
{
    const ushort u = c.unicode();
    if (c.isDigit())
        return true;
    return (u >= 0x30 && u <= 0x3F) || (u >= 0x20 && u <= 0x2F);
}

} // namespace

QString LogScanner::Decode(const QByteArray& chunk)
{
    if (chunk.isNull())
        return QString();
    const int nul = chunk.indexOf('\0');
    return QString::fromUtf8(chunk.constData(), nul < 0 ? chunk.size() : nul);
}

LogScanner::Result LogScanner::Scan(const QString& text)
{
    Result result;
    QString pending;
    bool inSequence = false;
    bool firstParameter = true; // still collecting the count
    qint64 count = 0;
    bool countSeen = false;

    auto flush = [&]() {
        if (pending.trimmed().isEmpty())
            return;
        pending.remove(kEsc);
        if (!pending.isEmpty())
            result.paragraphs.append(pending.trimmed());
        pending.clear();
    };

    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!inSequence) {
            if (c == QLatin1Char('[') && !pending.isEmpty() && pending.at(pending.size() - 1) == kEsc) {
                inSequence = true;
                firstParameter = true;
                count = 0;
                countSeen = false;
                flush();
            } else {
                pending.append(c);
            }
            continue;
        }
        if (continuesSequence(c)) {
            if (c == QLatin1Char(';')) {
                firstParameter = false;
            } else if (firstParameter && c.isDigit()) {
                countSeen = true;
                if (count < 100000)
                    count = count * 10 + c.digitValue();
            }
            continue;
        }
        // Final character: ends the sequence.
        inSequence = false;
        if (isCursorFinal(c)) {
            result.cursorFinal = c;
            result.cursorCount = (countSeen && count > 0) ? int(count) : 1;
        }
    }
    flush();
    return result;
}
