#include <QtTest>
#include <QtWidgets>

#include "drvctlpoller.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"
#include "ui_mainwindow.h"

#define IMAGES_IN(a, b) QTRY_VERIFY_WITH_TIMEOUT(MyCommon::getInstance()->isDRVEMU_STATE() == 1 && name(0) == (a) && name(1) == (b), 20000)

// The emulator page against drvemu and drvctl that start late, die, answer
// late or fail: the remembered images are never lost, and the page shows
// what runs.
class TestEmulatorTiming : public QObject
{
    Q_OBJECT
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;

    QString name(int drive) { return (drive ? ui->WDT_DRIVEINFO2 : ui->WDT_DRIVEINFO1)->findChild<QLabel*>("LBL_FD_FILENAME")->text(); }
    QString remembered(int drive) { return QSettings(m_env->settingsPath(), QSettings::IniFormat).value(QString("LASTINSERT_FDIMAGE/DRIVE%1").arg(drive)).toString(); }
    void writeSettings(const QString& drive0, const QString& drive1)
    {
        QFile file(m_env->settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString("[LASTINSERT_FDIMAGE]\nDRIVE0=%1\nDRIVE1=%2\n").arg(m_env->path(drive0), drive1).toUtf8());
    }

private slots:
    void init()
    {
        m_env = new TestEnv(true);
        for (const char* image : {"a.HVR", "b.HVR", "c.HVR"})
            QFile(m_env->path(image)).open(QIODevice::WriteOnly);
        writeSettings("a.HVR", m_env->path("b.HVR"));
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        m_window = new MainWindow;
        ui = m_window->form();
        m_window->show();
    }
    void cleanup()
    {
        delete m_window;
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
        MyCommon::getInstance()->DeleteSettingInstance();
        for (const char* knob : {"KESTA_SIM_EMU_START_MS", "KESTA_SIM_EMU_DIE_MS", "KESTA_SIM_CTL_LATE_MS", "KESTA_SIM_CTL_FAIL"})
            qunsetenv(knob);
        delete m_env;
    }

    void emulator_data()
    {
        QTest::addColumn<QString>("knob"); // set before START
        QTest::addColumn<QString>("then");
        QTest::newRow("slow start") << "KESTA_SIM_EMU_START_MS=2500" << "";
        QTest::newRow("every 2nd drvctl fails") << "KESTA_SIM_CTL_FAIL=2" << "";
        QTest::newRow("stop, start") << "" << "stop start";
        QTest::newRow("settings reopened, start") << "" << "stop reopen start";
        QTest::newRow("late answer begun before stop") << "" << "late stop";
        QTest::newRow("drvemu dies") << "KESTA_SIM_EMU_DIE_MS=6000" << "die";
        QTest::newRow("never answers") << "KESTA_SIM_EMU_START_MS=60000" << "never";
    }
    void emulator()
    {
        QFETCH(QString, knob);
        QFETCH(QString, then);
        MyCommon* common = MyCommon::getInstance();
        if (!knob.isEmpty())
            qputenv(knob.section('=', 0, 0).toLatin1(), knob.section('=', 1).toLatin1());
        int flips = 0, afterDeath = 0, lateActive = 0;
        bool dead = false, stopped = false;
        QTimer watch; // the page never falls back to stopped while drvemu starts or runs
        connect(&watch, &QTimer::timeout, &watch, [&] { flips += common->isDRVEMU_STATE() == 0; });
        connect(m_window->emulatorProcess(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &watch, [&] { dead = true; });
        connect(m_window->poller(), &DrvctlPoller::listingRead, &watch, [&](const QByteArray& listing) {
            afterDeath += dead;
            lateActive += stopped && MyCommon::IsDRVEMUListingActive(listing);
        });
        if (then == "never")
            m_window->SetEmulatorStartLimit(1500);
        ui->BTN_DRVEMU_START->click();
        watch.start(5);
        if (then != "never")
            IMAGES_IN("a.HVR", "b.HVR");
        watch.stop();
        if (then.startsWith("late")) {
            qputenv("KESTA_SIM_CTL_LATE_MS", "1500");
            QSignalSpy listing(m_window->poller(), &DrvctlPoller::listingRead);
            QVERIFY(listing.wait(10000));
            QTRY_VERIFY(m_window->poller()->isBusy()); // a late run begun while drvemu runs
        }
        if (then.contains("stop")) {
            ui->BTN_DRVEMU_STOP->click();
            stopped = true;
            QCOMPARE(name(0), DriveInfo::NO_DISK_TEXT);
            QSignalSpy listings(m_window->poller(), &DrvctlPoller::listingRead);
            QVERIFY(listings.wait(10000)); // the late answer of the running emulator is dropped
            QCOMPARE(common->isDRVEMU_STATE(), 0);
            QCOMPARE(lateActive, 0);
            stopped = false;
        }
        if (then.contains("reopen")) {
            common->DeleteSettingInstance();
            writeSettings("c.HVR", "EMPTY");
            common->OpenSettingInstance(m_env->settingsPath());
        }
        if (then.endsWith("start")) {
            ui->BTN_DRVEMU_START->click();
            IMAGES_IN(then.contains("reopen") ? "c.HVR" : "a.HVR", then.contains("reopen") ? DriveInfo::NO_DISK_TEXT : "b.HVR");
        }
        if (then == "die" || then == "never") {
            QTRY_VERIFY_WITH_TIMEOUT(common->isDRVEMU_STATE() == 0, 20000);
            QVERIFY(afterDeath <= 2);
            QTRY_COMPARE(m_window->emulatorProcess()->state(), QProcess::NotRunning);
            QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
            QCOMPARE(name(0) + name(1), DriveInfo::NO_DISK_TEXT + DriveInfo::NO_DISK_TEXT);
        } else {
            QCOMPARE(flips, 0);
        }
        QCOMPARE(remembered(0), m_env->path(then.contains("reopen") ? "c.HVR" : "a.HVR"));
        QCOMPARE(remembered(1), then.contains("reopen") ? QString("EMPTY") : m_env->path("b.HVR"));
    }

    // The version query ends within its bound whatever drvctl does.
    void versionQuery_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("version"); // how it begins
        QTest::newRow("line, then silence") << "printf 'KESTA 2.0 (x)\\nmore'; sleep 30" << "KESTA 2.0 ";
        QTest::newRow("dribbles, never a line") << "i=0; while [ $i -lt 150 ]; do printf v; sleep 0.2; i=$((i+1)); done" << "v";
        QTest::newRow("simulator, answering late") << "KESTA_SIM_CTL_LATE_MS=1000 exec '" + TestEnv::simBinDir() + "/drvctl'" << "KESTA-SIM 1.05 ";
    }
    void versionQuery()
    {
        QFETCH(QString, script);
        m_env->writeScript("drvctl", script);
        QElapsedTimer clock;
        clock.start();
        QFETCH(QString, version);
        QVERIFY2(MyCommon::getInstance()->Get_DRVEMU_Version().startsWith(version), qPrintable(version));
        QVERIFY(clock.elapsed() < 15000); // the scripts would take 30 s
    }
};

QTEST_MAIN(TestEmulatorTiming)
#include "tst_emulatortiming.moc"
