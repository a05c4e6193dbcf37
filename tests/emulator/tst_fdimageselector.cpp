#include <QtTest>
#include <QtWidgets>

#include <memory>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mykeyboard.h"
#include "testenv.h"

class TestFDImageSelector : public QObject
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

    void cleanup() { m_dir.reset(); }

    void newFolder_data()
    {
        QTest::addColumn<QString>("selected"); // empty: the shown folder
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("created"); // empty: nothing new
        QTest::newRow("inside a selected subfolder") << "shown/sub" << true << "deeper" << "shown/sub/deeper";
        QTest::newRow("keyboard closed") << "" << false << "never" << "";
        QTest::newRow("name climbing out") << "" << true << "../escaped" << "";
    }

    void newFolder()
    {
        QFETCH(QString, selected);
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QFETCH(QString, created);
        makeFolder("shown/sub");
        makeFile("shown/a.hvr");
        FDImageSelector selector;
        selector.SetRootPath(m_dir->filePath("shown"), false);
        if (!selected.isEmpty())
            view(selector)->setCurrentIndex(selector.Model()->index(m_dir->filePath(selected)));
        QStringList expected = tree();
        if (!created.isEmpty())
            expected << created;
        expected.sort();
        ModalAnswer answer([&](QWidget* modal) {
            auto* keyboard = qobject_cast<MyKeyboard*>(modal);
            QVERIFY(keyboard);
            keyboard->setText(typed);
            accept ? keyboard->accept() : keyboard->reject();
        });
        selector.findChild<QPushButton*>("BTN_WDG_NEWFOLDER")->click();
        QCOMPARE(answer.answered(), 1);
        QCOMPARE(tree(), expected);
    }

    // Only a file goes, and only after an OK to a question that defaults to Cancel.
    void deleteEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("gone");
        QTest::newRow("file, OK") << "d/a b.hvr" << true << true;
        QTest::newRow("file, Cancel") << "d/a b.hvr" << false << false;
        QTest::newRow("shown folder, OK") << "d" << true << false;
    }

    void deleteEntry()
    {
        QFETCH(QString, entry);
        QFETCH(bool, ok);
        QFETCH(bool, gone);
        makeFile("d/sub/inner.hvr");
        makeFile("d/a b.hvr");
        const QString path = m_dir->filePath(entry);
        FDImageSelector selector;
        selector.SetRootPath(m_dir->filePath("d"), false);
        view(selector)->setCurrentIndex(selector.Model()->index(path));
        QCOMPARE(selector.GetCurrentFilePath(), path);
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        ModalAnswer answer([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            defaultButton = box->standardButton(box->defaultButton());
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        selector.findChild<QPushButton*>("BTN_WDG_DELETE")->click();
        QCOMPARE(answer.answered(), 1);
        QCOMPARE(defaultButton, QMessageBox::Cancel);
        QCOMPARE(QFileInfo::exists(path), !gone);
        QVERIFY(QFileInfo::exists(m_dir->filePath("d/sub/inner.hvr")));
    }

    // At most ten folder marks, no repeats, no files; a save writes only the changed key.
    void marks()
    {
        MarkManage* marks = MarkManage::getInstance();
        MyCommon* common = MyCommon::getInstance();
        connect(marks, &MarkManage::folderMarkChanged, this, [marks] { marks->SaveToSettings(); });
        QStringList a;
        for (int i = 0; i < 10; ++i) {
            a << makeFolder(QStringLiteral("A%1").arg(i));
            const quint64 writes = common->SettingWriteCount();
            QVERIFY(marks->Add(a.last()));
            QCOMPARE(common->SettingWriteCount(), writes + 1);
        }
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        for (const QString& path : {a.at(3), makeFile("image.hvr"), m_dir->filePath("gone"), QString()})
            QVERIFY2(!marks->Add(path), qPrintable(path));
        QCOMPARE(changed.count(), 0);
        // The eleventh pushes out the oldest, which may be marked again.
        QVERIFY(marks->Add(makeFolder("B")));
        QVERIFY(marks->Add(a.at(0)));
        disconnect(marks, nullptr, this, nullptr);
        QCOMPARE(marks->Count(), 10);
        QCOMPARE(marks->Get(0), a.at(2));
        QCOMPARE(marks->Get(10), QString());
        QCOMPARE(common->GetSettingString("FOLDER_MARK/8"), makeFolder("B"));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/9"), a.at(0));
    }

    // Loading stops at the first empty key, skips vanished folders and repeats, saves nothing.
    void loadMarks()
    {
        MyCommon* common = MyCommon::getInstance();
        const QStringList stored{makeFolder("A"), m_dir->filePath("gone"), makeFolder("A"), makeFolder("B"), "",
                                 makeFolder("C")};
        for (int i = 0; i < stored.size(); ++i)
            common->SetSettingString(MarkManage::SettingKey(i), stored.at(i));
        MarkManage* marks = MarkManage::getInstance();
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        const quint64 writes = common->SettingWriteCount();
        marks->LoadFromSettings();
        QCOMPARE(common->SettingWriteCount(), writes);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(marks->Count(), 2);
        QCOMPARE(marks->Get(1), makeFolder("B"));
    }

private:
    QString makeFolder(const QString& relative)
    {
        QDir().mkpath(m_dir->filePath(relative));
        return m_dir->filePath(relative);
    }
    QString makeFile(const QString& relative)
    {
        QDir().mkpath(QFileInfo(m_dir->filePath(relative)).absolutePath());
        QFile f(m_dir->filePath(relative));
        f.open(QIODevice::WriteOnly);
        return m_dir->filePath(relative);
    }
    // Every entry below the test folder, relative to it.
    QStringList tree() const
    {
        QStringList all;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            all << QDir(m_dir->path()).relativeFilePath(it.next());
        all.sort();
        return all;
    }
    static QListView* view(FDImageSelector& s) { return s.findChild<QListView*>("LSV_WDG_FILELISTVEW"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestFDImageSelector)
#include "tst_fdimageselector.moc"
