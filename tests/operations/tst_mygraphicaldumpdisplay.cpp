#include "fixtures.h"

#include <climits>

#include "trackreportparser.h"

// A progress report of track as the dump tool prints it.
static QByteArray Report(int track)
{
    return QString::asprintf("P(T%03d C%02d H%d)\n", track, track / 2, track % 2).toLatin1();
}

// Pixel rows of area in image that hold a dark pixel.
static int darkRows(const QImage& image, const QRect& area)
{
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 100 && ++rows)
                break;
    return rows;
}

// Track numbers of the reports found when stream is fed cut at cuts.
static QList<int> FeedInPieces(const QByteArray& stream, const QList<int>& cuts, int mode)
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


class TestMyGraphicalDumpDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initialTrackState_data()
    {
        // firstTarget: -1: none
        addColumns<int, int, int, int, int, int>("begin", "end", "cylinders", "firstTarget", "lastTarget", "rows");
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
        const int cylinders = row<int>("cylinders"), firstTarget = row<int>("firstTarget");
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.show();
        map.InitialTrackState(1, row<int>("begin"), row<int>("end"), 2, cylinders);
        QVERIFY(map.Mode() == 1 && map.RetryThreshold() == 2 && map.Cylinders() == cylinders);
        QTEST(map.Rows(), "rows");
        for (int t = 0; t < 180; ++t)
            QCOMPARE(map.TrackState(t), firstTarget >= 0 && t >= firstTarget && t <= row<int>("lastTarget") ? 0 : -1);
        const QImage image = map.grab().toImage(); // paints without a fault whatever the rows
        // Labels hang from the top of their rectangles: with 30 px rows the column
        // label +0 shows above the first row and the row label 0 at the top of its row.
        for (const QRect& band : {QRect(28, 0, 26, 7), QRect(0, 30, 26, 7)})
            QVERIFY(cylinders != 40 || darkRows(image, band) >= 2);
    }

    void specifyTrackState()
    {
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(0, 0, 89, 3, 90);
        QVector<int> all(180, -7); // every track Target, all offered
        QVERIFY(map.GetErrorAndTargetTrack(0, all.data()) == 180 && all[179] == 179);
        for (int t = 0; t < 180; ++t)
            map.AnalyzeDrvDumpInfo(Report(t)); // all Complete
        int tracks[] = {-1, 0, 5, 168, 169, 170, 179, 180, 100000, INT_MIN};
        map.SpecifyTrackState(7, 5, int(sizeof tracks / sizeof *tracks), tracks);
        QVERIFY(map.RetryThreshold() == 5 && map.Mode() == 0 && map.Rows() == 9);
        for (int t = 0; t < 180; ++t)
            QCOMPARE(map.TrackState(t), (t == 0 || t == 5 || t == 168) ? 0 : 1);

        map.SpecifyTrackState(0, 4, 3, nullptr); // no list: only the threshold
        map.SpecifyTrackState(0, 4, -2, tracks);
        QVERIFY(map.RetryThreshold() == 4 && map.TrackState(0) == 0);
    }

    void getErrorAndTargetTrack_data()
    {
        addColumns<QByteArray, QList<int>>("output", "expected");
        // map: cylinders 2 to 4 (tracks 4 to 9), threshold 3
        QTest::newRow("nothing reported") << QByteArray() << QList<int>{4, 5, 6, 7, 8, 9};
        QTest::newRow("warning is not offered") << Report(4) + Report(4) + Report(5) + Report(6) + Report(7) + Report(8) + Report(9) << QList<int>{};
        QTest::newRow("error and target") << Report(4) + Report(4) + Report(4) + Report(5) + Report(7) + Report(8) + Report(9) << QList<int>{4, 6};
        QTest::newRow("non target reported becomes target") << Report(100) << QList<int>{4, 5, 6, 7, 8, 9, 100};
    }

    void getErrorAndTargetTrack()
    {
        QFETCH(QList<int>, expected);
        MyGraphicalDumpDisplay map;
        map.InitialTrackState(0, 2, 4, 3, 40);
        map.on_dumpCommandOutputs(row<QByteArray>("output"));
        QVector<int> tracks(180, -7);
        const int count = map.GetErrorAndTargetTrack(0, tracks.data());
        QCOMPARE(QList<int>(tracks.begin(), tracks.begin() + count), expected);
        QVERIFY(tracks[count] == -7 && map.GetErrorAndTargetTrack(0, nullptr) == count);
    }

    // Reports move a track up to the threshold and then to Error; reports cut
    // between chunks count once; out-of-range ones and pieces cut by a new
    // start (initialise, specify) change nothing.  states: the track after each chunk.
    void reports_data()
    {
        addColumns<int, int, int, QByteArrayList, int, QList<int>>("mode", "threshold", "cylinders", "chunks", "track", "states");
        const QByteArray t5 = "Pass ... (T005 C02 H1) ...\r\n", t120 = "P(T120 C60 H0)";
        QTest::newRow("dump threshold 3") << 0 << 3 << 40 << QByteArrayList{t5, t5, t5, t5} << 5 << QList<int>{1, 2, 255, 255};
        QTest::newRow("unformat threshold 2") << 2 << 2 << 40 << QByteArrayList{"P(T001 C00 H0)", "P(T001 C00 H0)"} << 0 << QList<int>{1, 255};
        QTest::newRow("threshold beyond 255 ends at Error") << 0 << 1000 << 40 << QByteArrayList{t5, t5, t5, t5.repeated(300)} << 5 << QList<int>{1, 2, 3, 255};
        QTest::newRow("non target") << 0 << 3 << 40 << QByteArrayList{t120, t120, t120, t120} << 120 << QList<int>{0, 1, 2, 255};
        QTest::newRow("cut report, out of range ones") << 2 << 3 << 90 << QByteArrayList{"P(T000 C00 H0)P(T181 C90 H0)P(T-05 C0",
                                                                  "0 H0)P(T006 C0", "2 H1)"} << 5 << QList<int>{0, 0, 1};
        QTest::newRow("initialised between") << 2 << 3 << 40 << QByteArrayList{"P(T005 C0", "init", "2 H1)"} << 4 << QList<int>{0, 0, 0};
        QTest::newRow("specified between") << 2 << 3 << 40 << QByteArrayList{"P(T006 C0", "specify", "3 H0)"} << 5 << QList<int>{0, 0, 0};
        // Only a report still open at the end of a chunk reaches into the next one.
        QTest::newRow("retry in the next chunk, no P") << 0 << 3 << 40 << QByteArrayList{"P(T005 C02 H1) retry\r", "(T005 C02 H1) ok"} << 5 << QList<int>{1, 2};
        QTest::newRow("cut before the ), piece goes on") << 0 << 3 << 40 << QByteArrayList{"(T003 C01 H1", ")(T004 C02 H0)"} << 3 << QList<int>{1, 1};
        QTest::newRow("NUL ends only its chunk") << 0 << 3 << 40 << QByteArrayList{QByteArray("P\0(T005 C02 H1)", 15), "(T007 C03 H1)"} << 7 << QList<int>{0, 1};
        QTest::newRow("noise chunks") << 0 << 3 << 40 << QByteArrayList{"\x1b[1;32m[drive 0] (wait)", "(T010 C05 H0)", "\x1b[K\r(T010 C05 H0)"} << 10 << QList<int>{0, 1, 2};
    }

    void reports()
    {
        QFETCH(int, mode); QFETCH(int, threshold); QFETCH(int, cylinders); QFETCH(int, track);
        MyGraphicalDumpDisplay map, fresh;
        for (auto* m : {&map, &fresh})
            m->InitialTrackState(mode, 0, cylinders - 1, threshold, cylinders);
        int six[] = {6};
        QList<int> states;
        for (const QByteArray& chunk : row<QByteArrayList>("chunks")) {
            if (chunk == "init")
                map.InitialTrackState(mode, 0, cylinders - 1, threshold, cylinders);
            else if (chunk == "specify")
                map.SpecifyTrackState(mode, threshold, 1, six);
            else
                map.on_dumpCommandOutputs(chunk);
            states << map.TrackState(track);
        }
        QTEST(states, "states");
        for (int t = 0; t < MyGraphicalDumpDisplay::TRACK_COUNT; ++t) // nothing else moved
            QCOMPARE(map.TrackState(t), t == track ? states.last() : fresh.TrackState(t));
    }

    // A chunk repaints at once and only what it changed (scattered cells,
    // neighbours, the last cell of a half and the first of the next): the
    // screen then holds what a full repaint draws.
    void chunkRepaintsMatchFullRepaint()
    {
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        QVERIFY(QTest::qWaitForWindowExposed((map.show(), &map)));
        map.InitialTrackState(0, 0, 79, 3, 80);
        QByteArray burst;
        for (int t = 0; t < 160; ++t)
            burst += Report(t) + (t % 13 == 4 ? Report(t) + Report(t) + Report(t) : QByteArray());
        for (const QByteArray& chunk : {burst, Report(7) + Report(71) + Report(150), Report(9) + Report(10), Report(20) + Report(21) + Report(40)}) {
            const int painted = map.PaintCount();
            map.on_dumpCommandOutputs(chunk);
            QCOMPARE(map.PaintCount(), painted + 1);
            const QImage shown = map.screen()->grabWindow(map.winId()).toImage();
            map.repaint();
            QCOMPARE(shown, map.screen()->grabWindow(map.winId()).toImage());
        }
    }

    // The fast drawing leaves the pixels of the reference drawing.
    void drawingMatchesReference()
    {
        const QSize size(761, 141);
        const int kinds[] = {-1, 0, 1, 2, 9, 98, 254, 255, 300};
        // Runs cross the middle of a row and row ends, with texts on both sides.
        const int runKinds[] = {1, 1, 1, 1, 0, 0, -1, -1, -1, 2, 1, 1, 255, 0, 0, 0, -1, 1, 1, 1, 1, 1, 1};
        for (bool runs : {false, true}) {
            int states[180];
            for (int t = 0; t < 180; ++t)
                states[t] = runs ? runKinds[t % 23] : kinds[(t * 7) % 9];
            QImage images[2]; // the reference drawing, the fast one
            for (int i = 0; i < 2; ++i) {
                images[i] = QImage(size, QImage::Format_ARGB32_Premultiplied);
                images[i].fill(QColor(90, 120, 150));
                QPainter painter(&images[i]);
                (i ? MyGraphicalDumpDisplay::DrawMap : MyGraphicalDumpDisplay::DrawReference)(&painter, size, QFont(), 0, 9, states);
            }
            QVERIFY2(images[0] == images[1], runs ? "runs of one state beside texts" : "every kind of state");
        }
    }

    // The report parser beneath the map.
    void field_data()
    {
        addColumns<QString, bool, int, int, int>("field", "ok", "track", "cylinder", "head");
        QTest::newRow("more after head") << "T159 C79 H1 retry 2" << true << 159 << 79 << 1;
        QTest::newRow("no number reads 0") << "Txyz Cab Hq" << true << 0 << 0 << 0;
        for (const char* bad : {"T005 C02 H", "T005 C02 H ", "t005 C02 H1", "T005C 02 H1"}) // short, trimmed short, lower t, C off
            QTest::newRow(bad) << bad << false << 0 << 0 << 0;
    }

    void field()
    {
        TrackReportParser::Report r;
        QTEST(TrackReportParser::ParseField(row<QString>("field"), 0, &r), "ok");
        if (row<bool>("ok"))
            QCOMPARE(QList<int>({r.track, r.cylinder, r.head}), QList<int>({row<int>("track"), row<int>("cylinder"), row<int>("head")}));
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
        QTest::newRow("blanks before the field") << QByteArray("P(     T004 C02 H0   )P(T006 C03 H0)") << 0 << QList<int>{4, 6};
        QTest::newRow("rejected pieces") << QByteArray("P(t004 C02 H0)P(T005 C02 H)P(T006 C03 H0)") << 0 << QList<int>{6};
        // U+3000 where the head belongs is trimmed: the field is too short.
        QTest::newRow("wide blank for the head") << QByteArray("P(T005 C02 H\xe3\x80\x80)P(T006 C03 H1)") << 0 << QList<int>{6};
        QByteArray escaped; QList<int> all;
        for (int t = 0; t < 160; all << t++)
            escaped += QString::asprintf("P\x1b[1A(T%03d C%02d H%d) r%d\r\n", t, t / 2, t % 2, t % 3).toLatin1();
        QTest::newRow("160 reports behind escapes") << escaped << 0 << all;
    }

    void stream()
    {
        QFETCH(QByteArray, stream); QFETCH(int, mode); QFETCH(QList<int>, tracks);
        QList<int> everyByte;
        for (int cut = 0; cut <= stream.size(); everyByte << cut++) // cut at every place
            QVERIFY2(FeedInPieces(stream, {cut}, mode) == tracks, qPrintable(QString("cut at %1").arg(cut)));
        QCOMPARE(FeedInPieces(stream, everyByte, mode), tracks); // and one byte at a time
    }
};

QTEST_MAIN(TestMyGraphicalDumpDisplay)
#include "tst_mygraphicaldumpdisplay.moc"
