#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <memory>

#include "mycommon.h"
#include "table.h"
#include "testenv.h"
#include "userinputblocker.h"

namespace {
MyCommon* common()
{
    return MyCommon::getInstance();
}
} // namespace

// The runs of tools: output handed on as it comes, standard error left out;
// the blocking runs (Execute, LinuxCommand) end a tool that does not finish,
// tell the user which one it was and give input back; a run that lasts shows
// a busy box with the tool's name.
class TestBlockingRuns : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        MyCommon::getInstance()->SetVersionQueryLimit(3000);
        m_env.reset();
    }
    void bounded_data()
    {
        QTest::addColumn<QString>("commandLine"); // run with LinuxCommand, or with Execute when it starts with "x "
        QTest::addColumn<QString>("body");        // of the stand-in for the tool
        QTest::addColumn<int>("realLimit");
        QTest::addColumn<bool>("finishes");
        const QString never = "echo $$ > \"$KESTA_STUB_LOG.pid\"\nexec sleep 600";
        const QString deaf = "echo $$ > \"$KESTA_STUB_LOG.pid\"\ntrap '' TERM\nexec sleep 600";
        QTest::newRow("hvrconv never ends") << "x hvrconv -i a.dim" << never << 120000 << false;
        QTest::newRow("hvrtool deaf to TERM") << "x hvrtool -n" << deaf << 120000 << false;
        QTest::newRow("cp never ends") << "cp /a /b" << never << 120000 << false;
        QTest::newRow("pkill deaf to TERM") << "pkill drvemu" << deaf << 10000 << false;
        QTest::newRow("shutdown never ends") << "shutdown -h now" << never << 10000 << false;
        QTest::newRow("reboot ends") << "reboot" << "echo $$ > \"$KESTA_STUB_LOG.pid\"" << 10000 << true;
    }

    void bounded()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, finishes);
        QStringList parts = commandLine.split(' ');
        const bool execute = parts.first() == "x";
        if (execute)
            parts.removeFirst();
        const QString tool = parts.takeFirst();
        m_env->writeScript(tool, row<QString>("body"));
        QCOMPARE(common()->BlockingRunLimit(tool), row<int>("realLimit"));
        common()->SetBlockingRunLimitForTest(300);
        QSignalSpy told(common(), &MyCommon::userNotice);
        if (execute)
            common()->Execute(tool, parts);
        else
            common()->LinuxCommand(commandLine);
        common()->SetBlockingRunLimitForTest(-1);

        QCOMPARE(common()->LastBlockingRunFinished(), finishes);
        QCOMPARE(told.count(), finishes ? 0 : 1);
        if (!finishes)
            QCOMPARE(told.at(0).at(1).toString(), tool + " did not finish within 0.3 s and was stopped.");
        // The tool is gone (and reaped), not left running behind the program.
        QFile pidFile(m_env->stubLogPath() + ".pid");
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        QVERIFY(!signalProcess(pidFile.readAll().trimmed().toLongLong(), 0));
        // Input is taken again.
        QPushButton button;
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void busyBox()
    {
        const QString stop = m_env->path("stop");
        m_env->writeScript("hvrconv", QString("while [ ! -e '%1' ]; do sleep 0.05; done\ntouch '%1.ended'").arg(stop));
        struct Counter : QObject {
            int seen = 0;
            bool event(QEvent* e) override { seen += UserInputBlocker::IsUserInput(e->type()); return QObject::event(e); }
        } counter;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QStringList seen;
        QTimer look; // once the box is up: a key press is tried, then the tool ends
        connect(&look, &QTimer::timeout, [&]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QProgressDialog*>(widget);
                if (box && box->isVisible() && seen.isEmpty()) {
                    seen << box->labelText() << QString::number(box->findChildren<QPushButton*>().size());
                    QCoreApplication::sendEvent(&counter, &press);
                    QFile(stop).open(QIODevice::WriteOnly);
                }
            }
        });
        look.start(20);
        common()->SetBlockingRunLimitForTest(60000);
        common()->Execute("hvrconv", {});
        common()->SetBlockingRunLimitForTest(-1);
        QVERIFY(common()->LastBlockingRunFinished());
        QVERIFY(QFile::exists(stop + ".ended")); // the run waited for the end
        QCOMPARE(seen, QStringList({"hvrconv is running.", "0"}));
        QCOMPARE(counter.seen, 0); // dropped during the run
        QCoreApplication::sendEvent(&counter, &press);
        QCOMPARE(counter.seen, 1);
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QProgressDialog*>(widget) || !widget->isVisible());
    }

    void burstsGiveOneEmissionEach()
    {
        // Each burst waits until the previous one was handed on; standard error is not read.
        m_env->writeScript("bursty", "n=0; for w in 'first ' 'second ' third; do [ $n = 0 ] || while [ ! -e \"$1/go$n\" ];"
                                     " do sleep 0.01; done; echo err$n >&2; printf '%s' \"$w\"; n=$((n+1)); done");
        QList<QByteArray> chunks;
        auto connection = connect(common(), &MyCommon::commandOutputs, this, [&](const QByteArray& chunk) {
            chunks.append(chunk);
            QFile(m_env->path(QString("go%1").arg(chunks.size()))).open(QIODevice::WriteOnly);
        });
        const QByteArray result = common()->Command("bursty", {m_env->path()});
        disconnect(connection);
        QCOMPARE(chunks, (QList<QByteArray>{"first ", "second ", "third"}));
        QCOMPARE(result, QByteArray("first second third"));
        // The quiet run (the go files are there now) reads the same and tells nobody.
        QSignalSpy spy(common(), &MyCommon::commandOutputs);
        QCOMPARE(common()->CommandQuiet("bursty", {m_env->path()}), result);
        QCOMPARE(spy.count(), 0);
    }

    // A drvctl that hangs gives no version instead of holding the start-up.
    void versionQueryIsBounded()
    {
        m_env->writeScript("drvctl", "exec sleep 300");
        common()->SetVersionQueryLimit(300);
        QCOMPARE(common()->Get_DRVEMU_Version(), QString());
        m_env->writeScript("drvctl", "echo 'v1.2 (sim)'; echo usage");
        common()->SetVersionQueryLimit(30000);
        QCOMPARE(common()->Get_DRVEMU_Version(), QString("v1.2 "));
        m_env->writeScript("drvctl", "echo 'v1.3'; echo usage"); // no remark
        QCOMPARE(common()->Get_DRVEMU_Version(), QString("v1.3"));
    }

private:
    std::unique_ptr<TestEnv> m_env;
};

QTEST_MAIN(TestBlockingRuns)
#include "tst_blockingruns.moc"
