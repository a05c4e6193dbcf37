// The image tools: blank images with the right header, conversions that keep
// the track data, and no existing file ever overwritten.

#include "simtestkit.h"

using namespace simtest;

class TestSimImage : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Sim> m_sim;

private slots:
    void initTestCase() { qRegisterMetaType<QProcess::ExitStatus>(); }
    void init()
    {
        m_sim = std::make_unique<Sim>();
        QCOMPARE(m_sim->run("drvdump", {"-i", "1", "-r", "2", m_sim->work("in.HVR")}, {{"KESTA_SIM_BAD", "3"}})
                     .exitCode,
                 3);
    }
    void cleanup() { m_sim.reset(); }

    void makeBlank_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("header"); // name, type, rpm, protect
        QTest::addColumn<int>("cylinders");
        QTest::addColumn<int>("trackSize");
        QTest::newRow("quoted name, 2HD") << QStringList{"-c", "-t", "2HD", "-r", "360", "-n", "'BLANK IMAGE'", "-p", "off"}
                                          << QStringList{"BLANK IMAGE", "2HD", "360", "off"} << 77 << 8192;
        QTest::newRow("empty quoted name, 2D") << QStringList{"-c", "-t", "2D", "-r", "300", "-n", "''", "-p", "on"}
                                               << QStringList{"", "2D", "300", "on"} << 40 << 4096;
        QTest::newRow("options reordered, 2DD")
            << QStringList{"-p", "on", "-n", "GAME 'A'", "-r", "360", "-t", "2DD", "-c"}
            << QStringList{"GAME 'A'", "2DD", "360", "on"} << 80 << 4608;
    }

    void makeBlank()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, header);
        QFETCH(int, cylinders);
        QFETCH(int, trackSize);
        const QString path = m_sim->work("blank.HVR");
        QCOMPARE(m_sim->run("hvrtool", args + QStringList{path}).exitCode, 0);
        const Image img = Image::load(path);
        QVERIFY(img.valid);
        const QStringList shown{img.header.value("name"), img.header.value("type"), img.header.value("rpm"),
                                img.header.value("protect")};
        QCOMPARE(shown, header);
        QCOMPARE(img.cylinders, cylinders);
        QCOMPARE(img.heads, 2);
        QCOMPARE(img.trackSize, trackSize);
        QCOMPARE(img.status(cylinders - 1, 1), 2);

        // Making it again leaves the image alone.
        const QByteArray before = fileBytes(path);
        const Result again = m_sim->run("hvrtool", {"-c", "-t", "2HD", path});
        QVERIFY(again.exitCode != 0);
        QVERIFY(again.out.contains("not overwritten"));
        QVERIFY(fileBytes(path) == before);
    }

    void convert_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("format");
        QTest::newRow("to HVR with -f") << QStringList{"-n", "1", "-f", "raw"} << "out.HVR" << "raw";
        QTest::newRow("to D88, bare format word") << QStringList{"-n", "1", "encode"} << "out.D88" << "";
        QTest::newRow("to IMG, lower-case name") << QStringList{"raw"} << "out.img" << "";
    }

    // Every readable track of the source arrives unchanged; unreadable ones
    // stay unreadable (HVR) or become zeros (plain sector images).
    void convert()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        QFETCH(QString, format);
        const Image in = Image::load(m_sim->work("in.HVR"));
        QVERIFY(in.valid);
        const QString out = m_sim->work(output);
        QCOMPARE(m_sim->run("hvrconv", QStringList{"-i", m_sim->work("in.HVR"), "-o", out} + args).exitCode, 0);
        if (!format.isEmpty()) {
            const Image img = Image::load(out);
            QVERIFY(img.valid);
            QCOMPARE(img.header.value("format"), format);
            QVERIFY(img.bytes.mid(512) == in.bytes.mid(512));
            return;
        }
        const QByteArray raw = fileBytes(out);
        QCOMPARE(raw.size(), 40 * 2 * 4096);
        QVERIFY(raw.mid(3 * 4096, 4096) == QByteArray(4096, '\0'));
        QVERIFY(raw.mid(4 * 4096, 4096) == in.data(2, 0));

        // And back: the plain image becomes an HVR image of the same geometry.
        const QString back = m_sim->work("back.HVR");
        QCOMPARE(m_sim->run("hvrconv", {"-i", out, "-n", "1", "-o", back, "-f", "encode"}).exitCode, 0);
        const Image img = Image::load(back);
        QVERIFY(img.valid);
        QCOMPARE(img.cylinders, 40);
        QCOMPARE(img.header.value("type"), QString("2D"));
        QVERIFY(img.data(39, 1) == in.data(39, 1));
    }

    void convertRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("second disk") << QStringList{"-i", "%IN", "-n", "2", "-o", "%NEW", "-f", "encode"}
                                     << "not found";
        QTest::newRow("output exists") << QStringList{"-i", "%IN", "-n", "1", "-o", "%IN", "-f", "raw"}
                                       << "not overwritten";
        QTest::newRow("input of unknown size") << QStringList{"-i", "%ODD", "-n", "1", "-o", "%NEW", "raw"}
                                               << "unknown image format";
    }

    void convertRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFile odd(m_sim->work("odd.bin"));
        QVERIFY(odd.open(QIODevice::WriteOnly));
        odd.write("12345");
        odd.close();
        for (QString& a : args) {
            a.replace("%IN", m_sim->work("in.HVR"));
            a.replace("%NEW", m_sim->work("new.HVR"));
            a.replace("%ODD", m_sim->work("odd.bin"));
        }
        const auto before = snapshot({m_sim->work()});
        const Result r = m_sim->run("hvrconv", args);
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.out.contains(message.toUtf8()), r.out.constData());
        QCOMPARE(snapshot({m_sim->work()}), before);
    }
};

QTEST_GUILESS_MAIN(TestSimImage)
#include "tst_simimage.moc"
