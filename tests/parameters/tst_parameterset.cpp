#include <QTemporaryDir>
#include <QtTest>

#include "mycommon.h"
#include "parameterset.h"

using Pairs = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Pairs)

class TestParameterSet : public QObject
{
    Q_OBJECT

private slots:
    void splitElement_data();
    void splitElement();
    void roundTrip_data();
    void roundTrip();
    void readsEarlierFiles();
    void laterElementOfAKeyWins();
    void setValueKeepsOneEntry();
    void textFormOrderIsFixed();
    void presetDefaults_data();
    void presetDefaults();
};

void TestParameterSet::splitElement_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("plain") << "CYLINDERS/80" << true << "CYLINDERS" << "80";
    QTest::newRow("blank after comma") << " STEPS/1" << true << "STEPS" << "1";
    QTest::newRow("blanks round both") << "  HEADS  /  2  " << true << "HEADS" << "2";
    QTest::newRow("slash in value") << "name/PC-98/2HD" << true << "name" << "PC-98/2HD";
    QTest::newRow("value only slashes") << "name///" << true << "name" << "//";
    QTest::newRow("empty value") << "DENSITY/" << true << "DENSITY" << "";
    QTest::newRow("not given") << "ASSERT_PIN3/---" << true << "ASSERT_PIN3" << "---";
    QTest::newRow("no slash") << "CYLINDERS80" << false << "" << "";
    QTest::newRow("empty element") << "" << false << "" << "";
    QTest::newRow("blank key") << "  /80" << false << "" << "";
}

void TestParameterSet::splitElement()
{
    QFETCH(QString, element);
    QFETCH(bool, ok);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QString k, v;
    QCOMPARE(ParameterSet::SplitElement(element, &k, &v), ok);
    if (ok) {
        QCOMPARE(k, key);
        QCOMPARE(v, value);
    }
}

void TestParameterSet::roundTrip_data()
{
    QTest::addColumn<Pairs>("pairs");
    QTest::addColumn<Pairs>("expected"); // what reading back gives

    const Pairs full{{"DRIVES", "0"},      {"CYLINDERS", "80"},  {"HEADS", "2"},
                     {"BEGIN", "0"},       {"END", "79"},        {"STEPS", "1"},
                     {"DENSITY", "high"},  {"FORMAT", "encode"}, {"ASSERT_PIN1", "---"},
                     {"ASSERT_PIN2", "---"}, {"ASSERT_PIN3", "---"}, {"RETRY", "3"},
                     {"FLAG", "1"},        {"DISKNO", "1"},      {"OVERWRITE", "SETTING"},
                     {"name", "X68000 games"}};
    QTest::newRow("full named set") << full << full;
    QTest::newRow("slash in name") << Pairs{{"name", "PC-98/2HD/b"}, {"HEADS", "2"}}
                                   << Pairs{{"name", "PC-98/2HD/b"}, {"HEADS", "2"}};
    QTest::newRow("empty name") << Pairs{{"name", ""}, {"CYLINDERS", "40"}}
                                << Pairs{{"name", ""}, {"CYLINDERS", "40"}};
    QTest::newRow("blanks inside name kept") << Pairs{{"name", "my  disk 1"}}
                                             << Pairs{{"name", "my  disk 1"}};
    QTest::newRow("outer blanks of name trimmed") << Pairs{{"name", "  padded  "}}
                                                  << Pairs{{"name", "padded"}};
    QTest::newRow("empty values") << Pairs{{"DENSITY", ""}, {"FORMAT", ""}}
                                  << Pairs{{"DENSITY", ""}, {"FORMAT", ""}};
    QTest::newRow("unknown key travels") << Pairs{{"EXTRA", "x/y"}, {"DRIVES", "1"}}
                                         << Pairs{{"EXTRA", "x/y"}, {"DRIVES", "1"}};
    QTest::newRow("comma in name") << Pairs{{"name", "a, b"}} << Pairs{{"name", "a, b"}};
}

void TestParameterSet::roundTrip()
{
    QFETCH(Pairs, pairs);
    QFETCH(Pairs, expected);
    ParameterSet set;
    for (const auto& p : pairs)
        set.SetValue(p.first, p.second);
    const QStringList text = set.ToTextForm();
    QCOMPARE(text.size(), pairs.size());
    QScopedPointer<ParameterSet> back(ParameterSet::FromTextForm(text));
    QCOMPARE(back->size(), expected.size());
    for (const auto& p : expected) {
        QCOMPARE(back->count(p.first), 1);
        QCOMPARE(back->Value(p.first), p.second);
    }
}

