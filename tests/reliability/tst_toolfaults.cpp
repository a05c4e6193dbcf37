#include "../operations/diskoperationdriver.h"
#include "ui_mainwindow.h"

// A dump against the simulated board while the tool misbehaves: missing,
// crashing, falling silent, printing junk or far too much.  Whatever it
// does, the run ends the usual way, the map and the log hold only what was
// reported, and the window goes on working.
class TestToolFaults : public DiskOperationFixture
{
    Q_OBJECT
    static constexpr int TRACKS = 80; // drive 0, cylinders 0 to 39, two heads
    const QString ALL_FAULTS = "KESTA_SIM_MISSING KESTA_SIM_CRASH_AT KESTA_SIM_SILENCE_MS KESTA_SIM_SILENCE_AT KESTA_SIM_GARBAGE KESTA_SIM_FLOOD_MB";

private slots:
    void init() { setUp(); }
    void cleanup()
    {
        setVars(ALL_FAULTS);
        MyCommon::getInstance()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        tearDown();
    }

    void faultyDump_data()
    {
        // good: tracks reported read, from track 0 on; logged: the last report shows in the log
        // (the log pane takes a chunk up to its first NUL byte only)
        addColumns<QString, int, bool>("faults", "good", "logged");
        QTest::newRow("tool missing") << "KESTA_SIM_MISSING=drvdump" << 0 << false;
        QTest::newRow("crash mid-run") << "KESTA_SIM_CRASH_AT=10" << 10 << true;
        QTest::newRow("silent past the limit") << "KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=20" << 20 << true;
        QTest::newRow("garbage and NUL bytes") << "KESTA_SIM_GARBAGE=1" << TRACKS << false;
        QTest::newRow("50 MB of output") << "KESTA_SIM_FLOOD_MB=50" << TRACKS << true;
    }

    void faultyDump()
    {
        QFETCH(int, good);
        MyCommon* common = MyCommon::getInstance();
        // Written before the run, and an image of an earlier dump: both must stay.
        common->SetSettingString("CONVERT/MAKEHVR", "written before");
        QVERIFY(writeFile(imagePath("earlier"), "an earlier image"));
        common->SetCommandSilenceLimit(1500);
        setVars(row<QString>("faults"));
        dump("game");
        QVERIFY(!m_window->findChild<QProgressDialog*>());

        // The map: what was reported, nothing more.
        for (int track = 0; track < TRACKS; ++track)
            QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(track), track < good ? 1 : 0);
        const QString log = ui->EDT_LOG_DISPLAY->toPlainText();
        QVERIFY(!log.contains(QChar(0)) && !log.contains(QChar(0x1B)));
        if (row<bool>("logged"))
            QVERIFY(log.contains(QString::asprintf("P(T%03d C%02d H%d) read ok", good - 1, (good - 1) / 2, (good - 1) % 2)));
        QVERIFY(!log.contains(QString::asprintf("T%03d C", good)));
        if (good > 0 && good < TRACKS)
            QCOMPARE(trackStatus(imagePath("game"), good - 1), 1); // read before the fault, kept
        QCOMPARE(stored("CONVERT/MAKEHVR").toString(), QString("written before"));
        QCOMPARE(readFile(imagePath("earlier")), QByteArray("an earlier image"));

        // The window goes on working: a clean dump right after.
        setVars(ALL_FAULTS);
        ui->EDT_LOG_DISPLAY->clear();
        dump("again");
        for (int track = 0; track < TRACKS; ++track)
            QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(track), 1);
    }

private:
    // One dump run from the DUMP button: it ends the usual way.
    void dump(const QString& name)
    {
        ui->LEDT_DUMP_FILENAME->setText(name);
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        QCOMPARE(driver.seen, (QStringList{"busy:" + QString::fromUtf8("ダンプ中"), "complete guard=1"}));
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
    }
};

QTEST_MAIN(TestToolFaults)
#include "tst_toolfaults.moc"
