#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

#include "driveinfo.h"
#include "drvctlpoller.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// The emulator page against the simulated board: START, a poll that finds
// the emulator, an image inserted into drive 0, STOP, and an emulator killed
// from outside.
class TestEmulatorControl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startInsertStop();
    void failedStartFallsBack();
    void outsideKillFallsBack();
    void slowDrvctlKeepsTheLoopTurning();

private:
    bool pollOnce();
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

void TestEmulatorControl::init()
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

void TestEmulatorControl::cleanup()
{
    if (m_window->emulatorProcess()->state() != QProcess::NotRunning) {
        m_window->emulatorProcess()->kill();
        m_window->emulatorProcess()->waitForFinished(5000);
    }
    delete m_window;
    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
    MyCommon::getInstance()->DeleteSettingInstance();
    qunsetenv("KESTA_SIM_PRINT_MS");
    qunsetenv("KESTA_SIM_SEEK_MS");
    qunsetenv("KESTA_SIM_CTL_DELAY_MS");
    delete m_env;
}

bool TestEmulatorControl::pollOnce()
{
    QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
    if (!m_window->poller()->Poll() && !spy.wait(10000))
        return false;
    if (spy.isEmpty() && !spy.wait(10000))
        return false;
    return true;
}

void TestEmulatorControl::startInsertStop()
{
    ui->BTN_DRVEMU_START->click();
    QVERIFY(!ui->BTN_DRVEMU_START->isEnabled());
    // The emulator needs a moment to come up; poll until the listing says so.
    QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && MyCommon::getInstance()->isDRVEMU_STATE() == 1, 15000);
    QVERIFY(ui->WDT_DRIVEINFO1->isEnabled());

    // An image with a blank and a non-ASCII character in its path.
    QDir().mkpath(m_env->path("my games"));
    const QString image = m_env->path(QString::fromUtf8("my games/ゲーム 1.HVR"));
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1024, '\0'));
    file.close();
    ui->WDT_DRIVEINFO1->SetFDImage(image);
    QVERIFY(pollOnce());
    auto* name = ui->WDT_DRIVEINFO1->findChild<QLabel*>("LBL_FD_FILENAME");
    QVERIFY(name);
    QCOMPARE(name->text(), QString::fromUtf8("ゲーム 1.HVR"));
    QTRY_COMPARE_WITH_TIMEOUT(MyCommon::getInstance()->GetSettingString("LASTINSERT_FDIMAGE/DRIVE0"), image, 10000);

    // The simulated head moves: the cylinder label follows the listing.
    const int before = ui->WDT_DRIVEINFO1->Get_CSTM_CylinderInfo();
    QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && ui->WDT_DRIVEINFO1->Get_CSTM_CylinderInfo() != before, 15000);
    if (!qEnvironmentVariableIsEmpty("KESTA_SCREENSHOT_DIR"))
        m_window->grab().save(QDir(qEnvironmentVariable("KESTA_SCREENSHOT_DIR")).filePath("emulator-running.png"));

    ui->BTN_DRVEMU_STOP->click();
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
    QVERIFY(m_env->stubLog().contains("pkill drvemu"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
    QVERIFY(pollOnce());
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
    QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
    QVERIFY(!ui->WDT_DRIVEINFO1->isEnabled());
}

void TestEmulatorControl::failedStartFallsBack()
{
    QFile::remove(m_env->binDir() + "/drvemu");
    qputenv("PATH", QFile::encodeName(m_env->binDir()) + ":/usr/bin:/bin"); // no drvemu anywhere
    m_env->linkSimTool("drvctl");
    ui->BTN_DRVEMU_START->click();
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 1);
    QVERIFY(ui->BTN_DRVEMU_STOP->isEnabled());
    QVERIFY(pollOnce());
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
    QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
    QVERIFY(!ui->BTN_DRVEMU_STOP->isEnabled());
}

void TestEmulatorControl::outsideKillFallsBack()
{
    ui->BTN_DRVEMU_START->click();
    QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && MyCommon::getInstance()->isDRVEMU_STATE() == 1, 15000);
    const qint64 pid = m_window->emulatorProcess()->processId();
    QVERIFY(pid > 0);
    QVERIFY(signalProcess(pid, SIGKILL));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
    QVERIFY(pollOnce());
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
    QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
}

void TestEmulatorControl::slowDrvctlKeepsTheLoopTurning()
{
    // drvctl answers only after the test's timer, run by the event loop, has
    // ticked twenty times and created the file it waits for.
    m_env->writeScript("drvctl", "while [ ! -e \"$KESTA_SIM_DIR/go\" ]; do sleep 0.01; done\n"
                                 "printf 'a\\nb\\nc\\nd\\ne\\n'\n");
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&]() {
        if (++ticks == 20)
            QFile(m_env->simDir() + "/go").open(QIODevice::WriteOnly);
    });
    QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
    QVERIFY(m_window->poller()->Poll());
    ticker.start(10);
    QVERIFY(spy.wait(15000));
    QVERIFY(ticks >= 20);
    QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 1);
}

QTEST_MAIN(TestEmulatorControl)
#include "tst_emulatorcontrol.moc"
