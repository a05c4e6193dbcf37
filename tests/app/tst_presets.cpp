#include <QtTest>

#include "mainwindow.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "mypushbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

void hold(MyPushButton* button)
{
    QTest::mousePress(button, Qt::LeftButton);
    fireTimer(button, button->holdTimerId());
    QTest::mouseRelease(button, Qt::LeftButton);
}

const QStringList kSections{"DUMP", "RESTORE", "UNFORMAT"};

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        m_window = new MainWindow;
        ui = m_window->form();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        MyCommon::getInstance()->SetInputGuard(false);
        MyCommon::getInstance()->DeleteSettingInstance();
        delete m_env;
        m_env = nullptr;
    }

    void presetHold_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("guard");
        QTest::newRow("released before the hold time") << false << false;
        QTest::newRow("held") << true << false;
        QTest::newRow("guarded hold") << true << true;
    }

    // A hold records the panel as it was at the press and saves all four presets.
    void presetHold()
    {
        QFETCH(bool, held);
        QFETCH(bool, guard);
        m_window->ResetPresetButtons();
        MyParameterButton* cylinders = ui->BTN_DUMP_CYLINDERS;
        cylinders->setCurrentText("70");
        MyPushButton* x68k = selector(0)->GetButton(1);

        MyCommon::getInstance()->SetInputGuard(guard);
        QTest::mousePress(x68k, Qt::LeftButton);
        cylinders->setCurrentText("60");
        if (held)
            fireTimer(x68k, x68k->holdTimerId());
        QTest::mouseRelease(x68k, Qt::LeftButton);
        MyCommon::getInstance()->SetInputGuard(false);

        const bool recorded = held && !guard;
        QCOMPARE(x68k->GetParameters()->Value("CYLINDERS"), QString(recorded ? "70" : "80"));
        // The release also taps: the panel gets the button's set.
        QCOMPARE(cylinders->currentText(), QString(guard ? "60" : recorded ? "70" : "80"));
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        for (const char* entry : {"X68KBTN", "PC88BTN", "X1BTN", "FM77BTN"})
            QCOMPARE(file.contains(QString("DUMP/") + entry), recorded);
        if (recorded) {
            QVERIFY(file.value("DUMP/X68KBTN").toStringList().contains("CYLINDERS/70"));
            QVERIFY(file.value("DUMP/PC88BTN").toStringList().contains("ASSERT_PIN3/12"));
        }
    }

    void presetsComeBack()
    {
        m_window->LoadPresetButtons();
        for (int mode = 0; mode < 3; ++mode) {
            panelButton(mode, "CYLINDERS")->setCurrentText(QString::number(71 + mode));
            hold(selector(mode)->GetButton(4));
        }
        restart();
        for (int mode = 0; mode < 3; ++mode) {
            QCOMPARE(selector(mode)->GetButton(4)->GetParameters()->Value("CYLINDERS"), QString::number(71 + mode));
            QCOMPARE(selector(mode)->GetButton(4)->GetParameters()->Value("OVERWRITE"), QString("SETTING"));
            // The others were saved as they stood: the settings defaults.
            QCOMPARE(selector(mode)->GetButton(2)->GetParameters()->Value("ASSERT_PIN3"), QString("12"));
        }
    }

    // A first start loads the settings defaults; a reset gives the machine sets.
    void loadedDefaultsAndReset_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("after");
        QTest::newRow("loaded X68K lacks OVERWRITE") << false << "overwrite";
        QTest::newRow("reset X68K has OVERWRITE") << true << "SETTING";
    }

    void loadedDefaultsAndReset()
    {
        QFETCH(bool, reset);
        auto* set = new ParameterSet;
        set->SetName("A");
        selector(0)->getParameterManage()->Insert(set);
        m_window->LoadPresetButtons();
        if (reset)
            m_window->ResetPresetButtons();
        // The reset also empties the named sets.
        QCOMPARE(selector(0)->getParameterManage()->Count(), reset ? 0 : 1);
        panelButton(0, "OVERWRITE")->setCurrentText("overwrite");
        QTest::mouseClick(selector(0)->GetButton(1), Qt::LeftButton);
        QTEST(panelButton(0, "OVERWRITE")->currentText(), "after");
        QCOMPARE(selector(0)->GetButton(3)->GetParameters()->Value("ASSERT_PIN2"), QString("4")); // X1, both ways
    }

private:
    ParameterSelector* selector(int mode) const
    {
        return m_window->findChild<ParameterSelector*>("WDT_" + kSections.at(mode) + "_PARAMETER_SELECTOR");
    }
    MyParameterButton* panelButton(int mode, const QString& key) const
    {
        return m_window->findChild<MyParameterButton*>("BTN_" + kSections.at(mode) + "_" + key);
    }
    void restart()
    {
        delete m_window;
        MyCommon::getInstance()->DeleteSettingInstance();
        m_window = new MainWindow;
        ui = m_window->form();
        m_window->LoadPresetButtons();
    }

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
