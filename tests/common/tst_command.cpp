#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "mycommon.h"
#include "testenv.h"

class TestCommand : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        c()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        c()->SetVersionQueryLimit(3000);
        m_env.reset();
    }

    void burstsGiveOneEmissionEach()
    {
        // Each burst waits until the previous one was handed on.
        m_env->writeScript("bursty", QStringLiteral("printf 'first '\n"
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
        // The quiet run reads the same and tells nobody.
        spy.clear();
        QCOMPARE(c()->CommandQuiet("noisy", {}), result);
        QCOMPARE(spy.count(), 0);
    }

    // A drvctl that hangs gives no version instead of holding the start-up.
    void versionQueryIsBounded()
    {
        m_env->writeScript("drvctl", "exec sleep 300");
        c()->SetVersionQueryLimit(300);
        QCOMPARE(c()->Get_DRVEMU_Version(), QString());
        m_env->writeScript("drvctl", "echo 'v1.2 (sim)'; echo usage");
        c()->SetVersionQueryLimit(30000);
        QCOMPARE(c()->Get_DRVEMU_Version(), QString("v1.2 "));
        m_env->writeScript("drvctl", "echo 'v1.3'; echo usage"); // no remark
        QCOMPARE(c()->Get_DRVEMU_Version(), QString("v1.3"));
    }

private:
    std::unique_ptr<TestEnv> m_env;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestCommand)
#include "tst_command.moc"
