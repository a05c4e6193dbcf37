#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// The settings file is never torn or swallowed: what the window does with
// the file it finds at start, with a file that cannot take a write, and on a
// full disk, also when it is killed between writing and replacing the file.
class TestSettingsGuard : public QObject
{
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
    void fullDisk();
};

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

void TestSettingsGuard::startUp_data()
{
    QTest::addColumn<QByteArray>("content"); // %DIR%: the test's folder
    QTest::addColumn<int>("limit");          // size limit, 0: the real one
    QTest::addColumn<QString>("notice");     // start of what the user is told, "" nothing
    QTest::addColumn<QString>("aside");      // the copy kept of the file, "" none
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("marks");
    QTest::addColumn<bool>("saves");     // writes reach the file
    QTest::addColumn<bool>("untouched"); // start-up writes nothing
    const QByteArray good = "[SETTING]\nVERSION=1.05\n[CURRENT_FOLDER]\nLASTACCESS_FOLDER_PATH=%DIR%\n"
                            "[DRVEMU]\nMODE=HALFSTEP\n[DUMP]\n0=name/A, DRIVES/0\n32=name/X, DRIVES/0\n40=name/Y\n";
    QTest::newRow("current file") << good << 0 << "" << "" << "HALFSTEP" << 0 << true << true;
    QTest::newRow("stray quote") << QByteArray("[SETTING]\nVERSION=1.05\n[CONVERT]\nMAKEHVR=\"BLANK\n") + good.mid(23)
                                 << 0 << "The settings file is damaged: CURRENT_FOLDER, DRVEMU, DUMP could not"
                                 << ".damaged" << "NORMAL" << 0 << true << false;
    QTest::newRow("too large") << good + "[PAD]\n" + QByteArray(5000, 'p') + "=1\n" << 4096
                               << "The settings file is too large (5" << ".too-large" << "NORMAL" << 0 << true << false;
    QTest::newRow("relative folders")
        << QByteArray("[CURRENT_FOLDER]\nNO=2\nLASTACCESS_FOLDER_PATH=-t5\nSPECIFIED_FOLDER_PATH=a/b\n"
                      "[FOLDER_MARK]\n0=rel\n1=%DIR%\n")
        << 0 << "" << "" << "NORMAL" << 1 << true << false;
    QTest::newRow("cannot be written") << QByteArray() << 0 << "Settings cannot be saved.\n%PATH%\n" << "" << "NORMAL"
                                       << 0 << false << false;
}

void TestSettingsGuard::startUp()
{
    QFETCH(QByteArray, content);
    QFETCH(int, limit);
    QFETCH(QString, notice);
    QFETCH(QString, aside);
    QFETCH(QString, mode);
    QFETCH(int, marks);
    QFETCH(bool, saves);
    QFETCH(bool, untouched);
    TestEnv env;
    // Unwritable: the folder of the file is a file.
    const QString path = saves ? env.settingsPath() : env.path("file/KESTAcon.ini");
    QFile(env.path("file")).open(QIODevice::WriteOnly);
    MyCommon::SetApplicationInifilePathForTest(path);
    MyCommon::SetSettingsSizeLimitForTest(limit ? limit : MyCommon::SETTINGS_SIZE_LIMIT);
    content.replace("%DIR%", env.path().toUtf8());
    notice.replace("%PATH%", path);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QSignalSpy told(common(), &MyCommon::userNotice);
    if (QTest::currentDataTag() == QLatin1String("relative folders")) {
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not an absolute folder"));
    }
    g_previousHandler = qInstallMessageHandler(countFailedWrites);
    g_failedWrites = 0;
    {
        MainWindow window;
        QCOMPARE(window.form()->BTN_DRVEMU_MODE->currentText(), mode);
        QCOMPARE(MarkManage::getInstance()->Count(), marks);
        QCOMPARE(told.count(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty()) {
            QVERIFY2(told.at(0).at(1).toString().startsWith(notice), qPrintable(told.at(0).at(1).toString()));
            QTRY_VERIFY(window.findChild<QMessageBox*>() && window.findChild<QMessageBox*>()->isVisible());
        }
        if (!aside.isEmpty())
            QCOMPARE(bytesOf(path + aside), content);
        if (untouched)
            QCOMPARE(bytesOf(path), content);
        // Never a relative folder: the start folder instead.
        QVERIFY(QDir::isAbsolutePath(common()->Settings().m_lastAccessFolder) ||
                common()->Settings().m_lastAccessFolder.isEmpty());
        QVERIFY(common()->Settings().m_specifiedFolder != "a/b");
        const int failedAtStart = g_failedWrites;
        common()->SetSettingString("CONVERT/EXT", ".D88");
        common()->SetSettingString("CONVERT/EXT", ".D77");
        window.on_settingsChanged_Dump();
        QCOMPARE(g_failedWrites - failedAtStart, saves ? 0 : 2);
        QCOMPARE(told.count(), notice.isEmpty() ? 0 : 1); // told once
        QCOMPARE(storedValue(path, "CONVERT/EXT"), QString(saves ? ".D77" : "absent"));
        QCOMPARE(storedValue(path, "DUMP/32") + storedValue(path, "DUMP/40"), QString("absentabsent"));
    }
    qInstallMessageHandler(g_previousHandler);
    MyCommon::SetSettingsSizeLimitForTest(MyCommon::SETTINGS_SIZE_LIMIT);
    common()->DeleteSettingInstance();
    MarkManage::getInstance()->AllClear();
}

void TestSettingsGuard::fullDisk()
{
    const QString unshare = QStandardPaths::findExecutable("unshare");
    if (::geteuid() != 0 || unshare.isEmpty())
        QSKIP("a private tmpfs needs root and unshare");
    TestEnv env;
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

int main(int argc, char** argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "--full-disk") == 0 || qstrcmp(argv[1], "--killed-writer") == 0)) {
        QCoreApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        return argv[1][2] == 'f' ? fullDisk(path) : killedWriter(path);
    }
    QApplication app(argc, argv);
    TestSettingsGuard test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsguard.moc"
