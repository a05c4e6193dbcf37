#include <QRandomGenerator>
#include <QtTest>

#include "cylinderrules.h"
#include "myparameterbutton.h"

Q_DECLARE_METATYPE(CylinderRules::Changed)

namespace {

const QString NG = QStringLiteral("---");

// The three cylinder buttons of a panel wired the way the main window wires
// them: each change runs the rule of that button and writes END, then BEGIN.
// No re-entry guard, so the writes re-enter the rules.
class Panel : public QObject
{
public:
    MyParameterButton cylinders;
    MyParameterButton begin;
    MyParameterButton end;
    int runs = 0;

    Panel()
    {
        cylinders.addItem(NG);
        begin.addItem(NG);
        end.addItem(NG);
        for (int i = 1; i <= 84; ++i)
            cylinders.addItem(QString::number(i));
        for (int i = 0; i <= 83; ++i) {
            begin.addItem(QString::number(i));
            end.addItem(QString::number(i));
        }
        connect(&cylinders, &MyParameterButton::currentIndexChanged, this,
                [this] { Run(CylinderRules::CylindersChanged); });
        connect(&begin, &MyParameterButton::currentIndexChanged, this,
                [this] { Run(CylinderRules::BeginChanged); });
        connect(&end, &MyParameterButton::currentIndexChanged, this,
                [this] { Run(CylinderRules::EndChanged); });
    }

    void Run(CylinderRules::Changed changed)
    {
        ++runs;
        if (runs > 100)
            return; // a runaway; the test reports it through the count
        const CylinderRules::Result r = CylinderRules::Apply(
            cylinders.currentText(), begin.currentText(), end.currentText(), changed);
        if (r.writeEnd)
            end.setCurrentText(r.end);
        if (r.writeBegin)
            begin.setCurrentText(r.begin);
    }

    QString State() const
    {
        return cylinders.currentText() + "/" + begin.currentText() + "/" + end.currentText();
    }

    // BEGIN <= END <= CYLINDERS - 1 in the readings the rules use, which
    // covers the case where all three are numbers.
    bool Settled() const
    {
        const int c = CylinderRules::ReadValue(cylinders.currentText(), 40);
        const int b = CylinderRules::ReadValue(begin.currentText(), 0);
        const int e = CylinderRules::ReadValue(end.currentText(), 39);
        return 0 <= b && b <= e && e <= c - 1;
    }
};

} // namespace

class TestCylinderRules : public QObject
{
    Q_OBJECT

private slots:
    void apply_data();
    void apply();
    void resultIsSettled();
    void setAppliedInPanelOrder_data();
    void setAppliedInPanelOrder();
    void randomPicksSettle_data();
    void randomPicksSettle();
};

void TestCylinderRules::apply_data()
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
    QTest::newRow("cylinders up, nothing to do") << "80" << "0" << "39" << C << "" << "";
    QTest::newRow("cylinders equal to end") << "39" << "0" << "39" << C << "" << "38";
    QTest::newRow("cylinders not given reads 40") << NG << "0" << "79" << C << "" << "39";
    QTest::newRow("end not given, cylinders 80") << "80" << "0" << NG << C << "" << "";
    QTest::newRow("end not given, cylinders 10") << "10" << "0" << NG << C << "" << "9";
    QTest::newRow("begin not given stays") << "10" << NG << "20" << C << "" << "9";
    QTest::newRow("begin above end") << "80" << "50" << "20" << B << "20" << "";
    QTest::newRow("begin beyond, end beyond") << "40" << "50" << "45" << B << "39" << "39";
    QTest::newRow("end below begin") << "80" << "50" << "20" << E << "" << "50";
    QTest::newRow("end beyond count") << "40" << "0" << "60" << E << "" << "39";
    QTest::newRow("end while begin beyond") << "40" << "60" << "10" << E << "39" << "39";
    QTest::newRow("end to 79 while begin beyond") << "40" << "60" << "79" << E << "39" << "39";
    QTest::newRow("settled") << "84" << "0" << "83" << B << "" << "";
    QTest::newRow("all not given") << NG << NG << NG << E << "" << "";
    QTest::newRow("begin not given above end reads 0") << "40" << NG << "0" << B << "" << "";
}

