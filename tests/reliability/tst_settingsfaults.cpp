#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "testenv.h"
#include "ui_mainwindow.h"

// The settings file in every shape a user, an old backup or a power cut can
// leave it in.  The window starts on what it can read and defaults for the
// rest; a write cut short by SIGKILL never leaves a torn file.
class TestSettingsFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void badFile_data();
    void badFile();
    void killedWhileWriting();

private:
    TestEnv* m_env = nullptr;
};

namespace {

constexpr int WRITER_KEYS = 10;

QString writerKey(int i)
{
    return QStringLiteral("BURST/KEY%1").arg(i);
}

// The child side of killedWhileWriting: writes KEY0..KEY9 in turn through
// MyCommon, for ever, and reports the number of each write once it is done.
int runWriter(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString path = args.value(args.indexOf("--writer") + 1);
    const QString round = args.value(args.indexOf("--writer") + 2);
    MyCommon* common = MyCommon::getInstance();
    common->OpenSettingInstance(path);
    const QString padding(300, QLatin1Char('='));
    for (qint64 n = 0;; ++n) {
        common->SetSettingString(writerKey(int(n % WRITER_KEYS)), QStringLiteral("r%1-n%2-").arg(round).arg(n) + padding);
        const QByteArray line = QByteArray::number(n) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) < 0)
            return 1;
    }
}

} // namespace

void TestSettingsFaults::init()
{
    m_env = new TestEnv;
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
}

void TestSettingsFaults::cleanup()
{
    MyCommon::getInstance()->DeleteSettingInstance();
    MarkManage::getInstance()->AllClear();
    QFile(m_env->settingsPath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    delete m_env;
}

void TestSettingsFaults::badFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("mode"); // emulator mode shown
    QTest::addColumn<int>("sets");     // named dump sets loaded
    const QByteArray good = "[SETTING]\nVERSION=1.05\n[DRVEMU]\nMODE=HALFSTEP\n[DUMP]\n0=name/A, DRIVES/0\n";
    QTest::newRow("absent") << "absent" << QByteArray() << "NORMAL" << 0;
    QTest::newRow("empty") << "file" << QByteArray() << "NORMAL" << 0;
    QTest::newRow("read-only") << "read-only" << good << "HALFSTEP" << 1;
    QTest::newRow("a folder in its place") << "folder" << QByteArray() << "NORMAL" << 0;
    QByteArray noise(4096, '\0');
    QRandomGenerator random(11);
    for (char& c : noise)
        c = char(random.bounded(256));
    QTest::newRow("random bytes") << "file" << noise << "NORMAL" << 0;
    QTest::newRow("truncated in a line") << "file" << good + "1=name/B, CYLI" << "HALFSTEP" << 2;
    QTest::newRow("truncated in a key") << "file" << QByteArray("[SETTING]\nVERSION=1.05\n[DRVEMU]\nMODE=HALFSTEP\n[DUMP]\n0=na") << "HALFSTEP"
                                        << 0;
    QTest::newRow("hand-edited slots") << "file"
                                       << QByteArray("[DUMP]\n0=name/A, DRIVES/0\n1=noslash, CYLINDERS/80\n"
                                                     "2=name/C, , /x, DRIVES, //\n3=name/D\n4=name/E, DRIVES/1\n")
                                       << "NORMAL" << 3;
}

void TestSettingsFaults::badFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, mode);
    QFETCH(int, sets);
    const QString path = m_env->settingsPath();
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind != "absent") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        if (kind == "read-only")
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }

    MainWindow window;
    Ui::MainWindow* ui = window.form();
    QCOMPARE(ui->BTN_DRVEMU_MODE->currentText(), mode);
    QCOMPARE(ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count(), sets);
    QCOMPARE(MyCommon::getInstance()->GetSettingString("CONVERT/EXT"), QString(".DIM"));
    if (kind == "folder")
        QVERIFY(QFileInfo(path).isDir());
    if (kind == "read-only" && ::geteuid() != 0) { // root writes anyway
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content); // loading a current file writes nothing
    }
    // The window keeps working on whatever store it got.
    MyCommon::getInstance()->SetSettingString("CONVERT/MAKEHVR", "after");
    QCOMPARE(MyCommon::getInstance()->GetSettingString("CONVERT/MAKEHVR"), QString("after"));
}

void TestSettingsFaults::killedWhileWriting()
{
    const QString path = m_env->settingsPath();
    {
        QSettings seed(path, QSettings::IniFormat);
        seed.setValue("KEEP/ME", "written long before");
        for (int i = 0; i < WRITER_KEYS; ++i)
            seed.setValue(writerKey(i), "old");
    }
    QHash<int, qint64> confirmed; // key -> last write reported done
    QRandomGenerator random(30);
    const QRegularExpression value("^r(\\d+)-n(\\d+)-={300}$");
    for (int round = 0; round < 30; ++round) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", m_env->path()); // its working copies, never removed
        writer.setProcessEnvironment(environment);
        writer.start(QCoreApplication::applicationFilePath(), {"--writer", path, QString::number(round)});
        QVERIFY(writer.waitForStarted(10000));
        // Killed after a random number of finished writes, most likely in
        // the middle of the next one.
        const qint64 killAfter = random.bounded(1, 60);
        qint64 last = -1;
        while (last < killAfter) {
            QVERIFY2(writer.canReadLine() || writer.waitForReadyRead(20000), qPrintable(QString("round %1: the writer stopped writing; lock: %2").arg(round).arg(QString::fromUtf8([&] { QFile l(path + ".lock"); l.open(QIODevice::ReadOnly); return l.readAll().toHex(); }()))));
            while (writer.canReadLine())
                last = writer.readLine().trimmed().toLongLong();
        }
        QVERIFY(signalProcess(writer.processId(), SIGKILL));
        QVERIFY(writer.waitForFinished(10000));
        for (qint64 n = qMax<qint64>(0, last - WRITER_KEYS + 1); n <= last; ++n)
            confirmed[int(n % WRITER_KEYS)] = qint64(round) << 32 | n;

        QSettings file(path, QSettings::IniFormat);
        QCOMPARE(file.status(), QSettings::NoError);
        QCOMPARE(file.value("KEEP/ME").toString(), QString("written long before"));
        for (int i = 0; i < WRITER_KEYS; ++i) {
            const QString stored = file.value(writerKey(i)).toString();
            if (stored == "old" && !confirmed.contains(i))
                continue; // not written yet
            const auto match = value.match(stored);
            QVERIFY2(match.hasMatch(), qPrintable(QString("round %1 key %2: %3").arg(round).arg(i).arg(stored)));
            // The last finished write of the key, or the one cut short.
            const qint64 at = match.captured(1).toLongLong() << 32 | match.captured(2).toLongLong();
            QVERIFY2(at >= confirmed.value(i), qPrintable(QString("round %1 key %2 lost a write").arg(round).arg(i)));
        }
    }
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--writer") == 0)
            return runWriter(argc, argv);
    }
    QApplication app(argc, argv);
    TestSettingsFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
