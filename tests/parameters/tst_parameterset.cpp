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
    void splitElement_data()
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
        QTest::newRow("no slash") << "CYLINDERS80" << false << "" << "";
        QTest::newRow("blank key") << "  /80" << false << "" << "";
    }

    void splitElement()
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

    void roundTrip_data()
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
        QTest::newRow("outer blanks of name trimmed") << Pairs{{"name", "  padded  "}}
                                                      << Pairs{{"name", "padded"}};
        QTest::newRow("unknown key travels") << Pairs{{"EXTRA", "x/y"}, {"DRIVES", "1"}}
                                             << Pairs{{"EXTRA", "x/y"}, {"DRIVES", "1"}};
        QTest::newRow("comma in name") << Pairs{{"name", "a, b"}} << Pairs{{"name", "a, b"}};
    }

    void roundTrip()
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

    void readsEarlierFiles()
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

    void laterElementOfAKeyWins()
    {
        QScopedPointer<ParameterSet> set(
            ParameterSet::FromTextForm({"HEADS/1", "name/a", "HEADS/2", "name/b"}));
        QCOMPARE(set->count("HEADS"), 1);
        QCOMPARE(set->Value("HEADS"), QString("2"));
        QCOMPARE(set->count("name"), 1);
        QCOMPARE(set->Name(), QString("b"));
    }

    void setValueKeepsOneEntry()
    {
        ParameterSet set;
        set.insert("DRIVES", "0");
        set.insert("DRIVES", "1"); // a caller that used the multi-map insert
        set.SetValue("DRIVES", "0");
        QCOMPARE(set.count("DRIVES"), 1);
        QCOMPARE(set.ToTextForm(), QStringList{"DRIVES/0"});
    }

    void textFormOrderIsFixed()
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

    // The preset strings of the default table, read as the preset buttons read
    // them: every element splits despite the blank after each comma.
    void presetDefaults()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MyCommon::getInstance()->OpenSettingInstance(dir.filePath("KESTAcon.ini"));
        for (const QString op : {"DUMP", "RESTORE", "UNFORMAT"}) {
            for (const QString preset : {"X68KBTN", "PC88BTN", "X1BTN", "FM77BTN"}) {
                const QStringList list = MyCommon::getInstance()->GetSettingStringList(op + "/" + preset);
                QCOMPARE(list.size(), 14);
                QScopedPointer<ParameterSet> set(ParameterSet::FromTextForm(list));
                QCOMPARE(set->size(), 14);
                QVERIFY(set->contains("STEPS") && set->contains("DISKNO") && !set->contains("name"));
                QCOMPARE(set->Value("END").toInt(), set->Value("CYLINDERS").toInt() - 1);
            }
        }
        MyCommon::getInstance()->DeleteSettingInstance();
    }
};

QTEST_GUILESS_MAIN(TestParameterSet)
#include "tst_parameterset.moc"
