// Checks of the main window form and of the version badge: object names,
// kinds, texts, placement, grid cells and the start state.  The form is set
// up on a bare QMainWindow so that nothing of the window's behaviour runs.

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

// The path makes the build generate its own copy of the form's header from
// app/mainwindow.ui for this test.
#include "../../app/ui_mainwindow.h"

#include "mycommon.h"
#include "versioninfo.h"

namespace {

// The program's own widgets build their insides themselves; names inside
// them belong to them, not to the form.
bool isOwnWidget(const QObject* o)
{
    static const QSet<QString> own = {"MyParameterButton", "MyLineEdit", "ParameterSelector",
                                      "MyGraphicalDumpDisplay", "DriveInfo", "FDImageSelector",
                                      "VersionInfo"};
    return own.contains(QString::fromLatin1(o->metaObject()->className()));
}

void collectFormWidgets(QObject* parent, QList<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        out.append(w);
        if (!isOwnWidget(w))
            collectFormWidgets(w, out);
    }
}

QList<QWidget*> formWidgets(QWidget* root, const QString& name)
{
    QList<QWidget*> all;
    collectFormWidgets(root, all);
    QList<QWidget*> found;
    for (QWidget* w : all)
        if (w->objectName() == name)
            found.append(w);
    return found;
}


} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private:
    QWidget* widgetNamed(const QString& name)
    {
        const QList<QWidget*> found = formWidgets(m_window, name);
        if (found.size() != 1) {
            qWarning("%s found %d times", qPrintable(name), int(found.size()));
            return nullptr;
        }
        return found.first();
    }

    QMainWindow* m_window = nullptr;
    Ui::MainWindow* m_ui = nullptr;

