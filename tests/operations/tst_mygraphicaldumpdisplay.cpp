#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <iterator>

#include "mygraphicaldumpdisplay.h"

namespace {

const QColor kBackground(90, 120, 150);

// A progress report of track as the dump tool prints it.
QByteArray Report(int track)
{
    return QString::asprintf("P(T%03d C%02d H%d)\n", track, track / 2, track % 2).toLatin1();
}

using DrawFunction = void (*)(QPainter*, const QSize&, const QFont&, int, int, const int*);

QImage Draw(DrawFunction draw, const QSize& size, const QFont& font, int mode, int rows,
            const int* states)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kBackground);
    QPainter painter(&image);
    draw(&painter, size, font, mode, rows, states);
    return image;
}

} // namespace

class TestMyGraphicalDumpDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initialTrackState_data()
    {
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("cylinders");
        QTest::addColumn<int>("firstTarget"); // -1: none
        QTest::addColumn<int>("lastTarget");
        QTest::addColumn<int>("rows");
        QTest::newRow("2 to 4 of 40") << 2 << 4 << 40 << 4 << 9 << 4;
        QTest::newRow("odd count rounds up") << 0 << 40 << 41 << 0 << 81 << 5;
        QTest::newRow("negative begin") << -5 << 3 << 40 << 0 << 7 << 4;
        QTest::newRow("end beyond the map") << 85 << 500 << 200 << 170 << 179 << 9;
        QTest::newRow("huge values") << INT_MAX << INT_MAX << INT_MAX << -1 << -1 << 9;
        QTest::newRow("end before begin") << 10 << 5 << 40 << -1 << -1 << 4;
        QTest::newRow("negative cylinders") << 0 << 3 << -7 << 0 << 7 << 0;
    }

    void initialTrackState()
    {
        QFETCH(int, begin);
        QFETCH(int, end);
        QFETCH(int, cylinders);
        QFETCH(int, firstTarget);
        QFETCH(int, lastTarget);
        QFETCH(int, rows);
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.show();
        map.InitialTrackState(1, begin, end, 2, cylinders);
        QCOMPARE(map.Mode(), 1);
        QCOMPARE(map.RetryThreshold(), 2);
        QCOMPARE(map.Cylinders(), cylinders);
        QCOMPARE(map.Rows(), rows);
        for (int t = 0; t < 180; ++t) {
            const bool target = firstTarget >= 0 && t >= firstTarget && t <= lastTarget;
            QCOMPARE(map.TrackState(t), target ? 0 : -1);
        }
        map.grab(); // paints without a fault whatever the rows
    }

    void specifyTrackState()
    {
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(0, 0, 89, 3, 90);
        for (int t = 0; t < 180; ++t)
            map.AnalyzeDrvDumpInfo(Report(t)); // all Complete
        int tracks[] = {-1, 0, 5, 168, 169, 170, 179, 180, 100000, INT_MIN};
        map.SpecifyTrackState(7, 5, int(sizeof tracks / sizeof *tracks), tracks);
        QCOMPARE(map.RetryThreshold(), 5);
        QCOMPARE(map.Mode(), 0);
        QCOMPARE(map.Rows(), 9);
        for (int t = 0; t < 180; ++t)
            QCOMPARE(map.TrackState(t), (t == 0 || t == 5 || t == 168) ? 0 : 1);

        map.SpecifyTrackState(0, 4, 3, nullptr); // no list: only the threshold
        map.SpecifyTrackState(0, 4, -2, tracks);
        QCOMPARE(map.RetryThreshold(), 4);
        QCOMPARE(map.TrackState(0), 0);
    }

    void getErrorAndTargetTrack_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QList<int>>("expected");
        // map: cylinders 2 to 4 (tracks 4 to 9), threshold 3
        QTest::newRow("nothing reported") << QByteArray() << QList<int>{4, 5, 6, 7, 8, 9};
        QTest::newRow("warning is not offered")
            << Report(4) + Report(4) + Report(5) + Report(6) + Report(7) + Report(8) + Report(9)
            << QList<int>{};
        QTest::newRow("error and target")
            << Report(4) + Report(4) + Report(4) + Report(5) + Report(7) + Report(8) + Report(9)
            << QList<int>{4, 6};
        QTest::newRow("non target reported becomes target") << Report(100) << QList<int>{4, 5, 6, 7, 8, 9, 100};
    }

    void getErrorAndTargetTrack()
    {
        QFETCH(QByteArray, output);
        QFETCH(QList<int>, expected);
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(0, 2, 4, 3, 40);
        map.on_dumpCommandOutputs(output);
        int tracks[180];
        std::fill(std::begin(tracks), std::end(tracks), -7);
        const int count = map.GetErrorAndTargetTrack(0, tracks);
        QCOMPARE(count, expected.size());
        QCOMPARE(QList<int>(tracks, tracks + count), expected);
        QCOMPARE(tracks[count], -7);
        QCOMPARE(map.GetErrorAndTargetTrack(0, nullptr), count);

        MyGraphicalDumpDisplay full;
        full.InitialTrackState(0, 0, 89, 3, 90); // every track Target
        QCOMPARE(full.GetErrorAndTargetTrack(0, tracks), 180);
        QCOMPARE(tracks[179], 179);
    }

    void reportSequences_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("track");
        QTest::addColumn<QList<int>>("states"); // after each report

        const QByteArray t5 = "Pass ... (T005 C02 H1) ...\r\n";
        QTest::newRow("dump threshold 3") << 0 << 3 << t5 << 5 << QList<int>{1, 2, 255, 255};
        QTest::newRow("unformat threshold 2") << 2 << 2 << QByteArray("P(T001 C00 H0)") << 0
                                              << QList<int>{1, 255};
        QTest::newRow("threshold beyond 255 ends at Error") << 0 << 1000 << t5 << 5
                                                            << QList<int>{1, 2, 3};
        QTest::newRow("non target") << 0 << 3 << QByteArray("P(T120 C60 H0)") << 120
                                    << QList<int>{0, 1, 2, 255};
    }

    void reportSequences()
    {
        QFETCH(int, mode);
        QFETCH(int, threshold);
        QFETCH(QByteArray, report);
        QFETCH(int, track);
        QFETCH(QList<int>, states);
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(mode, 0, 39, threshold, 40);
        for (int state : states) {
            map.on_dumpCommandOutputs(report);
            QCOMPARE(map.TrackState(track), state);
        }
        // nothing else moved
        for (int t = 0; t < 180; ++t) {
            if (t != track)
                QCOMPARE(map.TrackState(t), t < 80 ? 0 : -1);
        }
        if (threshold == 1000) {
            for (int i = 0; i < 300; ++i)
                map.on_dumpCommandOutputs(report);
            QCOMPARE(map.TrackState(track), 255);
        }
    }

    void reportsAcrossChunksAndOutOfRange()
    {
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(2, 0, 89, 3, 90);
        map.on_dumpCommandOutputs("P(T000 C00 H0)P(T181 C90 H0)P(T-05 C0");
        map.on_dumpCommandOutputs("0 H0)P(T006 C0");
        for (int t = 0; t < MyGraphicalDumpDisplay::TRACK_COUNT; ++t)
            QCOMPARE(map.TrackState(t), 0); // out-of-range reports leave every state alone
        map.on_dumpCommandOutputs("2 H1)");
        QCOMPARE(map.TrackState(5), 1); // a report cut between chunks counts once
    }

    void freshKeepingAfterInitialisation()
    {
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(0, 0, 39, 3, 40);
        map.on_dumpCommandOutputs("P(T005 C0");
        map.InitialTrackState(0, 0, 39, 3, 40);
        map.on_dumpCommandOutputs("2 H1)");
        QCOMPARE(map.TrackState(5), 0);

        map.on_dumpCommandOutputs("P(T006 C0");
        int tracks[] = {6};
        map.SpecifyTrackState(0, 3, 1, tracks);
        map.on_dumpCommandOutputs("3 H0)");
        QCOMPARE(map.TrackState(6), 0);
    }

    // A chunk repaints at once and only what it changed (scattered cells or
    // their bounding box): the screen then holds what a full repaint draws.
    void chunkRepaintsMatchFullRepaint()
    {
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.show();
        QVERIFY(QTest::qWaitForWindowExposed(&map));
        map.InitialTrackState(0, 0, 79, 3, 80);
        QByteArray burst;
        for (int t = 0; t < 160; ++t)
            burst += Report(t) + (t % 13 == 4 ? Report(t) + Report(t) + Report(t) : QByteArray());
        const int painted = map.PaintCount();
        map.on_dumpCommandOutputs(burst);
        map.on_dumpCommandOutputs(Report(7) + Report(71) + Report(150));
        QCOMPARE(map.PaintCount(), painted + 2);
        const QImage shown = map.screen()->grabWindow(map.winId()).toImage();
        map.repaint();
        QCOMPARE(shown, map.screen()->grabWindow(map.winId()).toImage());
    }

    // The fast drawing, whole or clipped to the cells that changed, leaves
    // the pixels of the reference drawing.
    void drawingMatchesReference_data()
    {
        QTest::addColumn<bool>("runs");
        QTest::addColumn<QList<int>>("changed"); // empty: the whole map is drawn
        QTest::newRow("every kind of state") << false << QList<int>{};
        QTest::newRow("runs of one state beside texts") << true << QList<int>{};
        QTest::newRow("last of a half and first of the next") << false << QList<int>{9, 10};
        QTest::newRow("neighbours") << false << QList<int>{20, 21, 40};
    }

    void drawingMatchesReference()
    {
        QFETCH(bool, runs);
        QFETCH(QList<int>, changed);
        const QSize size(761, 141);
        const QFont font;
        const int kinds[] = {-1, 0, 1, 2, 9, 98, 254, 255, 300};
        // Runs cross the middle of a row and row ends, with texts on both sides.
        const int runKinds[] = {1, 1, 1, 1, 0, 0, -1, -1, -1, 2, 1, 1, 255, 0, 0, 0, -1, 1, 1, 1, 1, 1, 1};
        int states[180];
        for (int t = 0; t < 180; ++t)
            states[t] = !changed.isEmpty() ? (t < 160 ? 0 : -1) : runs ? runKinds[t % 23] : kinds[(t * 7) % 9];
        if (changed.isEmpty()) {
            const QImage reference = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, 9, states);
            QVERIFY(Draw(&MyGraphicalDumpDisplay::DrawMap, size, font, 0, 9, states) == reference);
            return;
        }
        const int rows = 8;
        QImage image = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, rows, states);
        const int next[] = {1, 2, 255, 98};
        for (int i = 0; i < changed.size(); ++i)
            states[changed.at(i)] = next[i % 4];
        const QImage expected = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, rows, states);
        // Dirty rectangle: the bounding box of the cells, as a paint event gives it.
        QRect dirty;
        for (int t : changed) {
            int cleared[180];
            std::copy(states, states + 180, cleared);
            cleared[t] = -1;
            const QImage without = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, rows, cleared);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    if (without.pixel(x, y) != expected.pixel(x, y))
                        dirty |= QRect(x, y, 1, 1);
        }
        QPainter painter(&image);
        painter.setClipRect(dirty);
        MyGraphicalDumpDisplay::DrawMapPart(&painter, size, font, 0, rows, states, dirty);
        painter.end();
        QVERIFY(image == expected);
    }
};

QTEST_MAIN(TestMyGraphicalDumpDisplay)
#include "tst_mygraphicaldumpdisplay.moc"
