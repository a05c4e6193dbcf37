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
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        file.setValue("LASTINSERT_FDIMAGE/DRIVE0", m_env->path(drive0));
        file.setValue("LASTINSERT_FDIMAGE/DRIVE1", drive1);
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
        QTest::newRow("drvemu dies") << "KESTA_SIM_EMU_DIE_MS=6000" << "dies";
        QTest::newRow("never answers") << "KESTA_SIM_EMU_START_MS=60000" << "dies";
    }
    void emulator()
    {
        QFETCH(QString, knob);
        QFETCH(QString, then);
        MyCommon* common = MyCommon::getInstance();
        if (!knob.isEmpty())
            qputenv(knob.section('=', 0, 0).toLatin1(), knob.section('=', 1).toLatin1());
        const bool never = QByteArray(QTest::currentDataTag()).startsWith("never"), reopen = then.contains("reopen");
        m_window->SetEmulatorStartLimit(never ? 1500 : MainWindow::EMULATOR_START_LIMIT);
        int afterDeath = 0, dead = 0; // listings read after drvemu ended
        QObject watch;
        connect(m_window->emulatorProcess(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &watch, [&] { dead = 1; });
        connect(m_window->poller(), &DrvctlPoller::listingRead, &watch, [&] { afterDeath += dead; });
        ui->BTN_DRVEMU_START->click();
        if (!never)
            IMAGES_IN("a.HVR", "b.HVR");
        if (then.startsWith("late")) {
            qputenv("KESTA_SIM_CTL_LATE_MS", "1500");
            QTRY_VERIFY(!m_window->poller()->isBusy());
            QTRY_VERIFY(m_window->poller()->isBusy()); // a late run begun while drvemu runs
        }
        if (then.contains("stop")) {
            ui->BTN_DRVEMU_STOP->click();
            QCOMPARE(name(0) + name(1), DriveInfo::NO_DISK_TEXT + DriveInfo::NO_DISK_TEXT);
            QSignalSpy listing(m_window->poller(), &DrvctlPoller::listingRead);
            QVERIFY(listing.wait(10000)); // not the late answer of the running drvemu
            QCOMPARE(common->isDRVEMU_STATE(), 0);
        }
        if (reopen) {
            common->DeleteSettingInstance();
            writeSettings("c.HVR", "EMPTY");
            common->OpenSettingInstance(m_env->settingsPath());
        }
        if (then.endsWith("start")) {
            ui->BTN_DRVEMU_START->click();
            IMAGES_IN(reopen ? "c.HVR" : "a.HVR", reopen ? DriveInfo::NO_DISK_TEXT : "b.HVR");
        }
        if (then == "dies") {
            QTRY_VERIFY_WITH_TIMEOUT(common->isDRVEMU_STATE() == 0, 20000);
            QVERIFY(afterDeath <= 2);
            QTRY_COMPARE(m_window->emulatorProcess()->state(), QProcess::NotRunning);
            QCOMPARE(name(0) + name(1), DriveInfo::NO_DISK_TEXT + DriveInfo::NO_DISK_TEXT);
        }
        QCOMPARE(remembered(0) + ' ' + remembered(1), reopen ? m_env->path("c.HVR") + " EMPTY" : m_env->path("a.HVR") + ' ' + m_env->path("b.HVR"));
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

QTEST_MAIN(TestEmulatorTiming)
#include "tst_emulatortiming.moc"
