#include "fixtures.h"
#include "ui_mainwindow.h"

// The dump, restore and unformat panels, their stores and preset buttons.
class TestPresets : public WindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { closeWindow(); }

    // A hold records the panel as it was at the press and saves all four
    // presets; a refused or short press records nothing, not an older panel.
    void presetHold_data()
    {
        // "panel:N" dump cylinders, "guard:0|1", "press", "hold", "release", "reset" (machine sets back)
        addColumns<QStringList, QString, QString, bool, int>("steps", "recorded", "panel", "saved", "registered");
        QTest::newRow("released before the hold time")
            << QStringList{"panel:70", "press", "panel:60", "release"} << "80" << "80" << false << 0;
        // The release also taps: the panel gets the button's set.
        QTest::newRow("held") << QStringList{"panel:70", "press", "panel:60", "hold", "release"} << "70" << "70" << true << 1;
        QTest::newRow("guarded hold") << QStringList{"panel:70", "guard:1", "press", "panel:60", "hold", "release"}
                                      << "80" << "60" << false << 0;
        QTest::newRow("guarded hold after an earlier hold and a reset")
            << QStringList{"panel:70", "press", "hold", "release", "reset", "guard:1", "press", "hold", "release"}
            << "80" << "70" << true << 1;
    }

    void presetHold()
    {
        QFETCH(bool, saved);
        m_window->ResetPresetButtons();
        MyPushButton* x68k = selector(0)->GetButton(1);
        QSignalSpy registered(x68k, &MyPushButton::parameterRegistered);
        for (const QString& step : row<QStringList>("steps")) {
            if (step.startsWith("panel:"))
                ui->BTN_DUMP_CYLINDERS->setCurrentText(step.mid(6));
            else if (step.startsWith("guard:"))
                MyCommon::getInstance()->SetInputGuard(step.endsWith('1'));
            else if (step == "press")
                QTest::mousePress(x68k, Qt::LeftButton);
            else if (step == "release")
                QTest::mouseRelease(x68k, Qt::LeftButton);
            else if (step == "reset")
                m_window->ResetPresetButtons();
            else if (x68k->holdTimerId() > 0) { // hold: other timers and a second event do nothing
                const int before = registered.count(), id = x68k->holdTimerId();
                fireTimer(x68k, id + 1000);
                QCOMPARE(registered.count(), before);
                fireTimer(x68k, id);
                fireTimer(x68k, id);
                QVERIFY(registered.count() <= before + 1);
                QCOMPARE(x68k->text(), registered.count() > before ? MyPushButton::REGISTERED_TEXT : QString("X68K"));
            }
        }
        MyCommon::getInstance()->SetInputGuard(false);
        QTEST(int(registered.count()), "registered");
        QCOMPARE(x68k->text(), QString("X68K"));
        QCOMPARE(x68k->styleSheet(), MyPushButton::NORMAL_STYLE);
        QCOMPARE(x68k->holdTimerId(), -1);
        QTEST(x68k->GetParameters()->Value("CYLINDERS"), "recorded");
        QTEST(ui->BTN_DUMP_CYLINDERS->currentText(), "panel");
        for (const char* entry : {"X68KBTN", "PC88BTN", "X1BTN", "FM77BTN"})
            QCOMPARE(stored(QString("DUMP/") + entry).isValid(), saved);
        if (saved) {
            QVERIFY(stored("DUMP/X68KBTN").toStringList().contains("CYLINDERS/70"));
            QVERIFY(stored("DUMP/PC88BTN").toStringList().contains("ASSERT_PIN3/12"));
        }
    }

    void presetsComeBack()
    {
        m_window->LoadPresetButtons();
        for (int mode = 0; mode < 3; ++mode) {
            panelButton(mode, "CYLINDERS")->setCurrentText(QString::number(71 + mode));
            MyPushButton* button = selector(mode)->GetButton(4);
            QTest::mousePress(button, Qt::LeftButton);
            fireTimer(button, button->holdTimerId());
            QTest::mouseRelease(button, Qt::LeftButton);
        }
        m_window.reset();
        MyCommon::getInstance()->DeleteSettingInstance();
        newWindow(false);
        m_window->LoadPresetButtons();
        for (int mode = 0; mode < 3; ++mode) {
            const ParameterSet* set = selector(mode)->GetButton(4)->GetParameters();
            QCOMPARE(set->Value("CYLINDERS"), QString::number(71 + mode));
            QCOMPARE(set->Value("OVERWRITE"), QString("SETTING"));
            // The others were saved as they stood: the settings defaults.
            QCOMPARE(selector(mode)->GetButton(2)->GetParameters()->Value("ASSERT_PIN3"), QString("12"));
        }
    }

    // A first start loads the settings defaults; a reset gives the machine sets and empties the named ones.
    void loadedDefaultsAndReset_data()
    {
        addColumns<bool, QString>("reset", "after");
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
        QCOMPARE(selector(0)->getParameterManage()->Count(), reset ? 0 : 1);
        panelButton(0, "OVERWRITE")->setCurrentText("overwrite");
        QTest::mouseClick(selector(0)->GetButton(1), Qt::LeftButton);
        QTEST(panelButton(0, "OVERWRITE")->currentText(), "after");
        QCOMPARE(selector(0)->GetButton(3)->GetParameters()->Value("ASSERT_PIN2"), QString("4")); // X1, both ways
    }

    // A set is applied whole before the cylinder rules run; absent keys stay.
    void setArrivesWhole_data()
    {
        addColumns<QStringList, QStringList, QStringList>("before", "set", "after"); // cylinders, begin, end, heads
        QTest::newRow("40-cylinder preset on an 80-cylinder panel") << QStringList{"80", "60", "79", "2"}
            << QStringList{"CYLINDERS/40", "BEGIN/0", "END/39"} << QStringList{"40", "0", "39", "2"};
        QTest::newRow("set beyond its own cylinders is clamped") << QStringList{"40", "0", "39", "2"}
            << QStringList{"CYLINDERS/40", "BEGIN/50", "END/60"} << QStringList{"40", "39", "39", "2"};
        QTest::newRow("set without range keys") << QStringList{"80", "60", "79", "2"}
            << QStringList{"HEADS/1", "DENSITY/high"} << QStringList{"80", "60", "79", "1"};
    }

    void setArrivesWhole()
    {
        const QList<MyParameterButton*> panel{ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, ui->BTN_DUMP_HEADS};
        for (int i : {0, 2, 1, 3})
            panel[i]->setCurrentText(row<QStringList>("before")[i]);
        QScopedPointer<ParameterSet> s(ParameterSet::FromTextForm(row<QStringList>("set")));
        m_window->SetDumpButtonParameters(s.data());
        QStringList after;
        for (MyParameterButton* button : panel)
            after << button->currentText();
        QTEST(after, "after");
    }

    void rangeChangeReinitialisesMaps()
    {
        QCOMPARE(ui->WDT_DUMPSTATUS->Cylinders(), 40);
        ui->BTN_DUMP_CYLINDERS->setCurrentText("80");
        ui->BTN_DUMP_END->setCurrentText("79");
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(159), int(MyGraphicalDumpDisplay::STATE_TARGET));
        ui->BTN_DUMP_BEGIN->setCurrentText("10");
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(19), int(MyGraphicalDumpDisplay::STATE_NON_TARGET));
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(20), int(MyGraphicalDumpDisplay::STATE_TARGET));
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
        ui->BTN_RESTORE_CYLINDERS->setCurrentText("77");
        ui->BTN_RESTORE_BEGIN->setCurrentText("50"); // the cylinder rules hold here too
        QCOMPARE(ui->BTN_RESTORE_BEGIN->currentText(), QString("39"));
        QCOMPARE(ui->WDT_RESTORESTATUS->Mode(), 1);
        QCOMPARE(ui->WDT_RESTORESTATUS->RetryThreshold(), 2);
        ui->BTN_UNFORMAT_CYLINDERS->setCurrentText("80");
        QCOMPARE(ui->WDT_UNFORMATSTATUS->Mode(), 2);
        QCOMPARE(ui->WDT_UNFORMATSTATUS->TrackState(159), int(MyGraphicalDumpDisplay::STATE_TARGET));
    }

    // Registering a set and changing the disk number both save the store.
    void storesSavedOnChange()
    {
        ParameterSet* dump = m_window->GetDumpButtonParameters();
        dump->SetName("X68K games/A");
        ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Insert(dump);
        emit ui->WDT_DUMP_PARAMETER_SELECTOR->parameterRegistered();
        ParameterSet* restore = m_window->GetRestoreButtonParameters();
        restore->SetName("PC88");
        ui->WDT_RESTORE_PARAMETER_SELECTOR->getParameterManage()->Insert(restore);
        ui->BTN_RESTORE_DISKNO->setCurrentText("7");
        QVERIFY(stored("DUMP/0").toStringList().contains("name/X68K games/A"));
        QCOMPARE(stored("RESTORE/DISKNO").toString(), QString("7"));
        QVERIFY(stored("RESTORE/0").toStringList().contains("name/PC88"));
    }

private:
    ParameterSelector* selector(int mode) const
    {
        return QList<ParameterSelector*>{ui->WDT_DUMP_PARAMETER_SELECTOR, ui->WDT_RESTORE_PARAMETER_SELECTOR,
                                         ui->WDT_UNFORMAT_PARAMETER_SELECTOR}.at(mode);
    }
    MyParameterButton* panelButton(int mode, const QString& key) const
    {
        return m_window->findChild<MyParameterButton*>("BTN_" + QStringList{"DUMP", "RESTORE", "UNFORMAT"}.at(mode) + "_" + key);
    }
};

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
