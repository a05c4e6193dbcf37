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
#include "mykeyboard.h"
#include "testenv.h"
#include "ui_mainwindow.h"

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        // drvctl stand-in: records its arguments, knows no running emulator.
        m_env->writeScript("drvctl", "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
                                     "if [ $# -eq 0 ]; then echo 'v9.9 (stub)'; echo 'usage: drvctl'; exit 0; fi\n"
                                     "echo 'drvctl: no emulator'\n");
        // Each argument in brackets, so "-o x1" stays one argument.
        m_env->writeScript("drvemu", "printf 'drvemu' >> \"$KESTA_STUB_LOG\"\n"
                                     "for a in \"$@\"; do printf ' [%s]' \"$a\" >> \"$KESTA_STUB_LOG\"; done\n"
                                     "echo >> \"$KESTA_STUB_LOG\"\n");
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
        c()->SetInputGuard(false);
        delete m_env;
        m_env = nullptr;
    }

    void startsOnEmulatorPageWithToolVersion()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 0);
        QCOMPARE(ui->LBL_POWERED_BY->text(), QString("Powered by v9.9 "));
    }

    void pageStripsSwitch()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        c()->UpdateDRVEMU_STATE(1);
        m_env->clearStubLog();
        // Leaving the emulator page always stops the emulator.
        ui->BTN_PAGE1_CHANGE->click();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 1);
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
        ui->BTN_PAGE2_CHANGE->click();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 0);
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
        writeSettings(QString("[STARTUP]\nSTARTUP=%1\n[LASTINSERT_FDIMAGE]\nDRIVE0=EMPTY\nDRIVE1=/no/such/image.HVR\n")
                          .arg(autostart ? "true" : "false"));
        makeWindow(true);
        QVERIFY(m_window->firstStartupTimerId() != -1);
        QCOMPARE(m_window->pollTimerId(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->pollTimerId() != -1, 20000);
        QCOMPARE(m_window->firstStartupTimerId(), -1);
        QCOMPARE(m_window->secondStartupTimerId(), -1);
        if (autostart)
            QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog().filter("drvemu").size(), 1, 10000);
        else
            QCOMPARE(m_env->stubLog().filter("drvemu").size(), 0);
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
        // The mode is kept in the settings file as soon as it is chosen.
        QCOMPARE(QSettings(m_env->settingsPath(), QSettings::IniFormat).value("DRVEMU/MODE").toString(), mode);
    }

    void stopRunsPkillAndResets()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        m_env->writeScript("drvemu", "exec sleep 300");
        ui->BTN_DRVEMU_START->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::Running, 10000);
        m_env->clearStubLog();
        ui->BTN_DRVEMU_STOP->click();
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
    }

    void controlStates()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        const bool settingTwo = ui->BTN_EMU_SETTING_2->isEnabled();
        for (const bool running : {true, false}) {
            c()->UpdateDRVEMU_STATE(running ? 1 : 0);
            m_window->UpdateDRVEMUStatus();
            QCOMPARE(ui->BTN_DRVEMU_START->isEnabled(), !running);
            QCOMPARE(ui->BTN_DRVEMU_STOP->isEnabled(), running);
            QCOMPARE(ui->BTN_EMU_SETTING->isEnabled(), !running);
            QCOMPARE(ui->WDT_DRIVEINFO1->isEnabled(), running);
            QCOMPARE(ui->WDT_DRIVEINFO2->isEnabled(), running);
            QCOMPARE(ui->BTN_DRVEMU_MODE->isEnabled(), !running);
            QCOMPARE(ui->BTN_EMU_SETTING_2->isEnabled(), settingTwo);
        }
    }

    void pollNeverOverlaps()
    {
        makeWindow();
        // A drvctl that answers only when the test lets it.
        m_env->writeScript("drvctl", "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
                                     "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                     "printf 'a\\nb\\nc\\nd\\ne\\n'\n");
        QSignalSpy listings(m_window->poller(), &DrvctlPoller::listingRead);
        QSignalSpy chunks(c(), &MyCommon::commandOutputs);
        m_env->clearStubLog();
        QVERIFY(m_window->poller()->Poll());
        QVERIFY(!m_window->poller()->Poll());
        QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
        QVERIFY(listings.wait(10000));
        QCOMPARE(listings.count(), 1);
        QCOMPARE(m_env->stubLog().filter("drvctl -l").size(), 1);
        // The listing never reaches a running operation's track map.
        QCOMPARE(chunks.count(), 0);
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

    void keyboardCaller_data()
    {
        QTest::addColumn<int>("emulator");
        // In order: "ok"/"cancel" for the message box, "type:TEXT" to accept
        // the keyboard with TEXT, "close" to reject it.
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("text"); // the field afterwards
        QTest::addColumn<QStringList>("stubLog");
        QTest::newRow("stopped, typed") << 0 << QStringList{"type:GAME01"} << "GAME01" << QStringList{};
        QTest::newRow("stopped, closed") << 0 << QStringList{"close"} << "old" << QStringList{};
        QTest::newRow("running, cancel keeps emulator") << 1 << QStringList{"cancel"} << "old" << QStringList{};
        QTest::newRow("running, ok stops first")
            << 1 << QStringList{"ok", "type:NEW"} << "NEW" << QStringList{"pkill drvemu"};
    }

    void keyboardCaller()
    {
        QFETCH(int, emulator);
        QFETCH(QStringList, answers);
        QFETCH(QString, text);
        QFETCH(QStringList, stubLog);
        Ui::MainWindow* ui = makeWindow()->form();
        ui->LEDT_DUMP_FILENAME->setText("old");
        c()->UpdateDRVEMU_STATE(emulator);
        m_env->clearStubLog();
        QStringList seen;
        ModalAnswer driver(
            [&](QWidget* modal) {
                const QString answer = answers.at(seen.size());
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    seen << box->windowTitle();
                    box->button(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
                } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
                    seen << "keyboard:" + keyboard->getText();
                    keyboard->setText(answer.mid(5));
                    answer.startsWith("type:") ? keyboard->accept() : keyboard->reject();
                }
            },
            answers.size());
        m_window->displayVirtualKeyBoard(ui->LEDT_DUMP_FILENAME);
        QCOMPARE(ui->LEDT_DUMP_FILENAME->text(), text);
        QCOMPARE(c()->isDRVEMU_STATE(), stubLog.isEmpty() ? emulator : 0);
        QCOMPARE(m_env->stubLog(), stubLog);
        if (emulator == 1)
            QCOMPARE(seen.value(0), QString("Confirm operation continuation."));
        if (answers.last() != "cancel")
            QCOMPARE(seen.last(), QString("keyboard:old"));
        // The field has lost the focus, so the next tap opens the keyboard again.
        QVERIFY(!ui->LEDT_DUMP_FILENAME->hasFocus());
    }

private:
    // Without the start-up chain unless asked for, so that no poll of
    // drvctl runs in the middle of a test.
    MainWindow* makeWindow(bool startup = false)
    {
        m_window = new MainWindow;
        if (!startup)
            m_window->killTimer(m_window->firstStartupTimerId());
        m_window->show();
        return m_window;
    }
    void writeSettings(const QString& text)
    {
        QFile file(m_env->settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
