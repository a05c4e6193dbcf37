#include <QtTest/QTest>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

#include "markmanage.h"
#include "mycommon.h"

// The process-wide folder marks and their settings keys.
class TestMarkManage : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        MyCommon::getInstance()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
        MarkManage::getInstance()->AllClear();
    }

    void addRefuses_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("same folder twice") << "duplicate";
        QTest::newRow("a file") << "file";
        QTest::newRow("nothing there") << "missing";
        QTest::newRow("empty path") << "empty";
    }

    void addRefuses()
    {
        QFETCH(QString, what);
        MarkManage* marks = MarkManage::getInstance();
        const QString a = folder("A");
        QVERIFY(marks->Add(a));

        QString path;
        if (what == "duplicate") {
            path = a;
        } else if (what == "file") {
            path = m_dir->filePath("image.hvr");
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (what == "missing") {
            path = m_dir->filePath("gone");
        }
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        QVERIFY(!marks->Add(path));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(marks->Count(), 1);
    }

    void eleventhPushesOutOldest()
    {
        MarkManage* marks = MarkManage::getInstance();
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        QStringList a;
        for (int i = 0; i < 10; ++i) {
            a << folder(QStringLiteral("A%1").arg(i));
            QVERIFY(marks->Add(a.last()));
        }
        const QString b = folder("B");
        QVERIFY(marks->Add(b));
        QCOMPARE(changed.count(), 11);
        QCOMPARE(marks->Count(), 10);
        QCOMPARE(marks->Get(0), a.at(1));
        QCOMPARE(marks->Get(8), a.at(9));
        QCOMPARE(marks->Get(9), b);
        QCOMPARE(marks->Get(-1), QString());
        QCOMPARE(marks->Get(10), QString());
        // The pushed-out folder may be marked again, pushing out the next.
        QVERIFY(marks->Add(a.at(0)));
        QCOMPARE(marks->Get(0), a.at(2));

        marks->SaveToSettings();
        MyCommon* common = MyCommon::getInstance();
        QCOMPARE(common->GetSettingString("FOLDER_MARK/0"), a.at(2));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/8"), b);
        QCOMPARE(common->GetSettingString("FOLDER_MARK/9"), a.at(0));
    }

    void saveRewritesOnlyChangedKeys()
    {
        MarkManage* marks = MarkManage::getInstance();
        MyCommon* common = MyCommon::getInstance();
        common->SetSettingString("FOLDER_MARK/5", "/left/over");
        // Saved on every addition, as the window does.
        connect(marks, &MarkManage::folderMarkChanged, this, [marks]() { marks->SaveToSettings(); });
        QVERIFY(marks->Add(folder("A")));
        QVERIFY(marks->Add(folder("B")));
        const quint64 writes = common->SettingWriteCount();
        QVERIFY(!marks->Add(folder("A"))); // a refused duplicate leaves the file alone
        QVERIFY(marks->Add(folder("C")));
        disconnect(marks, nullptr, this, nullptr);
        QCOMPARE(common->SettingWriteCount(), writes + 1);
        QCOMPARE(common->GetSettingString("FOLDER_MARK/0"), m_dir->filePath("A"));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/2"), m_dir->filePath("C"));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/5"), QStringLiteral("/left/over"));
    }

    void load_data()
    {
        // Stored values by key number; "-" stands for a folder that is gone.
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("all present") << QStringList{"A", "B", "C"} << QStringList{"A", "B", "C"};
        QTest::newRow("gap stops loading") << QStringList{"A", "B", "", "C"} << QStringList{"A", "B"};
        QTest::newRow("vanished folder skipped") << QStringList{"A", "-", "C"} << QStringList{"A", "C"};
        QTest::newRow("repeat skipped") << QStringList{"A", "A", "B"} << QStringList{"A", "B"};
        QTest::newRow("nothing stored") << QStringList{} << QStringList{};
    }

    void load()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, loaded);
        MyCommon* common = MyCommon::getInstance();
        for (int i = 0; i < stored.size(); ++i) {
            QString value = stored.at(i);
            if (value == "-")
                value = m_dir->filePath("vanished");
            else if (!value.isEmpty())
                value = folder(value);
            common->SetSettingString(MarkManage::SettingKey(i), value);
        }

        MarkManage* marks = MarkManage::getInstance();
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        const quint64 writes = common->SettingWriteCount();
        marks->LoadFromSettings();
        QCOMPARE(common->SettingWriteCount(), writes);
        QCOMPARE(changed.count(), 0);

        QStringList got;
        for (int i = 0; i < marks->Count(); ++i)
            got << QFileInfo(marks->Get(i)).fileName();
        QCOMPARE(got, loaded);
    }

private:
    QString folder(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
};

QString TestMarkManage::folder(const QString& name)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(path);
    return path;
}

QTEST_GUILESS_MAIN(TestMarkManage)
#include "tst_markmanage.moc"
