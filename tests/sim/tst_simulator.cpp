
#include "table.h"
#include "testenv.h"

// The simulated board's hostile knobs: output cut or padded any way carries
// the same bytes, noise forms no report, every track gets as many reports as
// the image says it took, and the emulator knobs bite.
class TestSimulator : public QObject
{
    Q_OBJECT
    int m_status = 0;
    QByteArray run(const QString& tool, const QStringList& args, const QStringList& env, int* status)
    {
        QProcess p; QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : env)
            e.insert(pair.section('=', 0, 0), pair.section('=', 1));
        p.setProcessEnvironment(e);
        p.start(TestEnv::simBinDir() + '/' + tool, args);
        *status = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return p.readAllStandardOutput();
    }
private slots:
    void dumpOutput_data()
    {
        addColumns<QString, QString, QString>("chunk", "noise", "disk");
        for (const char* chunk : {"random", "block", "byte"})
            for (const char* noise : {"0", "1"})
                for (const char* disk : {"worn", "damaged"})
                    QTest::addRow("%s noise=%s %s", chunk, noise, disk) << chunk << noise << disk;
    }
    void dumpOutput()
    {
        QFETCH(QString, chunk); QFETCH(QString, noise); QFETCH(QString, disk);
        TestEnv env(true);
        const QStringList knobs{"KESTA_SIM_TRACK_MS=0", "KESTA_SIM_SEED=7", "KESTA_SIM_NOISE=" + noise, "KESTA_SIM_DISK=" + disk};
        const QByteArray whole = run("drvdump", {"-i", "0", "-c", "40", env.path("a.hvr")}, knobs, &m_status), cut = run("drvdump", {"-i", "0", "-c", "40", env.path("b.hvr")}, knobs + QStringList{"KESTA_SIM_CHUNK=" + chunk}, &m_status);
        QCOMPARE(QString::fromLatin1(cut).replace("b.hvr", "a.hvr"), QString::fromLatin1(whole));
        QMap<int, int> reports;
        int total = 0; // every "P(" starts a report: no noise looks like one
        for (auto it = QRegularExpression("P\\(T(\\d{3}) C\\d\\d H\\d\\) read").globalMatch(cut); it.hasNext(); ++total)
            ++reports[it.next().captured(1).toInt()];
        QCOMPARE(int(cut.count("P(")), total);
        QMap<QByteArray, int> outcomes;
        for (const QByteArray& line : run("../kesta-sim", {"tracks", env.path("b.hvr")}, {}, &m_status).split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 3 && ++outcomes[f[1]])
                QCOMPARE(reports.value(f[0].toInt()), f[1] == "good" ? 1 : f[2].toInt());
        }
        QCOMPARE(reports.size(), 80);
        QVERIFY(outcomes["retried"] > 0 && (disk == "worn" || outcomes["unreadable"] > 0));
    }
    void emulatorKnobs_data()
    {
        addColumns<QString, QList<int>, bool>("knob", "statuses", "dies"); // statuses: of drvctl -l, run four times
        QTest::newRow("every 2nd drvctl fails") << "KESTA_SIM_CTL_FAIL=2" << QList<int>{0, 1, 0, 1} << false;
        QTest::newRow("not up yet") << "KESTA_SIM_EMU_START_MS=600000" << QList<int>{1, 1, 1, 1} << false;
        QTest::newRow("dies by itself") << "KESTA_SIM_EMU_DIE_MS=1" << QList<int>{1, 1, 1, 1} << true;
    }
    void emulatorKnobs()
    {
        QFETCH(QString, knob); QFETCH(QList<int>, statuses); QFETCH(bool, dies);
        TestEnv env(true);
        qputenv(qPrintable(knob.section('=', 0, 0)), knob.section('=', 1).toLatin1());
        QProcess emu;
        emu.start(TestEnv::simBinDir() + "/drvemu", QStringList());
        QVERIFY(emu.waitForReadyRead(10000)); // its first line comes once its state is written
        QCOMPARE(emu.waitForFinished(dies ? 10000 : 0), dies);
        QList<int> seen;
        for (int i = 0; i < 4; ++i, seen << m_status)
            run("drvctl", {"-l"}, {}, &m_status);
        qunsetenv(qPrintable(knob.section('=', 0, 0)));
        emu.terminate();
        QVERIFY(emu.state() == QProcess::NotRunning || emu.waitForFinished(10000));
        QCOMPARE(seen, statuses);
        QCOMPARE(emu.exitCode(), dies ? 1 : 0);
    }
};

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
