// Progress reports fed as a sequence of chunks cut anywhere.  Input: one byte
// of mode, then records of one length byte and that many bytes of output.
// Where every report has its own "P" (no piece between two "P" holds a second
// "(") and no NUL byte cuts a piece short, the reports found must not depend
// on where the output was cut.  Any other input must only not crash.
#include <cstddef>
#include <cstdint>

#include <QLoggingCategory>

#include "trackreportparser.h"

namespace {

bool sameReports(const QVector<TrackReportParser::Report>& a, const QVector<TrackReportParser::Report>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].track != b[i].track || a[i].cylinder != b[i].cylinder || a[i].head != b[i].head)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int mode = data[0] % 3;
    size_t pos = 1;

    TrackReportParser chunked(mode);
    QVector<TrackReportParser::Report> pieces;
    QByteArray whole;
    while (pos < size) {
        const size_t length = std::min<size_t>(data[pos], size - pos - 1);
        ++pos;
        const QByteArray chunk(reinterpret_cast<const char*>(data + pos), int(length));
        pos += length;
        whole.append(chunk);
        pieces += chunked.Feed(chunk);
    }

    TrackReportParser once(mode);
    const QVector<TrackReportParser::Report> all = once.Feed(whole);
    if (whole.contains('\0'))
        return 0;
    for (const QByteArray& piece : whole.split('P')) {
        if (piece.count('(') > 1)
            return 0;
    }
    if (!sameReports(pieces, all))
        __builtin_trap();
    return 0;
}
