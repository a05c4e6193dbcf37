#include <QtTest>

#include "cylinderrules.h"

Q_DECLARE_METATYPE(CylinderRules::Changed)

static const QString NG = QStringLiteral("---");

class TestCylinderRules : public QObject
{
    Q_OBJECT

private slots:
    void apply_data()
    {
        QTest::addColumn<QString>("c");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("e");
        QTest::addColumn<CylinderRules::Changed>("changed");
        QTest::addColumn<QString>("newBegin"); // "" = not written
        QTest::addColumn<QString>("newEnd");

        const auto C = CylinderRules::CylindersChanged;
        const auto B = CylinderRules::BeginChanged;
        const auto E = CylinderRules::EndChanged;

        QTest::newRow("cylinders to 1") << "1" << "0" << "39" << C << "" << "0";
        QTest::newRow("begin to 50 in 40") << "40" << "50" << "39" << B << "39" << "";
        QTest::newRow("cylinders down, begin beyond") << "40" << "60" << "79" << C << "39" << "39";
        QTest::newRow("cylinders equal to end") << "39" << "0" << "39" << C << "" << "38";
        QTest::newRow("cylinders not given reads 40") << NG << "0" << "79" << C << "" << "39";
        QTest::newRow("end not given, cylinders 10") << "10" << "0" << NG << C << "" << "9";
        QTest::newRow("begin not given stays") << "10" << NG << "20" << C << "" << "9";
        QTest::newRow("begin above end") << "80" << "50" << "20" << B << "20" << "";
        QTest::newRow("end below begin") << "80" << "50" << "20" << E << "" << "50";
        QTest::newRow("end beyond count") << "40" << "0" << "60" << E << "" << "39";
        QTest::newRow("end while begin beyond") << "40" << "60" << "10" << E << "39" << "39";
        QTest::newRow("all not given") << NG << NG << NG << E << "" << "";
        QTest::newRow("begin not given above end reads 0") << "40" << NG << "0" << B << "" << "";
    }

    void apply()
    {
        QFETCH(QString, c);
        QFETCH(QString, b);
        QFETCH(QString, e);
        QFETCH(CylinderRules::Changed, changed);
        QFETCH(QString, newBegin);
        QFETCH(QString, newEnd);
        const CylinderRules::Result r = CylinderRules::Apply(c, b, e, changed);
        QCOMPARE(r.writeBegin, !newBegin.isEmpty());
        QCOMPARE(r.writeEnd, !newEnd.isEmpty());
        if (r.writeBegin)
            QCOMPARE(r.begin, newBegin);
        if (r.writeEnd)
            QCOMPARE(r.end, newEnd);
    }

    void resultIsSettled()
    {
        // After the writes of any rule the values are in order and no rule asks
    // for anything more, so the rules settle whatever order values arrive in.
        const QList<int> picks{-1, 0, 1, 2, 10, 38, 39, 40, 41, 60, 78, 79, 80, 82, 83};
        const auto text = [](int v) { return v < 0 ? NG : QString::number(v); };
        for (int c = 0; c <= 84; ++c) {
            const QString ct = c == 0 ? NG : QString::number(c);
            for (int b : picks) {
                for (int e : picks) {
                    for (auto changed : {CylinderRules::CylindersChanged, CylinderRules::BeginChanged,
                                         CylinderRules::EndChanged}) {
                        const auto r = CylinderRules::Apply(ct, text(b), text(e), changed);
                        const QString nb = r.writeBegin ? r.begin : text(b);
                        const QString ne = r.writeEnd ? r.end : text(e);
                        // where all three are numbers: BEGIN <= END <= CYLINDERS - 1
                        bool okB = false, okE = false;
                        const int bn = nb.toInt(&okB), en = ne.toInt(&okE);
                        if (c > 0 && okB && okE && !(bn <= en && en <= c - 1))
                            QFAIL(qPrintable(QString("%1/%2/%3 out of order").arg(ct, nb, ne)));
                        for (auto again : {CylinderRules::CylindersChanged, CylinderRules::BeginChanged,
                                           CylinderRules::EndChanged}) {
                            if (!CylinderRules::Apply(ct, nb, ne, again).NothingToWrite())
                                QFAIL(qPrintable(QString("%1/%2/%3 not settled").arg(ct, nb, ne)));
                        }
                    }
                }
            }
        }
    }
};

QTEST_MAIN(TestCylinderRules)
#include "tst_cylinderrules.moc"
