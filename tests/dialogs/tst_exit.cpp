#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "exitdialog.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// Clicks, in each modal dialog that comes up, the button of the next given
// name, and notes the dialog's class.
class Clicker : public QObject
{
public:
    explicit Clicker(QStringList buttons) : m_buttons(std::move(buttons))
    {
        connect(&m_timer, &QTimer::timeout, this, &Clicker::poll);
        m_timer.start(20);
    }
    QStringList seen;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || m_buttons.isEmpty())
            return;
        seen << modal->metaObject()->className();
        if (auto* button = modal->findChild<QAbstractButton*>(m_buttons.takeFirst()))
            button->click();
    }
    QStringList m_buttons;
    QTimer m_timer;
};

class TestExit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void kinds_data();
    void kinds();
    void exitPaths_data();
    void exitPaths();
};

void TestExit::initTestCase()
{
    // The tests look at the window; the test program itself goes on.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestExit::kinds_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("kind");
    QTest::newRow("application") << "BTN_APP_EXIT" << int(QDialog::Accepted) << ExitDialog::KIND_APP_EXIT;
    QTest::newRow("shutdown") << "BTN_LINUX_SHUTDOWN" << int(QDialog::Accepted) << ExitDialog::KIND_SHUTDOWN;
    QTest::newRow("reboot") << "BTN_LINUX_REBOOT" << int(QDialog::Accepted) << ExitDialog::KIND_REBOOT;
    QTest::newRow("cancel") << "BTN_EXIT_CANCEL" << int(QDialog::Rejected) << ExitDialog::KIND_APP_EXIT;
}

void TestExit::kinds()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    QFETCH(int, kind);
    ExitDialog dialog;
    dialog.findChild<QPushButton*>(button)->click();
    QCOMPARE(dialog.result(), result);
    QCOMPARE(dialog.GetExitKind(), kind);
}

void TestExit::exitPaths_data()
{
    QTest::addColumn<QString>("exitButton");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("emulator");
    QTest::addColumn<bool>("guard");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("closed");
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

void TestExit::exitPaths()
{
    QFETCH(QString, exitButton);
    QFETCH(QString, choice);
    QFETCH(int, emulator);
    QFETCH(bool, guard);
    QFETCH(QStringList, commands);
    QFETCH(bool, closed);

    TestEnv env;
    // Whenever the poll runs, its listing agrees with the state set below:
    // six pieces mean running, no drvctl at all means stopped.
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

        Clicker clicker({choice});
        window.findChild<QPushButton*>(exitButton)->click();

        QStringList log;
        for (const QString& line : env.stubLog())
            log << line.trimmed();
        QCOMPARE(log, commands);
        QCOMPARE(clicker.seen, guard ? QStringList{} : QStringList{"ExitDialog"});
        QCOMPARE(window.isVisible(), !closed);
        if (closed)
            QCOMPARE(window.pollTimerId(), -1);
    }
    common->SetInputGuard(false);
    common->UpdateDRVEMU_STATE(0);
    common->DeleteSettingInstance();
}

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
