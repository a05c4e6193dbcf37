#include <csignal>

#include "driveinfo.h"
#include "fixtures.h"
#include "ui_mainwindow.h"

// The emulator page against the simulated board: started, given images, then
// stopped, or its tools fail: drvctl hangs or dies, drvemu is killed from
// outside or missing.  Images and the settings file never suffer, a dead
// emulator shows stopped and starts again.
class TestEmulatorControl : public WindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        qputenv("KESTA_SIM_PRINT_MS", "20");
        qputenv("KESTA_SIM_SEEK_MS", "100");
        openWindow(true);
    }

    void cleanup()
    {
        if (m_window->emulatorProcess()->state() != QProcess::NotRunning) {
            m_window->emulatorProcess()->kill();
            QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        }
        closeWindow();
        qunsetenv("KESTA_SIM_PRINT_MS");
        qunsetenv("KESTA_SIM_SEEK_MS");
    }

    void lifeAndFaults_data()
    {
        addColumns<QString, bool>("fault", "running"); // running afterwards
        QTest::newRow("STOP tapped") << "stop" << false;
        // Ticks that come while the run hangs are skipped, never piled up.
        QTest::newRow("drvctl hangs") << "hang" << true;
        // A dead drvctl says nothing about drives: the page falls back to stopped.
        QTest::newRow("drvctl dies mid-line") << "die" << false;
        QTest::newRow("drvemu killed") << "kill" << false;
        QTest::newRow("no drvemu anywhere") << "missing" << false;
    }

    void lifeAndFaults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, running);
        MyCommon* common = MyCommon::getInstance();
        if (fault == "missing") {
            qputenv("PATH", QFile::encodeName(m_env->binDir()) + ":/usr/bin:/bin");
            m_env->linkSimTool("drvctl");
            ui->BTN_DRVEMU_START->click();
            QVERIFY(pollOnce());
            QCOMPARE(common->isDRVEMU_STATE(), 0);
            QVERIFY(ui->BTN_DRVEMU_START->isEnabled() && !ui->BTN_DRVEMU_STOP->isEnabled());
            return;
        }
        startEmulator();
        common->SetSettingString("CONVERT/MAKEHVR", "written before");
        const QStringList images{m_env->path(QString::fromUtf8("ゲーム 1.HVR")), m_env->path("b.HVR")};
        for (const QString& image : images)
            QVERIFY(writeFile(image, QByteArray(1024, 'x')));
        ui->WDT_DRIVEINFO1->SetFDImage(images[0]);
        ui->WDT_DRIVEINFO2->SetFDImage(images[1]);
        QTRY_COMPARE_WITH_TIMEOUT(common->GetSettingString("LASTINSERT_FDIMAGE/DRIVE1"), images[1], 10000);
        QVERIFY(pollOnce());
        QCOMPARE(ui->WDT_DRIVEINFO1->findChild<QLabel*>("LBL_FD_FILENAME")->text(), QFileInfo(images[0]).fileName());
        if (!qEnvironmentVariableIsEmpty("KESTA_SCREENSHOT_DIR"))
            m_window->grab().save(QDir(qEnvironmentVariable("KESTA_SCREENSHOT_DIR")).filePath("emulator-running.png"));

        m_env->clearStubLog();
        if (fault == "stop") {
            ui->BTN_DRVEMU_STOP->click();
        } else if (fault == "kill") {
            QVERIFY(signalProcess(m_window->emulatorProcess()->processId(), SIGKILL));
        } else if (fault == "hang") {
            m_env->writeScript("drvctl", QStringLiteral("echo drvctl >> \"$KESTA_STUB_LOG\"\n"
                                                        "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                                        "exec '%1/drvctl' \"$@\"").arg(TestEnv::simBinDir()));
            QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
            QVERIFY(m_window->poller()->Poll());
            QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog(), QStringList{"drvctl"}, 10000);
            for (int i = 0; i < 5; ++i)
                QVERIFY(!m_window->poller()->Poll());
            QCOMPARE(m_env->stubLog(), QStringList{"drvctl"});
            QVERIFY(spy.isEmpty());
            QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
        } else {
            m_env->writeScript("drvctl", "printf 'KESTA-SIM 1.05 half a li'\nkill -9 $$");
        }
        if (!running && fault != "die")
            QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QVERIFY(pollOnce());
        QCOMPARE(common->isDRVEMU_STATE(), running ? 1 : 0);
        QCOMPARE(ui->BTN_DRVEMU_START->isEnabled(), !running);
        QCOMPARE(ui->WDT_DRIVEINFO1->isEnabled(), running);
        QVERIFY(!common->isInputGuard());

        for (const QString& image : images)
            QCOMPARE(readFile(image), QByteArray(1024, 'x'));
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QCOMPARE(file.value("CONVERT/MAKEHVR").toString(), QString("written before"));
        QCOMPARE(common->GetSettingString("LASTINSERT_FDIMAGE/DRIVE0"), images[0]);
        QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE1").toString(), images[1]);
        if (fault == "stop" || fault == "kill") { // and it starts again
            startEmulator();
        }
    }

private:
    // One listing read, whether this poll or one already under way brings it.
    bool pollOnce()
    {
        QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
        m_window->poller()->Poll();
        return !spy.isEmpty() || spy.wait(20000);
    }
    void startEmulator()
    {
        ui->BTN_DRVEMU_START->click();
        QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && MyCommon::getInstance()->isDRVEMU_STATE() == 1, 15000);
    }
};

QTEST_MAIN(TestEmulatorControl)
#include "tst_emulatorcontrol.moc"
