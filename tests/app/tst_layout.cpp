// The main window form and the version badge: the object names the code
// looks up, their kinds and pages, the tabs, the stacking of the page strip
// and the badge pictures.  The form is set up on a bare QMainWindow so that
// nothing of the window's behaviour runs.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

// The path makes the build generate its own copy of the form's header from
// app/mainwindow.ui for this test.
#include "../../app/ui_mainwindow.h"

#include "mycommon.h"
#include "versioninfo.h"

namespace {

// The program's own widgets build their insides themselves; names inside
// them belong to them, not to the form.
void collectFormWidgets(QObject* parent, QList<QWidget*>& out)
{
    static const QSet<QString> own = {"MyParameterButton", "MyLineEdit", "ParameterSelector",
                                      "MyGraphicalDumpDisplay", "DriveInfo", "FDImageSelector", "VersionInfo"};
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        out.append(w);
        if (!own.contains(QString::fromLatin1(w->metaObject()->className())))
            collectFormWidgets(w, out);
    }
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private:
    QWidget* widgetNamed(const QString& name)
    {
        QList<QWidget*> all, found;
        collectFormWidgets(m_window, all);
        for (QWidget* w : all)
            if (w->objectName() == name)
                found.append(w);
        return found.size() == 1 ? found.first() : nullptr;
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
        delete m_window;
    }

    void startState()
    {
        QCOMPARE(m_window->size(), QSize(800, 480));
        QCOMPARE(m_ui->STACKED_WIDGET->count(), 2);
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

    // Every name the code looks up exists once, with the kind it casts to,
    // on its page.
    void kinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char* kind, const char* page, const char* names) {
            QTest::addRow("%s on %s", kind, page) << QString::fromLatin1(kind) << QString::fromLatin1(page)
                                                  << QString::fromLatin1(names).split(QLatin1Char(' '));
        };
        row("QPushButton", "page",
            "BTN_DRVEMU_START BTN_DRVEMU_STOP BTN_EMU_SETTING BTN_EXIT_EMU BTN_PAGE1_CHANGE BTN_CONVERT "
            "BTN_RENAME BTN_MAKE_HVR");
        row("MyParameterButton", "page",
            "BTN_DRVEMU_MODE BTN_CONVERT_EXT BTN_CONVERT_DISKNO BTN_CONVERT_FORMAT BTN_MAKE_HVR_TYPE "
            "BTN_MAKE_HVR_RPM BTN_MAKE_HVR_PROTECT");
        row("MyLineEdit", "page", "LEDT_CONVERT LEDT_RENAME LEDT_MAKE_HVR LEDT_MAKE_HVR_DISKNAME");
        row("QLabel", "page", "LBL_POWERED_BY LBL_MAKE_HVR_EXP");
        row("VersionInfo", "page", "WDT_VERSIONINFO");
        row("FDImageSelector", "page", "WDT_EMU_FDIMAGESELECTOR");
        row("DriveInfo", "page", "WDT_DRIVEINFO1 WDT_DRIVEINFO2");
        row("QTabWidget", "page", "TAB_FILEOPERATION");
        row("QPushButton", "page_2",
            "BTN_PAGE2_CHANGE BTN_EMU_SETTING_2 BTN_EXIT BTN_DUMP BTN_REDUMP BTN_DUMP_FILESELECT BTN_RESTORE "
            "BTN_RESTORE_FILESELECT BTN_UNFORMAT BTN_DRVINFO BTN_LOG_CLEAR BTN_LOG_SAVE");
        row("QLineEdit", "page_2", "LEDT_DUMP_PATH LEDT_RESTORE_PATH");
        row("MyLineEdit", "page_2", "LEDT_DUMP_FILENAME LEDT_RESTORE_FILENAME");
        row("MyParameterButton", "page_2", "BTN_RESTORE_DISKNO");
        row("ParameterSelector", "page_2",
            "WDT_DUMP_PARAMETER_SELECTOR WDT_RESTORE_PARAMETER_SELECTOR WDT_UNFORMAT_PARAMETER_SELECTOR");
        row("MyGraphicalDumpDisplay", "page_2", "WDT_DUMPSTATUS WDT_RESTORESTATUS WDT_UNFORMATSTATUS");
        row("QTextEdit", "page_2", "EDT_DRVINFO_DISPLAY EDT_LOG_DISPLAY");
        row("QLabel", "page_2", "LBL_DRVINFO_MESSAGE LBL_LOG_ROW_COUNT LBL_DUMP_EXT LBL_RESTORE_EXT");
        row("QTabWidget", "page_2", "TAB_CONTROLLER_MODE");
        row("VersionInfo", "page_2", "WDT_VERSIONINFO_2");
    }
    void kinds()
    {
        QFETCH(QString, kind);
        QFETCH(QString, page);
        QFETCH(QStringList, names);
        QWidget* pageWidget = widgetNamed(page);
        QVERIFY(pageWidget);
        for (const QString& name : names) {
            QWidget* w = widgetNamed(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
            QVERIFY2(pageWidget->isAncestorOf(w), qPrintable(name));
        }
    }

    void tabs_data()
    {
        QTest::addColumn<QString>("tabWidget");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("TAB_FILEOPERATION") << "TAB_FILEOPERATION" << QStringList{"Convert", "Rename", "Make"}
                                           << QStringList{"Convert", "Rename", "MakeHVR"};
        QTest::newRow("TAB_CONTROLLER_MODE") << "TAB_CONTROLLER_MODE"
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

    // The page strips lie over everything else of their page, so a tap
    // always reaches them.
    void stripsOnTop()
    {
        const QPair<QWidget*, QObject*> strips[] = {{m_ui->page, m_ui->BTN_PAGE1_CHANGE},
                                                    {m_ui->page_2, m_ui->BTN_PAGE2_CHANGE}};
        for (const auto& strip : strips) {
            QObject* last = nullptr;
            for (QObject* child : strip.first->children())
                if (child->isWidgetType())
                    last = child;
            QCOMPARE(last, strip.second);
        }
    }
};

class TestVersionInfo : public QObject
{
    Q_OBJECT

private slots:
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
        const QPixmap source(picture);
        QVERIFY(!shown.isNull() && !source.isNull());
        QCOMPARE(shown.toImage(),
                 source.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation).toImage());
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestLayout layout;
    TestVersionInfo badge;
    return QTest::qExec(&layout, argc, argv) | QTest::qExec(&badge, argc, argv);
}

#include "tst_layout.moc"
