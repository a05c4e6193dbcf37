#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include "diskoperationdriver.h"
#include "drvargs.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

const QString DUMPING = QString::fromUtf8("ダンプ中");
const QString WARNING = QStringLiteral("warning:Warning./Not a valid file name.");

// Status byte of a track record in one of the simulator's 2HD images.
int trackStatus(const QString& image, int track)
{
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(512 + qint64(track) * (1 + 8192)))
        return -1;
    char status = 0;
    return file.getChar(&status) ? int(status) : -1;
}

DrvArgs::DumpPanel dumpPanel(const QString& settings)
{
    QMap<QString, QString> v;
    for (const QString& pair : settings.split(' ', Qt::SkipEmptyParts))
        v.insert(pair.section('=', 0, 0), pair.section('=', 1));
    auto get = [&v](const char* key) { return v.value(key, MyCommon::NOT_GIVEN); };
    DrvArgs::DumpPanel p;
    p.drive = get("drive");
    p.cylinders = get("cylinders");
    p.heads = get("heads");
    p.density = get("density");
    p.begin = get("begin");
    p.end = get("end");
    p.steps = get("steps");
    p.format = get("format");
    p.pin1 = get("pin1");
    p.pin2 = get("pin2");
    p.pin3 = get("pin3");
    p.retry = get("retry");
    return p;
}

} // namespace

class TestDumpOperation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void arguments_data();
    void arguments();
    void dumpRun_data();
    void dumpRun();
    void overwritePolicy_data();
    void overwritePolicy();
    void warningsStartNothing_data();
    void warningsStartNothing();
    void simulatedDump_data();
    void simulatedDump();
    void logPaneAfterRun();
    void redumpKeepsItsImage_data();
    void redumpKeepsItsImage();
    void cancelSilentRedumpInFiveRuns();
    void inputGuardRefuses_data();
    void inputGuardRefuses();
    void queuedTapsMeetTheGuard();

private:
    // drvdump (or another tool) that logs its arguments and runs the simulator.
    void wrapSimTool(const QString& name);
    QStringList runsOf(const QString& tool) const;
    QString imagePath(const QString& name) const { return m_folder + '/' + name + ".HVR"; }
    // A real dump of drive 0, cylinders 0 to 39, with the given bad tracks.
    void dumpWithBadTracks(const QByteArray& bad);

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
    QString m_folder;
};

void TestDumpOperation::init()
{
    m_env = new TestEnv(true);
    qputenv("KESTA_SIM_TRACK_MS", "0");
    for (const char* name : {"KESTA_SIM_WEAK", "KESTA_SIM_BAD", "KESTA_SIM_SILENCE_MS", "KESTA_SIM_SILENCE_AT"})
        qunsetenv(name);
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
    m_window = new MainWindow;
    ui = m_window->form();
    m_window->show();
    m_folder = m_env->path("images");
    QDir().mkpath(m_folder);
    m_window->CurrentPathChangedAll(m_folder, false);
    ui->LEDT_DUMP_FILENAME->setText("game");
}

void TestDumpOperation::cleanup()
{
    delete m_window;
    MyCommon::getInstance()->SetInputGuard(false);
    MyCommon::getInstance()->DeleteSettingInstance();
    delete m_env;
}

void TestDumpOperation::wrapSimTool(const QString& name)
{
    m_env->writeScript(name, QStringLiteral("echo \"%1 $*\" >> \"$KESTA_STUB_LOG\"\nexec '%2/%1' \"$@\"")
                                 .arg(name, TestEnv::simBinDir()));
}

QStringList TestDumpOperation::runsOf(const QString& tool) const
{
    return m_env->stubLog().filter(QRegularExpression("^" + tool + "( |$)"));
}

void TestDumpOperation::dumpWithBadTracks(const QByteArray& bad)
{
    wrapSimTool("drvdump");
    qputenv("KESTA_SIM_BAD", bad);
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    QCOMPARE(driver.seen, (QStringList{"busy:" + DUMPING, "complete guard=1"}));
    QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
    qunsetenv("KESTA_SIM_BAD");
    m_env->clearStubLog();
}

