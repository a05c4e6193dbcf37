#include <QSettings>
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

    void startsWithGenericSet()
    {
        QCOMPARE(ui->BTN_DUMP_CYLINDERS->currentText(), QString("40"));
        QCOMPARE(ui->BTN_DUMP_END->currentText(), QString("39"));
        QCOMPARE(ui->BTN_DUMP_CYLINDERS->getItemList().size(), 85);
        QCOMPARE(ui->WDT_DUMPSTATUS->Cylinders(), 40);
    }

    void snapshots_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dump begin ---") << 0 << "BEGIN" << "0";
        QTest::newRow("dump flag fixed") << 0 << "FLAG" << "1";
        QTest::newRow("dump density from panel") << 0 << "DENSITY" << "high";
        QTest::newRow("restore density fixed") << 1 << "DENSITY" << "double";
        QTest::newRow("restore end ---") << 1 << "END" << "0";
        QTest::newRow("unformat has no begin") << 2 << "BEGIN" << "";
        QTest::newRow("unformat format fixed") << 2 << "FORMAT" << "encode";
    }

    void snapshots()
    {
        QFETCH(int, panel);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        ui->BTN_DUMP_BEGIN->setCurrentText("---");
        ui->BTN_DUMP_DENSITY->setCurrentText("high");
        ui->BTN_RESTORE_END->setCurrentText("---");
        ParameterSet* set = panel == 0 ? m_window->GetDumpButtonParameters()
                            : panel == 1 ? m_window->GetRestoreButtonParameters()
                                         : m_window->GetUnformatButtonParameters();
        QCOMPARE(set->Value(key), expected);
        QCOMPARE(set->Name(), QString());
        delete set;
    }

    void setLackingKeysChangesOnlyItsKeys()
    {
        ParameterSet* set = ParameterSet::FromTextForm({"HEADS/1", "DENSITY/high"});
        m_window->SetDumpButtonParameters(set);
        m_window->SetRestoreButtonParameters(set);
        delete set;
        QCOMPARE(ui->BTN_DUMP_HEADS->currentText(), QString("1"));
        QCOMPARE(ui->BTN_DUMP_DENSITY->currentText(), QString("high"));
        QCOMPARE(ui->BTN_DUMP_CYLINDERS->currentText(), QString("40"));
        QCOMPARE(ui->BTN_RESTORE_HEADS->currentText(), QString("1"));
    }

    void setArrivesWhole_data()
    {
        QTest::addColumn<QStringList>("before"); // cylinders, begin, end on the panel
        QTest::addColumn<QStringList>("set");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("40-cylinder preset on an 80-cylinder panel")
            << QStringList{"80", "60", "79"} << QStringList{"CYLINDERS/40", "BEGIN/0", "END/39"}
            << QStringList{"40", "0", "39"};
        QTest::newRow("80-cylinder preset on a 40-cylinder panel")
            << QStringList{"40", "0", "39"} << QStringList{"CYLINDERS/80", "BEGIN/60", "END/79"}
            << QStringList{"80", "60", "79"};
        QTest::newRow("set beyond its own cylinders is clamped")
            << QStringList{"40", "0", "39"} << QStringList{"CYLINDERS/40", "BEGIN/50", "END/60"}
            << QStringList{"40", "39", "39"};
    }

    void setArrivesWhole()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, set);
        QFETCH(QStringList, after);
        ui->BTN_DUMP_CYLINDERS->setCurrentText(before.at(0));
        ui->BTN_DUMP_END->setCurrentText(before.at(2));
        ui->BTN_DUMP_BEGIN->setCurrentText(before.at(1));
        ParameterSet* s = ParameterSet::FromTextForm(set);
        m_window->SetDumpButtonParameters(s);
        delete s;
        QCOMPARE(ui->BTN_DUMP_CYLINDERS->currentText(), after.at(0));
        QCOMPARE(ui->BTN_DUMP_BEGIN->currentText(), after.at(1));
        QCOMPARE(ui->BTN_DUMP_END->currentText(), after.at(2));
    }

    void cylinderRules_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("end");
        QTest::newRow("cylinders to 1") << "CYLINDERS" << "1" << "0" << "0";
        QTest::newRow("begin past the disk") << "BEGIN" << "50" << "39" << "39";
        QTest::newRow("end past the disk") << "END" << "60" << "0" << "39";
        QTest::newRow("cylinders ---") << "CYLINDERS" << "---" << "0" << "39";
    }

    void cylinderRules()
    {
        QFETCH(QString, button);
        QFETCH(QString, value);
        QFETCH(QString, begin);
        QFETCH(QString, end);
        for (const QString& panel : {QString("DUMP"), QString("RESTORE")}) {
            auto* target = m_window->findChild<MyParameterButton*>("BTN_" + panel + "_" + button);
            QVERIFY(target);
            target->setCurrentText(value);
            QCOMPARE(m_window->findChild<MyParameterButton*>("BTN_" + panel + "_BEGIN")->currentText(), begin);
            QCOMPARE(m_window->findChild<MyParameterButton*>("BTN_" + panel + "_END")->currentText(), end);
        }
    }

    void randomPicksSettle()
    {
        QRandomGenerator random(20261206);
        MyParameterButton* buttons[] = {ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END};
        for (int i = 0; i < 2000; ++i) {
            MyParameterButton* b = buttons[random.bounded(3)];
            const QStringList items = b->getItemList();
            b->setCurrentText(items.at(random.bounded(items.size())));
            bool okC = false, okB = false, okE = false;
            const int c = ui->BTN_DUMP_CYLINDERS->currentText().toInt(&okC);
            const int bg = ui->BTN_DUMP_BEGIN->currentText().toInt(&okB);
            const int e = ui->BTN_DUMP_END->currentText().toInt(&okE);
            if (okC && okB && okE) {
                QVERIFY2(bg <= e && e <= c - 1, qPrintable(QString("%1 %2 %3 after %4").arg(c).arg(bg).arg(e).arg(i)));
            }
        }
    }

    void rangeChangeReinitialisesMaps()
    {
        ui->BTN_DUMP_CYLINDERS->setCurrentText("80");
        ui->BTN_DUMP_END->setCurrentText("79");
        QCOMPARE(ui->WDT_DUMPSTATUS->Cylinders(), 80);
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(159), int(MyGraphicalDumpDisplay::STATE_TARGET));
        ui->BTN_DUMP_BEGIN->setCurrentText("10");
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(19), int(MyGraphicalDumpDisplay::STATE_NON_TARGET));
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(20), int(MyGraphicalDumpDisplay::STATE_TARGET));
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
        ui->BTN_RESTORE_CYLINDERS->setCurrentText("77");
        QCOMPARE(ui->WDT_RESTORESTATUS->Mode(), 1);
        QCOMPARE(ui->WDT_RESTORESTATUS->RetryThreshold(), 2);
        ui->BTN_UNFORMAT_CYLINDERS->setCurrentText("80");
        QCOMPARE(ui->WDT_UNFORMATSTATUS->Mode(), 2);
        QCOMPARE(ui->WDT_UNFORMATSTATUS->TrackState(159), int(MyGraphicalDumpDisplay::STATE_TARGET));
    }

    void namedSetsSaved()
    {
        ParameterManage* store = ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage();
        ParameterSet* a = m_window->GetDumpButtonParameters();
        a->SetName("X68K games/A");
        store->Insert(a);
        ParameterSet* b = m_window->GetDumpButtonParameters();
        b->SetName("X68K games/A");
        b->SetValue("CYLINDERS", "80");
        store->Insert(b);
        MyCommon::getInstance()->SetSettingStringList("DUMP/5", {"name/stale", "DRIVES/1"});
        emit ui->WDT_DUMP_PARAMETER_SELECTOR->parameterRegistered();
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QVERIFY(file.contains("DUMP/0"));
        QVERIFY(file.contains("DUMP/1"));
        QVERIFY(!file.contains("DUMP/5"));
        QVERIFY(file.value("DUMP/1").toStringList().contains("CYLINDERS/80"));
        QVERIFY(file.value("DUMP/0").toStringList().contains("name/X68K games/A"));
    }

    void restoreDiskNoRewritesSets()
    {
        ParameterSet* a = m_window->GetRestoreButtonParameters();
        a->SetName("PC88");
        ui->WDT_RESTORE_PARAMETER_SELECTOR->getParameterManage()->Insert(a);
        ui->BTN_RESTORE_DISKNO->setCurrentText("7");
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
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
