#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "mycommon.h"
#include "testenv.h"
#include "userinputblocker.h"

class TestCommand : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        c()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
    }

    void cleanup()
    {
        c()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        delete m_env;
        m_env = nullptr;
    }

    void burstsGiveOneEmissionEach()
    {
        // The tool writes its next burst only after the test has seen the
        // previous one, so the bursts can never merge.
        m_env->writeScript("bursty", QStringLiteral(
            "printf 'first '\n"
            "while [ ! -e \"$1/go1\" ]; do sleep 0.01; done\n"
            "printf 'second '\n"
            "while [ ! -e \"$1/go2\" ]; do sleep 0.01; done\n"
            "printf 'third'\n"));
        QList<QByteArray> chunks;
        auto connection = connect(c(), &MyCommon::commandOutputs, this, [&](const QByteArray& chunk) {
            chunks.append(chunk);
            QFile(m_env->path(QString("go%1").arg(chunks.size()))).open(QIODevice::WriteOnly);
        });
        const QByteArray result = c()->Command("bursty", {m_env->path()});
        disconnect(connection);
        QCOMPARE(chunks, (QList<QByteArray>{"first ", "second ", "third"}));
        QCOMPARE(result, QByteArray("first second third"));
    }

    void standardErrorIsNotRead()
    {
        m_env->writeScript("noisy", "echo out1; echo err1 >&2; echo out2; echo err2 >&2");
        QSignalSpy spy(c(), &MyCommon::commandOutputs);
        const QByteArray result = c()->Command("noisy", {});
        QCOMPARE(result, QByteArray("out1\nout2\n"));
        QByteArray emitted;
        for (const auto& args : spy)
            emitted += args.at(0).toByteArray();
        QCOMPARE(emitted, result);
    }

    void absentProgramReturnsAtOnce()
    {
        QElapsedTimer clock;
        clock.start();
        QSignalSpy spy(c(), &MyCommon::commandOutputs);
        QCOMPARE(c()->Command("no-such-tool-anywhere", {"-l"}), QByteArray());
        QCOMPARE(spy.count(), 0);
        // Far below the 30 s silence limit: no waiting for a tool that never ran.
        QVERIFY(clock.elapsed() < 10000);
    }

    void silentToolIsEndedWithPartialOutput()
    {
        m_env->writeScript("hang", "printf 'partial'\nexec sleep 300");
        c()->SetCommandSilenceLimit(300);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(c()->Command("hang", {}), QByteArray("partial"));
        QVERIFY(clock.elapsed() < 60000);
    }

    void eventLoopTurnsWhileToolIsSilent()
    {
        // The tool stays silent until the test's timer, run by the event loop
        // inside Command(), has created the file it waits for.
        m_env->writeScript("waiter", "while [ ! -e \"$1/go\" ]; do sleep 0.01; done\necho done");
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&]() {
            if (++ticks == 5)
                QFile(m_env->path("go")).open(QIODevice::WriteOnly);
        });
        ticker.start(10);
        const QByteArray result = c()->Command("waiter", {m_env->path()});
        QCOMPARE(result, QByteArray("done\n"));
        QVERIFY(ticks >= 5);
    }

    void quietRunEmitsNothing()
    {
        m_env->writeScript("talk", "echo hello");
        QSignalSpy spy(c(), &MyCommon::commandOutputs);
        QCOMPARE(c()->CommandQuiet("talk", {}), QByteArray("hello\n"));
        QCOMPARE(spy.count(), 0);
    }

    void splitCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("pkill") << "pkill drvemu" << QStringList{"pkill", "drvemu"};
        QTest::newRow("shutdown") << "shutdown -h now" << QStringList{"shutdown", "-h", "now"};
        QTest::newRow("blank inside argument") << "cp /a b/c /d" << QStringList{"cp", "/a", "b/c", "/d"};
        QTest::newRow("double blank") << "a  b" << QStringList{"a", "", "b"};
        QTest::newRow("program only") << "reboot" << QStringList{"reboot"};
    }

    void splitCommandLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, parts);
        QCOMPARE(MyCommon::SplitCommandLine(line), parts);
    }

    void linuxCommandRunsProgramWithArguments()
    {
        c()->LinuxCommand("pkill drvemu");
        c()->LinuxCommand("shutdown -h now");
        QCOMPARE(m_env->stubLog(), (QStringList{"pkill drvemu", "shutdown -h now"}));
    }

    void executeWaitsForTheEndAndDropsInput()
    {
        // While the tool runs, a click sent to a widget must be dropped; the
        // tool only ends once the click has been tried (file "go").
        m_env->writeScript("slow", "while [ ! -e \"$1/go\" ]; do sleep 0.01; done\ntouch \"$1/ended\"");
        int inputSeen = 0;
        struct Counter : QObject {
            int* seen;
            bool event(QEvent* e) override
            {
                if (UserInputBlocker::IsUserInput(e->type()))
                    ++*seen;
                return QObject::event(e);
            }
        } counter;
        counter.seen = &inputSeen;
        QTimer::singleShot(20, this, [&]() {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
            QCoreApplication::sendEvent(&counter, &press);
            QFile(m_env->path("go")).open(QIODevice::WriteOnly);
        });
        c()->Execute("slow", {m_env->path()});
        QVERIFY(QFile::exists(m_env->path("ended")));
        QCOMPARE(inputSeen, 0);
        // After the run, input reaches its target again.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::sendEvent(&counter, &press);
        QCOMPARE(inputSeen, 1);
    }

    void listingActivity_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<bool>("active");
        QTest::newRow("five lines with final line feed") << QByteArray("a\nb\nc\nd\ne\n") << true;
        QTest::newRow("five lines without") << QByteArray("a\nb\nc\nd\ne") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("error line") << QByteArray("drvctl: emulator not running\n") << false;
    }

    void listingActivity()
    {
        QFETCH(QByteArray, listing);
        QFETCH(bool, active);
        QCOMPARE(MyCommon::IsDRVEMUListingActive(listing), active);
    }

    void versionLine_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("version");
        QTest::newRow("version and remark") << QByteArray("v2.13 (KESTA sim)\nusage: drvctl\n") << "v2.13 ";
        QTest::newRow("no remark") << QByteArray("v2.13\nusage\n") << "v2.13";
        QTest::newRow("nothing") << QByteArray() << "";
    }

    void versionLine()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, version);
        QCOMPARE(MyCommon::ParseDRVEMUVersion(output), version);
    }

    void versionQueryIsBounded()
    {
        m_env->writeScript("drvctl", "exec sleep 300");
        c()->SetVersionQueryLimit(300);
        QCOMPARE(c()->Get_DRVEMU_Version(), QString());
        m_env->writeScript("drvctl", "echo 'v1.2 (sim)'; echo usage");
        QCOMPARE(c()->Get_DRVEMU_Version(), QString("v1.2 "));
        c()->SetVersionQueryLimit(3000);
    }

private:
    TestEnv* m_env = nullptr;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestCommand)
#include "tst_command.moc"
