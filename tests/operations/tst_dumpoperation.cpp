#include "diskoperationdriver.h"
#include "drvargs.h"
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
    void cleanup() { tearDown(); }

    // The tool's arguments from the panel.
    void arguments_data()
    {
        addColumns<QString, QString, QString>("tool", "panel", "expected");
        QTest::newRow("dump, all ---") << "dump" << "drive=1" << "-i 1";
        QTest::newRow("dump, every option, three pins") << "dump"
            << "drive=0 cylinders=80 heads=2 density=high begin=0 end=79 steps=1 format=raw pin1=2 pin2=4 pin3=12 retry=5"
            << "-i 0 -c 80 -h 2 -d high -b 0 -e 79 -s 1 -f raw -p2 -p4 -p12 -r 5";
        QTest::newRow("dump, second pin only") << "dump" << "drive=0 format=encode pin2=12 retry=3" << "-i 0 -f encode -p12 -r 3";
        QTest::newRow("re-dump, retry ---") << "redump" << "drive=0 begin=3" << "-i 0 -t 40";
    }

    void arguments()
    {
        const auto get = panelValues(row<QString>("panel"));
        const DrvArgs::DumpPanel d{get("drive"), get("cylinders"), get("heads"), get("density"), get("begin"), get("end"),
                                   get("steps"), get("format"),    get("pin1"),  get("pin2"),    get("pin3"),  get("retry")};
        const QString path = "/home/pi/game.HVR";
        const QStringList args = row<QString>("tool") == "dump" ? DrvArgs::Dump(d, path)
                                                : DrvArgs::ReDumpTrack(DrvArgs::ReDumpBase(d.drive, d.retry), 40, path);
        QCOMPARE(args.join(' '), row<QString>("expected") + " " + path);
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
        QFETCH(QString, name);
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
        QFETCH(QString, state);
        QFETCH(QString, slot);
        const QString name = row<QString>("name");
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

    void simulatedDump_data()
    {
        addColumns<QByteArray, QByteArray>("weak", "bad");
        QTest::newRow("clean disk") << QByteArray() << QByteArray();
        QTest::newRow("two weak tracks, one bad") << QByteArray("5:2,17:2") << QByteArray("40");
    }

    void simulatedDump()
    {
        QFETCH(QByteArray, weak);
        QFETCH(QByteArray, bad);
        ui->EDT_LOG_DISPLAY->setPlainText("earlier");
        dumpWithBadTracks(bad, weak);

        MyGraphicalDumpDisplay* map = ui->WDT_DUMPSTATUS;
        for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track) {
            int expected = track < 80 ? 1 : -1;
            if (!weak.isEmpty() && (track == 5 || track == 17))
                expected = 2;
            if (!bad.isEmpty() && track == 40)
                expected = MyGraphicalDumpDisplay::STATE_ERROR;
            QCOMPARE(map->TrackState(track), expected);
        }
        QCOMPARE(ui->BTN_REDUMP->isEnabled(), !bad.isEmpty());
        // The log pane keeps what was there.
        const QStringList log = ui->EDT_LOG_DISPLAY->toPlainText().split('\n');
        QCOMPARE(log.first(), QString("earlier"));
        QVERIFY(log.filter("T079 C39 H1").size() >= 1);
        QCOMPARE(trackStatus(imagePath("game"), 40), bad.isEmpty() ? 1 : 3);

        if (bad.isEmpty()) { // nothing to re-dump
            DiskOperationDriver driver;
            m_window->on_BTN_REDUMP_clicked();
            QCOMPARE(driver.seen, QStringList{});
            QCOMPARE(m_env->stubLog(), QStringList{});
        }
    }

    // A re-dump uses the image and drive of the dump that filled the map.
    void redumpKeepsItsImage_data()
    {
        addColumns<QString, bool, bool>("newName", "newFolder", "newDrive");
        QTest::newRow("nothing changed") << "game" << false << false;
        QTest::newRow("name changed") << "other" << false << false;
        QTest::newRow("folder changed") << "game" << true << false;
        QTest::newRow("drive changed") << "game" << false << true;
    }

    void redumpKeepsItsImage()
    {
        QFETCH(QString, newName);
        QFETCH(bool, newFolder);
        dumpWithBadTracks("40");
        if (QTest::currentTestFailed())
            return;
        const QString image = imagePath("game");
        ui->LEDT_DUMP_FILENAME->setText(newName);
        const QString elsewhere = m_env->path("elsewhere");
        if (newFolder) {
            QDir().mkpath(elsewhere);
            m_window->CurrentPathChangedAll(elsewhere, false);
        }
        if (row<bool>("newDrive"))
            ui->BTN_DUMP_DRIVE->setCurrentText("1");

        DiskOperationDriver driver;
        ui->BTN_REDUMP->click();
        QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -r 3 -t 40 " + image});
        QVERIFY(isRedump(driver.seen));
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(40), 1);
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(39), 1);
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
        if (newFolder || newName != "game")
            QVERIFY(DiskOperationDriver::logged("has changed since the dump"));
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"game.HVR"});
        QVERIFY(!QFile::exists(elsewhere + "/game.HVR"));
        QCOMPARE(trackStatus(image, 40), 1);
    }

    // Cancel during a silent run ends it through pkill and runs no further track.
    void cancelSilentRedumpInFiveRuns()
    {
        dumpWithBadTracks("10,11,12,13,14");
        if (QTest::currentTestFailed())
            return;
        m_env->writeScript("pkill", QStringLiteral("exec '%1/pkill' \"$@\"").arg(KESTA_STUB_DIR));
        setVars("KESTA_SIM_BAD=10,11,12,13,14 KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=11"); // the second run falls silent

        DiskOperationDriver driver;
        bool cancelled = false;
        driver.onBusy = [&](QProgressDialog* busy) {
            const bool running = !QDir(m_env->simDir() + "/pids").entryList({"drvdump.*"}, QDir::Files).isEmpty();
            if (!cancelled && runsOf("drvdump").size() == 2 && running) {
                cancelled = true;
                busy->findChild<QPushButton*>()->click();
            }
        };
        ui->BTN_REDUMP->click();

        QVERIFY(cancelled);
        QCOMPARE(runsOf("drvdump"), (QStringList{"drvdump -i 0 -r 3 -t 10 " + imagePath("game"),
                                                 "drvdump -i 0 -r 3 -t 11 " + imagePath("game")}));
        QCOMPARE(runsOf("pkill"), (QStringList{"pkill drvdump", "pkill drvrestore", "pkill drvunformat"}));
        QVERIFY(isRedump(driver.seen));
        QVERIFY(ui->BTN_REDUMP->isEnabled());
        QVERIFY(DiskOperationDriver::logged("void MainWindow::on_ProgressCanceled()"));
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
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
