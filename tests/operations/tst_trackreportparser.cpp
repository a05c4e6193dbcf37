#include <QtTest>

#include "table.h"

#include "trackreportparser.h"

namespace {

// Track numbers of the reports found when stream is fed cut at cuts.
QList<int> FeedInPieces(const QByteArray& stream, const QList<int>& cuts, int mode)
{
    TrackReportParser parser(mode);
    QList<int> tracks;
    int from = 0;
    for (int cut : cuts + QList<int>{int(stream.size())}) {
        for (const auto& r : parser.Feed(stream.mid(from, cut - from)))
            tracks.append(r.track);
        from = cut;
    }
    return tracks;
}

} // namespace

class TestTrackReportParser : public QObject
{
    Q_OBJECT

private slots:
    void field_data()
    {
        addColumns<QString, bool, int, int, int>("field", "ok", "track", "cylinder", "head");
        QTest::newRow("more after head") << "T159 C79 H1 retry 2" << true << 159 << 79 << 1;
        QTest::newRow("no number reads 0") << "Txyz Cab Hq" << true << 0 << 0 << 0;
        QTest::newRow("ten characters") << "T005 C02 H" << false << 0 << 0 << 0;
        QTest::newRow("trailing blank trimmed") << "T005 C02 H " << false << 0 << 0 << 0;
        QTest::newRow("lower t") << "t005 C02 H1" << false << 0 << 0 << 0;
        QTest::newRow("C one place off") << "T005C 02 H1" << false << 0 << 0 << 0;
    }

    void field()
    {
        QFETCH(bool, ok);
        TrackReportParser::Report r;
        QCOMPARE(TrackReportParser::ParseField(row<QString>("field"), 0, &r), ok);
        if (ok) {
            QTEST(r.track, "track");
            QTEST(r.cylinder, "cylinder");
            QTEST(r.head, "head");
        }
    }

    // Fed whole, cut in two at every place and one byte at a time, a stream gives the same reports.
    void stream_data()
    {
        addColumns<QByteArray, int, QList<int>>("stream", "mode", "tracks");
        QTest::newRow("reports with text around, last unclosed")
            << QByteArray("Pass 1 (T000 C00 H0) ok\r\nPass 2 (T001 C00 H1) retry\r\nPass 3 (T001 C00 H1)\r\nP(T002 C01 H0")
            << 0 << QList<int>{0, 1, 1, 2};
        QTest::newRow("field ends at next (") << QByteArray("(T003 C01 H1(x)") << 0 << QList<int>{3};
        QTest::newRow("P inside the field splits it") << QByteArray("(T005 CP02 H1)") << 0 << QList<int>{};
        QTest::newRow("lower-case p does not split") << QByteArray("p(T005 C02 H1)") << 0 << QList<int>{5};
        QTest::newRow("NUL inside the field") << QByteArray("P(T005 C02 H1\0)", 15) << 0 << QList<int>{5};
        QTest::newRow("NUL cuts the field short") << QByteArray("P(T005 C02 \0H1)", 15) << 0 << QList<int>{};
        QTest::newRow("unformat counts from 1") << QByteArray("P(T001 C00 H0)P(T000 C00 H0)") << 2 << QList<int>{0, -1};
        QTest::newRow("out of range passed on") << QByteArray("P(T999 C99 H1)") << 0 << QList<int>{999};
        QTest::newRow("blanks before the field") << QByteArray("P(     T004 C02 H0   )P(T006 C03 H0)") << 0
                                                 << QList<int>{4, 6};
        QTest::newRow("rejected pieces") << QByteArray("P(t004 C02 H0)P(T005 C02 H)P(T006 C03 H0)") << 0
                                         << QList<int>{6};
        // U+3000 where the head belongs is trimmed: the field is too short.
        QTest::newRow("wide blank for the head") << QByteArray("P(T005 C02 H\xe3\x80\x80)P(T006 C03 H1)") << 0
                                                 << QList<int>{6};
        QByteArray escaped;
        QList<int> all;
        for (int t = 0; t < 160; all << t++)
            escaped += QString::asprintf("P\x1b[1A(T%03d C%02d H%d) r%d\r\n", t, t / 2, t % 2, t % 3).toLatin1();
        QTest::newRow("160 reports behind escapes") << escaped << 0 << all;
    }

    void stream()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, mode);
        QFETCH(QList<int>, tracks);
        QCOMPARE(FeedInPieces(stream, {}, mode), tracks);
        QList<int> everyByte;
        for (int i = 1; i < stream.size(); ++i)
            everyByte << i;
        QCOMPARE(FeedInPieces(stream, everyByte, mode), tracks);
        for (int cut = 0; cut <= stream.size(); ++cut) {
            const QList<int> got = FeedInPieces(stream, {cut}, mode);
            if (got != tracks)
                QFAIL(qPrintable(QString("cut at %1: %2 reports").arg(cut).arg(got.size())));
        }
    }

    void resetDropsUnfinishedPiece()
    {
        TrackReportParser parser;
        QVERIFY(parser.Feed("P(T005 C0").isEmpty());
        QVERIFY(parser.HasUnfinishedField());
        parser.Reset();
        QVERIFY(!parser.HasUnfinishedField());
        QVERIFY(parser.Feed("2 H1)").isEmpty());
        const auto reports = parser.Feed("P(T006 C03 H0)");
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.first().track, 6);
    }
};

QTEST_GUILESS_MAIN(TestTrackReportParser)
#include "tst_trackreportparser.moc"
