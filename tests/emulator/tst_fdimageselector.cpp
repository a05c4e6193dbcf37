#include <QtTest>
#include <QtWidgets>

#include <memory>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mykeyboard.h"
#include "myparameterbutton.h"
#include "testenv.h"

// The image browser, its chooser dialog and the folder marks, on folders
// made for each test.
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

    // One tap enters a folder, a file is only selected; PARENT goes up, from
    // /home to the top.  A file chooser lists files too; only the folder mode
    // hides them.
    void navigation()
    {
        const QString sub = makeFolder("disk images");
        const QString file = makeFile("disk images/game.hvr");
        makeFile("top.hvr");
        FDImageSelector selector;
        selector.resize(361, 391);
        selector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        selector.SetSelectMode(FDImageSelector::FILE_SELECT_MODE);
        selector.SetRootPath(m_dir->path(), false);
        waitForRows(selector, 2);
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);
        tap(selector, sub);
        waitForRows(selector, 1);
        tap(selector, file);
        QCOMPARE(selector.GetShownFolder(), sub);
        QCOMPARE(selector.GetCurrentFilePath(), file);
        selector.findChild<QPushButton*>("BTN_WDG_PARENT")->click();
        selector.SetSelectMode(FDImageSelector::FOLDER_SELECT_MODE);
        waitForRows(selector, 1);
        selector.SetRootPath("/home", false);
        selector.findChild<QPushButton*>("BTN_WDG_PARENT")->click();
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.at(0).first().toString(), sub);
        QCOMPARE(changed.at(1).first().toString(), m_dir->path());
        QCOMPARE(changed.at(2).first().toString(), QString());
    }

    void newFolder_data()
    {
        QTest::addColumn<QString>("selected"); // empty: the shown folder
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("created"); // empty: nothing new
        QTest::newRow("in the shown folder") << "" << true << "new one" << "shown/new one";
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

    // At most ten folder marks, no repeats and no files.  Saved on every
    // addition, as the window does, which writes only the key that changed.
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

    // Loading stops at the first empty key and skips vanished folders and
    // repeats; it only restores what the file holds and saves nothing back.
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

    // A mark carries its folder's path, which stays valid when the tree changes.
    void markListChoice()
    {
        const QString one = makeFolder("m/one");
        const QString two = makeFolder("m/two two");
        QVERIFY(MarkManage::getInstance()->Add(one));
        QVERIFY(MarkManage::getInstance()->Add(two));
        FDImageSelector selector;
        selector.SetRootPath(m_dir->filePath("m"), false);
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);
        selector.SetupMarkFolderList(); // rebuilding the list is no choice of the user
        QCOMPARE(markList(selector)->getItemList(), (QStringList{"one", "two two"}));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(selector.GetShownFolder(), m_dir->filePath("m"));

        emit markList(selector)->activated(1);
        QCOMPARE(changed.takeFirst().first().toString(), two);
        QCOMPARE(selector.GetCurrentFilePath(), two);
        // A marked folder that has gone meanwhile: an empty list, no crash.
        QVERIFY(QDir(one).removeRecursively());
        emit markList(selector)->activated(0);
        QCOMPARE(changed.takeFirst().first().toString(), one);
    }

    // A finger flicks the list and enters nothing; a sideways drag lifts a
    // file out towards the drive panels instead.
    void fingerGesture_data()
    {
        QTest::addColumn<QPoint>("step");
        QTest::newRow("flick up on a folder") << QPoint(0, -12);
        QTest::newRow("sideways on a file") << QPoint(-12, 0);
    }

    void fingerGesture()
    {
        QFETCH(QPoint, step);
        const bool scrolls = step.x() == 0;
        for (int i = 0; i < 30; ++i) {
            makeFolder(QStringLiteral("many/d%1").arg(i, 2, 10, QLatin1Char('0')));
            makeFile(QStringLiteral("many/f%1.hvr").arg(i, 2, 10, QLatin1Char('0')));
        }
        const QString pressed = m_dir->filePath(scrolls ? "many/d05" : "many/f05.hvr");
        FDImageSelector selector;
        selector.resize(361, 391);
        selector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        selector.SetRootPath(m_dir->filePath("many"), false);
        waitForRows(selector, 60);
        QListView* list = view(selector);
        QScrollBar* bar = list->verticalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() > 0, 10000);
        const QModelIndex index = selector.Model()->index(pressed);
        list->scrollTo(index, QAbstractItemView::PositionAtCenter);
        const int barBefore = bar->value();
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);

        // The model names every dragged entry in the debug log; catch that line.
        static QStringList logged;
        logged.clear();
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, true);
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (text.startsWith("Drag start:"))
                logged << text;
            else if (type != QtDebugMsg)
                previous(type, context, text);
        });

        // Moves at display rate: the scroller moves the content on its own
        // animation ticks, so they come from a timer, not all at once.
        QWidget* viewport = list->viewport();
        QPoint at = list->visualRect(index).center();
        QElapsedTimer clock;
        clock.start();
        auto send = [viewport, &clock](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
            QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
            event.setTimestamp(ulong(clock.elapsed()));
            QApplication::sendEvent(viewport, &event);
        };
        send(QEvent::MouseButtonPress, at, Qt::LeftButton);
        int steps = 0;
        QTimer finger;
        connect(&finger, &QTimer::timeout, this, [&]() {
            at += step;
            const bool moving = ++steps <= 12;
            send(moving ? QEvent::MouseMove : QEvent::MouseButtonRelease, at, moving ? Qt::LeftButton : Qt::NoButton);
            if (!moving)
                finger.stop();
        });
        finger.start(16);
        QTRY_VERIFY_WITH_TIMEOUT(!finger.isActive(), 10000);
        if (scrolls)
            QTRY_VERIFY_WITH_TIMEOUT(bar->value() != barBefore, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QScroller::scroller(viewport)->state() == QScroller::Inactive, 10000);
        qInstallMessageHandler(previous);
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, false);

        QCOMPARE(bar->value() != barBefore, scrolls);
        QCOMPARE(logged, scrolls ? QStringList{} : QStringList{"Drag start: file://" + pressed});
        QCOMPARE(changed.count(), 0);
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
    static MyParameterButton* markList(FDImageSelector& s)
    {
        return s.findChild<MyParameterButton*>("BTN_WDG_MARKLIST");
    }
    static void waitForRows(FDImageSelector& s, int rows)
    {
        QTRY_COMPARE_WITH_TIMEOUT(view(s)->model()->rowCount(view(s)->rootIndex()), rows, 10000);
    }
    static void tap(FDImageSelector& s, const QString& path)
    {
        const QModelIndex index = s.Model()->index(path);
        view(s)->scrollTo(index);
        QTest::mouseClick(view(s)->viewport(), Qt::LeftButton, Qt::NoModifier, view(s)->visualRect(index).center());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestFDImageSelector)
#include "tst_fdimageselector.moc"
