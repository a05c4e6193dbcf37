#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Reads the progress reports that the dump, restore and unformat tools print.
// The output is a stream of pieces separated by the byte 'P'; the text of a
// piece ends at its first NUL byte.  Only the first "(" of a piece opens a
// report field, which ends at the next "(" or ")" or at the end of the piece.
// Trimmed, the field must be longer than 10 characters with "T", "C" and "H"
// at positions 0, 5 and 9, for example "T023 C11 H1": track 23 (positions 1 to
// 3), cylinder 11 (6 to 7), head 1 (10).
//
// The output arrives in chunks cut anywhere.  Each chunk starts a new piece;
// only a report left open at the end of a chunk (a "(" whose field is not yet
// decided) is carried into the next chunk and completed there.  A field is
// decided as soon as its outcome can no longer change (once it holds a
// non-blank character at position 10 or later, or once it is closed), so a
// report cut by a chunk boundary is counted once, a report that repeats in a
// later chunk is counted again, and the last report of a run is counted
// without waiting for more output.
class TrackReportParser
{
public:
    struct Report
    {
        int track = 0;
        int cylinder = 0;
        int head = 0;
    };

    explicit TrackReportParser(int mode = 0) : m_mode(mode) {}

    // Mode 2 (unformat) numbers its tracks from 1: the track read is lowered
    // by one.  Other modes take it as it stands.
    void SetMode(int mode) { m_mode = mode; }
    int Mode() const { return m_mode; }

    // Forgets an unfinished report; the next chunk starts a fresh piece.
    void Reset();

    // The reports completed by this chunk, in order.  Track numbers are as
    // read (after the mode correction), not range-checked.
    QVector<Report> Feed(const QByteArray& chunk);

    // Parses one report field (the text after "(", cut before ")"), trimming
    // it first.  False when it is no report.
    static bool ParseField(const QString& field, int mode, Report* out);

    // Whether the end of the last chunk left a field still undecided.
    bool HasUnfinishedField() const { return m_state == State::InField; }

private:
    // Counted: a report decided and counted before its ")" arrived.
    enum class State { BeforeField, InField, Counted, Done };

    void FinishField(QVector<Report>* out);
    bool FieldDecided() const;

    int m_mode = 0;
    State m_state = State::BeforeField;
    QByteArray m_field; // bytes of the open field so far
};
