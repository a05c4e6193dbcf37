#include <QtTest>

#include "diskoperationdriver.h"
#include "mygraphicaldumpdisplay.h"
#include "ui_mainwindow.h"

// A dump through the window against a board that cuts its output anywhere,
// talks noise and has worn disks: the map shows what the image holds.
class TestDumpAgainstBoard : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); ui->LEDT_DUMP_FILENAME->setText("game"); }
    void cleanup() { tearDown(); }

    void mapEqualsImage_data()
    {
        QTest::addColumn<QByteArray>("disk");
        for (const char* chunk : {"report", "random", "block", "byte"})
            for (const char* noise : {"0", "1"})
                for (const char* disk : {"clean", "worn", "damaged"})
                    QTest::addRow("%s noise=%s %s", chunk, noise, disk) << QByteArray(disk);
    }
    void mapEqualsImage()
    {
        QFETCH(QByteArray, disk);
        const QList<QByteArray> knobs = QByteArray(QTest::currentDataTag()).split(' ');
        qputenv("KESTA_SIM_CHUNK", knobs[0]);
        qputenv("KESTA_SIM_NOISE", knobs[1].mid(6));
        qputenv("KESTA_SIM_DISK", disk);
        ui->BTN_DUMP_RETRY->setCurrentText("3"); // weak tracks that need 3 or 4 tries are given up
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();

        QProcess sim; // the image's own account: "TRACK OUTCOME TRIES" per track
        sim.start(QFileInfo(TestEnv::simBinDir()).path() + "/kesta-sim", {"tracks", imagePath("game")});
        QVERIFY(sim.waitForFinished(30000) && sim.exitCode() == 0);
        const QString log = ui->EDT_LOG_DISPLAY->toPlainText();
        QMap<QByteArray, int> outcomes;
        for (const QByteArray& line : sim.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 3)
                continue;
            const int track = f[0].toInt();
            const int expected = f[1] == "good" ? 1 : f[1] == "retried" ? f[2].toInt() : f[1] == "unreadable" ? 255 : 0;
            QVERIFY2(ui->WDT_DUMPSTATUS->TrackState(track) == expected, line.constData());
            QVERIFY2(log.contains(QString::asprintf("(T%03d C%02d H%d)", track, track / 2, track % 2)), line.constData());
            ++outcomes[f[1]];
        }
        QCOMPARE(outcomes.value("good") + outcomes.value("retried") + outcomes.value("unreadable"), 80);
        QCOMPARE(outcomes.contains("retried"), disk != "clean");
        QCOMPARE(outcomes.contains("unreadable"), disk != "clean");
    }
};

QTEST_MAIN(TestDumpAgainstBoard)
#include "tst_dumpagainstboard.moc"
