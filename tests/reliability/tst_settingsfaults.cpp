#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>
#include <memory>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "qtcompat.h"
#include "table.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString storedValue(const QString& path, const QString& key)
{
    QSettings file(path, QSettings::IniFormat);
    return file.value(key, QStringLiteral("absent")).toStringList().join(',');
}

int g_failedWrites = 0;
QtMessageHandler g_previousHandler = nullptr;
void countFailedWrites(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    g_failedWrites += text.contains(QLatin1String("settings write failed"));
    g_previousHandler(type, context, text);
}

bool expect(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "FAILED: %s\n", what);
    return ok;
}

// In a private mount namespace: the settings on a 64 KiB tmpfs, the disk
// filled, a write refused, then space again; last, a writer killed after the
// new file is written and before it replaces the old one.
int fullDisk(const QString& dir)
{
    QDir().mkpath(dir);
    if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k") != 0) {
        std::fprintf(stderr, "no tmpfs can be mounted here: %s\n", std::strerror(errno));
        return 77;
    }
    QDir().mkpath(dir + "/tmp");
    qputenv("TMPDIR", QFile::encodeName(dir + "/tmp")); // the working copy shares the full disk
    const QString path = dir + "/KESTAcon.ini";
    common()->OpenSettingInstance(path);
    for (int i = 0; i < 32; ++i)
        common()->SetSettingStringList(QString("DUMP/%1").arg(i), {QString("name/%1").arg(i), QString(300, 'x')});
    const QByteArray before = bytesOf(path);
    QStringList notices;
    QObject::connect(common(), &MyCommon::userNotice, [&](const QString&, const QString& text) { notices << text; });
    QFile fill(dir + "/fill");
    fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    while (fill.write(QByteArray(1024, 'f')) == 1024) {
    }
    common()->SetSettingString("CONVERT/EXT", ".D88");
    bool ok = expect(before.size() > 10000 && bytesOf(path) == before, "the full disk changed the file");
    ok &= expect(notices.size() == 1 && notices.value(0).startsWith("Settings cannot be saved.\n" + path + "\n"),
                 qPrintable("notice: " + notices.join('|')));
    fill.resize(0);
    common()->SetSettingString("CONVERT/MAKEHVR", "after");
    ok &= expect(storedValue(path, "CONVERT/EXT") == ".D88" && storedValue(path, "CONVERT/MAKEHVR") == "after" &&
                     storedValue(path, "DUMP/31").startsWith("name/31,x"),
                 "the write after the full disk lost something");
    const QByteArray saved = bytesOf(path);
    QProcess killed;
    killed.start(QCoreApplication::applicationFilePath(), {"--killed-writer", path});
    ok &= expect(killed.waitForFinished(60000) && killed.exitStatus() == QProcess::CrashExit, "writer not killed");
    ok &= expect(bytesOf(path) == saved, "the killed writer changed the file");
    return ok ? 0 : 1;
}

int killedWriter(const QString& path)
{
    common()->OpenSettingInstance(path);
    MyCommon::SetSettingsCommitHookForTest([] { ::raise(SIGKILL); });
    common()->SetSettingString("CONVERT/EXT", ".KILLED");
    return 0;
}

} // namespace

