#include "fixtures.h"

class TestFDImageSelector : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        MyCommon::getInstance()->OpenSettingInstance(m_dir->filePath("KESTAcon.ini"));
        MarkManage::getInstance()->AllClear();
        for (const char* file : {"shown/a.hvr", "shown/sub/inner.hvr", "shown/a b.hvr"})
            QVERIFY(writeFile(m_dir->filePath(file)));
        m_selector = std::make_unique<FDImageSelector>();
        m_selector->SetRootPath(m_dir->filePath("shown"), false);
    }
    void cleanup() { m_selector.reset(), m_dir.reset(); }

    // NEW FOLDER makes it in the selected folder; DELETE takes only a file,
    // and only after an OK to a question that defaults to Cancel.
    void buttons_data()
    {
        addColumns<QString, QString, QStringList, QStringList, QString>("button", "selected", "answers", "seen", "changed");
        const QString keyboard = "keyboard::0-255";
        QTest::newRow("folder inside a selected subfolder") << "NEWFOLDER" << "sub" << QStringList{"type:deeper"} << QStringList{keyboard} << "+shown/sub/deeper";
        QTest::newRow("folder, keyboard closed") << "NEWFOLDER" << "" << QStringList{"close:never"} << QStringList{keyboard} << "";
        QTest::newRow("folder name climbing out") << "NEWFOLDER" << "" << QStringList{"type:../escaped"} << QStringList{keyboard} << "";
        const QStringList question{"Delete confirmation. [Cancel]"};
        QTest::newRow("delete file, OK") << "DELETE" << "a b.hvr" << QStringList{"ok"} << question << "-shown/a b.hvr";
        QTest::newRow("delete file, Cancel") << "DELETE" << "a b.hvr" << QStringList{"cancel"} << question << "";
        QTest::newRow("delete shown folder, OK") << "DELETE" << "." << QStringList{"ok"} << question << "";
    }

    void buttons()
    {
        QFETCH(QString, selected); QFETCH(QString, changed);
        QStringList expected = tree();
        changed.startsWith('+') ? expected.append(changed.mid(1)) : void(expected.removeOne(changed.mid(1)));
        expected.sort();
        if (!selected.isEmpty()) {
            const QString path = QDir::cleanPath(m_dir->filePath("shown/" + selected));
            m_selector->findChild<QListView*>("LSV_WDG_FILELISTVEW")->setCurrentIndex(m_selector->Model()->index(path));
            QCOMPARE(m_selector->GetCurrentFilePath(), path);
        }
        Answers answerer(row<QStringList>("answers"));
        m_selector->findChild<QPushButton*>("BTN_WDG_" + row<QString>("button"))->click();
        QTEST(answerer.seen, "seen");
        QCOMPARE(tree(), expected);
    }

    // At most ten folder marks, no repeats, no files; a save writes only the changed key.
    void marks()
    {
        MarkManage* marks = MarkManage::getInstance(); MyCommon* common = MyCommon::getInstance();
        connect(marks, &MarkManage::folderMarkChanged, this, [marks] { marks->SaveToSettings(); });
        QStringList a;
        for (int i = 0; i < 10; ++i) {
            a << makeFolder(QStringLiteral("A%1").arg(i));
            const quint64 writes = common->SettingWriteCount();
            QVERIFY(marks->Add(a.last()) && common->SettingWriteCount() == writes + 1);
        }
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        for (const QString& path : {a.at(3), m_dir->filePath("shown/a.hvr"), m_dir->filePath("gone"), QString()})
            QVERIFY2(!marks->Add(path), qPrintable(path));
        QCOMPARE(changed.count(), 0);
        // The eleventh pushes out the oldest, which may be marked again.
        QVERIFY(marks->Add(makeFolder("B")));
        QVERIFY(marks->Add(a.at(0)));
        disconnect(marks, nullptr, this, nullptr);
        QVERIFY(marks->Count() == 10 && marks->Get(10).isEmpty());
        QCOMPARE(marks->Get(0), a.at(2));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/8"), makeFolder("B"));
        QCOMPARE(common->GetSettingString("FOLDER_MARK/9"), a.at(0));
    }

    // Loading stops at the first empty key, skips vanished folders and repeats, saves nothing.
    void loadMarks()
    {
        MyCommon* common = MyCommon::getInstance(); MarkManage* marks = MarkManage::getInstance();
        const QStringList stored{makeFolder("A"), m_dir->filePath("gone"), makeFolder("A"), makeFolder("B"), "",
                                 makeFolder("C")};
        for (int i = 0; i < stored.size(); ++i)
            common->SetSettingString(MarkManage::SettingKey(i), stored.at(i));
        QSignalSpy changed(marks, &MarkManage::folderMarkChanged);
        const quint64 writes = common->SettingWriteCount();
        marks->LoadFromSettings();
        QVERIFY(common->SettingWriteCount() == writes && changed.count() == 0);
        QCOMPARE(marks->Count(), 2);
        QCOMPARE(marks->Get(1), makeFolder("B"));
    }

    // The browser goes to the chosen mark: the second of two with the same
    // last folder name, and again when the list already shows it.
    void markList()
    {
        for (const char* folder : {"a/x", "b/x"})
            QVERIFY(MarkManage::getInstance()->Add(makeFolder(folder)));
        m_selector->SetupMarkFolderList();
        for (int pick = 0; pick < 2; ++pick) {
            m_selector->SetRootPath(m_dir->path(), false);
            ModalAnswer answer([](QWidget* popup) {
                auto* table = popup->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST");
                emit table->itemClicked(table->item(1, 0));
            });
            m_selector->findChild<MyParameterButton*>("BTN_WDG_MARKLIST")->click();
            QCOMPARE(m_selector->GetShownFolder(), m_dir->filePath("b/x"));
        }
    }

private:
    QString makeFolder(const QString& relative)
    {
        QDir().mkpath(m_dir->filePath(relative));
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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FDImageSelector> m_selector;
};

QTEST_MAIN(TestFDImageSelector)
#include "tst_fdimageselector.moc"
