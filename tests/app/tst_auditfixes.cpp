#include <QtTest>
#include <QtWidgets>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "settingdialog.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {
// Rows of image that hold a pixel for which keep(colour) is true.
int rowsWith(const QImage& image, const QRect& area, const std::function<bool(QColor)>& keep)
{
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int x = area.left();
        while (x <= area.right() && !keep(image.pixelColor(x, y)))
            ++x;
        rows += x <= area.right();
    }
    return rows;
}
} // namespace

// Faults found by audit, one test each, on one window.
class TestAuditFixes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MyCommon::SetApplicationInifilePathForTest(m_env.settingsPath());
        m_window = new MainWindow;
        m_window->show();
    }
    void cleanupTestCase() { delete m_window; }

    // The browser goes to the chosen mark, also to the one its list shows,
    // and to the second of two marks with the same last folder name.
    void markList_data()
    {
        QTest::addColumn<QList<int>>("picks"); // the browser leaves the mark between picks
        QTest::addColumn<QString>("shown");
        QTest::newRow("second of two named x") << QList<int>{1} << "b/x";
        QTest::newRow("the mark already shown") << QList<int>{1, 1} << "b/x";
        QTest::newRow("first of two named x") << QList<int>{1, 0} << "a/x";
    }
    void markList()
    {
        QFETCH(QList<int>, picks);
        FDImageSelector* browser = m_window->form()->WDT_EMU_FDIMAGESELECTOR;
        MarkManage::getInstance()->AllClear();
        for (const char* folder : {"a/x", "b/x"}) {
            QDir().mkpath(m_env.path(folder));
            QVERIFY(MarkManage::getInstance()->Add(m_env.path(folder)));
        }
        browser->SetupMarkFolderList();
        auto* list = browser->findChild<MyParameterButton*>("BTN_WDG_MARKLIST");
        for (int row : picks) {
            browser->SetRootPath(m_env.path(), false);
            ModalAnswer answer([row](QWidget* popup) {
                auto* table = popup->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST");
                emit table->itemClicked(table->item(row, 0));
            });
            list->click();
            QCOMPARE(answer.answered(), 1);
        }
        QFETCH(QString, shown);
        QCOMPARE(browser->GetShownFolder(), m_env.path(shown));
    }

    // Row and column labels hang from the top of their rectangles: on a
    // 40-cylinder map (rows 30 px high) they show above and beside the cells.
    void mapLabels_data()
    {
        QTest::addColumn<QRect>("band");
        QTest::newRow("column label +0, above the first row") << QRect(28, 0, 26, 7);
        QTest::newRow("row label 0, at the top of its row") << QRect(0, 30, 26, 7);
    }
    void mapLabels()
    {
        QFETCH(QRect, band);
        MyGraphicalDumpDisplay map;
        map.resize(761, 141);
        map.InitialTrackState(0, 0, 39, 3, 40);
        const QImage image = map.grab().toImage();
        QVERIFY(rowsWith(image, band, [](QColor c) { return c.lightness() < 100; }) >= 2);
    }

    // The controller title: white outline around gradient glyphs (the fill
    // is white in one row at most).
    void titleOutline()
    {
        const QImage image = m_window->form()->label->grab().toImage();
        const auto white = [](QColor c) { return c.red() >= 250 && c.green() >= 250 && c.blue() >= 250; };
        QVERIFY(rowsWith(image, image.rect(), white) >= 8);
    }

    // Browse and Backup of the settings dialog choose in file mode.
    void settingChoosers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Browse") << "BTN_SET_SPECIFIED_BROWSE";
        QTest::newRow("Backup") << "BTN_SET_BACKUP";
    }
    void settingChoosers()
    {
        QFETCH(QString, button);
        SettingDialog dialog(m_window);
        dialog.findChild<QRadioButton*>("RDO_SET_SPECIFIED_FOLDER")->click();
        QString title;
        bool files = false;
        ModalAnswer answer([&](QWidget* modal) {
            auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal);
            title = chooser->findChild<QLabel*>("LBL_DIALOG_TITLE")->text();
            files = chooser->Selector()->Model()->filter() & QDir::Files;
            chooser->reject();
        });
        dialog.findChild<QPushButton*>(button)->click();
        QCOMPARE(title, QString("File Select Dialog"));
        QVERIFY(files);
    }

private:
    TestEnv m_env;
    MainWindow* m_window = nullptr;
};

QTEST_MAIN(TestAuditFixes)
#include "tst_auditfixes.moc"
