#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

// Turns one chunk of terminal-style tool output into the paragraphs the log
// pane shows.  Control sequences (ESC "[" parameters final) are removed; the
// text before each sequence becomes its own paragraph, trimmed.  A "[" that
// does not follow ESC is ordinary text.  Cursor commands A to G are reported
// so that the pane can place its cursor; only the last one matters.
class LogScanner
{
public:
    struct Result
    {
        QStringList paragraphs;
        // Final character and count of the last cursor command (A..G) of the
        // chunk; a null final when the chunk had none.
        QChar cursorFinal;
        int cursorCount = 1;
    };

    // Decodes the chunk as UTF-8 up to its first NUL byte.
    static QString Decode(const QByteArray& chunk);
    static Result Scan(const QString& text);
    static Result Scan(const QByteArray& chunk) { return Scan(Decode(chunk)); }
};
