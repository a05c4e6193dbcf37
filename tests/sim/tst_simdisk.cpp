// The simulator's disk tools as the controller sees them: progress reports
// that the track map can read, one per attempt, single-track re-dumps, faults
// on demand, and refusals that change nothing.

#include "simtestkit.h"

#include <algorithm>

using namespace simtest;

Q_DECLARE_METATYPE(simtest::Env)
using Counts = QMap<int, int>;
Q_DECLARE_METATYPE(Counts)

namespace {

QStringList withPaths(QStringList args, const Sim& sim)
{
    for (QString& a : args) {
        a.replace("%IMG", sim.work("in.HVR"));
        a.replace("%OUT", sim.work("out.HVR"));
        a.replace("%TXT", sim.work("notes.txt"));
    }
    return args;
}

Counts range(int first, int last, int count = 1)
{
    Counts c;
    for (int t = first; t <= last; ++t)
        c[t] = count;
    return c;
}

Counts with(Counts c, int track, int count)
{
    c[track] = count;
    return c;
}

}  // namespace

class TestSimDisk : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Sim> m_sim;

    // A drive-1 image in the work folder for the tools that read one; both
    // drives' disks exist afterwards.
    void makeInputImage()
    {
        const Result r = m_sim->run("drvdump", {"-i", "1", "-r", "3", m_sim->work("in.HVR")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(Image::load(m_sim->work("in.HVR")).valid);
        QCOMPARE(m_sim->run("drvinfo", {"-i", "0"}).exitCode, 0);
    }

private slots:
    void initTestCase() { qRegisterMetaType<QProcess::ExitStatus>(); }
    void init() { m_sim = std::make_unique<Sim>(); }
    void cleanup() { m_sim.reset(); }

    void reportsPerAttempt_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Env>("env");
        QTest::addColumn<Counts>("expected");
        QTest::addColumn<int>("trackOffset");

        QTest::newRow("dump 2HD, 80 cylinders") << "drvdump" << QStringList{"-i", "0", "-c", "80", "-r", "3", "%OUT"}
                                                << Env{} << range(0, 159) << 0;
        QTest::newRow("dump weak and bad tracks")
            << "drvdump" << QStringList{"%OUT", "-r", "3", "-e", "4", "-i", "1", "-b", "2"}
            << Env{{"KESTA_SIM_WEAK", "5:2"}, {"KESTA_SIM_BAD", "7"}} << with(with(range(4, 9), 5, 2), 7, 3) << 0;
        QTest::newRow("dump beyond the disk") << "drvdump" << QStringList{"-i", "1", "-c", "42", "-b", "39", "%OUT"}
                                              << Env{} << Counts{{78, 1}, {79, 1}, {80, 3}, {81, 3}, {82, 3}, {83, 3}}
                                              << 0;
        QTest::newRow("dump with junk in the output")
            << "drvdump" << QStringList{"-i", "1", "-e", "9", "-r", "3", "%OUT"}
            << Env{{"KESTA_SIM_GARBAGE", "1"}, {"KESTA_SIM_WEAK", "3:3"}} << with(range(0, 19), 3, 3) << 0;
        QTest::newRow("restore, weak and bad tracks")
            << "drvrestore" << QStringList{"-i", "1", "-e", "1", "%IMG"}
            << Env{{"KESTA_SIM_WEAK", "1:2"}, {"KESTA_SIM_BAD", "2"}} << with(with(range(0, 3), 1, 2), 2, 2) << 0;
        QTest::newRow("unformat counts from 1") << "drvunformat" << QStringList{"-i", "1", "-c", "3"} << Env{}
                                                << range(1, 6) << 1;
    }

    // Every attempt gives one report the track map can read, even when the
    // output arrives in many chunks, and the track number fits C and H.
    void reportsPerAttempt()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(Env, env);
        QFETCH(Counts, expected);
        QFETCH(int, trackOffset);
        if (tool == "drvrestore")
            makeInputImage();

        QProcess p;
        Env paced = env;
        paced.insert("KESTA_SIM_TRACK_MS", "1");
        p.setProcessEnvironment(m_sim->environment(paced));
        // The output as the track map reads it: chunk by chunk, one parser.
        TrackReportParser parser(0);
        QList<Report> chunked;
        QByteArray all;
        const auto read = [&] {
            const QByteArray chunk = p.readAllStandardOutput();
            all += chunk;
            for (const Report& r : parser.Feed(chunk))
                chunked << r;
        };
        connect(&p, &QProcess::readyReadStandardOutput, this, read);
        QSignalSpy finished(&p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        p.start(toolPath(tool), withPaths(args, *m_sim));
        QVERIFY(finished.wait(120000));
        read();

        QCOMPARE(reportCounts(chunked), expected);
        QCOMPARE(reportCounts(parseReports(all)), expected);
        QCOMPARE(all.count("(T"), chunked.size());  // no report hidden behind another
        int previous = -1;
        for (const Report& r : chunked) {
            QCOMPARE(r.track - trackOffset, r.cylinder * 2 + r.head);
            QVERIFY(r.track >= previous);
            previous = r.track;
        }
        QVERIFY(all.contains("\x1b[2K"));
        const bool retried = std::any_of(expected.begin(), expected.end(), [](int n) { return n > 1; });
        QCOMPARE(all.contains("\x1b[1A"), retried);
        QCOMPARE(all.contains('\0'), env.contains("KESTA_SIM_GARBAGE"));
    }

    // "-t N" reads one track into an existing image and leaves every other byte alone.
    void singleTrackRedump()
    {
        const QString path = m_sim->work("redump.HVR");
        QCOMPARE(m_sim->run("drvdump", {"-i", "1", "-r", "2", path}, {{"KESTA_SIM_BAD", "5,6"}}).exitCode, 3);
        const Image before = Image::load(path);
        QVERIFY(before.valid);
        QCOMPARE(before.status(2, 1), 3);
        QCOMPARE(before.status(3, 0), 3);

        const Result r = m_sim->run("drvdump", {"-i", "1", "-r", "2", "-t", "5", path}, {{"KESTA_SIM_BAD", "6"}});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(reportCounts(parseReports(r.out)), (Counts{{5, 1}}));
        const Image after = Image::load(path);
        QVERIFY(after.valid);
        const int from = before.recordOffset(2, 1), to = before.recordOffset(3, 0);
        QVERIFY(after.bytes.left(from) == before.bytes.left(from));
        QVERIFY(after.bytes.mid(to) == before.bytes.mid(to));
        QCOMPARE(after.status(2, 1), 1);
        QVERIFY(after.data(2, 1) == Image::load(m_sim->stateDir() + "/disks/drive1.hvr").data(2, 1));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Env>("env");
        QTest::addColumn<QString>("message");

        QTest::newRow("dump, empty drive") << "drvdump" << QStringList{"-i", "0", "%OUT"}
                                           << Env{{"KESTA_SIM_EMPTY", "0"}} << "no disk";
        QTest::newRow("dump over a foreign file") << "drvdump" << QStringList{"-i", "1", "%TXT"} << Env{}
                                                  << "not overwritten";
        QTest::newRow("single track, no image") << "drvdump" << QStringList{"-i", "1", "-t", "3", "%OUT"} << Env{}
                                                << "cannot open";
        QTest::newRow("restore, write protected") << "drvrestore" << QStringList{"-i", "0", "%IMG"}
                                                  << Env{{"KESTA_SIM_PROTECT", "0"}} << "write protected";
        QTest::newRow("restore, not an image") << "drvrestore" << QStringList{"-i", "0", "%TXT"} << Env{}
                                               << "not an HVR image";
        QTest::newRow("unformat, write protected") << "drvunformat" << QStringList{"-i", "1"}
                                                   << Env{{"KESTA_SIM_PROTECT", "1"}} << "write protected";
    }

    // Conditions of the drive or the files stop a tool before it touches anything.
    void refusals()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(Env, env);
        QFETCH(QString, message);
        makeInputImage();
        QFile notes(m_sim->work("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("keep me\n");
        notes.close();
        const auto before = snapshot({m_sim->stateDir(), m_sim->work()});

        const Result r = m_sim->run(tool, withPaths(args, *m_sim), env);
        QVERIFY(r.finished);
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.out.contains(message.toUtf8()), r.out.constData());
        QVERIFY(parseReports(r.out).isEmpty());
        QCOMPARE(snapshot({m_sim->stateDir(), m_sim->work()}), before);
    }

    void badArguments_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        const QString out = "%OUT";
        QTest::newRow("dump, unknown option") << "drvdump" << QStringList{"-x", out};
        QTest::newRow("dump, drive 2") << "drvdump" << QStringList{"-i", "2", out};
        QTest::newRow("dump, begin after end") << "drvdump" << QStringList{"-b", "5", "-e", "3", out};
        QTest::newRow("restore, flag") << "drvrestore" << QStringList{"-u", "2", "%IMG"};
        QTest::newRow("unformat, a path") << "drvunformat" << QStringList{"-i", "0", out};
        QTest::newRow("drvctl, verb") << "drvctl" << QStringList{"-i", "0", "-c", "fly"};
        QTest::newRow("hvrconv, no output") << "hvrconv" << QStringList{"-i", "%IMG", "-n", "1"};
        QTest::newRow("hvrtool, type") << "hvrtool" << QStringList{"-c", "-t", "3HD", out};
    }

    // A command line a tool does not accept: one line on standard error, a
    // failure status, no output and no change anywhere.
    void badArguments()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        makeInputImage();
        const auto before = snapshot({m_sim->stateDir(), m_sim->work()});
        const Result r = m_sim->run(tool, withPaths(args, *m_sim));
        QVERIFY(r.finished);
        QVERIFY(r.exitCode != 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.endsWith('\n') && r.err.startsWith(tool.toUtf8() + ": "));
        QCOMPARE(snapshot({m_sim->stateDir(), m_sim->work()}), before);
    }
};

QTEST_GUILESS_MAIN(TestSimDisk)
#include "tst_simdisk.moc"
