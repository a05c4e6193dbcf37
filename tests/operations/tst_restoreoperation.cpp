#include "diskoperationdriver.h"
#include "drvargs.h"
#include "ui_mainwindow.h"

class TestRestoreOperation : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void arguments_data()
    {
        addColumns<QString, QString, QString>("tool", "panel", "expected");
        QTest::newRow("restore, every option") << "restore"
            << "drive=1 diskNo=0 cylinders=80 heads=2 begin=10 end=12 steps=2 flag=1 pin1=2 pin2=4 pin3=12"
            << "-i 1 -n 0 -c 80 -h 2 -b 10 -e 12 -s 2 -u 1 -p2 -p4 -p12 /home/pi/game.HVR";
        QTest::newRow("restore, all ---") << "restore" << "" << "/home/pi/game.HVR";
        QTest::newRow("unformat, every option") << "unformat" << "drive=1 cylinders=40 heads=2 steps=1 pin1=4 pin3=2"
                                                << "-i 1 -c 40 -h 2 -s 1 -p4 -p2";
    }

    void arguments()
    {
        const auto get = panelValues(row<QString>("panel"));
        const DrvArgs::RestorePanel r{get("drive"), get("diskNo"), get("cylinders"), get("heads"), get("begin"), get("end"),
                                      get("steps"), get("flag"),   get("pin1"),      get("pin2"),  get("pin3")};
        const DrvArgs::UnformatPanel u{get("drive"), get("cylinders"), get("heads"), get("steps"), get("pin1"), get("pin2"),
                                       get("pin3")};
        QTEST((row<QString>("tool") == "restore" ? DrvArgs::Restore(r, "/home/pi/game.HVR") : DrvArgs::Unformat(u)).join(' '), "expected");
    }

    // Dump drive 0, restore the image onto drive 1, dump drive 1: same bytes.
    void restoreAndDumpBack()
    {
        for (const char* tool : {"drvdump", "drvrestore"})
            wrapSimTool(tool);
        setButtons("BTN_DUMP_CYLINDERS=80 BTN_DUMP_END=79");
        ui->LEDT_DUMP_FILENAME->setText("drive0");
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
        QVERIFY(!ui->BTN_REDUMP->isEnabled());

        setButtons("BTN_RESTORE_DRIVE=1 BTN_RESTORE_CYLINDERS=80 BTN_RESTORE_END=79");
        ui->LEDT_RESTORE_FILENAME->setText("drive0.HVR");
        m_env->clearStubLog();
        driver.seen.clear();
        ui->BTN_RESTORE->click();
        QCOMPARE(runsOf("drvrestore"),
                 QStringList{"drvrestore -i 1 -n 1 -c 80 -h 2 -b 0 -e 79 -s 1 -u 1 " + m_folder + "/drive0.HVR"});
        QCOMPARE(driver.seen, (QStringList{"busy:" + QString::fromUtf8("リストア中"), "complete guard=0"}));
        MyGraphicalDumpDisplay* map = ui->WDT_RESTORESTATUS;
        QCOMPARE(map->Mode(), 1);
        QCOMPARE(map->RetryThreshold(), 2);
        for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track)
            QCOMPARE(map->TrackState(track), track < 160 ? 1 : -1);

        ui->BTN_DUMP_DRIVE->setCurrentText("1");
        ui->LEDT_DUMP_FILENAME->setText("drive1");
        ui->BTN_DUMP->click();
        const QByteArray original = readFile(m_folder + "/drive0.HVR");
        QVERIFY(original.size() > 512 && original == readFile(m_folder + "/drive1.HVR"));
    }

    void unformat_data()
    {
        // erased: the state of the disk's 80 tracks afterwards
        addColumns<QString, QByteArray, QString, int, int>("cylinders", "bad", "run", "rows", "erased");
        QTest::newRow("40 cylinders") << "40" << QByteArray() << "drvunformat -i 1 -c 40 -h 2 -s 1" << 4 << 1;
        QTest::newRow("first track fails") << "40" << QByteArray("0") << "drvunformat -i 1 -c 40 -h 2 -s 1" << 4 << 1;
        // No track is a target; the reports of the whole disk raise them to Target.
        QTest::newRow("cylinders ---") << "---" << QByteArray() << "drvunformat -i 1 -h 2 -s 1" << 0 << 0;
    }

    void unformat()
    {
        QFETCH(QByteArray, bad);
        wrapSimTool("drvunformat");
        setButtons("BTN_UNFORMAT_DRIVE=1 BTN_UNFORMAT_CYLINDERS=" + row<QString>("cylinders"));
        setVars("KESTA_SIM_BAD=" + bad);
        DiskOperationDriver driver;
        ui->BTN_UNFORMAT->click();
        setVars("KESTA_SIM_BAD");

        QCOMPARE(runsOf("drvunformat"), QStringList{row<QString>("run")});
        QCOMPARE(driver.seen, (QStringList{"busy:" + QString::fromUtf8("アンフォーマット中"), "complete guard=0"}));
        MyGraphicalDumpDisplay* map = ui->WDT_UNFORMATSTATUS;
        QCOMPARE(map->Mode(), 2);
        QTEST(map->Rows(), "rows");
        for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track) {
            const int expected = track >= 80 ? -1 : (track == 0 && !bad.isEmpty()) ? 255 : row<int>("erased");
            QCOMPARE(map->TrackState(track), expected);
        }
    }

    void drvinfoShowsOnlyTheLastRun()
    {
        wrapSimTool("drvinfo");
        ui->EDT_DRVINFO_DISPLAY->setPlainText("stale");
        DiskOperationDriver driver;
        ui->BTN_DRVINFO->click();
        QVERIFY(ui->EDT_DRVINFO_DISPLAY->toPlainText().contains("KESTA SIM 2HD"));
        setButtons("BTN_UNFORMAT_DRIVE=1 BTN_UNFORMAT_ASSERT_PIN2=12");
        ui->BTN_DRVINFO->click();

        QCOMPARE(runsOf("drvinfo"), (QStringList{"drvinfo -i 0", "drvinfo -i 1 -p12"}));
        const QString shown = ui->EDT_DRVINFO_DISPLAY->toPlainText();
        QVERIFY(shown.startsWith("drvinfo: drive 1") && shown.contains("KESTA SIM 2D") && !shown.contains("2HD"));
        QVERIFY(!ui->EDT_LOG_DISPLAY->toPlainText().contains("drvinfo"));
        const QString measuring = "busy:" + QString::fromUtf8("計測中");
        QCOMPARE(driver.seen, (QStringList{measuring, "complete guard=0", measuring, "complete guard=0"}));
    }

    void browse_data()
    {
        // choice: "" cancels the browser; name: the name field afterwards; folder: the current folder afterwards
        addColumns<QString, QString, QString, QString>("button", "choice", "name", "folder");
        QTest::newRow("dump, file") << "BTN_DUMP_FILESELECT" << "d/a.b.HVR" << "a" << "d";
        QTest::newRow("dump, folder") << "BTN_DUMP_FILESELECT" << "d" << "kept" << "d";
        QTest::newRow("dump, cancelled") << "BTN_DUMP_FILESELECT" << "" << "kept" << "images";
        QTest::newRow("restore, file") << "BTN_RESTORE_FILESELECT" << "d/x.HVR" << "x.HVR" << "d";
    }

    void browse()
    {
        QFETCH(QString, button);
        QFETCH(QString, choice);
        QFETCH(QString, folder);
        QDir(m_env->path()).mkpath("d");
        for (const char* file : {"d/a.b.HVR", "d/x.HVR"})
            QFile(m_env->path(file)).open(QIODevice::WriteOnly);
        const bool dump = button.startsWith("BTN_DUMP");
        QLineEdit* field = dump ? ui->LEDT_DUMP_FILENAME : ui->LEDT_RESTORE_FILENAME;
        field->setText("kept");

        DiskOperationDriver driver;
        driver.browserChoice = choice.isEmpty() ? QString() : m_env->path(choice);
        m_window->findChild<QPushButton*>(button)->click();

        QCOMPARE(driver.seen, QStringList{"browser"});
        QTEST(field->text(), "name");
        // Every place that shows the current folder follows the choice.
        const QString expected = m_env->path(folder);
        QCOMPARE(MyCommon::getInstance()->Settings().m_lastAccessFolder, expected);
        QCOMPARE(ui->LEDT_DUMP_PATH->text(), expected);
        QCOMPARE(ui->LEDT_RESTORE_PATH->text(), expected);
        QCOMPARE(ui->WDT_EMU_FDIMAGESELECTOR->GetShownFolder(), expected);
    }
};

QTEST_MAIN(TestRestoreOperation)
#include "tst_restoreoperation.moc"
