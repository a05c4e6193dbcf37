#include <QtTest>

#include "trackreportparser.h"

// Chunks as the runner hands them over: only a report still open at the end
// of a chunk reaches into the next one.
class TestReportCarry : public QObject
{
    Q_OBJECT
private slots:
    void carry_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<int>>("tracks");
        QTest::newRow("retry of a track in the next chunk, no P") << QList<QByteArray>{"P(T005 C02 H1) retry\r", "(T005 C02 H1) ok\n"}
                                                                   << QList<int>{5, 5};
        QTest::newRow("two reports in one chunk are one piece") << QList<QByteArray>{"(T003 C01 H1)(T004 C02 H0)"}
                                                                << QList<int>{3};
        QTest::newRow("cut before the ), piece goes on") << QList<QByteArray>{"(T003 C01 H1", ")(T004 C02 H0)"}
                                                        << QList<int>{3};
        QTest::newRow("cut inside the number") << QList<QByteArray>{"junk (T00", "3 C01 H1) x (T009 C04 H1)"}
                                               << QList<int>{3};
        QTest::newRow("NUL ends only its chunk") << QList<QByteArray>{QByteArray("P\0(T005 C02 H1)", 15), "(T007 C03 H1)"}
                                                 << QList<int>{7};
        QTest::newRow("noise chunks between") << QList<QByteArray>{"\x1b[1;32m[drive 0]\x1b[0m (wait)", "(T010 C05 H0) ok",
                                                                   "\x1b[K\r(T010 C05 H0) ok", "\x1b[3D(T010 C05 H0)"}
                                              << QList<int>{10, 10, 10};
        QTest::newRow("open field ended by P") << QList<QByteArray>{"(T011 C05", "P(T012 C06 H0)"} << QList<int>{12};
    }

    void carry()
    {
        QFETCH(QList<QByteArray>, chunks);
        TrackReportParser parser;
        QList<int> tracks;
        for (const QByteArray& chunk : chunks) {
            for (const auto& report : parser.Feed(chunk))
                tracks << report.track;
        }
        QTEST(tracks, "tracks");
    }
};

QTEST_GUILESS_MAIN(TestReportCarry)
#include "tst_reportcarry.moc"
