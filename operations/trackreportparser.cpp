#include "trackreportparser.h"

#include <QDebug>

#include "kestalog.h"
#include "mycommon.h"

namespace {

// Length of the longest prefix of bytes that does not end inside a UTF-8
// sequence, so that a character cut by a chunk boundary is not decoded early.
int CompleteUtf8Length(const QByteArray& bytes)
{
    const int size = bytes.size();
    for (int back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes.at(size - back));
        if ((byte & 0xC0) == 0x80)
            continue; // continuation byte: look further back for the lead
        int need = 1;
        if ((byte & 0xE0) == 0xC0)
            need = 2;
        else if ((byte & 0xF0) == 0xE0)
            need = 3;
        else if ((byte & 0xF8) == 0xF0)
            need = 4;
        return back < need ? size - back : size;
    }
    return size;
}

int ReadNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

void TrackReportParser::Reset()
{
    m_state = State::BeforeField;
    m_field.clear();
}

bool TrackReportParser::ParseField(const QString& rawField, int mode, Report* out)
{
    const QString field = rawField.trimmed();
    qCDebug(lcTrackMap) << "work = " << field;
    if (field.size() <= 10)
        return false;
    const auto at = [&field](int i) { return QString(field.at(i)).trimmed(); };
    if (at(0) != QLatin1String("T") || at(5) != QLatin1String("C") || at(9) != QLatin1String("H"))
        return false;
    Report report;
    report.track = ReadNumber(field.mid(1, 3));
    report.cylinder = ReadNumber(field.mid(6, 2));
    report.head = ReadNumber(field.mid(10, 1));
    if (mode == MyCommon::OPERATION_UNFORMAT)
        report.track -= 1;
    if (out)
        *out = report;
    return true;
}

void TrackReportParser::FinishField(QVector<Report>* out)
{
    Report report;
    if (ParseField(QString::fromUtf8(m_field), m_mode, &report))
        out->append(report);
    m_field.clear();
    m_state = State::Done;
}

bool TrackReportParser::FieldDecided() const
{
    // Trimmed, the field is longer than 10 characters exactly when a non-blank
    // character stands at position 10 or later after the leading blanks; from
    // then on positions 0 to 10, which decide the report, are fixed.
    const QString text = QString::fromUtf8(m_field.constData(), CompleteUtf8Length(m_field));
    int first = 0;
    while (first < text.size() && text.at(first).isSpace())
        ++first;
    for (int i = text.size() - 1; i >= first + 10; --i) {
        if (!text.at(i).isSpace())
            return true;
    }
    return false;
}

QVector<TrackReportParser::Report> TrackReportParser::Feed(const QByteArray& chunk)
{
    QVector<Report> reports;
    const char* data = chunk.constData();
    const int size = chunk.size();
    int i = 0;
    while (i < size) {
        const char ch = data[i];
        if (ch == 'P') {
            // End of the piece: an open field closes with it.
            if (m_state == State::InField)
                FinishField(&reports);
            Reset();
            ++i;
            continue;
        }
        switch (m_state) {
        case State::BeforeField:
            if (ch == '\0')
                m_state = State::Done;
            else if (ch == '(')
                m_state = State::InField;
            ++i;
            break;
        case State::InField: {
            // Take the run of field bytes up to the next byte that matters.
            int j = i;
            while (j < size && data[j] != 'P' && data[j] != '(' && data[j] != ')' && data[j] != '\0')
                ++j;
            m_field.append(data + i, j - i);
            i = j;
            if (i < size && data[i] != 'P') {
                FinishField(&reports);
                ++i;
            }
            break;
        }
        case State::Counted: {
            // The rest of a report already counted: it ends at its ")" (or
            // at a "(" or NUL); what follows it in the piece is not read.
            int j = i;
            while (j < size && data[j] != 'P' && data[j] != '(' && data[j] != ')' && data[j] != '\0')
                ++j;
            i = j;
            if (i < size && data[i] != 'P') {
                m_state = State::Done;
                ++i;
            }
            break;
        }
        case State::Done: {
            // The rest of the piece is of no interest.
            const int next = chunk.indexOf('P', i);
            i = next < 0 ? size : next;
            break;
        }
        }
    }
    if (m_state == State::InField && FieldDecided()) {
        FinishField(&reports);
        m_state = State::Counted; // counted now, but its ")" is still to come
    }
    // Only an open report reaches into the next chunk; whatever else the
    // piece held ends with the chunk.
    if (m_state != State::InField && m_state != State::Counted)
        Reset();
    return reports;
}
