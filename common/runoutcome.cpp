#include "runoutcome.h"

#include <QLocale>

#include "logscanner.h"

namespace {

struct NameEntry {
    RunOutcome::Kind kind;
    const char* name;
};
const NameEntry NAMES[] = {
    {RunOutcome::Completed, "completed"}, {RunOutcome::Failed, "failed"},
    {RunOutcome::Crashed, "crashed"},     {RunOutcome::Silent, "silent"},
    {RunOutcome::Cancelled, "cancelled"}, {RunOutcome::NotStarted, "not started"},
    {RunOutcome::TimedOut, "timed out"},
};

QString seconds(int ms)
{
    return QString::number(ms / 1000.0, 'g', 6);
}

} // namespace

QString RunOutcome::Name(Kind kind)
{
    for (const NameEntry& entry : NAMES) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

RunOutcome::Kind RunOutcome::FromName(const QString& name)
{
    for (const NameEntry& entry : NAMES) {
        if (name == QLatin1String(entry.name))
            return entry.kind;
    }
    return NotRun;
}

QString RunOutcome::Reason() const
{
    switch (kind) {
    case NotStarted:
        return exitStatus == 126 ? QStringLiteral("%1 cannot be run").arg(tool)
                                 : QStringLiteral("%1 is not installed").arg(tool);
    case Failed: {
        QString line = lastLine;
        // "drvdump: no disk" reads better without the tool's name twice.
        const QString prefix = tool + QLatin1Char(':');
        if (!tool.isEmpty() && line.startsWith(prefix))
            line = line.mid(prefix.size()).trimmed();
        const QString head = QStringLiteral("%1 stopped with status %2").arg(tool).arg(exitStatus);
        return line.isEmpty() ? head : head + QStringLiteral(": ") + line;
    }
    case Crashed:
        return QStringLiteral("%1 was killed by signal %2").arg(tool).arg(signal);
    case Silent:
        return QStringLiteral("%1 was silent for %2 s and was stopped").arg(tool, seconds(silenceMs));
    case TimedOut:
        return QStringLiteral("%1 did not finish within %2 s and was stopped").arg(tool, seconds(silenceMs));
    case NotRun:
        return QStringLiteral("%1 did not run").arg(tool.isEmpty() ? QStringLiteral("The tool") : tool);
    case Completed:
    case Cancelled:
        break;
    }
    return QString();
}

QString RunOutcome::LastLineOf(const QByteArray& output)
{
    // The end of the output is enough, however much the tool wrote; a NUL
    // ends a line here rather than the rest of the text.
    constexpr int TAIL = 4096;
    QByteArray tail = output.size() > TAIL ? output.right(TAIL) : output;
    tail.replace('\0', '\n');
    const QStringList paragraphs = LogScanner::Scan(tail).paragraphs;
    for (int p = paragraphs.size() - 1; p >= 0; --p) {
        QString paragraph = paragraphs.at(p);
        paragraph.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        const QStringList lines = paragraph.split(QLatin1Char('\n'));
        for (int l = lines.size() - 1; l >= 0; --l) {
            const QString line = lines.at(l).trimmed();
            if (!line.isEmpty())
                return line;
        }
    }
    return QString();
}

TrackCounts TrackCounts::FromStates(const int* states, int count)
{
    TrackCounts counts;
    for (int i = 0; states && i < count; ++i) {
        const int state = states[i];
        if (state < 0)
            continue;
        if (state == 0)
            ++counts.notReached;
        else if (state == 1)
            ++counts.read;
        else if (state == 255)
            ++counts.failed;
        else
            ++counts.retried;
    }
    return counts;
}

QString TrackCounts::Text() const
{
    return QStringLiteral("%1 read, %2 retried, %3 failed, %4 not reached").arg(read).arg(retried).arg(failed).arg(notReached);
}

QStringList OutcomeDialogLines(const RunOutcome& outcome, const TrackCounts* counts, const QString& imagePath,
                               qint64 imageSize)
{
    QStringList lines;
    switch (outcome.kind) {
    case RunOutcome::Completed:
        lines << QStringLiteral("Completed.");
        break;
    case RunOutcome::Cancelled:
        lines << QStringLiteral("Cancelled.");
        break;
    default:
        lines << QStringLiteral("Failed.") << outcome.Reason();
        break;
    }
    if (counts)
        lines << counts->Text();
    if (!imagePath.isEmpty()) {
        QString image = imagePath;
        if (imageSize >= 0)
            image += QStringLiteral(" (%1)").arg(QLocale::c().formattedDataSize(imageSize));
        lines << image;
    }
    return lines;
}
