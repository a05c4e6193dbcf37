#include "fixtures.h"
#include "ui_mainwindow.h"

class TestMainWindow : public WindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        makeEnv();
        // drvctl knows no running emulator; drvemu logs each argument in brackets and runs on.
        m_env->writeScript("drvctl", "echo \"drvctl $*\" >> \"$KESTA_STUB_LOG\"\n"
                                     "if [ $# -eq 0 ]; then echo 'v9.9 (stub)'; echo 'usage: drvctl'; exit 0; fi\n"
                                     "echo 'drvctl: no emulator'\n");
        m_env->writeScript("drvemu", "printf 'drvemu' >> \"$KESTA_STUB_LOG\"\n"
                                     "for a in \"$@\"; do printf ' [%s]' \"$a\" >> \"$KESTA_STUB_LOG\"; done\n"
                                     "echo >> \"$KESTA_STUB_LOG\"\nexec sleep 300");
    }
    void cleanup() { closeWindow(); }

    void startupChain_data()
    {
        addColumns<bool>("autostart");
        QTest::newRow("no autostart") << false;
        QTest::newRow("autostart") << true;
    }

    void startupChain()
    {
        QFETCH(bool, autostart);
        QVERIFY(writeFile(m_env->settingsPath(), QString("[STARTUP]\nSTARTUP=%1\n[LASTINSERT_FDIMAGE]\nDRIVE0=EMPTY\n"
                                                         "DRIVE1=/no/such/image.HVR\n").arg(autostart ? "true" : "false").toUtf8()));
        newWindow();
        QVERIFY(m_window->firstStartupTimerId() != -1);
        QCOMPARE(m_window->pollTimerId(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->pollTimerId() != -1, 20000);
        QCOMPARE(m_window->firstStartupTimerId(), -1);
        QCOMPARE(m_window->secondStartupTimerId(), -1);
        QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog().filter("drvemu").size(), int(autostart), 10000);
        QVERIFY(m_env->stubLog().filter("insert").isEmpty()); // missing or "EMPTY" images
        QTRY_VERIFY_WITH_TIMEOUT(m_env->stubLog().contains("drvctl -l"), 10000);
    }

    // START runs drvemu with the mode's arguments; STOP or the other page ends it.
    void startAndStop_data()
    {
        addColumns<QString, bool, QString, QString>("mode", "options", "logged", "stop");
        QTest::newRow("normal off, STOP") << "NORMAL" << false << "drvemu [-v] [-o x0] [-o m0]" << "BTN_DRVEMU_STOP";
        QTest::newRow("halfstep on, STOP") << "HALFSTEP" << true << "drvemu [-v] [-shalf] [-o x1] [-o m1]"
                                           << "BTN_DRVEMU_STOP";
        QTest::newRow("pc-9821 off, page switch") << "PC-9821" << false << "drvemu [-o q1] [-o x0] [-o m0]"
                                                  << "BTN_PAGE1_CHANGE";
    }

    void startAndStop()
    {
        QFETCH(QString, mode);
        QFETCH(QString, stop);
        newWindowWithoutStartup();
        ui->BTN_DRVEMU_MODE->setCurrentText(mode);
        c()->Settings().m_x68kOption = c()->Settings().m_motorSignal = row<bool>("options");
        ui->BTN_DRVEMU_START->click();
        QCOMPARE(c()->isDRVEMU_STATE(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog(), QStringList{row<QString>("logged")}, 10000);
        QCOMPARE(stored("DRVEMU/MODE").toString(), mode);
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::Running, 10000);
        QVERIFY(!ui->BTN_DRVEMU_START->isEnabled() && !ui->BTN_EMU_SETTING->isEnabled());
        QVERIFY(ui->WDT_DRIVEINFO1->isEnabled() && !ui->BTN_DRVEMU_MODE->isEnabled());
        m_env->clearStubLog();
        m_window->findChild<QPushButton*>(stop)->click();
        QCOMPARE(m_env->stubLog(), QStringList{"pkill drvemu"});
        QCOMPARE(ui->STACKED_WIDGET->currentIndex(), int(stop == "BTN_PAGE1_CHANGE"));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QCOMPARE(c()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled() && !ui->BTN_DRVEMU_STOP->isEnabled());
        QVERIFY(!ui->WDT_DRIVEINFO2->isEnabled() && ui->BTN_DRVEMU_MODE->isEnabled());
    }

    void logCounterClearAndSave()
    {
        newWindowWithoutStartup();
        QByteArray chunk("first line\x1b[Ksecond line\x1b[Kthird");
        c()->LogAppend(ui->EDT_LOG_DISPLAY, &chunk);
        QCOMPARE(ui->LBL_LOG_ROW_COUNT->text(), QString("3"));
        const QString path = m_window->SaveLogToFolder(m_env->path());
        QVERIFY(QFileInfo(path).fileName().contains(QRegularExpression("^LOG_\\d{14}\\.log$")));
        QCOMPARE(readFile(path), QByteArray("first line\nsecond line\nthird"));
        Answers answers({"ok"});
        QCOMPARE(m_window->SaveLogToFolder(m_env->path("missing/folder")), QString());
        QCOMPARE(answers.seen, QStringList{"Unable to open file as write mode"});
        ui->BTN_LOG_CLEAR->click();
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText(), QString());
        QCOMPARE(ui->LBL_LOG_ROW_COUNT->text(), QString("1"));
    }

    void keyboardCaller_data()
    {
        addColumns<int, QStringList, QString, QStringList, QStringList>("emulator", "answers", "text", "stubLog", "seen");
        const QString keyboard = "keyboard:old:0-255", confirm = "Confirm operation continuation. [Cancel]";
        QTest::newRow("stopped, typed") << 0 << QStringList{"type:GAME01"} << "GAME01" << QStringList{}
                                        << QStringList{keyboard};
        QTest::newRow("running, cancel keeps emulator") << 1 << QStringList{"cancel"} << "old" << QStringList{}
                                                        << QStringList{confirm};
        QTest::newRow("running, ok stops first") << 1 << QStringList{"ok", "type:NEW"} << "NEW"
                                                 << QStringList{"pkill drvemu"} << QStringList{confirm, keyboard};
    }

    void keyboardCaller()
    {
        QFETCH(int, emulator);
        QFETCH(QStringList, stubLog);
        newWindowWithoutStartup();
        ui->LEDT_DUMP_FILENAME->setText("old");
        c()->UpdateDRVEMU_STATE(emulator);
        Answers answerer(row<QStringList>("answers"));
        m_window->displayVirtualKeyBoard(ui->LEDT_DUMP_FILENAME);
        QTEST(ui->LEDT_DUMP_FILENAME->text(), "text");
        QCOMPARE(c()->isDRVEMU_STATE(), stubLog.isEmpty() ? emulator : 0);
        QCOMPARE(m_env->stubLog(), stubLog);
        QTEST(answerer.seen, "seen");
        QVERIFY(!ui->LEDT_DUMP_FILENAME->hasFocus()); // so the next tap opens it again
    }

private:
    // No start-up chain (and so no drvctl poll).
    void newWindowWithoutStartup()
    {
        newWindow();
        m_window->killTimer(m_window->firstStartupTimerId());
        m_env->clearStubLog();
    }
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
