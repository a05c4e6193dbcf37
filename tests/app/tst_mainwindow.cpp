#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

#include "drvctlpoller.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

// A drvctl stand-in: records its arguments and prints a running listing
// while the file "running" exists in the test folder.
QString drvctlScript()
{
    return QStringLiteral(
        "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
        "if [ $# -eq 0 ]; then echo 'v9.9 (stub)'; echo 'usage: drvctl'; exit 0; fi\n"
        "if [ -e \"$KESTA_SIM_DIR/running\" ]; then\n"
        "  printf 'h1\\nh2\\nh3\\n0 | -- | 5 | EMPTY\\n1 | -- | 0 | EMPTY\\n'\n"
        "else\n"
        "  echo 'drvctl: no emulator'\n"
        "fi\n");
}

// Records each argument in brackets, so "-o x1" stays one argument.
QString bracketRecorder(const QString& name)
{
    return QStringLiteral("printf '%1' >> \"$KESTA_STUB_LOG\"\n"
                          "for a in \"$@\"; do printf ' [%s]' \"$a\" >> \"$KESTA_STUB_LOG\"; done\n"
                          "echo >> \"$KESTA_STUB_LOG\"\n")
        .arg(name);
}

void writeSettings(const QString& path, const QString& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toUtf8());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        m_env->writeScript("drvctl", drvctlScript());
        m_env->writeScript("drvemu", bracketRecorder("drvemu"));
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        c()->UpdateDRVEMU_STATE(0);
        c()->SetInputGuard(false);
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        c()->DeleteSettingInstance();
        c()->Settings().InitializeSettings();
        c()->UpdateDRVEMU_STATE(0);
        delete m_env;
        m_env = nullptr;
    }

    void startsOnEmulatorPage()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 0);
        QCOMPARE(ui->BTN_DRVEMU_MODE->getItemList(), (QStringList{"NORMAL", "HALFSTEP", "PC-9821"}));
        QCOMPARE(ui->LBL_POWERED_BY->text(), QString("Powered by v9.9 "));
    }

    void pageStripsSwitch()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        c()->UpdateDRVEMU_STATE(1);
        m_env->clearStubLog();
        ui->BTN_PAGE1_CHANGE->click();
        // Leaving the emulator page always stops the emulator.
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 1);
        QVERIFY(m_env->stubLog().contains("pkill drvemu"));
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
        // Harmless when nothing runs.
        ui->BTN_PAGE2_CHANGE->click();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 0);
        ui->BTN_PAGE1_CHANGE->click();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 1);
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
    }

    void tabChangeMovesFocus_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("focused");
        QTest::newRow("dump") << 0 << "WDT_DUMP_PARAMETER_SELECTOR";
        QTest::newRow("restore") << 1 << "WDT_RESTORE_PARAMETER_SELECTOR";
        QTest::newRow("log") << 3 << "WDT_RESTORE_PARAMETER_SELECTOR";
    }

    void tabChangeMovesFocus()
    {
        QFETCH(int, tab);
        QFETCH(QString, focused);
        Ui::MainWindow* ui = makeWindow()->form();
        QApplication::setActiveWindow(m_window);
        ui->STACKED_WIDGET->setCurrentIndex(1);
        ui->TAB_CONTROLLER_MODE->setCurrentIndex(tab == 0 ? 1 : 0);
        ui->TAB_CONTROLLER_MODE->setCurrentIndex(tab);
        QWidget* target = m_window->findChild<QWidget*>(focused);
        QVERIFY(target);
        QTRY_COMPARE(QApplication::focusWidget(), target);
    }

    void inputGuardEvents()
    {
        makeWindow();
        int seen = 0;
        struct Seen : QObject {
            int* count;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Type(10000) || e->type() == QEvent::Type(10001))
                    ++*count;
                return false;
            }
        } spyFilter;
        spyFilter.count = &seen;
        // Installed before the window's own filter runs last; both see the events.
        m_window->installEventFilter(&spyFilter);
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::Type(10000)));
        QTRY_VERIFY(c()->isInputGuard());
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::Type(10001)));
        QTRY_VERIFY(!c()->isInputGuard());
        QCOMPARE(seen, 2);
        QEvent other(QEvent::User);
        QVERIFY(!m_window->eventFilter(m_window, &other));
        QEvent on(QEvent::Type(10000));
        QVERIFY(!m_window->eventFilter(m_window, &on));
        c()->SetInputGuard(false);
    }

    void startupChain_data()
    {
        QTest::addColumn<bool>("autostart");
        QTest::newRow("no autostart") << false;
        QTest::newRow("autostart") << true;
    }

    void startupChain()
    {
        QFETCH(bool, autostart);
        writeSettings(m_env->settingsPath(),
                      QString("[STARTUP]\nSTARTUP=%1\n[LASTINSERT_FDIMAGE]\nDRIVE0=EMPTY\nDRIVE1=/no/such/image.HVR\n")
                          .arg(autostart ? "true" : "false"));
        makeWindow();
        QVERIFY(m_window->firstStartupTimerId() != -1);
        QCOMPARE(m_window->pollTimerId(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->firstStartupTimerId() == -1, 10000);
        // START sets the state word at once; the poll that could reset it
        // starts only a second later.
        QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE() == 1, autostart);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->pollTimerId() != -1, 10000);
        // The started emulator (a recording stand-in) has run by now or soon.
        if (autostart)
            QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog().filter("drvemu").size(), 1, 10000);
        else
            QCOMPARE(m_env->stubLog().filter("drvemu").size(), 0);
        QCOMPARE(m_window->secondStartupTimerId(), -1);
        // A missing or "EMPTY" last image is not inserted.
        QVERIFY(m_env->stubLog().filter("insert").isEmpty());
        // The poll runs drvctl -l from now on.
        QTRY_VERIFY_WITH_TIMEOUT(m_env->stubLog().contains("drvctl -l"), 10000);
    }

    void startArguments_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("x68k");
        QTest::addColumn<bool>("motor");
        QTest::addColumn<QString>("logged");
        QTest::newRow("normal off") << "NORMAL" << false << false << "drvemu [-v] [-o x0] [-o m0]";
        QTest::newRow("halfstep on") << "HALFSTEP" << true << true << "drvemu [-v] [-shalf] [-o x1] [-o m1]";
        QTest::newRow("pc-9821 off") << "PC-9821" << false << false << "drvemu [-o q1] [-o x0] [-o m0]";
        QTest::newRow("normal mixed") << "NORMAL" << true << false << "drvemu [-v] [-o x1] [-o m0]";
    }

    void startArguments()
    {
        QFETCH(QString, mode);
        QFETCH(bool, x68k);
        QFETCH(bool, motor);
        QFETCH(QString, logged);
        Ui::MainWindow* ui = makeWindow()->form();
        ui->BTN_DRVEMU_MODE->setCurrentText(mode);
        c()->Settings().m_x68kOption = x68k;
        c()->Settings().m_motorSignal = motor;
        m_env->clearStubLog();
        ui->BTN_DRVEMU_START->click();
        QCOMPARE(c()->isDRVEMU_STATE(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_env->stubLog().contains(logged), 10000);
    }

    void stopRunsPkillAndResets()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        m_env->writeScript("drvemu", "exec sleep 300");
        ui->BTN_DRVEMU_START->click();
        QTRY_COMPARE(m_window->emulatorProcess()->state(), QProcess::Running);
        m_env->clearStubLog();
        ui->BTN_DRVEMU_STOP->click();
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
    }

    void controlStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("stopped") << 0;
        QTest::newRow("running") << 1;
    }

    void controlStates()
    {
        QFETCH(int, state);
        Ui::MainWindow* ui = makeWindow()->form();
        const bool running = state == 1;
        const bool settingTwoBefore = ui->BTN_EMU_SETTING_2->isEnabled();
        c()->UpdateDRVEMU_STATE(state);
        m_window->UpdateDRVEMUStatus();
        QCOMPARE(ui->BTN_DRVEMU_START->isEnabled(), !running);
        QCOMPARE(ui->BTN_DRVEMU_STOP->isEnabled(), running);
        QCOMPARE(ui->BTN_EMU_SETTING->isEnabled(), !running);
        QCOMPARE(ui->WDT_DRIVEINFO1->isEnabled(), running);
        QCOMPARE(ui->WDT_DRIVEINFO2->isEnabled(), running);
        QCOMPARE(ui->BTN_DRVEMU_MODE->isEnabled(), !running);
        QCOMPARE(ui->BTN_EMU_SETTING_2->isEnabled(), settingTwoBefore);
    }

    void pollFollowsTheListing()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        QSignalSpy listings(m_window->poller(), &DrvctlPoller::listingRead);
        QSignalSpy chunks(c(), &MyCommon::commandOutputs);
        QFile(m_env->simDir() + "/running").open(QIODevice::WriteOnly);
        QVERIFY(m_window->poller()->Poll());
        QVERIFY(listings.wait(10000));
        QCOMPARE(c()->isDRVEMU_STATE(), 1);
        QVERIFY(ui->BTN_DRVEMU_STOP->isEnabled());
        // An emulator that died outside the program shows as stopped at the next poll.
        QFile::remove(m_env->simDir() + "/running");
        QVERIFY(m_window->poller()->Poll());
        QVERIFY(listings.wait(10000));
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
        // The listing never reaches a running operation's track map.
        QCOMPARE(chunks.count(), 0);
    }

    void pollNeverOverlaps()
    {
        makeWindow();
        // A drvctl that answers only when the test lets it.
        m_env->writeScript("drvctl", "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
                                     "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                     "printf 'a\\nb\\nc\\nd\\ne\\n'\n");
        QSignalSpy listings(m_window->poller(), &DrvctlPoller::listingRead);
        m_env->clearStubLog();
        QVERIFY(m_window->poller()->Poll());
        QVERIFY(!m_window->poller()->Poll());
        QVERIFY(!m_window->poller()->Poll());
        QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
        QVERIFY(listings.wait(10000));
        QCOMPARE(listings.count(), 1);
        QCOMPARE(m_env->stubLog().filter("drvctl -l").size(), 1);
    }

    void emulatorSettingsSavedOnChange()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        ui->BTN_DRVEMU_MODE->setCurrentText("HALFSTEP");
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QCOMPARE(file.value("DRVEMU/MODE").toString(), QString("HALFSTEP"));
    }

    void logCounterClearAndSave()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        QByteArray chunk("first line\x1b[Ksecond line\x1b[Kthird");
        c()->LogAppend(ui->EDT_LOG_DISPLAY, &chunk);
        QCOMPARE(ui->LBL_LOG_ROW_COUNT->text(), QString("3"));
        const QString path = m_window->SaveLogToFolder(m_env->path());
        QVERIFY(QFileInfo(path).fileName().contains(QRegularExpression("^LOG_\\d{14}\\.log$")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QString("first line\nsecond line\nthird"));

        // A folder that cannot be written tells the user and writes nothing.
        QString seen;
        ModalAnswer answer([&](QWidget* modal) {
            seen = modal->windowTitle();
            modal->close();
        });
        QCOMPARE(m_window->SaveLogToFolder(m_env->path("missing/folder")), QString());
        QCOMPARE(seen, QString("Unable to open file as write mode"));

        ui->BTN_LOG_CLEAR->click();
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText(), QString());
        QCOMPARE(ui->LBL_LOG_ROW_COUNT->text(), QString("1"));
    }

    void freshFileIsUpgradedOnce()
    {
        writeSettings(m_env->settingsPath(), "[DRVEMU]\nHALFSTEP=true\n");
        makeWindow();
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QCOMPARE(file.value("DRVEMU/MODE").toString(), QString("HALFSTEP"));
        QVERIFY(!file.contains("DRVEMU/HALFSTEP"));
    }

private:
    MainWindow* makeWindow();
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    MyCommon* c() { return MyCommon::getInstance(); }
};

MainWindow* TestMainWindow::makeWindow()
{
    m_window = new MainWindow;
    m_window->show();
    return m_window;
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
