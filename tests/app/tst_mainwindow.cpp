#include <QtTest>
#include <QtWidgets>

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
        // drvctl knows no running emulator; drvemu logs each argument in brackets.
        m_env->writeScript("drvctl", "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
                                     "if [ $# -eq 0 ]; then echo 'v9.9 (stub)'; echo 'usage: drvctl'; exit 0; fi\n"
                                     "echo 'drvctl: no emulator'\n");
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

    void pageSwitchStopsEmulator()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        c()->UpdateDRVEMU_STATE(1);
        m_env->clearStubLog();
        ui->BTN_PAGE1_CHANGE->click();
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), 1);
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
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
        QFile file(m_env->settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString("[STARTUP]\nSTARTUP=%1\n[LASTINSERT_FDIMAGE]\nDRIVE0=EMPTY\nDRIVE1=/no/such/image.HVR\n")
                       .arg(autostart ? "true" : "false")
                       .toUtf8());
        file.close();
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
        QVERIFY(m_env->stubLog().filter("insert").isEmpty()); // missing or "EMPTY" images
        QTRY_VERIFY_WITH_TIMEOUT(m_env->stubLog().contains("drvctl -l"), 10000);
    }

    void startArguments_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("options");
        QTest::addColumn<QString>("logged");
        QTest::newRow("normal off") << "NORMAL" << false << "drvemu [-v] [-o x0] [-o m0]";
        QTest::newRow("halfstep on") << "HALFSTEP" << true << "drvemu [-v] [-shalf] [-o x1] [-o m1]";
        QTest::newRow("pc-9821 off") << "PC-9821" << false << "drvemu [-o q1] [-o x0] [-o m0]";
    }

    void startArguments()
    {
        QFETCH(QString, mode);
        QFETCH(bool, options);
        QFETCH(QString, logged);
        Ui::MainWindow* ui = makeWindow()->form();
        ui->BTN_DRVEMU_MODE->setCurrentText(mode);
        c()->Settings().m_x68kOption = c()->Settings().m_motorSignal = options;
        m_env->clearStubLog();
        ui->BTN_DRVEMU_START->click();
        QCOMPARE(c()->isDRVEMU_STATE(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_env->stubLog().contains(logged), 10000);
        QCOMPARE(QSettings(m_env->settingsPath(), QSettings::IniFormat).value("DRVEMU/MODE").toString(), mode);
    }

    void stopEndsProcessAndEnablesControls()
    {
        Ui::MainWindow* ui = makeWindow()->form();
        m_env->writeScript("drvemu", "exec sleep 300");
        ui->BTN_DRVEMU_START->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::Running, 10000);
        QVERIFY(!ui->BTN_DRVEMU_START->isEnabled() && !ui->BTN_EMU_SETTING->isEnabled());
        QVERIFY(ui->WDT_DRIVEINFO1->isEnabled() && !ui->BTN_DRVEMU_MODE->isEnabled());
        m_env->clearStubLog();
        ui->BTN_DRVEMU_STOP->click();
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled() && !ui->BTN_DRVEMU_STOP->isEnabled());
        QVERIFY(!ui->WDT_DRIVEINFO2->isEnabled() && ui->BTN_DRVEMU_MODE->isEnabled());
    }

    // A poll never overlaps one still running, and its listing never reaches
    // a running operation's track map.
    void pollNeverOverlaps()
    {
        makeWindow();
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
        QTest::addColumn<QStringList>("answers"); // "ok"/"cancel" (message box), "type:TEXT" (keyboard)
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("stubLog");
        QTest::newRow("stopped, typed") << 0 << QStringList{"type:GAME01"} << "GAME01" << QStringList{};
        QTest::newRow("running, cancel keeps emulator") << 1 << QStringList{"cancel"} << "old" << QStringList{};
        QTest::newRow("running, ok stops first")
            << 1 << QStringList{"ok", "type:NEW"} << "NEW" << QStringList{"pkill drvemu"};
    }

    void keyboardCaller()
    {
        QFETCH(int, emulator);
        QFETCH(QStringList, answers);
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
                    keyboard->accept();
                }
            },
            answers.size());
        m_window->displayVirtualKeyBoard(ui->LEDT_DUMP_FILENAME);
        QTEST(ui->LEDT_DUMP_FILENAME->text(), "text");
        QCOMPARE(c()->isDRVEMU_STATE(), stubLog.isEmpty() ? emulator : 0);
        QCOMPARE(m_env->stubLog(), stubLog);
        if (emulator == 1)
            QCOMPARE(seen.value(0), QString("Confirm operation continuation."));
        if (answers.last() != "cancel")
            QCOMPARE(seen.last(), QString("keyboard:old"));
        QVERIFY(!ui->LEDT_DUMP_FILENAME->hasFocus()); // so the next tap opens it again
    }

private:
    // No start-up chain (and so no drvctl poll) unless asked for.
    MainWindow* makeWindow(bool startup = false)
    {
        m_window = new MainWindow;
        if (!startup)
            m_window->killTimer(m_window->firstStartupTimerId());
        m_window->show();
        return m_window;
    }
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
