#include <QtTest>
#include <QtWidgets>

#include "drvctlpoller.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// The emulator page against the simulated board.
class TestEmulatorControl : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv(true);
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
        m_window = new MainWindow;
        m_window->show();
    }

    void cleanup()
    {
        if (m_window->emulatorProcess()->state() != QProcess::NotRunning) {
            m_window->emulatorProcess()->kill();
            m_window->emulatorProcess()->waitForFinished(5000);
        }
        delete m_window;
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
        MyCommon::getInstance()->DeleteSettingInstance();
        delete m_env;
    }

    // START, insert an image with a blank and non-ASCII name, STOP; KESTA_SCREENSHOT_DIR keeps a picture.
    void startInsertStop()
    {
        Ui::MainWindow* ui = m_window->form();
        MyCommon* common = MyCommon::getInstance();
        ui->BTN_DRVEMU_START->click();
        QTRY_VERIFY_WITH_TIMEOUT(pollOnce() && common->isDRVEMU_STATE() == 1, 15000);
        const QString image = m_env->path(QString::fromUtf8("ゲーム 1.HVR"));
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1024, '\0')) == 1024);
        file.close();
        ui->WDT_DRIVEINFO1->SetFDImage(image);
        QVERIFY(pollOnce());
        QCOMPARE(ui->WDT_DRIVEINFO1->findChild<QLabel*>("LBL_FD_FILENAME")->text(), QFileInfo(image).fileName());
        QCOMPARE(common->GetSettingString("LASTINSERT_FDIMAGE/DRIVE0"), image);
        if (!qEnvironmentVariableIsEmpty("KESTA_SCREENSHOT_DIR"))
            m_window->grab().save(QDir(qEnvironmentVariable("KESTA_SCREENSHOT_DIR")).filePath("emulator-running.png"));

        ui->BTN_DRVEMU_STOP->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_window->emulatorProcess()->state(), QProcess::NotRunning, 10000);
        QVERIFY(pollOnce());
        QCOMPARE(common->isDRVEMU_STATE(), 0);
        QVERIFY(!ui->WDT_DRIVEINFO1->isEnabled());
    }

    // No drvemu anywhere: the next poll shows the emulator stopped.
    void failedStartFallsBack()
    {
        Ui::MainWindow* ui = m_window->form();
        QFile::remove(m_env->binDir() + "/drvemu");
        qputenv("PATH", QFile::encodeName(m_env->binDir()) + ":/usr/bin:/bin");
        m_env->linkSimTool("drvctl");
        ui->BTN_DRVEMU_START->click();
        QVERIFY(pollOnce());
        QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), 0);
        QVERIFY(ui->BTN_DRVEMU_START->isEnabled());
        QVERIFY(!ui->BTN_DRVEMU_STOP->isEnabled());
    }

private:
    // One listing read, whether this poll or one already under way brings it.
    bool pollOnce()
    {
        QSignalSpy spy(m_window->poller(), &DrvctlPoller::listingRead);
        m_window->poller()->Poll();
        return !spy.isEmpty() || spy.wait(10000);
    }

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
};

QTEST_MAIN(TestEmulatorControl)
#include "tst_emulatorcontrol.moc"