private slots:
    void init()
    {
        m_window = new QMainWindow;
        m_ui = new Ui::MainWindow;
        m_ui->setupUi(m_window);
    }
    void cleanup()
    {
        delete m_ui;
        m_ui = nullptr;
        delete m_window;
        m_window = nullptr;
    }

    void windowFrame()
    {
        QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(m_window->size(), QSize(800, 480));
        QCOMPARE(m_window->minimumSize(), QSize(800, 480));
        QCOMPARE(m_window->maximumSize(), QSize(800, 800));
        QVERIFY(m_window->menuWidget() == nullptr);
        QVERIFY(m_window->findChildren<QStatusBar*>().isEmpty());
        QVERIFY(m_window->findChildren<QToolBar*>().isEmpty());
        QVERIFY(m_window->centralWidget() != nullptr);
        QCOMPARE(m_ui->STACKED_WIDGET->parentWidget(), m_window->centralWidget());
        QCOMPARE(m_ui->STACKED_WIDGET->count(), 2);
        QCOMPARE(m_ui->STACKED_WIDGET->widget(0)->objectName(), QStringLiteral("page"));
        QCOMPARE(m_ui->STACKED_WIDGET->widget(1)->objectName(), QStringLiteral("page_2"));
    }

    void startState()
    {
        QCOMPARE(m_ui->STACKED_WIDGET->currentIndex(), 0);
        QCOMPARE(m_ui->TAB_FILEOPERATION->currentWidget()->objectName(), QStringLiteral("Convert"));
        QCOMPARE(m_ui->TAB_CONTROLLER_MODE->currentWidget()->objectName(), QStringLiteral("TAB_DUMP"));
    }

    void objectNamesAreUnique()
    {
        // Only the form's names; Qt's own widgets name their parts alike.
        static const QRegularExpression formName(QStringLiteral(
            "^([A-Z]+_.+|(label|frame|groupBox|page)(_\\d+)?|tab|Convert|Rename|Make)$"));
        QList<QWidget*> all;
        collectFormWidgets(m_window, all);
        QSet<QString> seen;
        for (QWidget* w : all) {
            const QString name = w->objectName();
            if (!formName.match(name).hasMatch())
                continue;
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("page");

        const auto row = [](const char* name, const char* kind, const char* page) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                                << QString::fromLatin1(page);
        };
        // emulator page
        row("frame", "QFrame", "page");
        row("WDT_VERSIONINFO", "VersionInfo", "page");
        row("LBL_POWERED_BY", "QLabel", "page");
        row("GRP_KESTA_CONTROL", "QGroupBox", "page");
        row("BTN_DRVEMU_START", "QPushButton", "page");
        row("BTN_DRVEMU_STOP", "QPushButton", "page");
        row("BTN_DRVEMU_MODE", "MyParameterButton", "page");
        row("BTN_EMU_SETTING", "QPushButton", "page");
        row("BTN_EXIT_EMU", "QPushButton", "page");
        row("WDT_EMU_FDIMAGESELECTOR", "FDImageSelector", "page");
        row("WDT_DRIVEINFO1", "DriveInfo", "page");
        row("WDT_DRIVEINFO2", "DriveInfo", "page");
        row("TAB_FILEOPERATION", "QTabWidget", "page");
        row("BTN_PAGE1_CHANGE", "QPushButton", "page");
        row("label_12", "QLabel", "page");
        row("LEDT_CONVERT", "MyLineEdit", "page");
        row("BTN_CONVERT_EXT", "MyParameterButton", "page");
        row("BTN_CONVERT", "QPushButton", "page");
        row("LBL_CONVERT_DISKNO", "QLabel", "page");
        row("LBL_CONVERT_FORMAT", "QLabel", "page");
        row("BTN_CONVERT_DISKNO", "MyParameterButton", "page");
        row("BTN_CONVERT_FORMAT", "MyParameterButton", "page");
        row("label_13", "QLabel", "page");
        row("LEDT_RENAME", "MyLineEdit", "page");
        row("BTN_RENAME", "QPushButton", "page");
        row("label_14", "QLabel", "page");
        row("LEDT_MAKE_HVR", "MyLineEdit", "page");
        row("LBL_MAKE_HVR_EXP", "QLabel", "page");
        row("BTN_MAKE_HVR", "QPushButton", "page");
        row("LBL_MAKE_HVR_DISKNAME", "QLabel", "page");
        row("LBL_MAKE_HVR_TYPE", "QLabel", "page");
        row("LBL_MAKE_HVR_RPM", "QLabel", "page");
        row("LBL_MAKE_HVR_PROTECT", "QLabel", "page");
        row("LEDT_MAKE_HVR_DISKNAME", "MyLineEdit", "page");
        row("BTN_MAKE_HVR_TYPE", "MyParameterButton", "page");
        row("BTN_MAKE_HVR_RPM", "MyParameterButton", "page");
        row("BTN_MAKE_HVR_PROTECT", "MyParameterButton", "page");
        // controller page
        row("frame_2", "QFrame", "page_2");
        row("label", "QLabel", "page_2");
        row("TAB_CONTROLLER_MODE", "QTabWidget", "page_2");
        row("BTN_PAGE2_CHANGE", "QPushButton", "page_2");
        row("WDT_VERSIONINFO_2", "VersionInfo", "page_2");
        row("BTN_EMU_SETTING_2", "QPushButton", "page_2");
        row("BTN_EXIT", "QPushButton", "page_2");
        row("groupBox", "QGroupBox", "page_2");
        row("BTN_DUMP", "QPushButton", "page_2");
        row("BTN_REDUMP", "QPushButton", "page_2");
        row("LBL_DUMP_PATH_TITLE", "QLabel", "page_2");
        row("LEDT_DUMP_PATH", "QLineEdit", "page_2");
        row("LBL_DUMP_FILENAME_TITLE", "QLabel", "page_2");
        row("LEDT_DUMP_FILENAME", "MyLineEdit", "page_2");
        row("LBL_DUMP_EXT", "QLabel", "page_2");
        row("BTN_DUMP_FILESELECT", "QPushButton", "page_2");
        row("WDT_DUMP_PARAMETER_SELECTOR", "ParameterSelector", "page_2");
        row("WDT_DUMPSTATUS", "MyGraphicalDumpDisplay", "page_2");
        row("groupBox_2", "QGroupBox", "page_2");
        row("BTN_RESTORE", "QPushButton", "page_2");
        row("LBL_RESTORE_DISKNO", "QLabel", "page_2");
        row("BTN_RESTORE_DISKNO", "MyParameterButton", "page_2");
        row("LBL_RESTORE_PATH_TITLE", "QLabel", "page_2");
        row("LEDT_RESTORE_PATH", "QLineEdit", "page_2");
        row("LBL_RESTORE_FILENAME_TITLE", "QLabel", "page_2");
        row("LEDT_RESTORE_FILENAME", "MyLineEdit", "page_2");
        row("LBL_RESTORE_EXT", "QLabel", "page_2");
        row("BTN_RESTORE_FILESELECT", "QPushButton", "page_2");
        row("WDT_RESTORE_PARAMETER_SELECTOR", "ParameterSelector", "page_2");
        row("WDT_RESTORESTATUS", "MyGraphicalDumpDisplay", "page_2");
        row("groupBox_3", "QGroupBox", "page_2");
        row("BTN_UNFORMAT", "QPushButton", "page_2");
        row("BTN_DRVINFO", "QPushButton", "page_2");
        row("EDT_DRVINFO_DISPLAY", "QTextEdit", "page_2");
        row("LBL_DRVINFO_MESSAGE", "QLabel", "page_2");
        row("WDT_UNFORMAT_PARAMETER_SELECTOR", "ParameterSelector", "page_2");
        row("WDT_UNFORMATSTATUS", "MyGraphicalDumpDisplay", "page_2");
        row("EDT_LOG_DISPLAY", "QTextEdit", "page_2");
        row("BTN_LOG_CLEAR", "QPushButton", "page_2");
        row("BTN_LOG_SAVE", "QPushButton", "page_2");
        row("LBL_LOG_ROW_COUNT_TITLE", "QLabel", "page_2");
        row("LBL_LOG_ROW_COUNT", "QLabel", "page_2");
    }
    void kinds()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, page);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
        QWidget* pageWidget = widgetNamed(page);
        QVERIFY(pageWidget);
        QVERIFY(pageWidget->isAncestorOf(w));
    }

    void tabs_data()
    {
        QTest::addColumn<QString>("tabWidget");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("titles");

        QTest::newRow("TAB_FILEOPERATION")
            << QStringLiteral("TAB_FILEOPERATION") << QStringList{"Convert", "Rename", "Make"}
            << QStringList{"Convert", "Rename", "MakeHVR"};
        QTest::newRow("TAB_CONTROLLER_MODE")
            << QStringLiteral("TAB_CONTROLLER_MODE")
            << QStringList{"TAB_DUMP", "TAB_RESTORE", "tab", "TAB_LOG"}
            << QStringList{"DUMP", "RESTORE", "UNFORMAT/DRVINFO", "LOG"};
    }
    void tabs()
    {
        QFETCH(QString, tabWidget);
        QFETCH(QStringList, pages);
        QFETCH(QStringList, titles);
        auto* tabs = qobject_cast<QTabWidget*>(widgetNamed(tabWidget));
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), pages.size());
        for (int i = 0; i < tabs->count(); ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
            QCOMPARE(tabs->tabText(i), titles.at(i));
        }
    }

    // Each tab page of the controller holds its own operation's widgets.
    void stackingOrder()
    {
        QStringList order;
        for (QObject* child : m_ui->page_2->children())
            if (child->isWidgetType())
                order << child->objectName();
        QCOMPARE(order, (QStringList{"frame_2", "TAB_CONTROLLER_MODE", "label", "WDT_VERSIONINFO_2",
                                     "BTN_PAGE2_CHANGE"}));
        // The blue strip lies over everything else of the emulator page.
        QObject* last = nullptr;
        for (QObject* child : m_ui->page->children())
            if (child->isWidgetType())
                last = child;
        QCOMPARE(last, static_cast<QObject*>(m_ui->BTN_PAGE1_CHANGE));
    }

    void gridCells_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("columnSpan");

        const auto cell = [](const QByteArray& layout, const QByteArray& name, int row, int column,
                             int span = 1) {
            QTest::newRow((layout + " " + name).constData())
                << QString::fromLatin1(layout) << QString::fromLatin1(name) << row << column << span;
        };
        // parameter panels: the label, then its button to the right
        const auto pair = [&cell](const char* layout, const char* op, const char* key, int row,
                                  int column) {
            const QByteArray lbl = QByteArray("LBL_") + op + "_" + key;
            const QByteArray btn = QByteArray("BTN_") + op + "_" + key;
            cell(layout, lbl, row, column);
            cell(layout, btn, row, column + 1);
        };
        // a label over its button in one column
        const auto stacked = [&cell](const char* layout, const char* op, const char* key, int column) {
            const QByteArray lbl = QByteArray("LBL_") + op + "_" + key;
            const QByteArray btn = QByteArray("BTN_") + op + "_" + key;
            cell(layout, lbl, 0, column);
            cell(layout, btn, 1, column);
        };

        pair("gridLayout_3", "DUMP", "DRIVE", 0, 0);
        pair("gridLayout_3", "DUMP", "HEADS", 1, 0);
        pair("gridLayout_3", "DUMP", "STEPS", 2, 0);
        pair("gridLayout_3", "DUMP", "CYLINDERS", 0, 2);
        pair("gridLayout_3", "DUMP", "BEGIN", 1, 2);
        pair("gridLayout_3", "DUMP", "END", 2, 2);
        pair("gridLayout_3", "DUMP", "ASSERT_PIN1", 0, 4);
        pair("gridLayout_3", "DUMP", "ASSERT_PIN2", 1, 4);
        pair("gridLayout_3", "DUMP", "ASSERT_PIN3", 2, 4);
        pair("gridLayout_3", "DUMP", "DENSITY", 0, 6);
        pair("gridLayout_3", "DUMP", "FORMAT", 1, 6);
        pair("gridLayout_3", "DUMP", "RETRY", 2, 6);
        stacked("gridLayout_3", "DUMP", "OVERWRITE", 8);

        pair("gridLayout_4", "RESTORE", "DRIVE", 0, 0);
        pair("gridLayout_4", "RESTORE", "HEADS", 1, 0);
        pair("gridLayout_4", "RESTORE", "STEPS", 2, 0);
        pair("gridLayout_4", "RESTORE", "CYLINDERS", 0, 2);
        pair("gridLayout_4", "RESTORE", "BEGIN", 1, 2);
        pair("gridLayout_4", "RESTORE", "END", 2, 2);
        pair("gridLayout_4", "RESTORE", "ASSERT_PIN1", 0, 4);
        pair("gridLayout_4", "RESTORE", "ASSERT_PIN2", 1, 4);
        pair("gridLayout_4", "RESTORE", "ASSERT_PIN3", 2, 4);
        stacked("gridLayout_4", "RESTORE", "FLAG", 6);

        pair("gridLayout_6", "UNFORMAT", "DRIVE", 0, 0);
        pair("gridLayout_6", "UNFORMAT", "CYLINDERS", 0, 2);
        pair("gridLayout_6", "UNFORMAT", "ASSERT_PIN1", 0, 4);
        pair("gridLayout_6", "UNFORMAT", "ASSERT_PIN2", 1, 4);
        pair("gridLayout_6", "UNFORMAT", "HEADS", 2, 0);
        pair("gridLayout_6", "UNFORMAT", "STEPS", 2, 2);
        pair("gridLayout_6", "UNFORMAT", "ASSERT_PIN3", 2, 4);

        // file fields of the dump and restore tabs
        for (const char* op : {"DUMP", "RESTORE"}) {
            const QByteArray o(op);
            const QByteArray grid = o == "DUMP" ? "gridLayout" : "gridLayout_2";
            cell(grid, "LBL_" + o + "_PATH_TITLE", 0, 0);
            cell(grid, "LEDT_" + o + "_PATH", 0, 1, 3);
            cell(grid, "LBL_" + o + "_FILENAME_TITLE", 1, 0);
            cell(grid, "LEDT_" + o + "_FILENAME", 1, 1);
            cell(grid, "LBL_" + o + "_EXT", 1, 2);
            cell(grid, "BTN_" + o + "_FILESELECT", 1, 3);
        }

        // image tools
        cell("gridLayout_5", "LEDT_CONVERT", 0, 0, 2);
        cell("gridLayout_5", "BTN_CONVERT_EXT", 0, 2);
        cell("gridLayout_5", "BTN_CONVERT", 0, 3);
        cell("gridLayout_5", "LBL_CONVERT_DISKNO", 1, 0);
        cell("gridLayout_5", "LBL_CONVERT_FORMAT", 1, 1);
        cell("gridLayout_5", "BTN_CONVERT_DISKNO", 2, 0);
        cell("gridLayout_5", "BTN_CONVERT_FORMAT", 2, 1);
        cell("gridLayout_7", "LEDT_MAKE_HVR", 0, 0, 2);
        cell("gridLayout_7", "LBL_MAKE_HVR_EXP", 0, 2);
        cell("gridLayout_7", "BTN_MAKE_HVR", 0, 3);
        cell("gridLayout_7", "LBL_MAKE_HVR_DISKNAME", 1, 0);
        cell("gridLayout_7", "LBL_MAKE_HVR_TYPE", 1, 1);
        cell("gridLayout_7", "LBL_MAKE_HVR_RPM", 1, 2);
        cell("gridLayout_7", "LBL_MAKE_HVR_PROTECT", 1, 3);
        cell("gridLayout_7", "LEDT_MAKE_HVR_DISKNAME", 2, 0);
        cell("gridLayout_7", "BTN_MAKE_HVR_TYPE", 2, 1);
        cell("gridLayout_7", "BTN_MAKE_HVR_RPM", 2, 2);
        cell("gridLayout_7", "BTN_MAKE_HVR_PROTECT", 2, 3);
    }
    void gridCells()
    {
        QFETCH(QString, layout);
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, columnSpan);
        auto* grid = m_window->findChild<QGridLayout*>(layout);
        QVERIFY(grid);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        const int index = grid->indexOf(w);
        QVERIFY2(index >= 0, "not in this grid");
        int r = -1, c = -1, rs = 0, cs = 0;
        grid->getItemPosition(index, &r, &c, &rs, &cs);
        QCOMPARE(r, row);
        QCOMPARE(c, column);
        QCOMPARE(rs, 1);
        QCOMPARE(cs, columnSpan);
    }

    // The parameter grids hold nothing but their label and button pairs.
};