void TestDumpOperation::arguments_data()
{
    QTest::addColumn<QString>("panel"); // buttons not named show "---"
    QTest::addColumn<int>("track");     // -1: a whole dump
    QTest::addColumn<QStringList>("expected");
    const QString path = "/home/pi/game.HVR";
    QTest::newRow("drive, cylinders, retry") << "drive=0 cylinders=80 retry=3" << -1
                                             << QStringList{"-i", "0", "-c", "80", "-r", "3", path};
    QTest::newRow("all ---") << "drive=1" << -1 << QStringList{"-i", "1", path};
    QTest::newRow("begin without end") << "drive=0 begin=5" << -1 << QStringList{"-i", "0", "-b", "5", path};
    QTest::newRow("every option, three pins")
        << "drive=0 cylinders=80 heads=2 density=high begin=0 end=79 steps=1 format=raw pin1=2 pin2=4 pin3=12 retry=5"
        << -1
        << QStringList{"-i", "0", "-c", "80", "-h", "2", "-d", "high", "-b", "0", "-e", "79", "-s", "1", "-f", "raw",
                       "-p2", "-p4", "-p12", "-r", "5", path};
    QTest::newRow("second pin only") << "drive=0 format=encode pin2=12 retry=3" << -1
                                     << QStringList{"-i", "0", "-f", "encode", "-p12", "-r", "3", path};
    QTest::newRow("re-dump") << "drive=1 cylinders=80 pin1=2 retry=5" << 17
                             << QStringList{"-i", "1", "-r", "5", "-t", "17", path};
    QTest::newRow("re-dump, retry ---") << "drive=0 begin=3" << 40 << QStringList{"-i", "0", "-t", "40", path};
}

void TestDumpOperation::arguments()
{
    QFETCH(QString, panel);
    QFETCH(int, track);
    QFETCH(QStringList, expected);
    const DrvArgs::DumpPanel p = dumpPanel(panel);
    const QString path = "/home/pi/game.HVR";
    QCOMPARE(track < 0 ? DrvArgs::Dump(p, path) : DrvArgs::ReDumpTrack(DrvArgs::ReDumpBase(p.drive, p.retry), track, path),
             expected);
}

void TestDumpOperation::dumpRun_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain name") << "disk1";
    QTest::newRow("typed with its extension") << "disk1.HVR";
    QTest::newRow("blanks only") << "   ";
}

void TestDumpOperation::dumpRun()
{
    QFETCH(QString, name);
    m_env->writeRecorder("drvdump"); // no progress reports at all
    ui->LEDT_DUMP_FILENAME->setText(name);
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();

    QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -c 40 -h 2 -d double -b 0 -e 39 -s 1 -f encode -r 3 " +
                                            imagePath(name)});
    QCOMPARE(driver.seen, (QStringList{"busy:" + DUMPING, "complete guard=1"}));
    QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
    // Nothing reported: every track of the range is still to do.
    QCOMPARE(ui->WDT_DUMPSTATUS->Mode(), 0);
    QCOMPARE(ui->WDT_DUMPSTATUS->GetErrorAndTargetTrack(0, nullptr), 80);
    QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(80), int(MyGraphicalDumpDisplay::STATE_NON_TARGET));
    QVERIFY(ui->BTN_REDUMP->isEnabled());
    QCOMPARE(ui->BTN_REDUMP->styleSheet(), MyCommon::REDUMP_STYLE_HIGHLIGHT);
    QVERIFY(!m_window->findChild<QProgressDialog*>());
}

void TestDumpOperation::overwritePolicy_data()
{
    QTest::addColumn<QString>("policy");
    QTest::addColumn<bool>("setting");
    QTest::addColumn<bool>("kept");
    QTest::newRow("overwrite") << "overwrite" << false << false;
    QTest::newRow("SETTING, flag on") << "SETTING" << true << false;
    QTest::newRow("SETTING, flag off") << "SETTING" << false << true;
    QTest::newRow("followKESTA") << "followKESTA" << true << true;
}

