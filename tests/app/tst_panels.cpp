#include "fixtures.h"
#include "ui_mainwindow.h"

class TestPanels : public WindowFixture
{
    Q_OBJECT
private slots:
    void init() { openWindow(false, false); }
    void cleanup() { closeWindow(); }

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
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
