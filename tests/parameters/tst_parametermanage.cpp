#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "mycommon.h"
#include "parametermanage.h"

namespace {

ParameterSet* MakeSet(const QString& name, const QString& cylinders, bool withName = true)
{
    auto* set = new ParameterSet;
    if (withName)
        set->SetName(name);
    set->SetValue("CYLINDERS", cylinders);
    set->SetValue("HEADS", "2");
    return set;
}

bool SlotPresent(const QString& key)
{
    QSettings* settings = MyCommon::getInstance()->GetSettingInstance();
    return settings->contains(key);
}

} // namespace

class TestParameterManage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        MyCommon::getInstance()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
    }

    void cleanup()
    {
        MyCommon::getInstance()->DeleteSettingInstance();
        delete m_dir;
        m_dir = nullptr;
    }

    void duplicateNamesKeepTheirOwnSets()
    {
        ParameterManage store;
        QVERIFY(store.Insert(MakeSet("twin", "40")));
        QVERIFY(store.Insert(MakeSet("other", "77")));
        QVERIFY(store.Insert(MakeSet("twin", "80")));
        QCOMPARE(store.Count(), 3);
        QCOMPARE(store.GetName(0), QString("twin"));
        QCOMPARE(store.GetName(2), QString("twin"));

        ParameterSet out;
        QVERIFY(store.Get(0, &out));
        QCOMPARE(out.Value("CYLINDERS"), QString("40"));
        QVERIFY(store.Get(2, &out));
        QCOMPARE(out.Value("CYLINDERS"), QString("80"));

        // by name: the first entry of that name
        QCOMPARE(store.GetParameters("twin"), store.GetParametersAt(0));
        QCOMPARE(store.IndexOf("twin"), 0);
        ParameterSet src;
        src.SetName("twin");
        src.SetValue("CYLINDERS", "60");
        store.SetParameters("twin", &src);
        QCOMPARE(store.GetParametersAt(0)->Value("CYLINDERS"), QString("60"));
        QCOMPARE(store.GetParametersAt(2)->Value("CYLINDERS"), QString("80"));
        // the hash is keyed by position, so both are in it
        QScopedPointer<QHash<QString, ParameterSet*>> map(store.GetParameterHash());
        QCOMPARE(map->value("2"), store.GetParametersAt(2));

        // the save keeps both
        store.SaveToSettings(ParameterManage::SLOT_DUMP);
        ParameterManage back;
        QCOMPARE(back.LoadFromSettings(ParameterManage::SLOT_DUMP), 3);
        QCOMPARE(back.GetParametersAt(0)->Value("CYLINDERS"), QString("60"));
        QCOMPARE(back.GetParametersAt(2)->Value("CYLINDERS"), QString("80"));
    }

    void positionAccessors()
    {
        ParameterManage store;
        store.Insert(MakeSet("a", "40"));
        store.Insert(MakeSet("a", "41"));
        ParameterSet src;
        src.SetName("a");
        src.SetValue("CYLINDERS", "84");
        QVERIFY(store.SetParametersAt(1, &src));
        QCOMPARE(store.GetParametersAt(0)->Value("CYLINDERS"), QString("40"));
        QCOMPARE(store.GetParametersAt(1)->Value("CYLINDERS"), QString("84"));
        QVERIFY(!store.SetParametersAt(2, &src));
        QVERIFY(!store.SetParametersAt(-1, &src));

        // a set without a name key is listed as ""
        store.Insert(MakeSet(QString(), "30", false));
        QCOMPARE(store.GetName(2), QString());
        QCOMPARE(store.IndexOf(QString()), 2);

        // outside the list nothing is read or written
        ParameterSet out;
        out.SetValue("DRIVES", "1");
        QVERIFY(!store.Get(3, &out));
        QVERIFY(!store.Get(-1, &out));
        QCOMPARE(out.Value("DRIVES"), QString("1"));
        QCOMPARE(store.GetName(-3), QString());
        QVERIFY(!store.GetParameters("missing"));
        store.SetParameters("missing", &src);
        QCOMPARE(store.GetParametersAt(0)->Value("CYLINDERS"), QString("40"));
        QVERIFY(!store.Insert(nullptr));
    }

    void copy_data()
    {
        QTest::addColumn<QStringList>("dst");
        QTest::addColumn<QStringList>("src");
        QTest::addColumn<QStringList>("expected"); // keys given; every other of the 16 is ""

        QTest::newRow("lacking keys give empty values")
            << QStringList{"CYLINDERS/80", "HEADS/2", "name/old"} << QStringList{"CYLINDERS/40", "name/new"}
            << QStringList{"CYLINDERS/40", "name/new"};
        QTest::newRow("other keys of dst stay")
            << QStringList{"EXTRA/x", "DRIVES/1"} << QStringList{"DRIVES/0", "EXTRA2/y"}
            << QStringList{"DRIVES/0", "EXTRA/x"};
    }

    void copy()
    {
        QFETCH(QStringList, dst);
        QFETCH(QStringList, src);
        QFETCH(QStringList, expected);
        QScopedPointer<ParameterSet> d(ParameterSet::FromTextForm(dst));
        QScopedPointer<ParameterSet> s(ParameterSet::FromTextForm(src));
        QScopedPointer<ParameterSet> e(ParameterSet::FromTextForm(expected));
        ParameterManage::Copy(d.data(), s.data());

        QStringList keys = ParameterSet::ParameterKeys();
        keys << "name";
        for (const QString& key : keys) {
            QCOMPARE(d->count(key), 1);
            QCOMPARE(d->Value(key), e->Value(key));
        }
        for (auto it = e->constBegin(); it != e->constEnd(); ++it)
            QCOMPARE(d->Value(it.key()), it.value());
        QVERIFY(!d->contains("EXTRA2"));

        // copying a set onto itself leaves it alone
        const ParameterSet before = *d;
        ParameterManage::Copy(d.data(), d.data());
        QCOMPARE(*d, before);
    }

    void storeKeepsAtMost32()
    {
        ParameterManage store;
        for (int i = 0; i < ParameterManage::MAX_SETS; ++i)
            QVERIFY(store.Insert(MakeSet(QString("s%1").arg(i), "40")));
        QVERIFY(!store.Insert(MakeSet("one too many", "40"))); // deleted by the store
        QCOMPARE(store.Count(), 32);
        QCOMPARE(store.IndexOf("one too many"), -1);
        QVERIFY(store.AllClear());
        QCOMPARE(store.Count(), 0);
    }

    void saveLoadRoundTrip_data()
    {
        QTest::addColumn<QString>("slotFormat");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("restore slashes") << ParameterManage::SLOT_RESTORE
                                         << QStringList{"PC-98/2HD", "/lead", "trail/", "a/b/c"};
        QTest::newRow("unformat empty name in the middle") << ParameterManage::SLOT_UNFORMAT
                                                           << QStringList{"first", "", "third"};
        QTest::newRow("duplicates") << ParameterManage::SLOT_DUMP << QStringList{"x", "x", "y", "x"};
        QTest::newRow("commas and blanks") << ParameterManage::SLOT_DUMP
                                           << QStringList{"a, b", "two  blanks", "日本語"};
    }

    void saveLoadRoundTrip()
    {
        QFETCH(QString, slotFormat);
        QFETCH(QStringList, names);
        ParameterManage store;
        for (int i = 0; i < names.size(); ++i) {
            ParameterSet* set = MakeSet(names.at(i), QString::number(40 + i));
            set->SetValue("DENSITY", "dens/" + QString::number(i));
            store.Insert(set);
        }
        store.SaveToSettings(slotFormat);

        // read through a fresh settings object, as at the next start
        MyCommon::getInstance()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
        ParameterManage back;
        QCOMPARE(back.LoadFromSettings(slotFormat), names.size());
        QCOMPARE(back.Count(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(back.GetName(i), names.at(i));
            QCOMPARE(back.GetParametersAt(i)->Value("CYLINDERS"), QString::number(40 + i));
            QCOMPARE(back.GetParametersAt(i)->Value("DENSITY"), "dens/" + QString::number(i));
        }
        QVERIFY(!SlotPresent(ParameterManage::SlotKey(slotFormat, names.size())));
    }

    void saveRemovesStaleSlots_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("empty store") << 0;
        QTest::newRow("three") << 3;
    }

    void saveRemovesStaleSlots()
    {
        QFETCH(int, count);
        MyCommon* common = MyCommon::getInstance();
        for (int i = 0; i < 32; ++i)
            common->SetSettingStringList(ParameterManage::SlotKey("DUMP/%d", i),
                                         {"name/stale" + QString::number(i), "CYLINDERS/1"});
        // another operation's slots are not touched
        common->SetSettingStringList("RESTORE/5", {"name/keep", "CYLINDERS/2"});

        ParameterManage store;
        for (int i = 0; i < count; ++i)
            store.Insert(MakeSet("n" + QString::number(i), "40"));
        store.SaveToSettings(ParameterManage::SLOT_DUMP);

        for (int i = 0; i < 32; ++i)
            QCOMPARE(SlotPresent(ParameterManage::SlotKey("DUMP/%d", i)), i < count);
        QVERIFY(SlotPresent("RESTORE/5"));

        ParameterManage back;
        QCOMPARE(back.LoadFromSettings(ParameterManage::SLOT_DUMP), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(back.GetName(i), "n" + QString::number(i));
    }

    void loadStopsAtGap()
    {
        MyCommon* common = MyCommon::getInstance();
        for (int i : {0, 1, 2, 4})
            common->SetSettingStringList(ParameterManage::SlotKey("RESTORE/%d", i),
                                         {"name/s" + QString::number(i), "CYLINDERS/40"});
        // a damaged slot of one element counts as a gap as well
        common->SetSettingStringList("UNFORMAT/0", {"name/alone", "HEADS/1"});
        common->SetSettingString("UNFORMAT/1", "name/damaged");

        ParameterManage store;
        QCOMPARE(store.LoadFromSettings(ParameterManage::SLOT_RESTORE), 3);
        QCOMPARE(store.GetName(2), QString("s2"));
        store.SaveToSettings(ParameterManage::SLOT_RESTORE);
        QVERIFY(SlotPresent("RESTORE/2"));
        QVERIFY(!SlotPresent("RESTORE/3"));
        QVERIFY(!SlotPresent("RESTORE/4"));

        ParameterManage unformat;
        QCOMPARE(unformat.LoadFromSettings(ParameterManage::SLOT_UNFORMAT), 1);
    }

    void loadAddsToStoreAndStopsAt32()
    {
        MyCommon* common = MyCommon::getInstance();
        for (int i = 0; i < 32; ++i)
            common->SetSettingStringList(ParameterManage::SlotKey("DUMP/%d", i),
                                         {"name/f" + QString::number(i), "CYLINDERS/40"});
        ParameterManage store;
        for (int i = 0; i < 30; ++i)
            store.Insert(MakeSet("held" + QString::number(i), "80"));
        QCOMPARE(store.LoadFromSettings(ParameterManage::SLOT_DUMP), 2);
        QCOMPARE(store.Count(), 32);
        QCOMPARE(store.GetName(29), QString("held29"));
        QCOMPARE(store.GetName(30), QString("f0"));
        QCOMPARE(store.GetName(31), QString("f1"));
    }

    void nameOnlySetSurvives()
    {
        ParameterManage store;
        auto* bare = new ParameterSet;
        bare->SetName("bare");
        store.Insert(bare);
        store.Insert(new ParameterSet); // no key at all
        store.Insert(MakeSet("after", "40"));
        store.SaveToSettings(ParameterManage::SLOT_DUMP);
        for (int i = 0; i < 3; ++i)
            QVERIFY(MyCommon::getInstance()
                        ->GetSettingStringList(ParameterManage::SlotKey("DUMP/%d", i))
                        .size() >= 2);

        ParameterManage back;
        QCOMPARE(back.LoadFromSettings(ParameterManage::SLOT_DUMP), 3);
        QCOMPARE(back.GetName(0), QString("bare"));
        QCOMPARE(back.GetName(1), QString());
        QCOMPARE(back.GetName(2), QString("after"));
        QCOMPARE(back.GetParametersAt(0)->Value("CYLINDERS"), QString());
    }

private:
    QTemporaryDir* m_dir = nullptr;
};

QTEST_GUILESS_MAIN(TestParameterManage)
#include "tst_parametermanage.moc"
