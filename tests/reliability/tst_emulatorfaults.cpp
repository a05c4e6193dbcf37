#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

#include "drvctlpoller.h"
#include "driveinfo.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// The emulator page while its tools fail: drvctl hangs or dies, drvemu is
// killed from outside with images in its drives.
class TestEmulatorFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void drvctlFaults_data();
    void drvctlFaults();
    void drvemuKilledWithImages();

private:
    bool pollOnce();
    void startEmulator();
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

void TestEmulatorFaults::init()
{
    m_env = new TestEnv(true);
    qputenv("KESTA_SIM_PRINT_MS", "20");
    qputenv("KESTA_SIM_SEEK_MS", "100");
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
    m_window = new MainWindow;
    m_window->show();
    ui = m_window->form();
}

void TestEmulatorFaults::cleanup()
{
    if (m_window->emulatorProcess()->state() != QProcess::NotRunning) {
        m_window->emulatorProcess()->kill();
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
    }
    delete m_window;
    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
    MyCommon::getInstance()->DeleteSettingInstance();
    qunsetenv("KESTA_SIM_PRINT_MS");
    qunsetenv("KESTA_SIM_SEEK_MS");
    delete m_env;
}

bool TestEmulatorFaults::pollOnce()
{
    QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
    m_window->poller()->Poll();
    return spy.wait(20000);
}

void TestEmulatorFaults::startEmulator()
{
    ui->BTN_DRVEMU_START->click();
    QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && MyCommon::getInstance()->isDRVEMU_STATE() == 1, 15000);
}

void TestEmulatorFaults::drvctlFaults_data()
{
    QTest::addColumn<QString>("script"); // drvctl in place of the simulator's
    QTest::addColumn<bool>("hangs");
    // Records each start, then waits for a file that the test creates.
    QTest::newRow("hanging") << "echo drvctl >> \"$KESTA_STUB_LOG\"\n"
                                "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                "exec '%1/drvctl' \"$@\""
                             << true;
    QTest::newRow("dying") << "echo drvctl >> \"$KESTA_STUB_LOG\"\nprintf 'KESTA-SIM 1.05 half a li'\nkill -9 $$" << false;
}

void TestEmulatorFaults::drvctlFaults()
{
    QFETCH(QString, script);
    QFETCH(bool, hangs);
    startEmulator();
    m_env->clearStubLog();
    m_env->writeScript("drvctl", hangs ? script.arg(TestEnv::simBinDir()) : script);

    QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
    QVERIFY(m_window->poller()->Poll());
    if (hangs) {
        // Ticks that come while the run hangs are skipped, never piled up.
        QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog(), QStringList{"drvctl"}, 10000);
        for (int i = 0; i < 5; ++i)
            QVERIFY(!m_window->poller()->Poll());
        QCOMPARE(m_env->stubLog(), QStringList{"drvctl"});
        QVERIFY(spy.isEmpty());
        QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
    }
    QVERIFY(spy.wait(20000) || !spy.isEmpty());
    // A dead drvctl says nothing about drives: the page falls back to stopped
    // and can be started again.
    if (!hangs) {
        QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
    } else {
        QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 1);
    }
    QVERIFY(!MyCommon::getInstance()->isInputGuard());
}

void TestEmulatorFaults::drvemuKilledWithImages()
{
    startEmulator();
    MyCommon::getInstance()->SetSettingString("CONVERT/MAKEHVR", "written before");
    QStringList images;
    for (const char* name : {"a.HVR", "b.HVR"}) {
        images << m_env->path(name);
        QFile file(images.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1024, 'x'));
    }
    ui->WDT_DRIVEINFO1->SetFDImage(images[0]);
    ui->WDT_DRIVEINFO2->SetFDImage(images[1]);
    QTRY_COMPARE_WITH_TIMEOUT(MyCommon::getInstance()->GetSettingString("LASTINSERT_FDIMAGE/DRIVE1"), images[1], 10000);
    QVERIFY(pollOnce());

    const qint64 pid = m_window->emulatorProcess()->processId();
    QVERIFY(signalProcess(pid, SIGKILL));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
    QVERIFY(pollOnce());
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
    QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
    QVERIFY(!ui->WDT_DRIVEINFO1->isEnabled());

    // The images and what the file held are untouched.
    for (const QString& image : qAsConst(images)) {
        QFile file(image);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(1024, 'x'));
    }
    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value("CONVERT/MAKEHVR").toString(), QString("written before"));
    QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE0").toString(), images[0]);
    QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE1").toString(), images[1]);

    // And the emulator starts again.
    startEmulator();
}

QTEST_MAIN(TestEmulatorFaults)
#include "tst_emulatorfaults.moc"
