#include <QtTest>

#include "table.h"

#include "cylinderrules.h"
#include "mycommon.h"
#include "parametermanage.h"

Q_DECLARE_METATYPE(CylinderRules::Changed)

namespace {

const QString NG = QStringLiteral("---");

ParameterSet* makeSet(const QString& name, const QString& cylinders)
{
    auto* set = new ParameterSet;
    set->SetName(name);
    set->SetValue("CYLINDERS", cylinders);
    set->SetValue("HEADS", "2");
    return set;
}

MyCommon* common() { return MyCommon::getInstance(); }

} // namespace

class TestParameterSet : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        common()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
    }

    void cleanup() { common()->DeleteSettingInstance(), m_dir.reset(); }

    // Hand-edited elements: blanks, slashes in the value, no slash or key, a key twice (the later wins).
    void readsOddLists()
    {
        QScopedPointer<ParameterSet> set(ParameterSet::FromTextForm(
            {"STEPS/1", " name / PC-98/2HD// ", "  HEADS  /  1  ", "garbage", "", "  /80", "DENSITY/", "HEADS/2"}));
        QCOMPARE(set->ToTextForm(), (QStringList{"HEADS/2", "STEPS/1", "DENSITY/", "name/PC-98/2HD//"}));
        set->insert("DRIVES", "0"); // a caller that used the multi-map insert
        set->insert("DRIVES", "1");
        set->SetValue("DRIVES", "0");
        QCOMPARE(set->values("DRIVES"), QStringList{"0"});
    }

    void storeKeepsAtMost32()
    {
        ParameterManage store;
        for (int i = 0; i < ParameterManage::MAX_SETS; ++i)
            QVERIFY(store.Insert(makeSet(QString("s%1").arg(i), "40")));
        QVERIFY(!store.Insert(makeSet("one too many", "40"))); // deleted by the store
        QCOMPARE(store.Count(), 32);
        QCOMPARE(store.IndexOf("one too many"), -1);

        QVERIFY(store.AllClear());

        // A load only fills the store up.
        for (int i = 0; i < 4; ++i)
            common()->SetSettingStringList(ParameterManage::SlotKey("DUMP/%d", i), {"name/f", "CYLINDERS/40"});
        for (int i = 0; i < 30; ++i)
            store.Insert(makeSet("held", "80"));
        QCOMPARE(store.LoadFromSettings(ParameterManage::SLOT_DUMP), 2);
        QCOMPARE(store.Count(), 32);
        QCOMPARE(store.GetName(29), QString("held"));
        QCOMPARE(store.GetName(30), QString("f"));
        // A missing slot, or one of a single element, ends the loading.
        for (int i : {0, 1, 2, 4})
            common()->SetSettingStringList(ParameterManage::SlotKey("RESTORE/%d", i), {"name/s", "CYLINDERS/40"});
        common()->SetSettingStringList("UNFORMAT/0", {"name/alone", "HEADS/1"});
        common()->SetSettingString("UNFORMAT/1", "name/damaged");
        common()->SetSettingStringList("UNFORMAT/2", {"name/after", "HEADS/1"});
        QCOMPARE(ParameterManage().LoadFromSettings(ParameterManage::SLOT_RESTORE), 3);
        QCOMPARE(ParameterManage().LoadFromSettings(ParameterManage::SLOT_UNFORMAT), 1);
    }

    void saveLoadRoundTrip_data()
    {
        addColumns<QString, QStringList>("slotFormat", "names");
        QTest::newRow("restore, slashes") << ParameterManage::SLOT_RESTORE
                                          << QStringList{"PC-98/2HD", "/lead", "trail/"};
        QTest::newRow("dump, commas, blanks, non-ASCII") << ParameterManage::SLOT_DUMP
                                                         << QStringList{"a, b", " two  blanks ", "日本語", "x"};
        QTest::newRow("two sets share a name") << ParameterManage::SLOT_DUMP << QStringList{"twin", "other", "twin"};
        QTest::newRow("empty store") << ParameterManage::SLOT_DUMP << QStringList{};
    }

    void saveLoadRoundTrip()
    {
        QFETCH(QString, slotFormat);
        QFETCH(QStringList, names);
        // Slots beyond the saved sets go, or deleted sets would come back; another operation's stay.
        const QString other = ParameterManage::SlotKey(slotFormat == ParameterManage::SLOT_DUMP ? "RESTORE/%d" : "DUMP/%d", 5);
        for (int i = 0; i < 32; ++i)
            common()->SetSettingStringList(ParameterManage::SlotKey(slotFormat, i), {"name/stale", "CYLINDERS/1"});
        common()->SetSettingStringList(other, {"name/keep", "CYLINDERS/2"});
        ParameterManage store;
        for (int i = 0; i < names.size(); ++i) {
            ParameterSet* set = makeSet(names.at(i), QString::number(40 + i));
            set->SetValue("DENSITY", "dens/" + QString::number(i));
            set->SetValue("EXTRA", "x/y"); // an unknown key travels too
            store.Insert(set);
        }
        store.SaveToSettings(slotFormat);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(common()->GetSettingInstance()->contains(ParameterManage::SlotKey(slotFormat, i)), i < names.size());
        QVERIFY(common()->GetSettingInstance()->contains(other));
        // A fresh settings object, as at the next start.
        common()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
        ParameterManage back;
        QCOMPARE(back.LoadFromSettings(slotFormat), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(back.GetName(i), names.at(i).trimmed());
            QCOMPARE(back.GetParametersAt(i)->Value("DENSITY"), "dens/" + QString::number(i));
            QCOMPARE(back.GetParametersAt(i)->Value("EXTRA"), QString("x/y"));
        }
        if (names.isEmpty())
            return;
        QScopedPointer<ParameterSet> src(makeSet(names.last(), "60")); // by name: the first of that name
        back.SetParameters(names.last(), src.data());
        QCOMPARE(back.GetParametersAt(names.indexOf(names.last()))->Value("CYLINDERS"), QString("60"));
        QCOMPARE(back.GetParametersAt(names.size() - 1)->Value("CYLINDERS"),
                 QString(names.indexOf(names.last()) < names.size() - 1 ? "42" : "60"));
    }

    void apply_data()
    {
        // written: "BEGIN/END" as written, "-" for not written
        addColumns<QString, QString, QString, CylinderRules::Changed, QString>("c", "b", "e", "changed", "written");
        const auto C = CylinderRules::CylindersChanged, B = CylinderRules::BeginChanged, E = CylinderRules::EndChanged;
        QTest::newRow("cylinders down, begin beyond") << "40" << "60" << "79" << C << "39/39";
        QTest::newRow("cylinders not given reads 40") << NG << "0" << "79" << C << "-/39";
        QTest::newRow("begin above end") << "80" << "50" << "20" << B << "20/-";
        QTest::newRow("end below begin") << "80" << "50" << "20" << E << "-/50";
        QTest::newRow("all not given") << NG << NG << NG << E << "-/-";
        QTest::newRow("begin not given above end reads 0") << "40" << NG << "0" << B << "-/-";
    }

    void apply()
    {
        const CylinderRules::Result r = CylinderRules::Apply(row<QString>("c"), row<QString>("b"), row<QString>("e"), row<CylinderRules::Changed>("changed"));
        QTEST(QString(r.writeBegin ? r.begin : "-") + "/" + (r.writeEnd ? r.end : "-"), "written");
    }

private:
    QScopedPointer<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestParameterSet)
#include "tst_parameterset.moc"
