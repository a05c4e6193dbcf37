#include "../operations/diskoperationdriver.h"
#include "ui_mainwindow.h"

// A dump against the simulated board while the tool misbehaves: missing,
// crashing, falling silent, printing junk or far too much.  Whatever it
// does, the run ends the usual way, the map and the log hold only what was
// reported, and the window goes on working.
class TestToolFaults : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup();
    void faultyDump_data();
    void faultyDump();

private:
    // One dump run from the DUMP button; the dialogs the driver saw.
    QStringList dump(const QString& name);

    QStringList m_faultVars;
};

namespace {

const QStringList CLEAN_RUN{"busy:" + QString::fromUtf8("ダンプ中"), "complete guard=1"};
constexpr int TRACKS = 80; // drive 0, cylinders 0 to 39, two heads

} // namespace

void TestToolFaults::cleanup()
{
    for (const QString& name : qAsConst(m_faultVars))
        qunsetenv(qPrintable(name));
    m_faultVars.clear();
    MyCommon::getInstance()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
    tearDown();
}

QStringList TestToolFaults::dump(const QString& name)
{
    ui->LEDT_DUMP_FILENAME->setText(name);
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    return driver.seen;
}

void TestToolFaults::faultyDump_data()
{
    // faults: NAME=VALUE pairs; good: tracks reported read, from track 0 on
    addColumns<QString, int>("faults", "good");
    // Whether the last report shows in the log: the log pane takes a chunk up
    // to its first NUL byte only.
    QTest::addColumn<bool>("logged");
    QTest::newRow("tool missing") << "KESTA_SIM_MISSING=drvdump" << 0 << false;
    QTest::newRow("crash mid-run") << "KESTA_SIM_CRASH_AT=10" << 10 << true;
    QTest::newRow("silent past the limit") << "KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=20" << 20 << true;
    QTest::newRow("garbage and NUL bytes") << "KESTA_SIM_GARBAGE=1" << TRACKS << false;
    QTest::newRow("50 MB of output") << "KESTA_SIM_FLOOD_MB=50" << TRACKS << true;
}

void TestToolFaults::faultyDump()
{
    QFETCH(QString, faults);
    QFETCH(int, good);
    QFETCH(bool, logged);
    MyCommon* common = MyCommon::getInstance();
    // Written before the run, and an image of an earlier dump: both must stay.
    common->SetSettingString("CONVERT/MAKEHVR", "written before");
    QFile earlier(imagePath("earlier"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier image");
    earlier.close();

    common->SetCommandSilenceLimit(1500);
    for (const QString& pair : faults.split(' ')) {
        m_faultVars << pair.section('=', 0, 0);
        qputenv(qPrintable(m_faultVars.last()), pair.section('=', 1).toUtf8());
    }
    QCOMPARE(dump("game"), CLEAN_RUN);
    QTRY_VERIFY(!common->isInputGuard());
    QVERIFY(!m_window->findChild<QProgressDialog*>());

    // The map: what was reported, nothing more.
    for (int track = 0; track < TRACKS; ++track)
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(track), track < good ? 1 : 0);
    const QString log = ui->EDT_LOG_DISPLAY->toPlainText();
    QVERIFY(!log.contains(QChar(0)) && !log.contains(QChar(0x1B)));
    if (logged)
        QVERIFY(log.contains(QString::asprintf("P(T%03d C%02d H%d) read ok", good - 1, (good - 1) / 2, (good - 1) % 2)));
    QVERIFY(!log.contains(QString::asprintf("T%03d C", good)));
    if (good > 0 && good < TRACKS)
        QCOMPARE(trackStatus(imagePath("game"), good - 1), 1); // read before the fault, kept

    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value("CONVERT/MAKEHVR").toString(), QString("written before"));
    QFile check(imagePath("earlier"));
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("an earlier image"));

    // The window goes on working: a clean dump right after.
    for (const QString& name : qAsConst(m_faultVars))
        qunsetenv(qPrintable(name));
    ui->EDT_LOG_DISPLAY->clear();
    QCOMPARE(dump("again"), CLEAN_RUN);
    QTRY_VERIFY(!common->isInputGuard());
    for (int track = 0; track < TRACKS; ++track)
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(track), 1);
}

QTEST_MAIN(TestToolFaults)
#include "tst_toolfaults.moc"