void TestDumpOperation::overwritePolicy()
{
    QFETCH(QString, policy);
    QFETCH(bool, setting);
    QFETCH(bool, kept);
    m_env->writeRecorder("drvdump");
    MyCommon::getInstance()->SetSettingBool("OVERWRITE/OVERWRITE", setting);
    ui->BTN_DUMP_OVERWRITE->setCurrentText(policy);
    QFile old(imagePath("game"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old image");
    old.close();

    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    QCOMPARE(QFile::exists(imagePath("game")), kept);
    QCOMPARE(runsOf("drvdump").size(), 1); // started with the path either way
    QVERIFY(runsOf("drvdump").first().endsWith(imagePath("game")));
}

void TestDumpOperation::warningsStartNothing_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::newRow("dump, no folder") << false << "game" << "BTN_DUMP";
    QTest::newRow("dump, no name") << true << "" << "BTN_DUMP";
    QTest::newRow("re-dump, no image yet") << true << "game" << "BTN_REDUMP";
}

void TestDumpOperation::warningsStartNothing()
{
    QFETCH(bool, folder);
    QFETCH(QString, name);
    QFETCH(QString, button);
    m_env->writeRecorder("drvdump");
    if (!folder)
        MyCommon::getInstance()->Settings().m_lastAccessFolder.clear();
    ui->LEDT_DUMP_FILENAME->setText(name);
    ui->WDT_DUMPSTATUS->InitialTrackState(0, 3, 3, 3, 40);
    m_window->SetReDumpBtnEnabled(true);

    DiskOperationDriver driver;
    m_window->findChild<QPushButton*>(button)->click();
    QCOMPARE(driver.seen, QStringList{WARNING});
    QCOMPARE(m_env->stubLog(), QStringList{});
    QVERIFY(ui->BTN_REDUMP->isEnabled());
    int tracks[MyGraphicalDumpDisplay::TRACK_COUNT];
    QCOMPARE(ui->WDT_DUMPSTATUS->GetErrorAndTargetTrack(0, tracks), 2);
    QCOMPARE(tracks[0], 6);
    QVERIFY(!MyCommon::getInstance()->isInputGuard());
    QVERIFY(!QFile::exists(imagePath("game")));
}

void TestDumpOperation::simulatedDump_data()
{
    QTest::addColumn<QByteArray>("weak");
    QTest::addColumn<QByteArray>("bad");
    QTest::newRow("clean disk") << QByteArray() << QByteArray();
    QTest::newRow("two weak tracks, one bad") << QByteArray("5:2,17:2") << QByteArray("40");
}

void TestDumpOperation::simulatedDump()
{
    QFETCH(QByteArray, weak);
    QFETCH(QByteArray, bad);
    wrapSimTool("drvdump");
    qputenv("KESTA_SIM_WEAK", weak);
    qputenv("KESTA_SIM_BAD", bad);
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    qunsetenv("KESTA_SIM_WEAK");
    qunsetenv("KESTA_SIM_BAD");
    QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());

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
    QVERIFY(ui->EDT_LOG_DISPLAY->toPlainText().contains("T079 C39 H1"));
    QCOMPARE(trackStatus(imagePath("game"), 40), bad.isEmpty() ? 1 : 3);

    // REDUMP re-reads what failed, now that the disk reads again.
    m_env->clearStubLog();
    driver.seen.clear();
    m_window->on_BTN_REDUMP_clicked();
    if (bad.isEmpty()) {
        QCOMPARE(driver.seen, QStringList{});
        QCOMPARE(m_env->stubLog(), QStringList{});
        return;
    }
    QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -r 3 -t 40 " + imagePath("game")});
    QCOMPARE(driver.seen, (QStringList{"busy:" + DUMPING, "complete guard=1"}));
    QCOMPARE(map->TrackState(40), 1);
    QCOMPARE(map->TrackState(5), 2);
    QVERIFY(!ui->BTN_REDUMP->isEnabled());
    QCOMPARE(trackStatus(imagePath("game"), 40), 1);
}

void TestDumpOperation::logPaneAfterRun()
{
    m_env->writeScript("drvdump", "printf '\\033[2KP(T000 C00 H0) read ok\\n\\033[2KP(T001 C00 H1) read ok\\n'");
    ui->EDT_LOG_DISPLAY->setPlainText("earlier");
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText(), QString("earlier\nP(T000 C00 H0) read ok\nP(T001 C00 H1) read ok"));
    QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(0), 1);
    QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(1), 1);
    QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(2), 0);
}

void TestDumpOperation::redumpKeepsItsImage_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("newFolder");
    QTest::addColumn<bool>("newDrive");
    QTest::newRow("name changed") << "other" << false << false;
    QTest::newRow("folder changed") << "game" << true << false;
    QTest::newRow("name cleared") << "" << false << false;
    QTest::newRow("drive changed") << "game" << false << true;
}

