#include <QDir>
#include <QFile>
#include <QtTest>

#include "diskoperationdriver.h"
#include "drvargs.h"
#include "fdimageselector.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

const QString WARNING = QStringLiteral("warning:Warning./Not a valid file name.");

QMap<QString, QString> values(const QString& settings)
{
    QMap<QString, QString> v;
    for (const QString& pair : settings.split(' ', Qt::SkipEmptyParts))
        v.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return v;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRestoreOperation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void arguments_data();
    void arguments();
    void restoreRefusesBadNames_data();
    void restoreRefusesBadNames();
    void restoreAndDumpBack();
    void unformat_data();
    void unformat();
    void drvinfoShowsOnlyTheLastRun();
    void browse_data();
    void browse();

private:
    void wrapSimTool(const QString& name);
    QStringList runsOf(const QString& tool) const;
    void setButtons(const QString& settings);

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
    QString m_folder;
};

void TestRestoreOperation::init()
{
    m_env = new TestEnv(true);
    qputenv("KESTA_SIM_TRACK_MS", "0");
    qunsetenv("KESTA_SIM_BAD");
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
    m_window = new MainWindow;
    ui = m_window->form();
    m_window->show();
    m_folder = m_env->path("images");
    QDir().mkpath(m_folder);
    m_window->CurrentPathChangedAll(m_folder, false);
}

void TestRestoreOperation::cleanup()
{
    delete m_window;
    MyCommon::getInstance()->SetInputGuard(false);
    MyCommon::getInstance()->DeleteSettingInstance();
    delete m_env;
}

void TestRestoreOperation::wrapSimTool(const QString& name)
{
    m_env->writeScript(name, QStringLiteral("echo \"%1 $*\" >> \"$KESTA_STUB_LOG\"\nexec '%2/%1' \"$@\"")
                                 .arg(name, TestEnv::simBinDir()));
}

QStringList TestRestoreOperation::runsOf(const QString& tool) const
{
    return m_env->stubLog().filter(QRegularExpression("^" + tool + "( |$)"));
}

// "BTN_X=value ...": sets the named parameter buttons.
void TestRestoreOperation::setButtons(const QString& settings)
{
    const QMap<QString, QString> v = values(settings);
    for (auto it = v.cbegin(); it != v.cend(); ++it)
        m_window->findChild<MyParameterButton*>(it.key())->setCurrentText(it.value());
}

void TestRestoreOperation::arguments_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("panel"); // buttons not named show "---"
    QTest::addColumn<QStringList>("expected");
    const QString path = "/home/pi/game.HVR";
    QTest::newRow("restore, drive and disk") << "drvrestore" << "drive=0 diskNo=1"
                                             << QStringList{"-i", "0", "-n", "1", path};
    QTest::newRow("restore, every option")
        << "drvrestore" << "drive=1 diskNo=0 cylinders=80 heads=2 begin=10 end=12 steps=2 flag=1 pin1=2 pin2=4 pin3=12"
        << QStringList{"-i", "1", "-n", "0", "-c", "80", "-h", "2", "-b", "10", "-e", "12", "-s", "2", "-u", "1",
                       "-p2", "-p4", "-p12", path};
    QTest::newRow("restore, all ---") << "drvrestore" << "" << QStringList{path};
    QTest::newRow("unformat, every option") << "drvunformat" << "drive=1 cylinders=40 heads=2 steps=1 pin1=4 pin3=2"
                                            << QStringList{"-i", "1", "-c", "40", "-h", "2", "-s", "1", "-p4", "-p2"};
    QTest::newRow("unformat, no cylinders") << "drvunformat" << "drive=0 heads=1"
                                            << QStringList{"-i", "0", "-h", "1"};
    QTest::newRow("drvinfo, drive and pins") << "drvinfo" << "drive=0 cylinders=40 heads=2 pin1=2 pin2=12"
                                             << QStringList{"-i", "0", "-p2", "-p12"};
    QTest::newRow("drvinfo, all ---") << "drvinfo" << "" << QStringList{};
}

void TestRestoreOperation::arguments()
{
    QFETCH(QString, tool);
    QFETCH(QString, panel);
    QFETCH(QStringList, expected);
    const QMap<QString, QString> v = values(panel);
    auto get = [&v](const char* key) { return v.value(key, MyCommon::NOT_GIVEN); };
    const QString path = "/home/pi/game.HVR";
    if (tool == "drvrestore") {
        const DrvArgs::RestorePanel p{get("drive"), get("diskNo"), get("cylinders"), get("heads"),
                                      get("begin"), get("end"),    get("steps"),     get("flag"),
                                      get("pin1"),  get("pin2"),   get("pin3")};
        QCOMPARE(DrvArgs::Restore(p, path), expected);
        return;
    }
    const DrvArgs::UnformatPanel p{get("drive"), get("cylinders"), get("heads"), get("steps"),
                                   get("pin1"),  get("pin2"),      get("pin3")};
    QCOMPARE(tool == "drvinfo" ? DrvArgs::Info(p) : DrvArgs::Unformat(p), expected);
}

void TestRestoreOperation::restoreRefusesBadNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("missing file") << "missing.HVR";
    QTest::newRow("a folder") << "sub";
}

