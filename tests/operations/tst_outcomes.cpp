#include <cmath>

#include "diskoperationdriver.h"
#include "dumprecord.h"
#include "runoutcome.h"
#include "ui_mainwindow.h"

// What the user is told after a run, what the image tools' fields show, and
// the record every dump leaves beside its image.
class TestOutcomes : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(), ui->LEDT_DUMP_FILENAME->setText("game"); }
    void cleanup()
    {
        setVars("KESTA_SIM_EMPTY KESTA_SIM_MISSING KESTA_SIM_CRASH_AT KESTA_SIM_PROTECT"); // setUp unsets the rest
        MyCommon::getInstance()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        tearDown();
    }

    void runner_data()
    {
        addColumns<QString, int, int, QString, QString>("script", "silenceMs", "graceMs", "outcome", "reason"); // script "": tool missing
        QTest::newRow("last line after escapes") << "printf 'a\\n\\033[1;31mno disk in drive\\033[0m\\n \\n'; echo stderr >&2; exit 1" << 30000 << 30000 << "failed" << "t stopped with status 1: no disk in drive";
        QTest::newRow("missing") << "" << 30000 << 30000 << "not started" << "t is not installed";
        QTest::newRow("silent, ends within its grace") << "echo a; sleep 0.5" << 100 << 60000 << "completed" << "";
        QTest::newRow("silent for good") << "echo a; exec sleep 60" << 100 << 100 << "silent" << "t was silent for 0.1 s and was stopped";
    }

    void runner()
    {
        MyCommon* common = MyCommon::getInstance();
        if (!row<QString>("script").isEmpty())
            m_env->writeScript("t", row<QString>("script"));
        common->SetCommandSilenceLimit(row<int>("silenceMs"));
        common->SetCommandGraceLimit(row<int>("graceMs"));
        // What a tool printed before it failed or fell silent is kept.
        QVERIFY(common->Command("t", {}).startsWith(row<QString>("script").isEmpty() ? "" : "a\n"));
        QTEST(RunOutcome::Name(common->LastOutcome().kind), "outcome");
        QTEST(common->LastOutcome().Reason(), "reason");
    }

    // One run of each kind against the simulated board: the dialog, the
    // re-dump button and the record.
    void run_data()
    {
        // lines: "|" between lines, %1 the image line; record "" for none; map: "TRACK=STATE ..." where a
        // dump of 80 tracks differs from all read, "-" unchecked
        addColumns<QString, QString, QString, QString, bool, QString>("operation", "vars", "lines", "record", "redump", "map");
        const QString silence = "KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=20";
        const QString at20 = "|20 read, 0 retried, 0 failed, 60 not reached|%1", none = "|0 read, 0 retried, 0 failed, 80 not reached";
        QTest::newRow("completed") << "dump" << "" << "Completed.|80 read, 0 retried, 0 failed, 0 not reached|%1" << "completed" << false << "";
        QTest::newRow("retried, failed") << "dump" << "KESTA_SIM_WEAK=5:2 KESTA_SIM_BAD=40"
            << "Failed.|drvdump stopped with status 3: done, 79 tracks ok, 1 failed|78 read, 1 retried, 1 failed, 0 not reached|%1" << "failed" << true << "5=2 40=255";
        QTest::newRow("empty drive") << "dump" << "KESTA_SIM_EMPTY=0" << "Failed.|drvdump stopped with status 1: drive 0: no disk in drive" + none << "failed" << false << "-";
        QTest::newRow("missing") << "dump" << "KESTA_SIM_MISSING=drvdump" << "Failed.|drvdump is not installed" + none << "not started" << false << "-";
        QTest::newRow("crashed") << "dump" << "KESTA_SIM_CRASH_AT=10"
            << "Failed.|drvdump was killed by signal 9|10 read, 0 retried, 0 failed, 70 not reached|%1" << "crashed" << true << "-";
        QTest::newRow("silent") << "dump" << silence << "Failed.|drvdump was silent for 2 s and was stopped" + at20 << "silent" << true << "-";
        QTest::newRow("cancelled") << "cancel" << silence << "Cancelled." + at20 << "cancelled" << true << "-";
        QTest::newRow("restore, protected") << "restore" << "KESTA_SIM_PROTECT=0"
            << "Failed.|drvrestore stopped with status 1: drive 0: disk is write protected" + none << "" << false << "-";
        QTest::newRow("restore") << "restore" << "" << "Completed.|80 read, 0 retried, 0 failed, 0 not reached" << "" << false << "-";
    }

    void run()
    {
        const QString operation = row<QString>("operation"), vars = row<QString>("vars"), lines = row<QString>("lines");
        const QString record = row<QString>("record"), map = row<QString>("map");
        const QString image = imagePath("game");
        if (operation == "restore") {
            QCOMPARE(QProcess::execute(TestEnv::simBinDir() + "/hvrtool", {"-c", "-t", "2HD", image}), 0);
            setButtons("BTN_RESTORE_CYLINDERS=40 BTN_RESTORE_END=39");
            ui->LEDT_RESTORE_FILENAME->setText("game.HVR");
        }
        setVars(vars);
        ui->EDT_LOG_DISPLAY->setPlainText("earlier");
        if (vars.contains("SILENCE") && operation != "cancel")
            MyCommon::getInstance()->SetCommandSilenceLimit(2000);
        DiskOperationDriver driver;
        bool cancelled = false;
        driver.onBusy = [&](QProgressDialog* busy) {
            if (operation == "cancel" && !cancelled && ui->WDT_DUMPSTATUS->TrackState(19) == 1) {
                cancelled = true;
                busy->findChild<QPushButton*>()->click();
            }
        };
        driver.onComplete = [&]() { // the box holds every line on the panel, its OK under a finger
            auto* box = qobject_cast<CompleteDialog*>(QApplication::activeModalWidget());
            QVERIFY(box && box->Lines().size() == m_window->LastCompletion().size() && box->height() <= 480 &&
                    box->findChild<QPushButton*>("BTN_COMPLETE_OK")->height() >= 44);
        };
        (operation == "restore" ? ui->BTN_RESTORE : ui->BTN_DUMP)->click();
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());

        const QString shown = image + " (" + QLocale::c().formattedDataSize(QFileInfo(image).size()) + ")";
        QCOMPARE(m_window->LastCompletion(), (lines.contains("%1") ? lines.arg(shown) : lines).split('|'));
        QTEST(ui->BTN_REDUMP->isEnabled(), "redump");
        if (map != "-") { // the map and the image hold each track's outcome; the log pane keeps what was there
            const auto state = panelValues(map);
            for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track) {
                const QString given = state(qPrintable(QString::number(track)));
                QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(track), given != MyCommon::NOT_GIVEN ? given.toInt() : track < 80 ? 1 : -1);
            }
            QCOMPARE(trackStatus(image, 40), map.contains("40=") ? 3 : 1);
            const QStringList log = ui->EDT_LOG_DISPLAY->toPlainText().split('\n');
            QVERIFY(log.first() == "earlier" && !log.filter("T079 C39 H1").isEmpty());
        }
        if (map == "") { // nothing to re-dump
            driver.seen.clear();
            wrapSimTool("drvdump");
            m_window->on_BTN_REDUMP_clicked();
            QCOMPARE(driver.seen, QStringList{});
            QCOMPARE(m_env->stubLog(), QStringList{});
        }
        DumpRecord kept;
        QCOMPARE(DumpRecord::Read(image, &kept, nullptr), !record.isEmpty());
        if (record.isEmpty())
            return;
        QCOMPARE(kept.outcome, record);
        QCOMPARE(kept.arguments.last(), kept.image);
        QVERIFY(kept.started.isValid() && kept.started <= kept.ended);
        for (int track = 0; track < DumpRecord::TRACK_COUNT; ++track)
            QCOMPARE(kept.tracks[track], ui->WDT_DUMPSTATUS->TrackState(track));
    }

    // A dump's failed tracks can be re-read after a restart, through its record.
    void recordAcrossRestart_data()
    {
        addColumns<QByteArray, QByteArray>("from", "to"); // from: the record's text replaced, "" for all of it; to "": kept
        QTest::newRow("kept") << QByteArray() << QByteArray();
        QTest::newRow("cut short") << QByteArray() << QByteArray("{\"record\": \"KESTAcon dump record\", \"version\": 1, \"ima");
        QTest::newRow("foreign") << QByteArray() << QByteArray("{\"name\": \"game\", \"tracks\": [1, 2, 3]}");
        QTest::newRow("out of range") << QByteArray("\"retry\": 3") << QByteArray("\"retry\": 1e300");
        QTest::newRow("another image's") << QByteArray("images/game.HVR") << QByteArray("elsewhere/other.HVR");
    }

    void recordAcrossRestart()
    {
        const QByteArray from = row<QByteArray>("from"), to = row<QByteArray>("to");
        wrapSimTool("drvdump");
        setVars("KESTA_SIM_BAD=40");
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
        const QString image = imagePath("game");
        QFile file(DumpRecord::PathFor(image));
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray data = file.readAll();
        if (!to.isEmpty() && file.resize(0) && file.seek(0))
            file.write(from.isEmpty() ? to : QByteArray(data).replace(from, to));
        file.close();
        qunsetenv("KESTA_SIM_BAD");

        m_window.reset(); // the old window goes before the new one reads the settings
        newWindow();
        ui->LEDT_DUMP_FILENAME->setText("game");
        driver.browserChoice = image;
        ui->BTN_DUMP_FILESELECT->click();
        const bool kept = to.isEmpty();
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(40), kept ? 255 : 0);
        QCOMPARE(ui->BTN_REDUMP->isEnabled(), kept);
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText().contains("was ignored"), !kept);
        if (!kept)
            return;

        m_env->clearStubLog();
        ui->BTN_REDUMP->click();
        QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -r 3 -t 40 " + image});
        QCOMPARE(m_window->LastCompletion().first(), QString("Completed."));
        DumpRecord record;
        QVERIFY(DumpRecord::Read(image, &record, nullptr));
        QCOMPARE(record.outcome, QString("completed"));
        QCOMPARE(record.tracks[40], 1);
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
    }

    void imageTools_data()
    {
        addColumns<QString, QString, QString, bool>("tool", "name", "made", "done"); // made: relative to the image folder
        QTest::newRow("convert") << "convert" << "copy" << "copy.HVR" << true;
        QTest::newRow("convert onto an existing name") << "convert" << "b" << "" << false;
        QTest::newRow("make in the entered folder") << "make" << "blank" << "sub/blank.HVR" << true;
        QTest::newRow("make onto an existing name") << "make" << "old" << "" << false;
        QTest::newRow("rename with its record") << "rename" << "c.HVR" << "c.HVR" << true;
    }

    void imageTools()
    {
        const QString tool = row<QString>("tool"), made = row<QString>("made");
        const bool done = row<bool>("done");
        QDir(m_folder).mkdir("sub");
        for (const QString& path : {imagePath("a"), imagePath("b"), m_folder + "/sub/old.HVR"})
            QCOMPARE(QProcess::execute(TestEnv::simBinDir() + "/hvrtool", {"-c", path}), 0);
        DumpRecord record{imagePath("a"), "drvdump", {}, QDateTime::currentDateTime(), QDateTime::currentDateTime(), "completed"};
        QVERIFY(record.Write(nullptr));
        FDImageSelector* browser = ui->WDT_EMU_FDIMAGESELECTOR;
        browser->SetRootPath(tool == "make" ? m_folder + "/sub" : m_folder, false);
        if (tool != "make")
            browser->SelectPath(imagePath("a"));

        QLineEdit* field = tool == "convert" ? ui->LEDT_CONVERT : tool == "make" ? ui->LEDT_MAKE_HVR : ui->LEDT_RENAME;
        ui->BTN_CONVERT_EXT->setCurrentText(".HVR");
        field->setText(row<QString>("name"));
        m_window->findChild<QPushButton*>(tool == "convert" ? "BTN_CONVERT" : tool == "make" ? "BTN_MAKE_HVR" : "BTN_RENAME")
            ->click();
        QCOMPARE(field->styleSheet(), done ? MainWindow::TOOL_FIELD_STYLE_DONE : MainWindow::TOOL_FIELD_STYLE_FAILED);
        QVERIFY(made.isEmpty() || QFileInfo(m_folder + "/" + made).isFile());
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText().contains(" failed: "), !done);
        if (tool != "rename")
            return;
        const QString renamed = m_folder + "/c.HVR";
        QCOMPARE(browser->GetCurrentFilePath(), renamed);
        QVERIFY(!QFile::exists(DumpRecord::PathFor(imagePath("a"))));
        QVERIFY(DumpRecord::Read(renamed, &record, nullptr));
        QCOMPARE(record.image, renamed);
        ModalAnswer yes([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click(); });
        browser->findChild<QPushButton*>("BTN_WDG_DELETE")->click();
        QVERIFY(!QFile::exists(renamed));
        QVERIFY(!QFile::exists(DumpRecord::PathFor(renamed)));
    }

    // The failed field's text on its red: at least 4.5:1.
    void failedFieldIsReadable()
    {
        auto match = QRegularExpression("rgb\\((\\d+), (\\d+), (\\d+)\\)").globalMatch(MainWindow::TOOL_FIELD_STYLE_FAILED);
        QList<double> l; // relative luminance of background and text
        while (match.hasNext()) {
            const QRegularExpressionMatch m = match.next();
            auto lin = [&](int i) { const double c = m.captured(i).toInt() / 255.0; return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
            l << 0.2126 * lin(1) + 0.7152 * lin(2) + 0.0722 * lin(3);
        }
        QVERIFY(l.size() == 2 && (qMax(l[0], l[1]) + 0.05) / (qMin(l[0], l[1]) + 0.05) >= 4.5);
    }
};

QTEST_MAIN(TestOutcomes)
#include "tst_outcomes.moc"
