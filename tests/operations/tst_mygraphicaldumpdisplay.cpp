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

// A progress report of track as the tool prints it (unformat counts from 1).
QByteArray Report(int track, int mode = 0)
{
    const int printed = mode == 2 ? track + 1 : track;
    return QString::asprintf("P(T%03d C%02d H%d)\n", printed, track / 2, track % 2).toLatin1();
}

QList<int> States(const MyGraphicalDumpDisplay& map)
{
    QList<int> states;
    for (int t = 0; t < MyGraphicalDumpDisplay::TRACK_COUNT; ++t)
        states.append(map.TrackState(t));
    return states;
}

QImage Render(MyGraphicalDumpDisplay& map)
{
    QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(kBackground);
    map.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
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

bool IsBlack(QRgb rgb) { return (rgb & 0xffffff) == 0; }

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
        QTest::newRow("whole 84") << 0 << 83 << 84 << 0 << 167 << 9;
        QTest::newRow("odd count rounds up") << 0 << 40 << 41 << 0 << 81 << 5;
        QTest::newRow("negative begin") << -5 << 3 << 40 << 0 << 7 << 4;
        QTest::newRow("end beyond the map") << 85 << 500 << 200 << 170 << 179 << 9;
        QTest::newRow("huge values") << INT_MAX << INT_MAX << INT_MAX << -1 << -1 << 9;
        QTest::newRow("end before begin") << 10 << 5 << 40 << -1 << -1 << 4;
        QTest::newRow("negative cylinders") << 0 << 3 << -7 << 0 << 7 << 0;
        QTest::newRow("lowest ints") << INT_MIN << INT_MIN << INT_MIN << -1 << -1 << 0;
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
        Render(map); // paints without a fault whatever the rows
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
        QTest::newRow("all complete") << Report(4) + Report(5) + Report(6) + Report(7) + Report(8) + Report(9)
                                      << QList<int>{};
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
        QTest::newRow("restore threshold 2") << 1 << 2 << t5 << 5 << QList<int>{1, 255, 255};
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

    void reportCountedOnceAcrossChunks()
    {
        const QByteArray stream = Report(3) + "noise\r\n" + Report(3) + Report(4) + "(T999 C99 H1)"
                                  + Report(5) + "P(T005 C02 H1";
        for (int cut = 0; cut <= stream.size(); ++cut) {
            MyGraphicalDumpDisplay map;
            map.InitialTrackState(0, 0, 9, 3, 10);
            map.on_dumpCommandOutputs(stream.left(cut));
            map.on_dumpCommandOutputs(stream.mid(cut));
            QCOMPARE(map.TrackState(3), 2);
            QCOMPARE(map.TrackState(4), 1);
            QCOMPARE(map.TrackState(5), 2);
        }
        // out-of-range reports leave every state alone
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(2, 0, 89, 3, 90);
        const QList<int> before = States(map);
        map.on_dumpCommandOutputs("P(T000 C00 H0)P(T181 C90 H0)P(T-05 C00 H0)");
        QCOMPARE(States(map), before);
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

    void repaintsImmediatelyAtMostOncePerReport()
    {
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.show();
        QVERIFY(QTest::qWaitForWindowExposed(&map));
        map.InitialTrackState(0, 0, 79, 99, 80);
        int painted = map.PaintCount();

        // many reports in one chunk
        QByteArray chunk;
        for (int t = 0; t < 60; ++t)
            chunk += Report(t);
        map.on_dumpCommandOutputs(chunk);
        const int cost = map.PaintCount() - painted;
        QVERIFY(cost >= 1);  // painted at once, before any event is processed
        QVERIFY(cost <= 60); // never more than one repaint per report

        // a chunk without an accepted report does not repaint
        painted = map.PaintCount();
        map.on_dumpCommandOutputs("noise (t001 C00 H0) P(T500 C00 H0)");
        QCOMPARE(map.PaintCount(), painted);

        // one report per chunk: one repaint each, immediately
        for (int t = 0; t < 5; ++t) {
            painted = map.PaintCount();
            map.on_dumpCommandOutputs(Report(100 + t));
            QCOMPARE(map.PaintCount(), painted + 1);
        }

        // What the screen holds after partial repaints of scattered cells and
        // of whole chunks is what a full repaint draws.
        QByteArray burst;
        for (int t = 0; t < 160; ++t)
            burst += Report(t) + (t % 13 == 4 ? Report(t) : QByteArray()) + (t % 29 == 3 ? Report(t) + Report(t) : QByteArray());
        map.on_dumpCommandOutputs(burst);
        map.on_dumpCommandOutputs(Report(7) + Report(71) + Report(150));
        const QImage shown = map.screen()->grabWindow(map.winId()).toImage();
        map.repaint();
        QCOMPARE(shown, map.screen()->grabWindow(map.winId()).toImage());
    }

    // The literal drawing: each cell outlined, filled with its state's colour,
    // Warning and Error with a text; the legend's swatches on the right.
    void picture_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("cylinders");
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<QList<int>>("legend"); // states of the swatches from the second legend row on
        QTest::newRow("dump 80") << 0 << 80 << 15 << QList<int>{1, 2, 255, 0, -1};
        QTest::newRow("dump 84") << 0 << 84 << 13 << QList<int>{1, 2, 255, 0, -1};
        QTest::newRow("unformat 84") << 2 << 84 << 13 << QList<int>{1, 0, -1};
        QTest::newRow("other mode 40") << 7 << 40 << 30 << QList<int>{};
    }

    void picture()
    {
        QFETCH(int, mode);
        QFETCH(int, cylinders);
        QFETCH(int, rowHeight);
        QFETCH(QList<int>, legend);
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.InitialTrackState(mode, 1, cylinders - 2, 3, cylinders);
        // 2 Complete, 3 Warning, 4 Error (threshold 3)
        map.on_dumpCommandOutputs(Report(2, mode) + Report(3, mode) + Report(3, mode) + Report(4, mode)
                                  + Report(4, mode) + Report(4, mode));
        QCOMPARE(map.TrackState(4), 255);
        const QImage image = Render(map);
        const int rows = map.Rows();
        QCOMPARE(rows, (cylinders + 9) / 10);
        auto cellX = [](int column) { return 28 * (column + 1) + (column >= 10 ? 2 : 0); };
        auto dark = [&](const QRect& area) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 100)
                        return true;
            return false;
        };
        for (int r = 0; r < MyGraphicalDumpDisplay::MAX_ROWS; ++r) {
            const int y = int(13.6 + rowHeight * r);
            for (int c = 0; c < MyGraphicalDumpDisplay::TRACKS_PER_ROW; ++c) {
                const int x = cellX(c);
                const QString where = QString("track %1").arg(r * 20 + c);
                if (r >= rows) {
                    QVERIFY2(y + 2 >= 141 || image.pixelColor(x + 2, y + 2) == kBackground, qPrintable(where));
                    continue;
                }
                QVERIFY2(IsBlack(image.pixel(x, y + 1)) && IsBlack(image.pixel(x + 1, y))
                             && IsBlack(image.pixel(x + 28, y + 1)) && IsBlack(image.pixel(x + 1, y + rowHeight)),
                         qPrintable("outline of " + where));
                QVERIFY2(image.pixelColor(x + 2, y + 2) == MyGraphicalDumpDisplay::StateColour(map.TrackState(r * 20 + c)),
                         qPrintable(where));
            }
        }
        const auto inside = [&](int track) {
            return QRect(cellX(track % 20) + 1, int(13.6 + rowHeight * (track / 20)) + 1, 27, rowHeight - 1);
        };
        QVERIFY(!dark(inside(2)));
        QVERIFY(dark(inside(3)));
        QVERIFY(dark(inside(4)));
        for (int p = 0; p <= 6; ++p) {
            const int y = p * 13;
            if (p >= 1 && p <= legend.size()) {
                QVERIFY(IsBlack(image.pixel(613, y + 1)) && IsBlack(image.pixel(613 + 28, y + 1)));
                QCOMPARE(image.pixelColor(615, y + 2), MyGraphicalDumpDisplay::StateColour(legend[p - 1]));
            } else {
                QCOMPARE(image.pixelColor(615, y + 2), kBackground);
            }
        }
    }

    void drawingMatchesReference_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("runs");
        QTest::newRow("761x141 9 rows") << QSize(761, 141) << 0 << 9 << false;
        QTest::newRow("761x141 unformat 4 rows") << QSize(761, 141) << 2 << 4 << false;
        QTest::newRow("tiny") << QSize(120, 40) << 0 << 9 << false;
        QTest::newRow("no rows") << QSize(761, 141) << 0 << 0 << false;
        QTest::newRow("runs of one state beside texts") << QSize(761, 141) << 0 << 9 << true;
        QTest::newRow("runs, odd size") << QSize(803, 167) << 1 << 7 << true;
    }

    void drawingMatchesReference()
    {
        QFETCH(QSize, size);
        QFETCH(int, mode);
        QFETCH(int, rows);
        QFETCH(bool, runs);
        const int kinds[] = {-1, 0, 1, 2, 9, 98, 254, 255, 300};
        // Runs cross the middle of a row and row ends, with texts on both sides.
        const int runKinds[] = {1, 1, 1, 1, 0, 0, -1, -1, -1, 2, 1, 1, 255, 0, 0, 0, -1, 1, 1, 1, 1, 1, 1};
        int states[180];
        for (int t = 0; t < 180; ++t)
            states[t] = runs ? runKinds[t % 23] : kinds[(t * 7) % 9];
        QFont font;
        const QImage reference = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, mode, rows, states);
        QVERIFY(Draw(&MyGraphicalDumpDisplay::DrawMap, size, font, mode, rows, states) == reference);
    }

    // A repaint of a few cells, clipped to them, must leave the same pixels
    // as drawing the whole new map.
    void partialRepaintMatchesReference_data()
    {
        QTest::addColumn<QList<int>>("tracks");
        QTest::newRow("one cell") << QList<int>{42};
        QTest::newRow("last of a half and first of the next") << QList<int>{9, 10};
        QTest::newRow("first and last rows") << QList<int>{0, 159};
        QTest::newRow("neighbours") << QList<int>{20, 21, 40};
    }

    void partialRepaintMatchesReference()
    {
        QFETCH(QList<int>, tracks);
        const QSize size(761, 141);
        const int rows = 8;
        int states[180];
        for (int t = 0; t < 180; ++t)
            states[t] = t < 160 ? 0 : -1;
        QFont font;
        QImage image = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, rows, states);
        const int next[] = {1, 2, 255, 98};
        QRect dirty;
        for (int i = 0; i < tracks.size(); ++i)
            states[tracks.at(i)] = next[i % 4];
        // Dirty rectangle: the bounding box of the cells, as a paint event gives it.
        const QImage expected = Draw(&MyGraphicalDumpDisplay::DrawReference, size, font, 0, rows, states);
        for (int t : tracks) {
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