void TestRestoreOperation::restoreRefusesBadNames()
{
    QFETCH(QString, name);
    m_env->writeRecorder("drvrestore");
    QDir(m_folder).mkdir("sub");
    ui->LEDT_RESTORE_FILENAME->setText(name);
    ui->WDT_RESTORESTATUS->InitialTrackState(1, 3, 3, 2, 40);
    DiskOperationDriver driver;
    ui->BTN_RESTORE->click();
    QCOMPARE(driver.seen, QStringList{WARNING});
    QCOMPARE(m_env->stubLog(), QStringList{});
    QCOMPARE(ui->WDT_RESTORESTATUS->GetErrorAndTargetTrack(0, nullptr), 2);
    QVERIFY(!MyCommon::getInstance()->isInputGuard());
}

void TestRestoreOperation::restoreAndDumpBack()
{
    for (const char* tool : {"drvdump", "drvrestore"})
        wrapSimTool(tool);
    setButtons("BTN_DUMP_CYLINDERS=80 BTN_DUMP_END=79");
    ui->LEDT_DUMP_FILENAME->setText("drive0");
    DiskOperationDriver driver;
    ui->BTN_DUMP->click();
    QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
    QVERIFY(!ui->BTN_REDUMP->isEnabled());

    // Onto the disk in drive 1, then read back from there.
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
    const QByteArray original = contents(m_folder + "/drive0.HVR");
    QVERIFY(original.size() > 512);
    QVERIFY(original == contents(m_folder + "/drive1.HVR"));
}

void TestRestoreOperation::unformat_data()
{
    QTest::addColumn<QString>("cylinders");
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("run");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("erased"); // the state of the disk's 80 tracks afterwards
    QTest::newRow("40 cylinders") << "40" << QByteArray() << "drvunformat -i 1 -c 40 -h 2 -s 1" << 4 << 1;
    QTest::newRow("first track fails") << "40" << QByteArray("0") << "drvunformat -i 1 -c 40 -h 2 -s 1" << 4 << 1;
    // No track is a target; the reports of the whole disk raise them to Target.
    QTest::newRow("cylinders ---") << "---" << QByteArray() << "drvunformat -i 1 -h 2 -s 1" << 0 << 0;
}

void TestRestoreOperation::unformat()
{
    QFETCH(QString, cylinders);
    QFETCH(QByteArray, bad);
    QFETCH(QString, run);
    QFETCH(int, rows);
    QFETCH(int, erased);
    wrapSimTool("drvunformat");
    qputenv("KESTA_SIM_BAD", bad);
    setButtons("BTN_UNFORMAT_DRIVE=1 BTN_UNFORMAT_CYLINDERS=" + cylinders);
    DiskOperationDriver driver;
    ui->BTN_UNFORMAT->click();
    qunsetenv("KESTA_SIM_BAD");

    QCOMPARE(runsOf("drvunformat"), QStringList{run});
    QCOMPARE(driver.seen, (QStringList{"busy:" + QString::fromUtf8("アンフォーマット中"), "complete guard=0"}));
    MyGraphicalDumpDisplay* map = ui->WDT_UNFORMATSTATUS;
    QCOMPARE(map->Mode(), 2);
    QCOMPARE(map->Rows(), rows);
    for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track) {
        const int expected = track >= 80 ? -1 : (track == 0 && !bad.isEmpty()) ? 255 : erased;
        QCOMPARE(map->TrackState(track), expected);
    }
}

void TestRestoreOperation::drvinfoShowsOnlyTheLastRun()
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
    QVERIFY(shown.startsWith("drvinfo: drive 1"));
    QVERIFY(shown.contains("KESTA SIM 2D"));
    QVERIFY(!shown.contains("2HD"));
    QVERIFY(!ui->EDT_LOG_DISPLAY->toPlainText().contains("drvinfo"));
    const QString measuring = "busy:" + QString::fromUtf8("計測中");
    QCOMPARE(driver.seen, (QStringList{measuring, "complete guard=0", measuring, "complete guard=0"}));
}

void TestRestoreOperation::browse_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("choice"); // "" cancels the browser
    QTest::addColumn<QString>("name");   // the name field afterwards
    QTest::addColumn<QString>("folder"); // the current folder afterwards
    QTest::newRow("dump, file") << "BTN_DUMP_FILESELECT" << "d/a.b.HVR" << "a" << "d";
    QTest::newRow("dump, folder") << "BTN_DUMP_FILESELECT" << "d" << "kept" << "d";
    QTest::newRow("dump, cancelled") << "BTN_DUMP_FILESELECT" << "" << "kept" << "images";
    QTest::newRow("restore, file") << "BTN_RESTORE_FILESELECT" << "d/x.HVR" << "x.HVR" << "d";
    QTest::newRow("restore, cancelled") << "BTN_RESTORE_FILESELECT" << "" << "kept" << "images";
}

void TestRestoreOperation::browse()
{
    QFETCH(QString, button);
    QFETCH(QString, choice);
    QFETCH(QString, name);
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
    QCOMPARE(field->text(), name);
    const QString expected = m_env->path(folder);
    QCOMPARE(MyCommon::getInstance()->Settings().m_lastAccessFolder, expected);
    QCOMPARE(ui->LEDT_DUMP_PATH->text(), expected);
    QCOMPARE(ui->LEDT_RESTORE_PATH->text(), expected);
    QCOMPARE(ui->WDT_EMU_FDIMAGESELECTOR->GetShownFolder(), expected);
    QCOMPARE(DiskOperationDriver::logged(dump ? "DUMP FILE SELECT:" : "RESTORE FILE SELECT:"), !choice.isEmpty());
}

QTEST_MAIN(TestRestoreOperation)
#include "tst_restoreoperation.moc"