// The settings store: typed reads and writes, folders and folder policy.
// The settings file in every shape a user, an old backup, a full disk or a
// power cut can leave it in.  The window starts on what it can read and
// defaults for the rest, keeps aside what it could not read, tells the user,
// and never leaves a torn file.
class TestSettingsFaults : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        c()->DeleteSettingInstance();
        m_env.reset();
    }

    void startUp_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file; "<folder>": a folder; %DIR%: the test's folder
        QTest::addColumn<int>("limit");          // size limit, 0: the real one
        QTest::addColumn<QString>("notice");     // start of what the user is told, "" nothing
        QTest::addColumn<QString>("aside");      // the copy kept of the file, "" none
        QTest::addColumn<QString>("mode");       // emulator mode shown; "MODE|HALFSTEP|VERSION": as stored at start-up
        QTest::addColumn<int>("sets");           // named dump sets loaded
        QTest::addColumn<int>("marks");
        QTest::addColumn<bool>("saves");     // writes reach the file
        QTest::addColumn<bool>("untouched"); // start-up writes nothing
        const QByteArray good = "[SETTING]\nVERSION=1.05\n[CURRENT_FOLDER]\nLASTACCESS_FOLDER_PATH=%DIR%\n"
                                "[DRVEMU]\nMODE=HALFSTEP\n[DUMP]\n0=name/A, DRIVES/0\n32=name/X, DRIVES/0\n40=name/Y\n";
        const QString cannot = "Settings cannot be saved.\n%PATH%\n";
        const bool root = ::geteuid() == 0; // root writes a read-only file anyway
        const auto add = [](const char* name, const QByteArray& content, const char* mode, int sets, int marks,
                            bool untouched, const QString& notice = "", const char* aside = "", bool saves = true,
                            int limit = 0) {
            QTest::newRow(name) << content << limit << notice << QString(aside) << QString(mode) << sets << marks << saves
                                << untouched;
        };
        add("absent", QByteArray(), "NORMAL|absent|1.05", 0, 0, false);
        add("1.04, half step", "[SETTING]\nVERSION=1.04\n[DRVEMU]\nHALFSTEP=true\n", "HALFSTEP|absent|1.05", 0, 0, false);
        add("1.04, no half step", "[SETTING]\nVERSION=1.04\n[DRVEMU]\nHALFSTEP=false\n", "NORMAL|absent|1.05", 0, 0, false);
        add("1.05 untouched", "[SETTING]\nVERSION=1.05\n[DRVEMU]\nHALFSTEP=true\nMODE=PC-9821\n", "PC-9821|true|1.05", 0, 0,
            false);
        add("empty", "", "NORMAL", 0, 0, false);
        add("current", good, "HALFSTEP", 1, 0, true);
        add("read-only", good, "HALFSTEP", 1, 0, true, root ? "" : cannot, "", root);
        add("a folder in its place", "<folder>", "NORMAL", 0, 0, false, cannot, "", false);
        QByteArray noise(4096, '\0');
        QRandomGenerator random(11);
        for (char& c : noise)
            c = char(random.bounded(256));
        add("random bytes", noise, "NORMAL", 0, 0, false);
        add("truncated in a line", good + "1=name/B, CYLI", "HALFSTEP", 2, 0, true);
        add("truncated in a key", good.left(good.indexOf("0=")) + "0=na", "HALFSTEP", 0, 0, true);
        add("hand-edited slots", "[DUMP]\n0=name/A, DRIVES/0\n1=noslash, CYLINDERS/80\n2=name/C, , /x, DRIVES, //\n"
            "3=name/D\n4=name/E, DRIVES/1\n", "NORMAL", 3, 0, false);
        add("stray quote", QByteArray("[SETTING]\nVERSION=1.05\n[CONVERT]\nMAKEHVR=\"BLANK\n") + good.mid(23), "NORMAL", 0,
            0, false, "The settings file is damaged: CURRENT_FOLDER, DRVEMU, DUMP could not", ".damaged");
        add("too large", good + "[PAD]\n" + QByteArray(5000, 'p') + "=1\n", "NORMAL", 0, 0, false,
            "The settings file is too large (5", ".too-large", true, 4096);
        add("relative folders", "[CURRENT_FOLDER]\nNO=2\nLASTACCESS_FOLDER_PATH=-t5\nSPECIFIED_FOLDER_PATH=a/b\n"
            "[FOLDER_MARK]\n0=rel\n1=%DIR%\n", "NORMAL", 0, 1, false);
    }

    void startUp()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, notice);
        QFETCH(QString, aside);
        QFETCH(QString, mode);
        QFETCH(bool, saves);
        TestEnv& env = *m_env;
        const QString path = env.settingsPath();
        MyCommon::SetApplicationInifilePathForTest(path);
        MyCommon::SetSettingsSizeLimitForTest(row<int>("limit") ? row<int>("limit") : MyCommon::SETTINGS_SIZE_LIMIT);
        content.replace("%DIR%", env.path().toUtf8());
        notice.replace("%PATH%", path);
        if (content == "<folder>") {
            QVERIFY(QDir().mkpath(path));
        } else if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
            if (QTest::currentDataTag() == QLatin1String("read-only"))
                QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        QSignalSpy told(common(), &MyCommon::userNotice);
        for (int i = 0; QTest::currentDataTag() == QLatin1String("relative folders") && i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not an absolute folder"));
        if (!g_previousHandler)
            g_previousHandler = qInstallMessageHandler(countFailedWrites);
        {
            MainWindow window;
            Ui::MainWindow* ui = window.form();
            QCOMPARE(ui->BTN_DRVEMU_MODE->currentText(), mode.section('|', 0, 0));
            if (mode.contains('|')) // an old file is upgraded, a current one kept
                QCOMPARE(storedValue(path, "DRVEMU/MODE") + '|' + storedValue(path, "DRVEMU/HALFSTEP") + '|' +
                             storedValue(path, "SETTING/VERSION"), mode);
            QCOMPARE(ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count(), row<int>("sets"));
            QCOMPARE(MarkManage::getInstance()->Count(), row<int>("marks"));
            QCOMPARE(common()->GetSettingString("CONVERT/EXT"), QString(".DIM"));
            if (!aside.isEmpty())
                QCOMPARE(bytesOf(path + aside), content);
            if (row<bool>("untouched"))
                QCOMPARE(bytesOf(path), content);
            // Never a relative folder: the start folder instead.
            QVERIFY(QDir::isAbsolutePath(common()->Settings().m_lastAccessFolder) ||
                    common()->Settings().m_lastAccessFolder.isEmpty());
            QVERIFY(common()->Settings().m_specifiedFolder != "a/b");
            g_failedWrites = 0;
            common()->SetSettingString("CONVERT/EXT", ".D88");
            common()->SetSettingString("CONVERT/EXT", ".D77");
            window.on_settingsChanged_Dump();
            QVERIFY(saves ? g_failedWrites == 0 : g_failedWrites >= 2); // every one logged
            QCOMPARE(told.count(), notice.isEmpty() ? 0 : 1); // told once
            if (!notice.isEmpty()) {
                QVERIFY2(told.at(0).at(1).toString().startsWith(notice), qPrintable(told.at(0).at(1).toString()));
                QTRY_VERIFY(window.findChild<QMessageBox*>() && window.findChild<QMessageBox*>()->isVisible());
            }
            QCOMPARE(storedValue(path, "CONVERT/EXT"), QString(saves ? ".D77" : "absent"));
            if (saves) // slots beyond the 32 kept are gone
                QCOMPARE(storedValue(path, "DUMP/32") + storedValue(path, "DUMP/40"), QString("absentabsent"));
        }
        MyCommon::SetSettingsSizeLimitForTest(MyCommon::SETTINGS_SIZE_LIMIT);
        common()->DeleteSettingInstance();
        MarkManage::getInstance()->AllClear();
    }

    void fullDisk()
    {
        const QString unshare = QStandardPaths::findExecutable("unshare");
        if (::geteuid() != 0 || unshare.isEmpty())
            QSKIP("a private tmpfs needs root and unshare");
        TestEnv& env = *m_env;
        QProcess helper;
        helper.setProcessChannelMode(QProcess::MergedChannels);
        helper.start(unshare, {"--mount", "--propagation", "private", QCoreApplication::applicationFilePath(),
                               "--full-disk", env.path("disk")});
        QVERIFY(helper.waitForFinished(120000));
        const QByteArray output = helper.readAll();
        if (helper.exitCode() == 77)
            QSKIP(output.constData());
        QVERIFY2(helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0, output.constData());
    }

    // What the file holds reads back typed without a write, and a write of it reaches the file at once.
    void readAndWrite_data()
    {
        addColumns<QString, QString, QString, QVariant>("fileText", "key", "type", "expected"); // fileText null: no file
        QTest::newRow("absent string default") << QString() << "DRVEMU/MODE" << "string" << QVariant("NORMAL");
        QTest::newRow("int") << "[MODE]\nNO=1\n" << "MODE/NO" << "int" << QVariant(1);
        QTest::newRow("text read as int") << "[MODE]\nNO=abc\n" << "MODE/NO" << "int" << QVariant(0);
        QTest::newRow("bool") << "[STARTUP]\nSTARTUP=true\n" << "STARTUP/STARTUP" << "bool" << QVariant(true);
        QTest::newRow("utf8 path") << "[CURRENT_FOLDER]\nLASTACCESS_FOLDER_PATH=/home/pi/ディスク\n"
                                   << "CURRENT_FOLDER/LASTACCESS_FOLDER_PATH" << "string"
                                   << QVariant(QString::fromUtf8("/home/pi/ディスク"));
        QTest::newRow("list") << "[DUMP]\n0=name/A, DRIVES/0\n" << "DUMP/0" << "list"
                              << QVariant(QStringList{"name/A", "DRIVES/0"});
        QTest::newRow("single element list") << "[DUMP]\n0=name/A\n" << "DUMP/0" << "list"
                                             << QVariant(QStringList{"name/A"});
    }

    void readAndWrite()
    {
        QFETCH(QString, fileText);
        QFETCH(QString, key);
        QFETCH(QString, type);
        const QString path = m_env->settingsPath();
        QFile file(path);
        QVERIFY(fileText.isNull() || (file.open(QIODevice::WriteOnly) && file.write(fileText.toUtf8()) > 0));
        file.close();
        m_env->openSettings();
        const quint64 writes = c()->SettingWriteCount();
        const QVariant value = type == "string" ? QVariant(c()->GetSettingString(key))
                             : type == "int"    ? QVariant(c()->GetSettingInt(key))
                             : type == "bool"   ? QVariant(c()->GetSettingBool(key))
                                                : QVariant(c()->GetSettingStringList(key));
        QTEST(value, "expected");
        QCOMPARE(c()->SettingWriteCount(), writes); // a read never writes
        QCOMPARE(QFile::exists(path), !fileText.isNull());

        c()->DeleteSettingInstance();
        QFile::remove(path);
        c()->OpenSettingInstance(path);
        type == "string" ? c()->SetSettingString(key, value.toString())
        : type == "int"  ? c()->SetSettingInt(key, value.toInt())
        : type == "bool" ? c()->SetSettingBool(key, value.toBool())
                         : c()->SetSettingStringList(key, value.toStringList());
        QSettings other(path, QSettings::IniFormat);
        QtCompat::UseUtf8(other);
        if (type == "list")
            QCOMPARE(other.value(key).toStringList(), value.toStringList());
        else
            QCOMPARE(other.value(key).toString(), value.toString());
        c()->RemoveSettingString(key);
        QVERIFY(!QSettings(path, QSettings::IniFormat).contains(key));
    }

    void getFolderPath_data()
    {
        // relative: below the test folder; "" for the empty path; expected: below the test folder
        addColumns<QString, QString>("relative", "expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("existing file") << "x/y/file.HVR" << "x/y";
        QTest::newRow("folder with slash") << "x/y/" << "x/y";
        QTest::newRow("name repeated in path") << "d/x/d" << "d/x";
        QTest::newRow("missing file") << "x/y/none.HVR" << "x/y/none.HVR";
    }

    void getFolderPath()
    {
        QFETCH(QString, relative);
        const QString base = m_env->path();
        QDir(base).mkpath("x/y");
        QDir(base).mkpath("d/x");
        QFile(base + "/x/y/file.HVR").open(QIODevice::WriteOnly);
        QFile(base + "/d/x/d").open(QIODevice::WriteOnly);
        const auto full = [&](const QString& name) { return name.isEmpty() ? QString() : base + "/" + name; };
        QCOMPARE(MyCommon::GetFolderPath(full(relative)), full(row<QString>("expected")));
    }

    void folderPolicy_data()
    {
        addColumns<int, QString, QString>("policy", "specified", "expected");
        QTest::newRow("last access") << 0 << "/chosen" << "/last";
        QTest::newRow("application") << 1 << "/chosen" << QCoreApplication::applicationDirPath();
        QTest::newRow("specified") << 2 << "/chosen" << "/chosen";
        QTest::newRow("unknown") << 7 << "/chosen" << "";
    }

    void folderPolicy()
    {
        m_env->openSettings();
        KESTAconSettings& record = c()->Settings();
        record.m_currentFolderPolicy = row<int>("policy");
        record.m_specifiedFolder = row<QString>("specified");
        record.m_lastAccessFolder = "/last";
        QTEST(record.GetSelectedCurrentFolderPath(), "expected");
        // Full paths are always made in the last access folder.
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath(""), QString());
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath("a.HVR"), QString("/last/a.HVR"));
        record.InitializeSettings();
    }

private:
    std::unique_ptr<TestEnv> m_env;
    MyCommon* c() { return MyCommon::getInstance(); }
};

int main(int argc, char** argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "--full-disk") == 0 || qstrcmp(argv[1], "--killed-writer") == 0)) {
        QCoreApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        return argv[1][2] == 'f' ? fullDisk(path) : killedWriter(path);
    }
    QApplication app(argc, argv);
    TestSettingsFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
