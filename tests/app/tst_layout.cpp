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

QString textOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* t = qobject_cast<QTextEdit*>(w))
        return t->toPlainText();
    return QStringLiteral("<no text>");
}

const QString kTopBarStyle = QStringLiteral("background-color: rgb(218, 218, 218);");
const QString kParamFamily = QStringLiteral("Yu Gothic");

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

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");

        const auto row = [](const char* name, const QString& text) {
            QTest::newRow(name) << QString::fromLatin1(name) << text;
        };
        row("GRP_KESTA_CONTROL", "KESTA Control");
        row("BTN_DRVEMU_START", "START");
        row("BTN_DRVEMU_STOP", "STOP");
        row("LBL_POWERED_BY", "TextLabel");
        row("BTN_EMU_SETTING", "SETTING");
        row("BTN_EXIT_EMU", "EXIT");
        row("BTN_PAGE1_CHANGE", "");
        row("label_12", "Convert a disk image.");
        row("LEDT_CONVERT", "");
        row("BTN_CONVERT", "Convert");
        row("LBL_CONVERT_DISKNO", "DiskNo");
        row("LBL_CONVERT_FORMAT", "Format");
        row("label_13", "Change the file name.");
        row("LEDT_RENAME", "");
        row("BTN_RENAME", "Rename");
        row("label_14", "Create a new disk in HVR format.");
        row("LEDT_MAKE_HVR", "");
        row("LBL_MAKE_HVR_EXP", ".HVR");
        row("BTN_MAKE_HVR", "Make");
        row("LBL_MAKE_HVR_DISKNAME", "DISK NAME");
        row("LBL_MAKE_HVR_TYPE", "TYPE");
        row("LBL_MAKE_HVR_RPM", "RPM");
        row("LBL_MAKE_HVR_PROTECT", "PROTECT");
        row("LEDT_MAKE_HVR_DISKNAME", "BLANK IMAGE");
        row("label", "KESTA Controller Mode");
        row("BTN_PAGE2_CHANGE", "");
        row("BTN_EMU_SETTING_2", "SETTING");
        row("BTN_EXIT", "EXIT");
        row("groupBox", "");
        row("BTN_DUMP", "DUMP");
        row("BTN_REDUMP", "REDUMP");
        row("LBL_DUMP_PATH_TITLE", "PATH:");
        row("LBL_DUMP_FILENAME_TITLE", "FILENAME:");
        row("LBL_DUMP_EXT", ".HVR");
        row("BTN_DUMP_FILESELECT", "Browse...");
        row("BTN_RESTORE", "RESTORE");
        row("LBL_RESTORE_DISKNO", "DiskNo");
        row("LBL_RESTORE_PATH_TITLE", "PATH:");
        row("LBL_RESTORE_FILENAME_TITLE", "FILENAME:");
        row("LBL_RESTORE_EXT", "");
        row("BTN_RESTORE_FILESELECT", "Browse...");
        row("BTN_UNFORMAT", "UNFORMAT");
        row("BTN_DRVINFO", "DRVINFO");
        row("LBL_DRVINFO_MESSAGE",
            "<html><head/><body><p>DRVINFO uses the &quot;DRIVE&quot;<br> and &quot;ASSERT "
            "PIN&quot; parameters.</p></body></html>");
        row("BTN_LOG_CLEAR", "CLEAR");
        row("BTN_LOG_SAVE", "SAVE");
        row("LBL_LOG_ROW_COUNT_TITLE",
            "<html><head/><body><p><span style=\" font-size:11pt; font-weight:600;\">Total line "
            ":</span></p></body></html>");
        row("LBL_LOG_ROW_COUNT",
            "<html><head/><body><p align=\"right\"><span style=\" font-size:10pt; "
            "font-weight:600;\">-</span></p></body></html>");
    }
    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QCOMPARE(textOf(w), text);
    }

    void geometries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");

        const auto row = [](const char* name, const char* parent, int x, int y, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                                << QRect(x, y, w, h);
        };
        row("STACKED_WIDGET", "centralWidget", -1, -1, 800, 480);
        row("frame", "page", 0, 0, 801, 71);
        row("WDT_EMU_FDIMAGESELECTOR", "page", 0, 80, 351, 395);
        row("WDT_DRIVEINFO1", "page", 360, 80, 411, 88);
        row("WDT_DRIVEINFO2", "page", 360, 180, 411, 88);
        row("TAB_FILEOPERATION", "page", 360, 290, 411, 181);
        row("BTN_PAGE1_CHANGE", "page", 769, 69, 31, 411);
        row("WDT_VERSIONINFO", "frame", 0, 10, 271, 41);
        row("LBL_POWERED_BY", "frame", 80, 50, 191, 16);
        row("GRP_KESTA_CONTROL", "frame", 280, 0, 341, 65);
        row("BTN_DRVEMU_START", "GRP_KESTA_CONTROL", 10, 22, 80, 40);
        row("BTN_DRVEMU_STOP", "GRP_KESTA_CONTROL", 100, 22, 80, 40);
        row("BTN_DRVEMU_MODE", "GRP_KESTA_CONTROL", 190, 22, 120, 40);
        row("BTN_EMU_SETTING", "frame", 630, 20, 80, 40);
        row("BTN_EXIT_EMU", "frame", 720, 20, 80, 40);
        row("frame_2", "page_2", 0, 0, 801, 71);
        row("label", "page_2", 290, 0, 331, 65);
        row("TAB_CONTROLLER_MODE", "page_2", 10, 50, 771, 431);
        row("BTN_PAGE2_CHANGE", "page_2", 769, 69, 31, 411);
        row("WDT_VERSIONINFO_2", "page_2", 0, 10, 271, 41);
        row("BTN_EMU_SETTING_2", "frame_2", 630, 20, 80, 40);
        row("BTN_EXIT", "frame_2", 720, 20, 80, 40);
        row("groupBox", "TAB_DUMP", 0, 0, 791, 101);
        row("WDT_DUMPSTATUS", "TAB_DUMP", 0, 254, 761, 141);
        row("EDT_LOG_DISPLAY", "TAB_LOG", 0, 50, 761, 321);
    }
    void geometries()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QVERIFY(w->parentWidget());
        QCOMPARE(w->parentWidget()->objectName(), parent);
        QCOMPARE(w->geometry(), geometry);
    }

    // Sizes that hold wherever a widget sits; the widgets inside layouts are
    // sized by their limits.
    void sizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("maximum");
        QTest::addColumn<QSize>("size");

        const QSize any;
        const auto fixed = [](const char* name, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QSize(w, h) << QSize(w, h)
                                << QSize();
        };
        const auto sized = [](const char* name, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QSize() << QSize() << QSize(w, h);
        };
        fixed("BTN_DRVEMU_MODE", 120, 40);
        fixed("BTN_DUMP", 80, 40);
        fixed("BTN_REDUMP", 80, 40);
        fixed("LEDT_DUMP_PATH", 423, 30);
        fixed("LEDT_DUMP_FILENAME", 250, 43);
        fixed("LEDT_RESTORE_PATH", 423, 30);
        fixed("LEDT_RESTORE_FILENAME", 250, 43);
        fixed("BTN_LOG_CLEAR", 80, 40);
        fixed("BTN_LOG_SAVE", 80, 40);
        sized("WDT_DUMP_PARAMETER_SELECTOR", 760, 45);
        sized("WDT_RESTORE_PARAMETER_SELECTOR", 760, 45);
        sized("WDT_UNFORMAT_PARAMETER_SELECTOR", 760, 45);
        sized("WDT_RESTORESTATUS", 761, 141);
        sized("WDT_UNFORMATSTATUS", 761, 141);
        sized("EDT_DRVINFO_DISPLAY", 321, 91);
        sized("label_12", 401, 31);
        sized("label_13", 401, 31);
        sized("label_14", 401, 31);
        QTest::newRow("BTN_UNFORMAT") << QStringLiteral("BTN_UNFORMAT") << QSize(100, 50) << any << any;
        QTest::newRow("BTN_DRVINFO") << QStringLiteral("BTN_DRVINFO") << QSize(100, 50) << any << any;
        QTest::newRow("TAB_CONTROLLER_MODE")
            << QStringLiteral("TAB_CONTROLLER_MODE") << any << QSize(800, 600) << any;
    }
    void sizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, minimum);
        QFETCH(QSize, maximum);
        QFETCH(QSize, size);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        if (minimum.isValid())
            QCOMPARE(w->minimumSize(), minimum);
        if (maximum.isValid())
            QCOMPARE(w->maximumSize(), maximum);
        if (size.isValid())
            QCOMPARE(w->size(), size);
    }

    void styleSheets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("style");

        const auto row = [](const char* name, const QString& style) {
            QTest::newRow(name) << QString::fromLatin1(name) << style;
        };
        row("frame", kTopBarStyle);
        row("frame_2", kTopBarStyle);
        row("LBL_POWERED_BY", "color: rgb(255, 85, 0);");
        row("BTN_PAGE1_CHANGE",
            "background-color: qlineargradient(x1:1, y1:0, x2:0, y2:0,stop:0 rgb(0, 85, 255), "
            "stop:1 rgb(255, 255, 255))");
        row("BTN_PAGE2_CHANGE",
            "background-color: qlineargradient(x1:1, y1:0, x2:0, y2:0,stop:0 rgb(255, 85, 0), "
            "stop:1 rgb(255, 255, 255))");
        row("groupBox", "background-color: rgb(217, 217, 217);");
        row("WDT_DUMPSTATUS", "background-color: rgb(179, 179, 179);");
        row("LEDT_DUMP_PATH", "background-color: rgb(227, 227, 227);");
        row("LEDT_RESTORE_PATH", "background-color: rgb(227, 227, 227);");
        row("LEDT_RENAME", "background-color: rgb(255, 255, 255);");
    }
    void styleSheets()
    {
        QFETCH(QString, name);
        QFETCH(QString, style);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QCOMPARE(w->styleSheet(), style);
    }

    void titleGradient()
    {
        // green at the top, white in the middle, red at the bottom
        const QString style = m_ui->label->styleSheet();
        const int green = style.indexOf(QLatin1String("rgba(119, 254, 98, 255)"));
        const int white = style.indexOf(QLatin1String("rgba(255, 255, 255, 255)"));
        const int red = style.indexOf(QLatin1String("rgba(255, 0, 0, 255)"));
        QVERIFY(style.startsWith(QLatin1String("color: qlineargradient(")));
        QVERIFY(style.contains(QLatin1String("x1:0, y1:0, x2:0, y2:1")));
        QVERIFY(green > 0 && green < white && white < red);
        QCOMPARE(m_ui->label->font().pointSize(), 20);
    }

    void wideScrollBars_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("EDT_DRVINFO_DISPLAY") << QStringLiteral("EDT_DRVINFO_DISPLAY");
        QTest::newRow("EDT_LOG_DISPLAY") << QStringLiteral("EDT_LOG_DISPLAY");
    }
    void wideScrollBars()
    {
        QFETCH(QString, name);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QVERIFY(w->styleSheet().contains(QLatin1String("QScrollBar:vertical")));
        QVERIFY(w->styleSheet().contains(QLatin1String("width: 50px")));
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pointSize");

        const auto row = [](const char* name, const char* family, int size) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(family) << size;
        };
        row("TAB_FILEOPERATION", "Yu Gothic", 14);
        row("TAB_CONTROLLER_MODE", "Yu Gothic", 14);
        row("LEDT_DUMP_FILENAME", "Yu Gothic", 14);
        row("LEDT_RESTORE_FILENAME", "Yu Gothic", 14);
        row("LEDT_CONVERT", "Yu Gothic", 18);
        row("LBL_POWERED_BY", "Yu Gothic", 8);
        row("BTN_DUMP", "Yu Gothic", 12);
        row("BTN_REDUMP", "Yu Gothic", 12);
        row("BTN_RESTORE", "Yu Gothic", 12);
        row("BTN_UNFORMAT", "Yu Gothic", 12);
        row("BTN_EXIT", "Yu Gothic", 12);
        row("BTN_CONVERT", "Yu Gothic", 12);
        row("LEDT_DUMP_PATH", "Yu Gothic", 12);
        row("LEDT_RESTORE_PATH", "Yu Gothic", 12);
        row("BTN_DUMP_FILESELECT", "Yu Gothic", 12);
        row("BTN_RESTORE_FILESELECT", "Yu Gothic", 12);
        row("LBL_DUMP_DRIVE", "Yu Gothic", 10);
        row("BTN_DUMP_DRIVE", "Yu Gothic", 10);
        row("LBL_RESTORE_FLAG", "Yu Gothic", 10);
        row("BTN_RESTORE_FLAG", "Yu Gothic", 10);
        row("BTN_UNFORMAT_ASSERT_PIN3", "Yu Gothic", 10);
        row("GRP_KESTA_CONTROL", "Yu Gothic UI", 0);
        row("BTN_DRVEMU_START", "Yu Gothic UI", 12);
        row("WDT_DRIVEINFO1", "Yu Gothic UI", 0);
        row("WDT_DRIVEINFO2", "Yu Gothic UI", 0);
    }
    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        QFETCH(int, pointSize);
        QWidget* w = widgetNamed(name);
        QVERIFY(w);
        QCOMPARE(w->font().family(), family);
        if (pointSize > 0)
            QCOMPARE(w->font().pointSize(), pointSize);
    }

    void flags()
    {
        for (const char* name :
             {"WDT_DRIVEINFO1", "WDT_DRIVEINFO2", "TAB_FILEOPERATION", "LEDT_CONVERT", "LEDT_RENAME"}) {
            QWidget* w = widgetNamed(QString::fromLatin1(name));
            QVERIFY(w);
            QVERIFY2(w->acceptDrops(), name);
        }
        QVERIFY(m_ui->LEDT_DUMP_PATH->isReadOnly());
        QVERIFY(m_ui->LEDT_RESTORE_PATH->isReadOnly());
        QVERIFY(!m_ui->LEDT_DUMP_FILENAME->isReadOnly());
        // The image tools have nothing to work on until a file is chosen.
        QVERIFY(!m_ui->BTN_CONVERT->isEnabled());
        QVERIFY(!m_ui->BTN_RENAME->isEnabled());
        QVERIFY(!m_ui->BTN_MAKE_HVR->isEnabled());
        QVERIFY(m_ui->LBL_POWERED_BY->alignment() & Qt::AlignRight);
        QVERIFY(m_ui->LBL_POWERED_BY->alignment() & Qt::AlignVCenter);
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
    void tabContents_data()
    {
        QTest::addColumn<QString>("tabPage");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("TAB_DUMP") << QStringLiteral("TAB_DUMP")
                                  << QStringList{"groupBox", "BTN_DUMP", "BTN_REDUMP", "LEDT_DUMP_PATH",
                                                 "LEDT_DUMP_FILENAME", "BTN_DUMP_FILESELECT",
                                                 "WDT_DUMP_PARAMETER_SELECTOR", "WDT_DUMPSTATUS"};
        QTest::newRow("TAB_RESTORE") << QStringLiteral("TAB_RESTORE")
                                     << QStringList{"groupBox_2", "BTN_RESTORE", "BTN_RESTORE_DISKNO",
                                                    "LEDT_RESTORE_PATH", "LEDT_RESTORE_FILENAME",
                                                    "BTN_RESTORE_FILESELECT",
                                                    "WDT_RESTORE_PARAMETER_SELECTOR",
                                                    "WDT_RESTORESTATUS"};
        QTest::newRow("tab") << QStringLiteral("tab")
                             << QStringList{"groupBox_3", "BTN_UNFORMAT", "BTN_DRVINFO",
                                            "EDT_DRVINFO_DISPLAY", "LBL_DRVINFO_MESSAGE",
                                            "WDT_UNFORMAT_PARAMETER_SELECTOR", "WDT_UNFORMATSTATUS"};
        QTest::newRow("TAB_LOG") << QStringLiteral("TAB_LOG")
                                 << QStringList{"EDT_LOG_DISPLAY", "BTN_LOG_CLEAR", "BTN_LOG_SAVE",
                                                "LBL_LOG_ROW_COUNT_TITLE", "LBL_LOG_ROW_COUNT"};
        QTest::newRow("Convert") << QStringLiteral("Convert")
                                 << QStringList{"label_12", "LEDT_CONVERT", "BTN_CONVERT_EXT",
                                                "BTN_CONVERT", "BTN_CONVERT_DISKNO", "BTN_CONVERT_FORMAT"};
        QTest::newRow("Rename") << QStringLiteral("Rename")
                                << QStringList{"label_13", "LEDT_RENAME", "BTN_RENAME"};
        QTest::newRow("Make") << QStringLiteral("Make")
                              << QStringList{"label_14", "LEDT_MAKE_HVR", "BTN_MAKE_HVR",
                                             "LEDT_MAKE_HVR_DISKNAME", "BTN_MAKE_HVR_TYPE",
                                             "BTN_MAKE_HVR_RPM", "BTN_MAKE_HVR_PROTECT"};
    }
    void tabContents()
    {
        QFETCH(QString, tabPage);
        QFETCH(QStringList, names);
        QWidget* page = widgetNamed(tabPage);
        QVERIFY(page);
        for (const QString& name : names) {
            QWidget* w = widgetNamed(name);
            QVERIFY2(w, qPrintable(name));
            QVERIFY2(page->isAncestorOf(w), qPrintable(name));
        }
    }

    // The explanation label sits above the tool's controls on each tool tab.
    void toolExplanationOnTop_data()
    {
        QTest::addColumn<QString>("explanation");
        QTest::addColumn<QString>("control");
        QTest::newRow("Convert") << QStringLiteral("label_12") << QStringLiteral("LEDT_CONVERT");
        QTest::newRow("Rename") << QStringLiteral("label_13") << QStringLiteral("LEDT_RENAME");
        QTest::newRow("Make") << QStringLiteral("label_14") << QStringLiteral("LEDT_MAKE_HVR");
    }
    void toolExplanationOnTop()
    {
        QFETCH(QString, explanation);
        QFETCH(QString, control);
        QWidget* label = widgetNamed(explanation);
        QWidget* field = widgetNamed(control);
        QVERIFY(label && field);
        m_window->show();
        for (int i = 0; i < m_ui->TAB_FILEOPERATION->count(); ++i)
            if (m_ui->TAB_FILEOPERATION->widget(i)->isAncestorOf(label))
                m_ui->TAB_FILEOPERATION->setCurrentIndex(i);
        QVERIFY(label->isVisible() && field->isVisible());
        const int labelBottom = label->mapTo(m_window, QPoint(0, label->height())).y();
        QVERIFY(labelBottom <= field->mapTo(m_window, QPoint(0, 0)).y());
    }

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
    void parameterGridCounts_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("pairs");
        QTest::newRow("dump") << QStringLiteral("gridLayout_3") << QStringLiteral("_DUMP_") << 13;
        QTest::newRow("restore") << QStringLiteral("gridLayout_4") << QStringLiteral("_RESTORE_") << 10;
        QTest::newRow("unformat") << QStringLiteral("gridLayout_6") << QStringLiteral("_UNFORMAT_") << 7;
    }
    void parameterGridCounts()
    {
        QFETCH(QString, layout);
        QFETCH(QString, prefix);
        QFETCH(int, pairs);
        auto* grid = m_window->findChild<QGridLayout*>(layout);
        QVERIFY(grid);
        int labels = 0, buttons = 0;
        for (int i = 0; i < grid->count(); ++i) {
            QWidget* w = grid->itemAt(i)->widget();
            if (!w)
                continue;
            QVERIFY2(w->objectName().contains(prefix), qPrintable(w->objectName()));
            if (qobject_cast<QLabel*>(w)) {
                ++labels;
                QCOMPARE(w->font().pointSize(), 10);
            } else if (QString::fromLatin1(w->metaObject()->className()) == "MyParameterButton") {
                ++buttons;
                QCOMPARE(w->font().pointSize(), 10);
            } else {
                QFAIL(qPrintable(w->objectName()));
            }
        }
        QCOMPARE(labels, pairs);
        QCOMPARE(buttons, pairs);
    }

    void parameterLabels_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("operations");

        const QStringList all{"DUMP", "RESTORE", "UNFORMAT"};
        const QStringList dumpRestore{"DUMP", "RESTORE"};
        QTest::newRow("DRIVE") << "DRIVE" << "DRIVE" << all;
        QTest::newRow("HEADS") << "HEADS" << "HEADS" << all;
        QTest::newRow("STEPS") << "STEPS" << "STEPS" << all;
        QTest::newRow("CYLINDERS") << "CYLINDERS" << "CYLINDERS" << all;
        QTest::newRow("BEGIN") << "BEGIN" << "BEGIN" << dumpRestore;
        QTest::newRow("END") << "END" << "END" << dumpRestore;
        QTest::newRow("ASSERT_PIN1") << "ASSERT_PIN1" << "ASSERT PIN" << all;
        QTest::newRow("ASSERT_PIN2") << "ASSERT_PIN2" << "ASSERT PIN" << all;
        QTest::newRow("ASSERT_PIN3") << "ASSERT_PIN3" << "ASSERT PIN" << all;
        QTest::newRow("DENSITY") << "DENSITY" << "DENSITY" << QStringList{"DUMP"};
        QTest::newRow("FORMAT") << "FORMAT" << "FORMAT" << QStringList{"DUMP"};
        QTest::newRow("RETRY") << "RETRY" << "RETRY" << QStringList{"DUMP"};
        QTest::newRow("OVERWRITE") << "OVERWRITE" << "OVERWRITE" << QStringList{"DUMP"};
        QTest::newRow("FLAG") << "FLAG" << "FLAG" << QStringList{"RESTORE"};
    }
    void parameterLabels()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QStringList, operations);
        for (const QString& op : operations) {
            auto* label = qobject_cast<QLabel*>(widgetNamed("LBL_" + op + "_" + key));
            QVERIFY(label);
            QCOMPARE(label->text(), text);
        }
    }

    // Parameter buttons are sized by the form, whatever size the button
    // class gives itself, so that the grids keep their shape.
    void parameterButtonsSizedByForm()
    {
        m_window->show();
        m_ui->STACKED_WIDGET->setCurrentIndex(1);
        for (int tab = 0; tab < 3; ++tab) {
            m_ui->TAB_CONTROLLER_MODE->setCurrentIndex(tab);
            QWidget* page = m_ui->TAB_CONTROLLER_MODE->currentWidget();
            const QRect pageRect = page->rect();
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (QString::fromLatin1(w->metaObject()->className()) != "MyParameterButton")
                    continue;
                QCOMPARE(w->minimumSize(), w->maximumSize());
                const QRect onPage(w->mapTo(page, QPoint(0, 0)), w->size());
                QVERIFY2(pageRect.contains(onPage), qPrintable(w->objectName()));
            }
        }
    }
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

    void labelSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("maximum");
        QTest::newRow("LBL_APP_NAME") << "LBL_APP_NAME" << QSize(150, 39) << QSize(150, 39);
        QTest::newRow("LBL_APP_VER_STR") << "LBL_APP_VER_STR" << QSize(50, 39) << QSize(50, 39);
        QTest::newRow("LBL_APP_VER_MAJOR") << "LBL_APP_VER_MAJOR" << QSize(15, 39) << QSize(15, 39);
        QTest::newRow("LBL_APP_VER_PERIOD") << "LBL_APP_VER_PERIOD" << QSize(0, 0) << QSize(15, 39);
        QTest::newRow("LBL_APP_VER_MINOR_1") << "LBL_APP_VER_MINOR_1" << QSize(15, 39) << QSize(15, 39);
        QTest::newRow("LBL_APP_VER_MINOR_2") << "LBL_APP_VER_MINOR_2" << QSize(15, 39) << QSize(15, 39);
    }
    void labelSizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, minimum);
        QFETCH(QSize, maximum);
        VersionInfo badge;
        auto* label = badge.findChild<QLabel*>(name);
        QVERIFY(label);
        QCOMPARE(label->minimumSize(), minimum);
        QCOMPARE(label->maximumSize(), maximum);
    }

    // What each label shows: its picture scaled to the label, aspect ignored.
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

    void periodLabelIsFullSize()
    {
        // the decimal point is scaled to the label's laid-out size, not to
        // the size it had before the row was laid out
        VersionInfo badge;
        auto* label = badge.findChild<QLabel*>("LBL_APP_VER_PERIOD");
        QVERIFY(label);
        QCOMPARE(label->pixmap(Qt::ReturnByValue).size(), QSize(15, 39));
    }

    // Every character picture exists, and every picture has the shape of its
    // label, so that scaling without keeping the aspect does not distort it.
    void pictureShapes_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("labelSize");
        QTest::newRow("title") << MyCommon::IMAGE_TITLE << QSize(150, 39);
        QTest::newRow("Ver") << MyCommon::IMAGE_VER_STR << QSize(50, 39);
        for (char c : QByteArray("0123456789D"))
            QTest::newRow(QByteArray(1, c).constData())
                << QString::asprintf(qPrintable(MyCommon::IMAGE_VER_NUM), c) << QSize(15, 39);
    }
    void pictureShapes()
    {
        QFETCH(QString, picture);
        QFETCH(QSize, labelSize);
        VersionInfo badge; // registers the pictures
        const QPixmap pixmap(picture);
        QVERIFY2(!pixmap.isNull(), qPrintable(picture));
        QCOMPARE(pixmap.width() * labelSize.height(), pixmap.height() * labelSize.width());
        QVERIFY(pixmap.width() >= labelSize.width());
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
