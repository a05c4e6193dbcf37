// The drive emulator and its control tool as the controller sees them: the
// listing tells running from stopped by its piece count, rows carry the drive
// state, insert/eject/protect change it, the emulator talks and moves its
// heads, ends on pkill, and two state folders never meet.

#include "simtestkit.h"
#include "testenv.h"

#include <QDeadlineTimer>
#include <QSet>

using namespace simtest;

Q_DECLARE_METATYPE(simtest::Env)

class TestSimEmu : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Sim> m_sim;

    QProcess* startEmulator(Sim& sim, const QStringList& args = {"-v", "-o x0", "-o m0"}, const Env& env = {})
    {
        QProcess* p = sim.start("drvemu", args, env);
        QDeadlineTimer deadline(30000);
        while (p && !sim.emulatorRunning()) {
            if (deadline.hasExpired() || p->state() == QProcess::NotRunning)
                return nullptr;
            QTest::qWait(20);
        }
        return p;
    }

private slots:
    void initTestCase() { qRegisterMetaType<QProcess::ExitStatus>(); }
    void init()
    {
        m_sim = std::make_unique<Sim>();
        QFile f(m_sim->work("a.HVR"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("any image will do\n");
    }
    void cleanup() { m_sim.reset(); }

    // With no emulator (never started, or gone and its state left behind)
    // the listing has fewer than six pieces.
    void listingWhenStopped_data()
    {
        QTest::addColumn<bool>("startedBefore");
        QTest::newRow("never started") << false;
        QTest::newRow("killed hard") << true;
    }

    void listingWhenStopped()
    {
        QFETCH(bool, startedBefore);
        if (startedBefore) {
            QProcess* p = startEmulator(*m_sim);
            QVERIFY(p);
            p->kill();  // SIGKILL: no chance to clean up its state
            QVERIFY(p->waitForFinished(30000));
        }
        for (const QStringList& args : {QStringList{"-l"}, QStringList{"-i", "0", "-c", "eject"}}) {
            const Result r = m_sim->run("drvctl", args);
            QVERIFY(r.finished);
            QVERIFY(listingPieces(r.out).size() < 6);
            QVERIFY(r.exitCode != 0);
        }
    }

    void versionLine()
    {
        const Result r = m_sim->run("drvctl", {});
        const QByteArray first = r.out.split('\n').first();
        QVERIFY(first.indexOf(" (") > 0);
        QVERIFY(first.endsWith(')'));
        QVERIFY(r.out.contains("usage"));
    }

    void runAndStop_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("byStub");
        QTest::newRow("NORMAL, recording pkill") << QStringList{"-v", "-o x0", "-o m0"} << true;
        QTest::newRow("HALFSTEP, SIGTERM") << QStringList{"-v", "-shalf", "-o x1", "-o m1"} << false;
        QTest::newRow("split options, SIGTERM") << QStringList{"-o", "x1", "-s", "half"} << false;
    }

    // The emulator runs under its own name, talks without pause, and ends on
    // pkill by name or on SIGTERM, taking its pid file and running state along.
    void runAndStop()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, byStub);
        QProcess* p = startEmulator(*m_sim, args, {{"KESTA_SIM_PRINT_MS", "20"}});
        QVERIFY(p);
        const qint64 pid = p->processId();
        QCOMPARE(processName(pid), QString("drvemu"));
        QVERIFY(QFile::exists(m_sim->pidFile("drvemu", pid)));

        QSignalSpy chatter(p, &QProcess::readyReadStandardOutput);
        QTRY_VERIFY_WITH_TIMEOUT(chatter.count() >= 3, 30000);

        // Only one emulator per state folder.
        const Result second = m_sim->run("drvemu", args);
        QVERIFY(second.exitCode != 0);
        QVERIFY(second.out.contains("already running"));
        QCOMPARE(p->state(), QProcess::Running);

        QSignalSpy finished(p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        if (byStub) {
            QCOMPARE(m_sim->run(stubPath("pkill"), {"drvemu"}).exitCode, 0);
            QCOMPARE(m_sim->stubLog(), QStringList{"pkill drvemu"});
        } else {
            QVERIFY(signalProcess(pid, SIGTERM));
        }
        QVERIFY(finished.count() > 0 || finished.wait(30000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QVERIFY(!QFile::exists(m_sim->pidFile("drvemu", pid)));
        QVERIFY(!m_sim->emulatorRunning());
    }

    void driveCommands_data()
    {
        QTest::addColumn<QStringList>("insert");
        QTest::addColumn<QStringList>("protect");
        QTest::addColumn<QStringList>("eject");
        QTest::addColumn<int>("drive");
        QTest::newRow("with -c, drive 0") << QStringList{"-i", "0", "-c", "insert", "%A"}
                                          << QStringList{"-i", "0", "-c", "protect"}
                                          << QStringList{"-i", "0", "-c", "eject"} << 0;
        QTest::newRow("options reordered, relative path") << QStringList{"-c", "insert", "a.HVR", "-i", "1"}
                                                          << QStringList{"-c", "protect", "-i", "1"}
                                                          << QStringList{"eject", "-i", "1"} << 1;
    }

    // insert, protect, eject: each answers with the listing, whose row shows
    // the change; the other drive stays as it was.
    void driveCommands()
    {
        QFETCH(QStringList, insert);
        QFETCH(QStringList, protect);
        QFETCH(QStringList, eject);
        QFETCH(int, drive);
        for (QString& a : insert)
            a.replace("%A", m_sim->work("a.HVR"));
        QVERIFY(startEmulator(*m_sim));
        const int other = 1 - drive;

        const Result listed = m_sim->run("drvctl", {"-l"});
        QCOMPARE(listed.exitCode, 0);
        QVERIFY(listingPieces(listed.out).size() > 5);
        QCOMPARE(listingRow(listed.out, drive), (QStringList{QString::number(drive), "--", "0", "EMPTY"}));

        const Result in = m_sim->run("drvctl", insert);
        QVERIFY(listingPieces(in.out).size() > 5);
        const QStringList row = listingRow(in.out, drive);
        bool number = false;
        QVERIFY(row.size() >= 4 && (row.at(2).toInt(&number), number));
        QCOMPARE(row.mid(0, 2), (QStringList{QString::number(drive), "--"}));
        QCOMPARE(row.at(3), m_sim->work("a.HVR"));
        QCOMPARE(listingRow(in.out, other).at(3), QString("EMPTY"));
        QCOMPARE(listingRow(m_sim->run("drvctl", {"-l"}).out, drive).at(3), m_sim->work("a.HVR"));

        QVERIFY(listingRow(m_sim->run("drvctl", protect).out, drive).at(1) != "--");
        QCOMPARE(listingRow(m_sim->run("drvctl", protect).out, drive).at(1), QString("--"));
        QVERIFY(listingRow(m_sim->run("drvctl", protect + QStringList{"on"}).out, drive).at(1) != "--");

        const QStringList ejected = listingRow(m_sim->run("drvctl", eject).out, drive);
        QCOMPARE(ejected.value(3), QString("EMPTY"));
        QCOMPARE(ejected.value(1), QString("--"));
    }

    // A refused insert answers without a listing and leaves the drive empty.
    void insertRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing file") << "missing.HVR";
        QTest::newRow("a bar in the name") << "x|y.HVR";
    }

    void insertRefused()
    {
        QFETCH(QString, path);
        QFile f(m_sim->work(path));
        if (path.contains('|')) {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
        }
        QVERIFY(startEmulator(*m_sim));
        const Result r = m_sim->run("drvctl", {"-i", "0", "-c", "insert", m_sim->work(path)});
        QVERIFY(r.exitCode != 0);
        QVERIFY(listingPieces(r.out).size() < 6);
        QCOMPARE(listingRow(m_sim->run("drvctl", {"-l"}).out, 0).value(3), QString("EMPTY"));
    }

    // The head of a loaded drive wanders; an empty drive's stays put.
    void headMoves()
    {
        QVERIFY(startEmulator(*m_sim, {"-v"}, {{"KESTA_SIM_SEEK_MS", "20"}}));
        QVERIFY(m_sim->run("drvctl", {"-i", "0", "-c", "insert", m_sim->work("a.HVR")}).exitCode == 0);
        QSet<int> seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen.insert(listingRow(m_sim->run("drvctl", {"-l"}).out, 0).value(2).toInt()),
                                  seen.size() >= 3),
                                 30000);
        for (int cyl : seen)
            QVERIFY(cyl >= 0 && cyl < 80);
        QCOMPARE(listingRow(m_sim->run("drvctl", {"-l"}).out, 1).value(2), QString("0"));
    }

    // Two state folders are two boards: emulators, drives and pkill stay apart.
    void foldersStayApart()
    {
        Sim other;
        QVERIFY(!other.emulatorRunning());
        QVERIFY(startEmulator(*m_sim));
        QVERIFY(!other.emulatorRunning());
        QProcess* otherEmu = startEmulator(other);
        QVERIFY(otherEmu);
        QVERIFY(m_sim->emulatorRunning());

        QCOMPARE(m_sim->run("drvctl", {"-i", "0", "insert", m_sim->work("a.HVR")}).exitCode, 0);
        QCOMPARE(listingRow(other.run("drvctl", {"-l"}).out, 0).value(3), QString("EMPTY"));

        QCOMPARE(other.run("drvunformat", {"-i", "1", "-c", "2"}).exitCode, 0);
        QCOMPARE(m_sim->run("drvdump", {"-i", "1", "-e", "1", m_sim->work("d.HVR")}).exitCode, 0);
        QCOMPARE(Image::load(m_sim->work("d.HVR")).status(0, 0), 1);

        QSignalSpy finished(otherEmu, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        QCOMPARE(other.run(stubPath("pkill"), {"drvemu"}).exitCode, 0);
        QVERIFY(finished.count() > 0 || finished.wait(30000));
        QVERIFY(m_sim->emulatorRunning());
        QVERIFY(!other.emulatorRunning());
    }

    // The recording pkill reaches no process of its name outside the folder.
    void stubPkillIgnoresStrangers()
    {
        QProcess* p = startEmulator(*m_sim);
        QVERIFY(p);
        Sim other;
        QCOMPARE(other.run(stubPath("pkill"), {"drvemu"}).exitCode, 1);
        QProcessEnvironment noFolder = m_sim->environment();
        noFolder.remove("KESTA_SIM_DIR");
        QProcess bare;
        bare.setProcessEnvironment(noFolder);
        bare.start(stubPath("pkill"), {"drvemu"});
        QVERIFY(bare.waitForFinished(30000));
        QCOMPARE(bare.exitCode(), 1);
        QVERIFY(m_sim->emulatorRunning());
        QCOMPARE(p->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSimEmu)
#include "tst_simemu.moc"
