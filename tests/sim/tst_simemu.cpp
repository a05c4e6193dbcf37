// The drive emulator and its control tool as the controller sees them: rows
// of the listing carry the drive state, insert/eject/protect change it, and
// two state folders never meet.

#include "simtestkit.h"

#include <QDeadlineTimer>

using namespace simtest;

class TestSimEmu : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Sim> m_sim;

    QProcess* startEmulator(Sim& sim)
    {
        QProcess* p = sim.start("drvemu", {"-v", "-o x0", "-o m0"});
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

    // insert, protect, eject: each answers with the listing, whose row shows
    // the change; the other drive stays as it was.
    void driveCommands()
    {
        QVERIFY(startEmulator(*m_sim));
        const Result listed = m_sim->run("drvctl", {"-l"});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listingRow(listed.out, 1), (QStringList{"1", "--", "0", "EMPTY"}));

        // Options in any order, a path relative to the working folder.
        const Result in = m_sim->run("drvctl", {"-c", "insert", "a.HVR", "-i", "1"});
        const QStringList row = listingRow(in.out, 1);
        bool number = false;
        QVERIFY(row.size() >= 4 && (row.at(2).toInt(&number), number));
        QCOMPARE(row.mid(0, 2), (QStringList{"1", "--"}));
        QCOMPARE(row.at(3), m_sim->work("a.HVR"));
        QCOMPARE(listingRow(in.out, 0).at(3), QString("EMPTY"));
        QCOMPARE(listingRow(m_sim->run("drvctl", {"-l"}).out, 1).at(3), m_sim->work("a.HVR"));

        const QStringList protect{"-i", "1", "-c", "protect"};
        QVERIFY(listingRow(m_sim->run("drvctl", protect).out, 1).at(1) != "--");
        QCOMPARE(listingRow(m_sim->run("drvctl", protect).out, 1).at(1), QString("--"));
        QVERIFY(listingRow(m_sim->run("drvctl", protect + QStringList{"on"}).out, 1).at(1) != "--");

        const QStringList ejected = listingRow(m_sim->run("drvctl", {"eject", "-i", "1"}).out, 1);
        QCOMPARE(ejected.value(3), QString("EMPTY"));
        QCOMPARE(ejected.value(1), QString("--"));
    }

    // Two state folders are two boards: emulators, drives and the recording
    // pkill stay apart, and pkill without a folder reaches nothing.
    void foldersStayApart()
    {
        Sim other;
        QVERIFY(startEmulator(*m_sim));
        QVERIFY(!other.emulatorRunning());
        QProcess* otherEmu = startEmulator(other);
        QVERIFY(otherEmu);
        QVERIFY(m_sim->run("drvemu", {"-v"}).out.contains("already running"));

        QCOMPARE(m_sim->run("drvctl", {"-i", "0", "insert", m_sim->work("a.HVR")}).exitCode, 0);
        QCOMPARE(listingRow(other.run("drvctl", {"-l"}).out, 0).value(3), QString("EMPTY"));
        QCOMPARE(other.run("drvunformat", {"-i", "1", "-c", "2"}).exitCode, 0);
        QCOMPARE(m_sim->run("drvdump", {"-i", "1", "-e", "1", m_sim->work("d.HVR")}).exitCode, 0);
        QCOMPARE(Image::load(m_sim->work("d.HVR")).status(0, 0), 1);

        QProcessEnvironment noFolder = m_sim->environment();
        noFolder.remove("KESTA_SIM_DIR");
        QProcess bare;
        bare.setProcessEnvironment(noFolder);
        bare.start(stubPath("pkill"), {"drvemu"});
        QVERIFY(bare.waitForFinished(30000));
        QCOMPARE(bare.exitCode(), 1);

        QSignalSpy finished(otherEmu, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        QCOMPARE(other.run(stubPath("pkill"), {"drvemu"}).exitCode, 0);
        QVERIFY(finished.count() > 0 || finished.wait(30000));
        QVERIFY(m_sim->emulatorRunning());
        QVERIFY(!other.emulatorRunning());
        QCOMPARE(other.run(stubPath("pkill"), {"drvemu"}).exitCode, 1);
        QVERIFY(m_sim->emulatorRunning());
    }
};

QTEST_GUILESS_MAIN(TestSimEmu)
#include "tst_simemu.moc"
