#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "mainwindow.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "testenv.h"
#include "ui_mainwindow.h"

class TestKeyboardCaller : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        m_window = new MainWindow;
        m_window->show();
    }

    void cleanup()
    {
        delete m_window;
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
        MyCommon::getInstance()->DeleteSettingInstance();
        delete m_env;
    }

    void caller_data()
    {
        QTest::addColumn<int>("emulator");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("text");      // the field afterwards
        QTest::addColumn<int>("stateAfter");
        QTest::addColumn<QStringList>("stubLog");
        QTest::newRow("stopped, typed") << 0 << QStringList{"type:GAME01"} << "GAME01" << 0 << QStringList{};
        QTest::newRow("stopped, closed") << 0 << QStringList{"close"} << "old" << 0 << QStringList{};
        QTest::newRow("running, cancel keeps emulator")
            << 1 << QStringList{"cancel"} << "old" << 1 << QStringList{};
        QTest::newRow("running, ok stops first")
            << 1 << QStringList{"ok", "type:NEW"} << "NEW" << 0 << QStringList{"pkill drvemu"};
    }

    void caller()
    {
        QFETCH(int, emulator);
        QFETCH(QStringList, answers);
        QFETCH(QString, text);
        QFETCH(int, stateAfter);
        QFETCH(QStringList, stubLog);
        Ui::MainWindow* ui = m_window->form();
        ui->LEDT_DUMP_FILENAME->setText("old");
        MyCommon::getInstance()->UpdateDRVEMU_STATE(emulator);
        m_env->clearStubLog();
        // Answers in order: "ok"/"cancel" for a message box, "type:TEXT" to
        // accept the keyboard with TEXT, "close" to reject it.
        QStringList seen;
        ModalAnswer driver(
            [&](QWidget* modal) {
                const QString answer = answers.at(seen.size());
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    seen << box->windowTitle();
                    box->button(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
                } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
                    seen << "keyboard:" + keyboard->getText();
                    keyboard->setText(answer.mid(5));
                    answer.startsWith("type:") ? keyboard->accept() : keyboard->reject();
                }
            },
            answers.size());
        m_window->displayVirtualKeyBoard(ui->LEDT_DUMP_FILENAME);
        QCOMPARE(ui->LEDT_DUMP_FILENAME->text(), text);
        QCOMPARE(MyCommon::getInstance()->isDRVEMU_STATE(), stateAfter);
        QCOMPARE(m_env->stubLog(), stubLog);
        if (emulator == 1)
            QCOMPARE(seen.value(0), QString("Confirm operation continuation."));
        if (answers.last() != "cancel")
            QCOMPARE(seen.last(), QString("keyboard:old"));
        // The field has lost the focus, so the next tap opens the keyboard again.
        QVERIFY(!ui->LEDT_DUMP_FILENAME->hasFocus());
    }

private:
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
};

QTEST_MAIN(TestKeyboardCaller)
#include "tst_keyboardcaller.moc"