void TestCylinderRules::apply()
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

void TestCylinderRules::resultIsSettled()
{
    // After the writes of any rule, no rule asks for anything more.
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

void TestCylinderRules::setAppliedInPanelOrder_data()
{
    QTest::addColumn<QStringList>("start");  // CYLINDERS, BEGIN, END on the panel
    QTest::addColumn<QStringList>("set");    // the set's values, applied in this order
    QTest::addColumn<QStringList>("result");

    QTest::newRow("40 preset on 80 at 60..79") << QStringList{"80", "60", "79"}
                                               << QStringList{"40", "0", "39"}
                                               << QStringList{"40", "0", "39"};
    QTest::newRow("40 preset on 80 at 0..79") << QStringList{"80", "0", "79"}
                                              << QStringList{"40", "0", "39"}
                                              << QStringList{"40", "0", "39"};
    QTest::newRow("80 preset on 40") << QStringList{"40", "0", "39"} << QStringList{"80", "0", "79"}
                                     << QStringList{"80", "0", "79"};
    QTest::newRow("1 cylinder on 84 at 83") << QStringList{"84", "83", "83"}
                                            << QStringList{"1", "0", "0"}
                                            << QStringList{"1", "0", "0"};
    QTest::newRow("not given begin and end") << QStringList{"84", "83", "83"}
                                             << QStringList{"40", NG, NG}
                                             << QStringList{"40", NG, NG};
    // BEGIN arrives before END, so BEGIN is held at the END of the time
    QTest::newRow("begin beyond the old end") << QStringList{"40", "0", "39"}
                                              << QStringList{"80", "60", "79"}
                                              << QStringList{"80", "39", "79"};
    QTest::newRow("lacking keys change nothing") << QStringList{"80", "60", "79"}
                                                 << QStringList{"", "", ""}
                                                 << QStringList{"80", "60", "79"};
}

void TestCylinderRules::setAppliedInPanelOrder()
{
    QFETCH(QStringList, start);
    QFETCH(QStringList, set);
    QFETCH(QStringList, result);
    Panel panel;
    // a settled starting state, reached by picks
    panel.cylinders.setCurrentText(start[0]);
    panel.end.setCurrentText(start[2]);
    panel.begin.setCurrentText(start[1]);
    QCOMPARE(panel.State(), start.join('/'));

    // DRIVES, CYLINDERS, HEADS, BEGIN, END, ...: the cylinder buttons in that order
    for (int i = 0; i < 3; ++i) {
        panel.runs = 0;
        MyParameterButton* button = i == 0 ? &panel.cylinders : i == 1 ? &panel.begin : &panel.end;
        button->setCurrentText(set[i]);
        QVERIFY2(panel.runs <= 3, qPrintable(QString::number(panel.runs)));
        QVERIFY(panel.Settled());
    }
    QCOMPARE(panel.State(), result.join('/'));
}

void TestCylinderRules::randomPicksSettle_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 7u, 2024u, 31337u})
        QTest::addRow("seed %u", seed) << seed;
}

void TestCylinderRules::randomPicksSettle()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    Panel panel;
    int most = 0;
    for (int step = 0; step < 3000; ++step) {
        MyParameterButton* buttons[] = {&panel.cylinders, &panel.begin, &panel.end};
        MyParameterButton* button = buttons[rng.bounded(3)];
        const QStringList items = button->getItemList();
        const QString before = panel.State();
        const QString pick = items.at(rng.bounded(items.size()));
        panel.runs = 0;
        button->setCurrentText(pick);
        most = qMax(most, panel.runs);
        if (panel.runs > 3 || !panel.Settled())
            QFAIL(qPrintable(QString("from %1 picking %2 on %3: %4 after %5 rule runs")
                                 .arg(before, pick, button == &panel.cylinders ? "CYLINDERS"
                                                    : button == &panel.begin   ? "BEGIN"
                                                                               : "END",
                                      panel.State())
                                 .arg(panel.runs)));
    }
    QVERIFY(most >= 2); // the sequence did exercise re-entered rules
}

QTEST_MAIN(TestCylinderRules)
#include "tst_cylinderrules.moc"
