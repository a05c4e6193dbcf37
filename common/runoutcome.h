#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How one run of a tool ended, as the runner saw it.
struct RunOutcome
{
    enum Kind {
        NotRun,     // no run yet
        Completed,  // exit status 0
        Failed,     // exit status other than 0
        Crashed,    // ended by a signal nobody sent on purpose
        Silent,     // stopped after writing nothing for the silence limit
        Cancelled,  // stopped by the user
        NotStarted, // missing or not executable
        TimedOut,   // still running at the run's bound, stopped
    };

    Kind kind = NotRun;
    QString tool;
    int exitStatus = 0;  // Failed: the status; NotStarted: 126/127 when the system said so
    int signal = 0;      // Crashed: the signal
    int silenceMs = 0;   // Silent, TimedOut: the limit that was reached
    QString lastLine;    // the tool's last non-empty output line, escapes removed

    bool ok() const { return kind == Completed; }

    // "completed", "failed", "crashed", "silent", "cancelled", "not started",
    // "timed out"
    // ("" for NotRun); FromName gives NotRun for any other text.
    static QString Name(Kind kind);
    static Kind FromName(const QString& name);

    // The reason in plain words: "drvdump is not installed",
    // "drvdump stopped with status 1: no disk in drive", ... ("" when it
    // completed or did not run).
    QString Reason() const;

    // The last non-empty line the log pane would show for output.
    static QString LastLineOf(const QByteArray& output);
};

// What a track map holds, counted: every target track falls in exactly one
// of the four.
struct TrackCounts
{
    int read = 0;       // read at the first try
    int retried = 0;    // read after retries
    int failed = 0;     // every try failed
    int notReached = 0; // still waiting

    // states: count values as the track map keeps them (-1 not a target).
    static TrackCounts FromStates(const int* states, int count);
    bool hasWork() const { return failed + notReached > 0; }
    QString Text() const; // "N read, N retried, N failed, N not reached"
};

// The lines of the completion dialog: the headline ("Completed.", "Failed.",
// "Cancelled.") and at most three lines under it.  counts is null for a run
// without a track map; imagePath is empty unless the run wrote an image
// (its size then follows the path).
QStringList OutcomeDialogLines(const RunOutcome& outcome, const TrackCounts* counts, const QString& imagePath = {},
                               qint64 imageSize = -1);
