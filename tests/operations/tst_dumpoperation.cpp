#include <cmath>

#include "diskoperationdriver.h"
#include "drvargs.h"
#include "dumprecord.h"
#include "mygraphicaldumpdisplay.h"
#include "runoutcome.h"
#include "ui_mainwindow.h"

namespace {

const QString DUMPING = QString::fromUtf8("ダンプ中");
const QStringList CLEAN_DUMP{"busy:" + DUMPING, "complete guard=1"};
const QString WARNING = QStringLiteral("warning:Warning./Not a valid file name.");
// A re-dump's busy dialog names the drive and the image it reads (a long
// folder shortened in the middle).
bool isRedump(const QStringList& seen)
{
    return seen.size() == 2 && seen[0].startsWith("busy:" + DUMPING + "\ndrive 0 \u2192 /") &&
           seen[0].endsWith("/images/game.HVR") && seen[1] == "complete guard=1";
}

} // namespace

class TestDumpOperation : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        ui->LEDT_DUMP_FILENAME->setText("game");
    }
    void cleanup()
    {
        setVars("KESTA_SIM_EMPTY KESTA_SIM_MISSING KESTA_SIM_CRASH_AT KESTA_SIM_PROTECT KESTA_SIM_CHUNK KESTA_SIM_NOISE KESTA_SIM_DISK");
        MyCommon::getInstance()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        tearDown();
    }

    // The tool's arguments from the panel.
    void arguments_data()
    {
        addColumns<QString, QString, QString>("tool", "panel", "expected");
        const QString p = " /home/pi/game.HVR";
        QTest::newRow("dump, all ---") << "dump" << "drive=1" << "-i 1" + p;
        QTest::newRow("dump, every option, three pins") << "dump"
            << "drive=0 cylinders=80 heads=2 density=high begin=0 end=79 steps=1 format=raw pin1=2 pin2=4 pin3=12 retry=5"
            << "-i 0 -c 80 -h 2 -d high -b 0 -e 79 -s 1 -f raw -p2 -p4 -p12 -r 5" + p;
        QTest::newRow("dump, second pin only") << "dump" << "drive=0 format=encode pin2=12 retry=3" << "-i 0 -f encode -p12 -r 3" + p;
        QTest::newRow("re-dump, retry ---") << "redump" << "drive=0 begin=3" << "-i 0 -t 40" + p;
        QTest::newRow("restore, every option") << "restore"
            << "drive=1 diskNo=0 cylinders=80 heads=2 begin=10 end=12 steps=2 flag=1 pin1=2 pin2=4 pin3=12"
            << "-i 1 -n 0 -c 80 -h 2 -b 10 -e 12 -s 2 -u 1 -p2 -p4 -p12" + p;
        QTest::newRow("restore, all ---") << "restore" << "" << p.mid(1);
        QTest::newRow("unformat, every option") << "unformat" << "drive=1 cylinders=40 heads=2 steps=1 pin1=4 pin3=2"
                                                << "-i 1 -c 40 -h 2 -s 1 -p4 -p2";
    }

    void arguments()
    {
        const auto get = panelValues(row<QString>("panel"));
        const QString tool = row<QString>("tool"), path = "/home/pi/game.HVR";
        const DrvArgs::DumpPanel d{get("drive"), get("cylinders"), get("heads"), get("density"), get("begin"), get("end"),
                                   get("steps"), get("format"),    get("pin1"),  get("pin2"),    get("pin3"),  get("retry")};
        const DrvArgs::RestorePanel r{get("drive"), get("diskNo"), get("cylinders"), get("heads"), get("begin"), get("end"),
                                      get("steps"), get("flag"),   get("pin1"),      get("pin2"),  get("pin3")};
        const DrvArgs::UnformatPanel u{get("drive"), get("cylinders"), get("heads"), get("steps"), get("pin1"), get("pin2"),
                                       get("pin3")};
        const QStringList args = tool == "dump"      ? DrvArgs::Dump(d, path)
                                 : tool == "redump"  ? DrvArgs::ReDumpTrack(DrvArgs::ReDumpBase(d.drive, d.retry), 40, path)
                                 : tool == "restore" ? DrvArgs::Restore(r, path)
                                                     : DrvArgs::Unformat(u);
        QTEST(args.join(' '), "expected");
    }

    // The old image goes or stays by the overwrite policy; the name gets
    // ".HVR"; with nothing reported every track is left for the re-dump.
    void dumpRun_data()
    {
        addColumns<QString, QString, bool, bool>("name", "policy", "setting", "kept");
        QTest::newRow("overwrite") << "game" << "overwrite" << false << false;
        QTest::newRow("SETTING, flag on") << "game" << "SETTING" << true << false;
        QTest::newRow("SETTING, flag off") << "game" << "SETTING" << false << true;
        QTest::newRow("followKESTA") << "game" << "followKESTA" << true << true;
        QTest::newRow("typed with its extension") << "game.HVR" << "overwrite" << false << true;
        QTest::newRow("blanks only") << "   " << "overwrite" << false << true;
    }

    void dumpRun()
    {
        const QString name = row<QString>("name");
        m_env->writeRecorder("drvdump");
        MyCommon::getInstance()->SetSettingBool("OVERWRITE/OVERWRITE", row<bool>("setting"));
        ui->BTN_DUMP_OVERWRITE->setCurrentText(row<QString>("policy"));
        ui->LEDT_DUMP_FILENAME->setText(name);
        QVERIFY(writeFile(imagePath("game"), "old image"));

        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        QTEST(QFile::exists(imagePath("game")), "kept");
        QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -c 40 -h 2 -d double -b 0 -e 39 -s 1 -f encode -r 3 " +
                                                imagePath(name)});
        QCOMPARE(driver.seen, CLEAN_DUMP);
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
        QCOMPARE(ui->WDT_DUMPSTATUS->GetErrorAndTargetTrack(0, nullptr), 80);
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(80), int(MyGraphicalDumpDisplay::STATE_NON_TARGET));
        // Re-reading needs the image: the recorder makes none.
        QCOMPARE(ui->BTN_REDUMP->isEnabled(), QFile::exists(imagePath(name)));
        QVERIFY(!m_window->findChild<QProgressDialog*>());
    }

    // A refused start runs no tool and leaves the maps alone: a missing folder,
    // name or image warns; under the input guard every start is refused with a debug line only.
    void refusedStarts_data()
    {
        addColumns<QString, QString, QString>("state", "name", "slot");
        QTest::newRow("dump, no folder") << "no folder" << "game" << "on_BTN_DUMP_clicked";
        QTest::newRow("dump, no name") << "" << "" << "on_BTN_DUMP_clicked";
        QTest::newRow("re-dump, no image yet") << "" << "game" << "on_BTN_REDUMP_clicked";
        QTest::newRow("restore, no name") << "" << "" << "on_BTN_RESTORE_clicked";
        QTest::newRow("restore, missing file") << "" << "missing.HVR" << "on_BTN_RESTORE_clicked";
        QTest::newRow("restore, a folder") << "" << "sub" << "on_BTN_RESTORE_clicked";
        for (const char* slot : {"on_BTN_DUMP_clicked", "on_BTN_REDUMP_clicked", "on_BTN_DUMP_FILESELECT_clicked",
                                 "on_BTN_RESTORE_clicked", "on_BTN_RESTORE_FILESELECT_clicked",
                                 "on_BTN_UNFORMAT_clicked", "on_BTN_DRVINFO_clicked"})
            QTest::newRow(qPrintable(QString("guarded ") + slot)) << "guard" << "game.HVR" << slot;
    }

    void refusedStarts()
    {
        const QString state = row<QString>("state"), slot = row<QString>("slot"), name = row<QString>("name");
        for (const char* tool : {"drvdump", "drvrestore", "drvunformat", "drvinfo"})
            m_env->writeRecorder(tool);
        if (state == "no folder")
            MyCommon::getInstance()->Settings().m_lastAccessFolder.clear();
        QDir(m_folder).mkdir("sub");
        ui->LEDT_DUMP_FILENAME->setText(name);
        ui->LEDT_RESTORE_FILENAME->setText(name);
        ui->WDT_DUMPSTATUS->InitialTrackState(0, 3, 3, 3, 40);
        ui->WDT_RESTORESTATUS->InitialTrackState(1, 3, 3, 2, 40);
        m_window->SetReDumpBtnEnabled(true);
        const bool guard = state == "guard";
        if (guard) {
            QVERIFY(writeFile(imagePath("game")));
            QCoreApplication::postEvent(m_window.get(), new QEvent(QEvent::Type(MyCommon::EVENT_INPUT_GUARD_ON)));
            QTRY_VERIFY(MyCommon::getInstance()->isInputGuard());
        }

        DiskOperationDriver driver;
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), slot.toLatin1().constData()));
        const bool redump = !guard && slot == "on_BTN_REDUMP_clicked";
        const QString warning =
            redump ? "warning:Warning./The image of the last dump is missing: " + imagePath("game") : WARNING;
        QCOMPARE(driver.seen, guard ? QStringList{} : QStringList{warning});
        if (guard)
            QCOMPARE(driver.debugLog().filter(QRegularExpression("void MainWindow::" + slot + "\\(\\).* INPUT GUARD!!$")).size(), 1);
        QCOMPARE(m_env->stubLog(), QStringList{});
        QCOMPARE(ui->BTN_REDUMP->isEnabled(), !redump);
        int tracks[MyGraphicalDumpDisplay::TRACK_COUNT];
        QCOMPARE(ui->WDT_DUMPSTATUS->GetErrorAndTargetTrack(0, tracks), 2);
        QCOMPARE(tracks[0], 6);
        QCOMPARE(ui->WDT_RESTORESTATUS->GetErrorAndTargetTrack(0, nullptr), 2);
        QCOMPARE(MyCommon::getInstance()->isInputGuard(), guard);
        QCOMPARE(readFile(imagePath("game")), guard ? QByteArray() : QByteArray("<missing>"));
    }

    // A re-dump reads the failed tracks of the dump that filled the map into
    // its image on its drive, also after a restart through the dump's record;
    // a record cut short, foreign, out of range or another image's is ignored.
    // Cancel during a silent run ends it through pkill and runs no further track.
    void redump_data()
    {
        // change: made after the dump; from: the record's text replaced, "" for all of it; to "": kept
        addColumns<QString, QByteArray, QByteArray>("change", "from", "to");
        QTest::newRow("name changed") << "name" << QByteArray() << QByteArray();
        QTest::newRow("folder changed") << "folder" << QByteArray() << QByteArray();
        QTest::newRow("drive changed") << "drive" << QByteArray() << QByteArray();
        QTest::newRow("cancelled in the second of five runs") << "cancel" << QByteArray() << QByteArray();
        QTest::newRow("restart") << "restart" << QByteArray() << QByteArray();
        QTest::newRow("restart, record cut short") << "restart" << QByteArray()
                                                   << QByteArray("{\"record\": \"KESTAcon dump record\", \"version\": 1, \"ima");
        QTest::newRow("restart, foreign record") << "restart" << QByteArray() << QByteArray("{\"name\": \"game\", \"tracks\": [1, 2, 3]}");
        QTest::newRow("restart, out of range") << "restart" << QByteArray("\"retry\": 3") << QByteArray("\"retry\": 1e300");
        QTest::newRow("restart, another image's") << "restart" << QByteArray("images/game.HVR") << QByteArray("elsewhere/other.HVR");
    }

    void redump()
    {
        const QString change = row<QString>("change");
        const QByteArray from = row<QByteArray>("from"), to = row<QByteArray>("to");
        const bool cancel = change == "cancel";
        dumpWithBadTracks(cancel ? "10,11,12,13,14" : "40");
        if (QTest::currentTestFailed())
            return;
        const QString image = imagePath("game"), elsewhere = m_env->path("elsewhere");
        DiskOperationDriver driver;
        bool cancelled = false;
        if (cancel) {
            m_env->writeScript("pkill", QStringLiteral("exec '%1/pkill' \"$@\"").arg(KESTA_STUB_DIR));
            setVars("KESTA_SIM_BAD=10,11,12,13,14 KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=11"); // the second run falls silent
            driver.onBusy = [&](QProgressDialog* busy) {
                const bool running = !QDir(m_env->simDir() + "/pids").entryList({"drvdump.*"}, QDir::Files).isEmpty();
                if (!cancelled && runsOf("drvdump").size() == 2 && running)
                    cancelled = true, busy->findChild<QPushButton*>()->click();
            };
        }
        if (change == "restart") {
            QFile file(DumpRecord::PathFor(image));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray data = file.readAll();
            if (!to.isEmpty() && file.resize(0) && file.seek(0))
                file.write(from.isEmpty() ? to : QByteArray(data).replace(from, to));
            file.close();
            m_window.reset(); // the old window goes before the new one reads the settings
            newWindow();
            ui->LEDT_DUMP_FILENAME->setText("game");
            driver.browserChoice = image;
            ui->BTN_DUMP_FILESELECT->click();
            driver.seen.clear();
            QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(40), to.isEmpty() ? 255 : 0);
            QCOMPARE(ui->BTN_REDUMP->isEnabled(), to.isEmpty());
            QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText().contains("was ignored"), !to.isEmpty());
            if (!to.isEmpty())
                return;
        }
        ui->LEDT_DUMP_FILENAME->setText(change == "name" ? "other" : "game");
        if (change == "folder") {
            QDir().mkpath(elsewhere);
            m_window->CurrentPathChangedAll(elsewhere, false);
        }
        if (change == "drive")
            ui->BTN_DUMP_DRIVE->setCurrentText("1");

        ui->BTN_REDUMP->click();
        const QString run = "drvdump -i 0 -r 3 -t ";
        QCOMPARE(runsOf("drvdump"), (cancel ? QStringList{run + "10 " + image, run + "11 " + image} : QStringList{run + "40 " + image}));
        QVERIFY(isRedump(driver.seen));
        if (cancel) {
            QVERIFY(cancelled);
            QCOMPARE(runsOf("pkill"), (QStringList{"pkill drvdump", "pkill drvrestore", "pkill drvunformat"}));
            QVERIFY(ui->BTN_REDUMP->isEnabled());
            QVERIFY(DiskOperationDriver::logged("void MainWindow::on_ProgressCanceled()"));
            QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
            return;
        }
        QCOMPARE(m_window->LastCompletion().first(), QString("Completed."));
        QVERIFY(ui->WDT_DUMPSTATUS->TrackState(40) == 1 && ui->WDT_DUMPSTATUS->TrackState(39) == 1);
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
        QCOMPARE(DiskOperationDriver::logged("has changed since the dump"), change == "name" || change == "folder");
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"game.HVR"});
        QVERIFY(!QFile::exists(elsewhere + "/game.HVR"));
        QCOMPARE(trackStatus(image, 40), 1);
        DumpRecord record;
        QVERIFY(DumpRecord::Read(image, &record, nullptr) && record.outcome == "completed" && record.tracks[40] == 1);
    }

    // Taps queued while the tool writes or while "Completed." shows are refused.
    void queuedTapsMeetTheGuard()
    {
        wrapSimTool("drvdump");
        auto queueTap = [this]() { QMetaObject::invokeMethod(ui->BTN_DUMP, "click", Qt::QueuedConnection); };
        bool tapped = false;
        const auto connection = connect(MyCommon::getInstance(), &MyCommon::commandOutputs, this, [&]() {
            if (!tapped)
                queueTap();
            tapped = true;
        });
        DiskOperationDriver driver;
        driver.onComplete = queueTap;
        ui->BTN_DUMP->click();
        disconnect(connection);
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());

        QCOMPARE(runsOf("drvdump").size(), 1);
        QCOMPARE(driver.debugLog().filter("void MainWindow::on_BTN_DUMP_clicked()  INPUT GUARD!!").size(), 2);
        QCOMPARE(driver.seen, CLEAN_DUMP);
    }

    // Restore and unformat: the tool's run, the dialogs and the map of the
    // disk's tracks; a restored image reads back byte for byte.
    void writes_data()
    {
        // rows -1: unchecked; state: the disk's tracks afterwards (the first at 255 when it fails)
        addColumns<QString, QString, QByteArray, QString, int, int, int>("tool", "buttons", "bad", "run", "rows", "tracks", "state");
        QTest::newRow("restore drive 0's dump onto drive 1") << "restore" << "BTN_RESTORE_DRIVE=1 BTN_RESTORE_CYLINDERS=80 BTN_RESTORE_END=79"
            << QByteArray() << "drvrestore -i 1 -n 1 -c 80 -h 2 -b 0 -e 79 -s 1 -u 1 %1/drive0.HVR" << -1 << 160 << 1;
        const QString unformat40 = "BTN_UNFORMAT_DRIVE=1 BTN_UNFORMAT_CYLINDERS=40", run40 = "drvunformat -i 1 -c 40 -h 2 -s 1";
        QTest::newRow("unformat 40 cylinders") << "unformat" << unformat40 << QByteArray() << run40 << 4 << 80 << 1;
        QTest::newRow("unformat, first track fails") << "unformat" << unformat40 << QByteArray("0") << run40 << 4 << 80 << 1;
        // No track is a target; the reports of the whole disk raise them to Target.
        QTest::newRow("unformat, cylinders ---") << "unformat" << "BTN_UNFORMAT_DRIVE=1 BTN_UNFORMAT_CYLINDERS=---"
                                                 << QByteArray() << "drvunformat -i 1 -h 2 -s 1" << 0 << 80 << 0;
    }

    void writes()
    {
        const bool restore = row<QString>("tool") == "restore";
        const QByteArray bad = row<QByteArray>("bad");
        for (const char* tool : {"drvdump", "drvrestore", "drvunformat"})
            wrapSimTool(tool);
        DiskOperationDriver driver;
        if (restore) { // what drive 0 holds, to restore
            setButtons("BTN_DUMP_CYLINDERS=80 BTN_DUMP_END=79");
            ui->LEDT_DUMP_FILENAME->setText("drive0");
            ui->BTN_DUMP->click();
            QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
            QVERIFY(!ui->BTN_REDUMP->isEnabled());
            ui->LEDT_RESTORE_FILENAME->setText("drive0.HVR");
            m_env->clearStubLog();
            driver.seen.clear();
        }
        setButtons(row<QString>("buttons"));
        setVars("KESTA_SIM_BAD=" + bad);
        (restore ? ui->BTN_RESTORE : ui->BTN_UNFORMAT)->click();
        setVars("KESTA_SIM_BAD");

        QCOMPARE(runsOf(restore ? "drvrestore" : "drvunformat"), QStringList{QString(row<QString>("run")).replace("%1", m_folder)});
        QCOMPARE(driver.seen, (QStringList{"busy:" + QString::fromUtf8(restore ? "リストア中" : "アンフォーマット中"), "complete guard=0"}));
        MyGraphicalDumpDisplay* map = restore ? ui->WDT_RESTORESTATUS : ui->WDT_UNFORMATSTATUS;
        QCOMPARE(map->Mode(), restore ? 1 : 2);
        QVERIFY(!restore || map->RetryThreshold() == 2);
        QVERIFY(row<int>("rows") < 0 || map->Rows() == row<int>("rows"));
        for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track)
            QCOMPARE(map->TrackState(track), track >= row<int>("tracks") ? -1 : track == 0 && !bad.isEmpty() ? 255 : row<int>("state"));
        if (!restore)
            return;
        ui->BTN_DUMP_DRIVE->setCurrentText("1");
        ui->LEDT_DUMP_FILENAME->setText("drive1");
        ui->BTN_DUMP->click();
        const QByteArray original = readFile(m_folder + "/drive0.HVR");
        QVERIFY(original.size() > 512 && original == readFile(m_folder + "/drive1.HVR"));
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
        const QString button = row<QString>("button"), choice = row<QString>("choice");
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
        const QString e = m_env->path(row<QString>("folder"));
        QCOMPARE((QStringList{MyCommon::getInstance()->Settings().m_lastAccessFolder, ui->LEDT_DUMP_PATH->text(),
                              ui->LEDT_RESTORE_PATH->text(), ui->WDT_EMU_FDIMAGESELECTOR->GetShownFolder()}), (QStringList{e, e, e, e}));
    }

    // Against a board that cuts its output anywhere, talks noise and has
    // worn disks, the map shows what the image holds.
    void mapEqualsImage_data()
    {
        QTest::addColumn<QByteArray>("disk");
        for (const char* chunk : {"report", "random", "block", "byte"})
            for (const char* noise : {"0", "1"})
                for (const char* disk : {"clean", "worn", "damaged"})
                    QTest::addRow("%s noise=%s %s", chunk, noise, disk) << QByteArray(disk);
    }
    void mapEqualsImage()
    {
        const QByteArray disk = row<QByteArray>("disk");
        const QList<QByteArray> knobs = QByteArray(QTest::currentDataTag()).split(' ');
        setVars("KESTA_SIM_CHUNK=" + knobs[0] + " KESTA_SIM_NOISE=" + knobs[1].mid(6) + " KESTA_SIM_DISK=" + disk);
        ui->BTN_DUMP_RETRY->setCurrentText("3"); // weak tracks that need 3 or 4 tries are given up
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();

        QProcess sim; // the image's own account: "TRACK OUTCOME TRIES" per track
        sim.start(QFileInfo(TestEnv::simBinDir()).path() + "/kesta-sim", {"tracks", imagePath("game")});
        QVERIFY(sim.waitForFinished(30000) && sim.exitCode() == 0);
        const QString log = ui->EDT_LOG_DISPLAY->toPlainText();
        QMap<QByteArray, int> outcomes;
        for (const QByteArray& line : sim.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 3)
                continue;
            const int track = f[0].toInt();
            const int expected = f[1] == "good" ? 1 : f[1] == "retried" ? f[2].toInt() : f[1] == "unreadable" ? 255 : 0;
            QVERIFY2(ui->WDT_DUMPSTATUS->TrackState(track) == expected, line.constData());
            QVERIFY2(log.contains(QString::asprintf("(T%03d C%02d H%d)", track, track / 2, track % 2)), line.constData());
            ++outcomes[f[1]];
        }
        QCOMPARE(outcomes.value("good") + outcomes.value("retried") + outcomes.value("unreadable"), 80);
        QCOMPARE(outcomes.contains("retried"), disk != "clean");
        QCOMPARE(outcomes.contains("unreadable"), disk != "clean");
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
private:
    void dumpWithBadTracks(const QByteArray& bad, const QByteArray& weak = {})
    {
        wrapSimTool("drvdump");
        qputenv("KESTA_SIM_BAD", bad), qputenv("KESTA_SIM_WEAK", weak);
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        setVars("KESTA_SIM_BAD KESTA_SIM_WEAK");
        QCOMPARE(driver.seen, CLEAN_DUMP);
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
        m_env->clearStubLog();
    }
};

QTEST_MAIN(TestDumpOperation)
#include "tst_dumpoperation.moc"
