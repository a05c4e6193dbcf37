#include <csignal>

#include "driveinfo.h"
#include "fixtures.h"
#include "qtcompat.h"
#include "ui_mainwindow.h"

// The emulator page against drvemu and drvctl that start late, die, answer
// late, hang, fail or are missing: the images, the remembered images and the
// rest of the settings file never suffer, the page shows what runs, and a
// stopped or dead emulator starts again.
class TestEmulatorControl : public WindowFixture
{
    Q_OBJECT
    const QStringList m_images{QString::fromUtf8("ゲーム a.HVR"), "b.HVR", "c.HVR"};
    QStringList m_knobs;

    QString name(int drive) { return (drive ? ui->WDT_DRIVEINFO2 : ui->WDT_DRIVEINFO1)->findChild<QLabel*>("LBL_FD_FILENAME")->text(); }
    QString remembered(int drive)
    {
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QtCompat::UseUtf8(file);
        return file.value(QString("LASTINSERT_FDIMAGE/DRIVE%1").arg(drive)).toString();
    }
    // "ab": image a in drive 0, b in drive 1; '-' no disk, 'E' remembered "EMPTY".
    QString pathOf(QChar c) { return c == 'E' ? "EMPTY" : m_env->path(m_images.value(c.unicode() - 'a')); }
    QString nameOf(QChar c) { return c.isLower() ? m_images.value(c.unicode() - 'a') : DriveInfo::NO_DISK_TEXT; }
    void remember(const QString& drives)
    {
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QtCompat::UseUtf8(file);
        for (int drive : {0, 1})
            file.setValue(QString("LASTINSERT_FDIMAGE/DRIVE%1").arg(drive), pathOf(drives[drive]));
    }
    // One listing read, whether this poll or one already under way brings it.
    bool pollOnce()
    {
        QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
        m_window->poller()->Poll();
        return !spy.isEmpty() || spy.wait(20000);
    }

private slots:
    void init()
    {
        makeEnv(true);
        for (const QString& image : m_images)
            QVERIFY(writeFile(m_env->path(image), QByteArray(1024, 'x')));
        remember("ab");
        newWindow();
        MyCommon::getInstance()->SetSettingString("CONVERT/MAKEHVR", "written before");
    }
    void cleanup()
    {
        if (m_window->emulatorProcess()->state() != QProcess::NotRunning) {
            m_window->emulatorProcess()->kill();
            QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        }
        closeWindow();
        for (const QString& knob : m_knobs)
            qunsetenv(knob.section('=', 0, 0).toLatin1());
    }

