#include <QtTest>

#include "mainwindow.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "testenv.h"
#include "ui_mainwindow.h"

class TestPanels : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        m_window = new MainWindow;
        ui = m_window->form();
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        MyCommon::getInstance()->DeleteSettingInstance();
        delete m_env;
        m_env = nullptr;
    }

    void snapshots_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dump begin ---") << 0 << "BEGIN" << "0";
        QTest::newRow("unformat has no begin") << 2 << "BEGIN" << "";
    }

    void snapshots()
    {
        QFETCH(int, panel);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        ui->BTN_DUMP_BEGIN->setCurrentText("---");
        ui->BTN_RESTORE_END->setCurrentText("---");
        ParameterSet* set = m_window->GetButtonParameters(panel);
        QCOMPARE(set->Value(key), expected);
        QCOMPARE(set->Name(), QString());
        delete set;
    }

    // A set is applied whole before the cylinder rules run; absent keys stay.
    void setArrivesWhole_data()
    {
        QTest::addColumn<QStringList>("before"); // cylinders, begin, end on the panel
        QTest::addColumn<QStringList>("set");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("40-cylinder preset on an 80-cylinder panel")
            << QStringList{"80", "60", "79"} << QStringList{"CYLINDERS/40", "BEGIN/0", "END/39"}
            << QStringList{"40", "0", "39"};
        QTest::newRow("set beyond its own cylinders is clamped")
            << QStringList{"40", "0", "39"} << QStringList{"CYLINDERS/40", "BEGIN/50", "END/60"}
            << QStringList{"40", "39", "39"};
        QTest::newRow("set without range keys") << QStringList{"80", "60", "79"}
                                                << QStringList{"HEADS/1", "DENSITY/high"}
                                                << QStringList{"80", "60", "79"};
    }

    void setArrivesWhole()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, set);
        QFETCH(QStringList, after);
        ui->BTN_DUMP_CYLINDERS->setCurrentText(before.at(0));
        ui->BTN_DUMP_END->setCurrentText(before.at(2));
        ui->BTN_DUMP_BEGIN->setCurrentText(before.at(1));
        ui->BTN_DUMP_HEADS->setCurrentText("2");
        ParameterSet* s = ParameterSet::FromTextForm(set);
        m_window->SetDumpButtonParameters(s);
        delete s;
        QCOMPARE(ui->BTN_DUMP_CYLINDERS->currentText(), after.at(0));
        QCOMPARE(ui->BTN_DUMP_BEGIN->currentText(), after.at(1));
        QCOMPARE(ui->BTN_DUMP_END->currentText(), after.at(2));
        QCOMPARE(ui->BTN_DUMP_HEADS->currentText(), QString(set.contains("HEADS/1") ? "1" : "2"));
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
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QVERIFY(file.value("DUMP/0").toStringList().contains("name/X68K games/A"));
        QCOMPARE(file.value("RESTORE/DISKNO").toString(), QString("7"));
        QVERIFY(file.value("RESTORE/0").toStringList().contains("name/PC88"));
    }

private:
    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