void TestDumpOperation::redumpKeepsItsImage()
{
    QFETCH(QString, newName);
    QFETCH(bool, newFolder);
    QFETCH(bool, newDrive);
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
    if (newDrive)
        ui->BTN_DUMP_DRIVE->setCurrentText("1");

    DiskOperationDriver driver;
    ui->BTN_REDUMP->click();
    // Same image, same drive as the dump that filled the map.
    QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -r 3 -t 40 " + image});
    if (newFolder || newName != "game")
        QVERIFY(DiskOperationDriver::logged("has changed since the dump"));
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"game.HVR"});
    QVERIFY(!QFile::exists(elsewhere + "/game.HVR"));
    QCOMPARE(trackStatus(image, 40), 1);
}

void TestDumpOperation::cancelSilentRedumpInFiveRuns()
{
    dumpWithBadTracks("10,11,12,13,14");
    if (QTest::currentTestFailed())
        return;
    m_env->writeScript("pkill", QStringLiteral("exec '%1/pkill' \"$@\"").arg(KESTA_STUB_DIR));
    // The second run falls silent for a minute, twice the runner's limit.
    qputenv("KESTA_SIM_BAD", "10,11,12,13,14");
    qputenv("KESTA_SIM_SILENCE_MS", "60000");
    qputenv("KESTA_SIM_SILENCE_AT", "11");

    DiskOperationDriver driver;
    QElapsedTimer sinceCancel;
    driver.onBusy = [&](QProgressDialog* busy) {
        const bool running = !QDir(m_env->simDir() + "/pids").entryList({"drvdump.*"}, QDir::Files).isEmpty();
        if (!sinceCancel.isValid() && runsOf("drvdump").size() == 2 && running) {
            sinceCancel.start();
            busy->findChild<QPushButton*>()->click();
        }
    };
    ui->BTN_REDUMP->click();

    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 20000, "the silent tool was waited for");
    QCOMPARE(runsOf("drvdump"), (QStringList{"drvdump -i 0 -r 3 -t 10 " + imagePath("game"),
                                             "drvdump -i 0 -r 3 -t 11 " + imagePath("game")}));
    QCOMPARE(runsOf("pkill"), (QStringList{"pkill drvdump", "pkill drvrestore", "pkill drvunformat"}));
    QCOMPARE(driver.seen, (QStringList{"busy:" + DUMPING, "complete guard=1"}));
    QVERIFY(ui->BTN_REDUMP->isEnabled());
    QVERIFY(DiskOperationDriver::logged("void MainWindow::on_ProgressCanceled()"));
    QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
}

void TestDumpOperation::inputGuardRefuses_data()
{
    QTest::addColumn<QString>("slot");
    for (const char* slot : {"on_BTN_DUMP_clicked", "on_BTN_REDUMP_clicked", "on_BTN_DUMP_FILESELECT_clicked",
                             "on_BTN_RESTORE_clicked", "on_BTN_RESTORE_FILESELECT_clicked", "on_BTN_UNFORMAT_clicked",
                             "on_BTN_DRVINFO_clicked"})
        QTest::newRow(slot) << slot;
}

void TestDumpOperation::inputGuardRefuses()
{
    QFETCH(QString, slot);
    for (const char* tool : {"drvdump", "drvrestore", "drvunformat", "drvinfo"})
        m_env->writeRecorder(tool);
    QFile(imagePath("game")).open(QIODevice::WriteOnly);
    ui->LEDT_RESTORE_FILENAME->setText("game.HVR");
    QCoreApplication::postEvent(m_window, new QEvent(QEvent::Type(MyCommon::EVENT_INPUT_GUARD_ON)));
    QTRY_VERIFY(MyCommon::getInstance()->isInputGuard());

    DiskOperationDriver driver;
    QVERIFY(QMetaObject::invokeMethod(m_window, slot.toLatin1().constData()));
    const QStringList refusals = driver.debugLog().filter("void MainWindow::" + slot + "()");
    QCOMPARE(refusals.size(), 1);
    QVERIFY(refusals.first().endsWith(" INPUT GUARD!!"));
    QCOMPARE(driver.seen, QStringList{});
    QCOMPARE(m_env->stubLog(), QStringList{});
}

void TestDumpOperation::queuedTapsMeetTheGuard()
{
    wrapSimTool("drvdump");
    auto queueTap = [this]() { QMetaObject::invokeMethod(ui->BTN_DUMP, "click", Qt::QueuedConnection); };
    // One tap arrives while the tool writes, one while "Completed." is up.
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
    QCOMPARE(driver.seen, (QStringList{"busy:" + DUMPING, "complete guard=1"}));
}

QTEST_MAIN(TestDumpOperation)
#include "tst_dumpoperation.moc"
