#include "fixtures.h"
#include "settingdialog.h"
#include "trackreportparser.h"
#include "ui_mainwindow.h"

// Rows of area in image that hold a pixel for which keep(colour) is true.
static int rowsWith(const QImage& image, const QRect& area, const std::function<bool(QColor)>& keep)
{
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (keep(image.pixelColor(x, y)) && ++rows)
                break;
    return rows;
}

// Faults found by audit, one test each.
class TestAuditFixes : public QObject
{
    Q_OBJECT
    TestEnv m_env;

private slots:
    void initTestCase() { m_env.openSettings(); }
    void cleanupTestCase() { MyCommon::getInstance()->DeleteSettingInstance(); }

    // Output chunks as the runner hands them over: only a report still open
    // at the end of a chunk reaches into the next one.
    void reportCarry_data()
    {
        addColumns<QList<QByteArray>, QList<int>>("chunks", "tracks");
        QTest::newRow("retry in the next chunk, no P") << QList<QByteArray>{"P(T005 C02 H1) retry\r", "(T005 C02 H1) ok"} << QList<int>{5, 5};
        QTest::newRow("cut before the ), piece goes on") << QList<QByteArray>{"(T003 C01 H1", ")(T004 C02 H0)"} << QList<int>{3};
        QTest::newRow("NUL ends only its chunk") << QList<QByteArray>{QByteArray("P\0(T005 C02 H1)", 15), "(T007 C03 H1)"} << QList<int>{7};
        QTest::newRow("noise chunks") << QList<QByteArray>{"\x1b[1;32m[drive 0] (wait)", "(T010 C05 H0)", "\x1b[K\r(T010 C05 H0)"} << QList<int>{10, 10};
    }
    void reportCarry()
    {
        QFETCH(QList<QByteArray>, chunks);
        TrackReportParser parser;
        QList<int> tracks;
        for (const QByteArray& chunk : chunks)
            for (const auto& report : parser.Feed(chunk))
                tracks << report.track;
        QTEST(tracks, "tracks");
    }

    // Map labels hang from the top of their rectangles: on a 40-cylinder map
    // (rows 30 px high) the column label +0 shows above the first row and the
    // row label 0 at the top of its row.
    void mapLabels()
    {
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.InitialTrackState(0, 0, 39, 3, 40);
        const QImage image = map.grab().toImage();
        for (const QRect& band : {QRect(28, 0, 26, 7), QRect(0, 30, 26, 7)})
            QVERIFY(rowsWith(image, band, [](QColor c) { return c.lightness() < 100; }) >= 2);
    }

    // The controller title has a white outline round its gradient glyphs
    // (the fill itself is white in one row at most).
    void titleOutline()
    {
        MainWindow window;
        window.show();
        const auto white = [](QColor c) { return qMin(c.red(), qMin(c.green(), c.blue())) >= 250; };
        QVERIFY(rowsWith(window.form()->label->grab().toImage(), QRect(0, 0, 331, 65), white) >= 8);
    }

    // Browse and Backup of the settings dialog choose in file mode.
    void settingChoosers()
    {
        SettingDialog dialog(nullptr);
        dialog.findChild<QRadioButton*>("RDO_SET_SPECIFIED_FOLDER")->click();
        for (const char* button : {"BTN_SET_SPECIFIED_BROWSE", "BTN_SET_BACKUP"}) {
            QString seen;
            ModalAnswer answer([&seen](QWidget* modal) {
                auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal);
                seen = chooser->findChild<QLabel*>("LBL_DIALOG_TITLE")->text();
                chooser->reject();
            });
            dialog.findChild<QPushButton*>(button)->click();
            QCOMPARE(seen, QString("File Select Dialog"));
        }
    }
};

QTEST_MAIN(TestAuditFixes)
#include "tst_auditfixes.moc"