void TestParameterSet::readsEarlierFiles()
{
    // Lists as earlier versions wrote them (no "/" inside values, any order),
    // together with elements a hand edit might leave.
    const QStringList list{"STEPS/1", "name/old set", "CYLINDERS/77", "garbage", "", "END/76"};
    QScopedPointer<ParameterSet> set(ParameterSet::FromTextForm(list));
    QCOMPARE(set->size(), 4);
    QCOMPARE(set->Name(), QString("old set"));
    QCOMPARE(set->Value("CYLINDERS"), QString("77"));
    QCOMPARE(set->Value("END"), QString("76"));
    QCOMPARE(set->Value("STEPS"), QString("1"));
    QCOMPARE(set->Value("HEADS"), QString()); // lacking key reads ""
    QVERIFY(!set->contains("HEADS"));
}

void TestParameterSet::laterElementOfAKeyWins()
{
    QScopedPointer<ParameterSet> set(
        ParameterSet::FromTextForm({"HEADS/1", "name/a", "HEADS/2", "name/b"}));
    QCOMPARE(set->count("HEADS"), 1);
    QCOMPARE(set->Value("HEADS"), QString("2"));
    QCOMPARE(set->count("name"), 1);
    QCOMPARE(set->Name(), QString("b"));
}

void TestParameterSet::setValueKeepsOneEntry()
{
    ParameterSet set;
    set.insert("DRIVES", "0");
    set.insert("DRIVES", "1"); // a caller that used the multi-map insert
    set.SetValue("DRIVES", "0");
    QCOMPARE(set.count("DRIVES"), 1);
    QCOMPARE(set.ToTextForm(), QStringList{"DRIVES/0"});
}

void TestParameterSet::textFormOrderIsFixed()
{
    ParameterSet set;
    set.SetName("n");
    set.SetValue("ZZZ", "1");
    set.SetValue("OVERWRITE", "SETTING");
    set.SetValue("DRIVES", "1");
    set.SetValue("AAA", "2");
    QCOMPARE(set.ToTextForm(),
             (QStringList{"DRIVES/1", "OVERWRITE/SETTING", "name/n", "AAA/2", "ZZZ/1"}));
}

void TestParameterSet::presetDefaults_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("cylinders");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("density");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("pin1");
    QTest::addColumn<QString>("pin2");
    QTest::addColumn<QString>("pin3");

    for (const QString op : {"DUMP", "RESTORE", "UNFORMAT"}) {
        QTest::addRow("%s X68K", qPrintable(op))
            << op + "/X68KBTN" << "80" << "79" << "high" << "1" << "---" << "---" << "---";
        QTest::addRow("%s PC88", qPrintable(op))
            << op + "/PC88BTN" << "40" << "39" << "double" << "1" << "2" << "4" << "12";
        QTest::addRow("%s X1", qPrintable(op))
            << op + "/X1BTN" << "40" << "39" << "double" << "1" << "2" << "---" << "---";
        QTest::addRow("%s FM77", qPrintable(op))
            << op + "/FM77BTN" << "40" << "39" << "double" << "2" << "---" << "---" << "---";
    }
}

void TestParameterSet::presetDefaults()
{
    QFETCH(QString, key);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MyCommon::getInstance()->OpenSettingInstance(dir.filePath("KESTAcon.ini"));

    const QStringList list = MyCommon::getInstance()->GetSettingStringList(key);
    QCOMPARE(list.size(), 14);
    QVERIFY(list.at(1).startsWith(' ')); // the blank after the comma is still there
    QScopedPointer<ParameterSet> set(ParameterSet::FromTextForm(list));
    QCOMPARE(set->size(), 14);
    QVERIFY(!set->contains("name"));
    QTEST(set->Value("CYLINDERS"), "cylinders");
    QTEST(set->Value("END"), "end");
    QTEST(set->Value("DENSITY"), "density");
    QTEST(set->Value("STEPS"), "steps");
    QTEST(set->Value("ASSERT_PIN1"), "pin1");
    QTEST(set->Value("ASSERT_PIN2"), "pin2");
    QTEST(set->Value("ASSERT_PIN3"), "pin3");
    QCOMPARE(set->Value("BEGIN"), QString("0"));
    QCOMPARE(set->Value("DRIVES"), QString("0"));
    QCOMPARE(set->Value("HEADS"), QString("2"));
    QCOMPARE(set->Value("RETRY"), QString("3"));
    QCOMPARE(set->Value("FLAG"), QString("1"));
    QCOMPARE(set->Value("DISKNO"), QString("1"));
    QCOMPARE(set->Value("FORMAT"), QString("encode"));
    MyCommon::getInstance()->DeleteSettingInstance();
}

QTEST_GUILESS_MAIN(TestParameterSet)
#include "tst_parameterset.moc"
