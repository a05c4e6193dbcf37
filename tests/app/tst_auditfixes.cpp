#include <QtTest>
#include <QtWidgets>

#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "settingdialog.h"
#include "testenv.h"
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

// Faults found by audit, one test each, on one window.
class TestAuditFixes : public QObject
{
    Q_OBJECT
    TestEnv m_env;
    MainWindow* m_window = nullptr;

private slots:
    void initTestCase()
    {
        MyCommon::SetApplicationInifilePathForTest(m_env.settingsPath());
        m_window = new MainWindow;
        m_window->show();
    }
    void cleanupTestCase() { delete m_window; }

    // Output chunks as the runner hands them over: only a report still open
    // at the end of a chunk reaches into the next one.
    void reportCarry_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<int>>("tracks");
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

    // The browser goes to the chosen mark: the second of two with the same
    // last folder name, and again when the list already shows it.
    void markList()
    {
        FDImageSelector* browser = m_window->form()->WDT_EMU_FDIMAGESELECTOR;
        for (const char* folder : {"a/x", "b/x"})
            QVERIFY(QDir().mkpath(m_env.path(folder)) && MarkManage::getInstance()->Add(m_env.path(folder)));
        browser->SetupMarkFolderList();
        for (int pick = 0; pick < 2; ++pick) {
            browser->SetRootPath(m_env.path(), false);
            ModalAnswer answer([](QWidget* popup) {
                auto* table = popup->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST");
                emit table->itemClicked(table->item(1, 0));
            });
            browser->findChild<MyParameterButton*>("BTN_WDG_MARKLIST")->click();
            QCOMPARE(browser->GetShownFolder(), m_env.path("b/x"));
        }
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
        const auto white = [](QColor c) { return qMin(c.red(), qMin(c.green(), c.blue())) >= 250; };
        QVERIFY(rowsWith(m_window->form()->label->grab().toImage(), QRect(0, 0, 331, 65), white) >= 8);
    }

    // Browse and Backup of the settings dialog choose in file mode.
    void settingChoosers()
    {
        SettingDialog dialog(m_window);
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
