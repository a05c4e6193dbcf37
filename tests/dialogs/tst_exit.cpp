#include <QtTest>

#include "table.h"
#include <QtWidgets>

#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"

// EXIT on either page: the choice in the exit dialog and what runs for it.
class TestExit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

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
        QFETCH(QString, exitButton);
        QFETCH(QString, choice);
        QFETCH(int, emulator);
        QFETCH(bool, guard);
        QFETCH(bool, closed);
        TestEnv env;
        // A poll's listing agrees with the emulator state set below.
        if (emulator == 1)
            env.writeScript("drvctl", "printf '1\\n2\\n3\\n4\\n5\\n'");
        MyCommon::SetApplicationInifilePathForTest(env.settingsPath());
        MyCommon* common = MyCommon::getInstance();
        {
            MainWindow window;
            window.show();
            common->UpdateDRVEMU_STATE(emulator);
            common->SetInputGuard(guard);
            env.clearStubLog();
            QStringList seen;
            ModalAnswer answer([&](QWidget* modal) {
                seen << modal->metaObject()->className();
                modal->findChild<QAbstractButton*>(choice)->click();
            });
            window.findChild<QPushButton*>(exitButton)->click();
            QStringList log;
            for (const QString& line : env.stubLog())
                log << line.trimmed();
            QTEST(log, "commands");
            QCOMPARE(seen, guard ? QStringList{} : QStringList{"ExitDialog"});
            QCOMPARE(window.isVisible(), !closed);
            if (closed)
                QCOMPARE(window.pollTimerId(), -1);
        }
        common->SetInputGuard(false);
        common->UpdateDRVEMU_STATE(0);
        common->DeleteSettingInstance();
    }
};

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