class TestVersionInfo : public QObject
{
    Q_OBJECT

private slots:
    void badge()
    {
        VersionInfo badge;
        QCOMPARE(badge.minimumSize(), QSize(271, 41));
        QCOMPARE(badge.maximumSize(), QSize(271, 41));
        QCOMPARE(badge.windowTitle(), QStringLiteral("Form"));
        auto* row = qobject_cast<QHBoxLayout*>(badge.layout());
        QVERIFY(row);
        QCOMPARE(row->spacing(), 0);
        QCOMPARE(row->contentsMargins(), QMargins(1, 1, 1, 1));
        QStringList order;
        for (int i = 0; i < row->count(); ++i)
            if (row->itemAt(i)->widget())
                order << row->itemAt(i)->widget()->objectName();
        QCOMPARE(order, (QStringList{"LBL_APP_NAME", "LBL_APP_VER_STR", "LBL_APP_VER_MAJOR",
                                     "LBL_APP_VER_PERIOD", "LBL_APP_VER_MINOR_1",
                                     "LBL_APP_VER_MINOR_2"}));
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("picture");
        QTest::newRow("title") << "LBL_APP_NAME" << MyCommon::IMAGE_TITLE;
        QTest::newRow("Ver") << "LBL_APP_VER_STR" << MyCommon::IMAGE_VER_STR;
        QTest::newRow("1") << "LBL_APP_VER_MAJOR" << "://image/KESTAcon_VER_NUM1.png";
        QTest::newRow(".") << "LBL_APP_VER_PERIOD" << "://image/KESTAcon_VER_NUMD.png";
        QTest::newRow("0") << "LBL_APP_VER_MINOR_1" << "://image/KESTAcon_VER_NUM0.png";
        QTest::newRow("5") << "LBL_APP_VER_MINOR_2" << "://image/KESTAcon_VER_NUM5.png";
    }
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(QString, picture);
        QCOMPARE(MyCommon::APP_VERSION, QStringLiteral("1.05"));
        VersionInfo badge;
        badge.show();
        auto* label = badge.findChild<QLabel*>(name);
        QVERIFY(label);
        const QPixmap shown = label->pixmap(Qt::ReturnByValue);
        QVERIFY(!shown.isNull());
        const QPixmap source(picture);
        QVERIFY(!source.isNull());
        QCOMPARE(shown.size(), label->size());
        const QImage expected =
            source.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation).toImage();
        QCOMPARE(shown.toImage(), expected);
    }

};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int status = 0;
    {
        TestLayout layout;
        status |= QTest::qExec(&layout, argc, argv);
    }
    {
        TestVersionInfo badge;
        status |= QTest::qExec(&badge, argc, argv);
    }
    return status;
}

#include "tst_layout.moc"