    void emulator_data()
    {
        // knobs: set before the first step; steps in order; then the page and the remembered images.
        addColumns<QString, QString, bool, QString, QString>("knobs", "steps", "running", "shown", "remembered");
        const QString fast = "KESTA_SIM_PRINT_MS=20 KESTA_SIM_SEEK_MS=100";
        QTest::newRow("slow start") << "KESTA_SIM_EMU_START_MS=2500" << "start" << true << "ab" << "ab";
        QTest::newRow("every 2nd drvctl fails") << "KESTA_SIM_CTL_FAIL=2" << "start" << true << "ab" << "ab";
        QTest::newRow("STOP tapped, start") << fast << "start stop ended start" << true << "ab" << "ab";
        QTest::newRow("settings reopened, start") << "" << "start stop reopen start" << true << "c-" << "cE";
        QTest::newRow("late answer begun before stop") << "" << "start late stop ended" << false << "--" << "ab";
        QTest::newRow("drvemu dies") << "KESTA_SIM_EMU_DIE_MS=6000" << "start dies ended" << false << "--" << "ab";
        QTest::newRow("never answers") << "KESTA_SIM_EMU_START_MS=60000" << "limit tap dies ended" << false << "--" << "ab";
        // Ticks that come while the run hangs are skipped, never piled up.
        QTest::newRow("drvctl hangs") << fast << "start settle hang" << true << "ab" << "ab";
        // A dead drvctl says nothing about drives: the page falls back to stopped.
        QTest::newRow("drvctl dies mid-line") << fast << "start settle die" << false << "--" << "ab";
        QTest::newRow("drvemu killed, start") << fast << "start settle kill ended restart" << true << "" << "ab";
        QTest::newRow("no drvemu anywhere") << fast << "missing tap" << false << "--" << "ab";
    }
    void emulator()
    {
        QFETCH(bool, running);
        MyCommon* common = MyCommon::getInstance();
        m_knobs = row<QString>("knobs").split(' ');
        m_knobs.removeAll(QString());
        for (const QString& knob : m_knobs)
            qputenv(knob.section('=', 0, 0).toLatin1(), knob.section('=', 1).toLatin1());
        int afterDeath = 0, dead = 0; // listings read after drvemu ended
        QObject watch;
        connect(m_window->emulatorProcess(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &watch, [&] { dead = 1; });
        connect(m_window->poller(), &DrvctlPoller::listingRead, &watch, [&] { afterDeath += dead; });
        for (const QString& step : row<QString>("steps").split(' ')) {
            if (step == "limit") {
                m_window->SetEmulatorStartLimit(1500);
            } else if (step == "missing") {
                qputenv("PATH", QFile::encodeName(m_env->binDir()) + ":/usr/bin:/bin");
                m_env->linkSimTool("drvctl");
            } else if (step == "settle") { // the start is over once a listing shows it running
                QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && common->isDRVEMU_STATE() == 1, 15000);
            } else if (step == "restart") { // shown stopped, then running again by the time a listing says so
                QVERIFY(pollOnce());
                QVERIFY(common->isDRVEMU_STATE() == 0 && ui->BTN_DRVEMU_START->isEnabled());
                ui->BTN_DRVEMU_START->click();
                QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && common->isDRVEMU_STATE() == 1, 15000);
            } else if (step == "tap" || step == "start") {
                afterDeath = dead = 0;
                ui->BTN_DRVEMU_START->click();
                if (step == "tap")
                    continue;
                const QString drives = remembered(0).endsWith("c.HVR") ? "c-" : "ab";
                QTRY_VERIFY_WITH_TIMEOUT(common->isDRVEMU_STATE() == 1 && name(0) == nameOf(drives[0]) && name(1) == nameOf(drives[1]), 20000);
                if (!qEnvironmentVariableIsEmpty("KESTA_SCREENSHOT_DIR"))
                    m_window->grab().save(QDir(qEnvironmentVariable("KESTA_SCREENSHOT_DIR")).filePath("emulator-running.png"));
            } else if (step == "late") {
                qputenv("KESTA_SIM_CTL_LATE_MS", "1500");
                m_knobs << "KESTA_SIM_CTL_LATE_MS";
                QTRY_VERIFY(!m_window->poller()->isBusy());
                QTRY_VERIFY(m_window->poller()->isBusy()); // a late run begun while drvemu runs
            } else if (step == "stop") {
                ui->BTN_DRVEMU_STOP->click();
                QCOMPARE(name(0) + name(1), DriveInfo::NO_DISK_TEXT + DriveInfo::NO_DISK_TEXT);
                QSignalSpy listing(m_window->poller(), &DrvctlPoller::listingRead);
                QVERIFY(listing.wait(10000)); // not the late answer of the running drvemu
                QCOMPARE(common->isDRVEMU_STATE(), 0);
            } else if (step == "reopen") {
                common->DeleteSettingInstance();
                remember("cE");
                common->OpenSettingInstance(m_env->settingsPath());
            } else if (step == "dies") {
                QTRY_VERIFY_WITH_TIMEOUT(common->isDRVEMU_STATE() == 0, 20000);
                QVERIFY(afterDeath <= 2);
            } else if (step == "ended") {
                QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 20000);
            } else if (step == "kill") {
                QVERIFY(signalProcess(m_window->emulatorProcess()->processId(), SIGKILL));
            } else if (step == "die") {
                m_env->writeScript("drvctl", "printf 'KESTA-SIM 1.05 half a li'\nkill -9 $$");
                QVERIFY(pollOnce()); // the next listing comes from the dying drvctl
            } else if (step == "hang") {
                QVERIFY(pollOnce());
                m_env->clearStubLog();
                m_env->writeScript("drvctl", QStringLiteral("echo drvctl >> \"$KESTA_STUB_LOG\"\n"
                                                            "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                                            "exec '%1/drvctl' \"$@\"").arg(TestEnv::simBinDir()));
                QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead), chunks(common, &MyCommon::commandOutputs);
                QVERIFY(m_window->poller()->Poll());
                QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog(), QStringList{"drvctl"}, 10000);
                for (int i = 0; i < 5; ++i)
                    QVERIFY(!m_window->poller()->Poll());
                QCOMPARE(m_env->stubLog(), QStringList{"drvctl"});
                QVERIFY(spy.isEmpty());
                QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
                QVERIFY(spy.wait(10000));
                QCOMPARE(spy.count() + chunks.count(), 1); // one listing, none of it in a running operation's output
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QVERIFY(pollOnce());
        QCOMPARE(common->isDRVEMU_STATE(), running ? 1 : 0);
        QCOMPARE(ui->BTN_DRVEMU_START->isEnabled(), !running);
        QCOMPARE(ui->BTN_DRVEMU_STOP->isEnabled(), running);
        QCOMPARE(ui->WDT_DRIVEINFO1->isEnabled(), running);
        QVERIFY(!common->isInputGuard());
        const QString shown = row<QString>("shown"), drives = row<QString>("remembered");
        if (!shown.isEmpty())
            QCOMPARE(name(0) + '|' + name(1), nameOf(shown[0]) + '|' + nameOf(shown[1]));
        QCOMPARE(remembered(0) + '|' + remembered(1), pathOf(drives[0]) + '|' + pathOf(drives[1]));
        QCOMPARE(common->GetSettingString("LASTINSERT_FDIMAGE/DRIVE0"), pathOf(drives[0]));
        QCOMPARE(stored("CONVERT/MAKEHVR").toString(), QString("written before"));
        for (const QString& image : m_images)
            QCOMPARE(readFile(m_env->path(image)), QByteArray(1024, 'x'));
    }

    // The version query ends within its bound: drvctl dribbles without a
    // line feed for 30 s.
    void versionQuery()
    {
        m_env->writeScript("drvctl", "i=0; while [ $i -lt 150 ]; do printf v; sleep 0.2; i=$((i+1)); done");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(MyCommon::getInstance()->Get_DRVEMU_Version().startsWith("v"));
        QVERIFY(clock.elapsed() < 15000);
    }
};

QTEST_MAIN(TestEmulatorControl)
#include "tst_emulatorcontrol.moc"
