#include "fixtures.h"
#include "ui_mainwindow.h"

// EXIT on either page: the choice in the exit dialog and what runs for it.
class TestExit : public WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { closeWindow(); }

    void exitPaths_data()
    {
        addColumns<QString, QString, int, bool, QStringList, bool>("exitButton", "choice", "emulator", "guard", "commands", "closed");
        QTest::newRow("application, emulator stopped")
            << "BTN_EXIT" << "BTN_APP_EXIT" << 0 << false << QStringList{} << true;
        QTest::newRow("application, emulator running")
            << "BTN_EXIT_EMU" << "BTN_APP_EXIT" << 1 << false << QStringList{"pkill drvemu"} << true;
        QTest::newRow("shutdown, emulator running") << "BTN_EXIT" << "BTN_LINUX_SHUTDOWN" << 1 << false
                                                    << QStringList{"pkill drvemu", "shutdown -h now"} << true;
        QTest::newRow("reboot, emulator stopped")
            << "BTN_EXIT_EMU" << "BTN_LINUX_REBOOT" << 0 << false << QStringList{"reboot"} << true;
        QTest::newRow("cancel") << "BTN_EXIT" << "BTN_EXIT_CANCEL" << 1 << false << QStringList{} << false;
        QTest::newRow("input guard") << "BTN_EXIT_EMU" << "BTN_APP_EXIT" << 1 << true << QStringList{} << false;
    }

    void exitPaths()
    {
        QFETCH(int, emulator);
        QFETCH(bool, guard);
        QFETCH(bool, closed);
        makeEnv();
        if (emulator == 1) // a poll's listing agrees with the emulator state set below
            m_env->writeScript("drvctl", "printf '1\\n2\\n3\\n4\\n5\\n'");
        newWindow();
        MyCommon::getInstance()->UpdateDRVEMU_STATE(emulator);
        MyCommon::getInstance()->SetInputGuard(guard);
        m_env->clearStubLog();
        Answers answers({row<QString>("choice")});
        m_window->findChild<QPushButton*>(row<QString>("exitButton"))->click();
        QTEST(m_env->stubLog().replaceInStrings(QRegularExpression("\\s+$"), ""), "commands");
        QCOMPARE(answers.seen, guard ? QStringList{} : QStringList{"ExitDialog"});
        QCOMPARE(m_window->isVisible(), !closed);
        if (closed)
            QCOMPARE(m_window->pollTimerId(), -1);
    }
};

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
