#include <QtTest/QTest>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QScroller>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mykeyboard.h"
#include "myparameterbutton.h"
#include "testenv.h"

namespace {

// Presses a message box's button and reports its title and text.
QString pressButton(QWidget* modal, QMessageBox::StandardButton which)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
        modal->close();
        return QString();
    }
    const QString seen = box->windowTitle() + " / " + box->text();
    box->button(which)->click();
    return seen;
}

} // namespace

// The image browser and the chooser dialog on folders made for each test.
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

    void cleanup()
    {
        m_dir.reset();
    }

    void parent_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nested folder") << "<tmp>/a/pi" << "<tmp>/a";
        QTest::newRow("/home goes to the top") << "/home" << "";
        QTest::newRow("/ goes to the top") << "/" << "";
    }

    void parent()
    {
        QFETCH(QString, start);
        QFETCH(QString, expected);
        if (start.startsWith("<tmp>")) {
            start.replace("<tmp>", m_dir->path());
            expected.replace("<tmp>", m_dir->path());
            makeFolder("a/pi");
        }
        FDImageSelector selector;
        selector.SetRootPath(start, false);
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);
        selector.findChild<QPushButton*>("BTN_WDG_PARENT")->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toString(), expected);
        QCOMPARE(selector.GetShownFolder(), expected);
        QCOMPARE(selector.Model()->rootPath().isEmpty() || selector.Model()->rootPath() == ".", expected.isEmpty());
    }

    void tapEntersFolderAndSelectsFile()
    {
        const QString sub = makeFolder("disk images");
        const QString file = makeFile("disk images/game.hvr");
        makeFile("top.hvr");

        FDImageSelector selector;
        selector.resize(361, 391);
        selector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);
        selector.SetRootPath(m_dir->path(), true);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.takeFirst().first().toString(), m_dir->path());
        waitForRows(selector, 2);

        tap(selector, sub); // one tap enters
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.takeFirst().first().toString(), sub);
        QCOMPARE(selector.GetShownFolder(), sub);
        QCOMPARE(selector.GetCurrentFilePath(), sub);
        waitForRows(selector, 1);

        tap(selector, file); // a file is only selected
        QCOMPARE(changed.count(), 0);
        QCOMPARE(selector.GetShownFolder(), sub);
        QCOMPARE(selector.GetCurrentFilePath(), file);
    }

    void dialogResult_data()
    {
        QTest::addColumn<bool>("selectFile");
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK with nothing selected gives the shown folder") << false << true;
        QTest::newRow("OK with a file selected gives the file") << true << true;
        QTest::newRow("Cancel keeps the path set") << true << false;
    }

    void dialogResult()
    {
        QFETCH(bool, selectFile);
        QFETCH(bool, ok);
        const QString folder = makeFolder("images");
        const QString file = makeFile("images/a b.d88");
        const QString preset = m_dir->filePath("images/preset.hvr");

        FDImageSelectorDialog dialog(nullptr);
        dialog.SetFullPath(folder);
        QCOMPARE(dialog.Selector()->GetShownFolder(), folder);
        dialog.SetFullPath(preset); // not a file yet: taken as it stands
        dialog.SetFullPath(folder);
        if (selectFile) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            waitForRows(*dialog.Selector(), 1);
            tap(*dialog.Selector(), file);
        }
        dialog.findChild<QPushButton*>(ok ? "BTN_SELECT_OK" : "BTN_SELECT_CANCEL")->click();
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        const QString expected = !ok ? folder : selectFile ? file : folder;
        QCOMPARE(dialog.GetFullPath(), expected);
        QCOMPARE(dialog.IsFolder(), expected == folder);
        QCOMPARE(dialog.GetFolderPath(), folder);
    }

    void dialogListing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("file chooser") << -1 << "File Select Dialog"
                                      << QStringList{"a.hvr", "b.D88", "noext", "sub", "z.weird"};
        QTest::newRow("folder chooser") << 1 << "Folder Select Dialog" << QStringList{"sub"};
    }

    void dialogListing()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, shown);
        makeFolder("list/sub");
        for (const char* name : {"a.hvr", "b.D88", "noext", "z.weird"})
            makeFile(QStringLiteral("list/") + name);

        std::unique_ptr<FDImageSelectorDialog> dialog(
            mode < 0 ? new FDImageSelectorDialog(nullptr)
                     : new FDImageSelectorDialog(nullptr, static_cast<FDImageSelector::SELECTOR_MODE>(mode)));
        QTEST(dialog->findChild<QLabel*>("LBL_DIALOG_TITLE")->text(), "title");
        dialog->SetFullPath(m_dir->filePath("list"));
        waitForRows(*dialog->Selector(), shown.size());
        QListView* v = view(*dialog->Selector());
        QStringList names;
        for (int row = 0; row < shown.size(); ++row)
            names << v->model()->index(row, 0, v->rootIndex()).data().toString();
        names.sort();
        QCOMPARE(names, shown);
    }

    void newFolder_data()
    {
        QTest::addColumn<QString>("selected"); // relative; empty: the shown folder
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("created"); // relative; empty: nothing new
        QTest::newRow("in the shown folder") << "" << true << "new one" << "shown/new one";
        QTest::newRow("non-ASCII name") << "" << true << QString::fromUtf8("\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0")
                                        << QString::fromUtf8("shown/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0");
        QTest::newRow("beside a selected file") << "shown/a.hvr" << true << "next" << "shown/next";
        QTest::newRow("inside a selected subfolder") << "shown/sub" << true << "deeper" << "shown/sub/deeper";
        QTest::newRow("keyboard closed") << "" << false << "never" << "";
        QTest::newRow("name climbing out") << "" << true << "../escaped" << "";
        QTest::newRow("name with a separator") << "" << true << "a/b" << "";
    }

    void newFolder()
    {
        QFETCH(QString, selected);
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QFETCH(QString, created);
        const QString shown = makeFolder("shown");
        makeFolder("shown/sub");
        makeFile("shown/a.hvr");
        const auto listing = [this]() {
            QStringList all;
            for (const QString& dir : {m_dir->path(), m_dir->filePath("shown"), m_dir->filePath("shown/sub")})
                for (const QString& name : QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
                    all << QDir(m_dir->path()).relativeFilePath(dir + "/" + name);
            all.sort();
            return all;
        };

        FDImageSelector selector;
        selector.SetRootPath(shown, false);
        if (!selected.isEmpty())
            view(selector)->setCurrentIndex(selector.Model()->index(m_dir->filePath(selected)));
        QStringList expected = listing();
        if (!created.isEmpty()) {
            expected << created;
            expected.sort();
        }

        QWidget* keyboardParent = nullptr;
        QPoint keyboardPos;
        ModalAnswer answer([&](QWidget* modal) {
            auto* keyboard = qobject_cast<MyKeyboard*>(modal);
            QVERIFY(keyboard); // the keyboard only; nothing is reported
            keyboardParent = keyboard->parentWidget();
            keyboardPos = keyboard->pos();
            keyboard->setText(typed);
            accept ? keyboard->accept() : keyboard->reject();
        });
        selector.findChild<QPushButton*>("BTN_WDG_NEWFOLDER")->click();
        QCOMPARE(answer.answered(), 1);
        QCOMPARE(keyboardParent, &selector);
        QCOMPARE(keyboardPos, QPoint(0, 180));
        QCOMPARE(listing(), expected);
    }

    void deleteEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("gone");
        QTest::newRow("file, OK") << "d/a b.hvr" << true << true;
        QTest::newRow("file, Cancel") << "d/a b.hvr" << false << false;
        QTest::newRow("folder, OK") << "d/sub" << true << false;
        QTest::newRow("shown folder, OK") << "d" << true << false;
    }

    void deleteEntry()
    {
        QFETCH(QString, entry);
        QFETCH(bool, ok);
        QFETCH(bool, gone);
        const QString shown = makeFolder("d");
        makeFolder("d/sub");
        makeFile("d/sub/inner.hvr");
        makeFile("d/a b.hvr");
        const QString path = m_dir->filePath(entry);

        FDImageSelector selector;
        selector.SetRootPath(shown, false);
        if (entry != "d")
            view(selector)->setCurrentIndex(selector.Model()->index(path));
        QCOMPARE(selector.GetCurrentFilePath(), path);

        QString seen;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        ModalAnswer answer([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                defaultButton = box->standardButton(box->defaultButton());
            seen = pressButton(modal, ok ? QMessageBox::Ok : QMessageBox::Cancel);
        });
        selector.findChild<QPushButton*>("BTN_WDG_DELETE")->click();
        QCOMPARE(seen, QStringLiteral("Delete confirmation. / Are you sure to want to Delete?"));
        QCOMPARE(defaultButton, QMessageBox::Cancel);
        QCOMPARE(QFileInfo::exists(path), !gone);
        QVERIFY(QFileInfo::exists(m_dir->filePath("d/sub/inner.hvr")));
    }

    void markFromBrowser()
    {
        const QString folder = makeFolder("marks/games");
        const QString file = makeFile("marks/games/a.hvr");
        FDImageSelector selector;
        selector.SetRootPath(folder, false);
        QSignalSpy changed(MarkManage::getInstance(), &MarkManage::folderMarkChanged);
        auto* markButton = selector.findChild<QPushButton*>("BTN_WDG_MARK");

        markButton->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(MarkManage::getInstance()->Get(0), folder);
        QCOMPARE(markList(selector)->getItemList(), QStringList{"games"});

        // Again the same folder, then a file: both refused with the same box.
        for (const QString& current : {folder, file}) {
            view(selector)->setCurrentIndex(selector.Model()->index(current));
            QString seen;
            ModalAnswer answer([&](QWidget* modal) { seen = pressButton(modal, QMessageBox::Ok); });
            markButton->click();
            QCOMPARE(seen, QStringLiteral("information. / The item you are trying to add is already registered."));
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(markList(selector)->getItemList(), QStringList{"games"});
    }

    void markListChoice()
    {
        const QString one = makeFolder("m/one");
        const QString two = makeFolder("m/two two");
        QVERIFY(MarkManage::getInstance()->Add(one));
        QVERIFY(MarkManage::getInstance()->Add(two));

        FDImageSelector selector;
        const QString start = makeFolder("m");
        selector.SetRootPath(start, false);
        QSignalSpy changed(&selector, &FDImageSelector::currentPathChanged);
        // Rebuilding the list is no choice of the user.
        selector.SetupMarkFolderList();
        QCOMPARE(markList(selector)->getItemList(), (QStringList{"one", "two two"}));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(selector.GetShownFolder(), start);

        emit markList(selector)->activated(1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.takeFirst().first().toString(), two);
        QCOMPARE(selector.GetShownFolder(), two);
        QCOMPARE(selector.GetCurrentFilePath(), two);

        // A marked folder that has gone meanwhile: an empty list, no crash.
        QVERIFY(QDir(one).removeRecursively());
        emit markList(selector)->activated(0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(selector.GetShownFolder(), one);
    }

    void fingerGesture_data()
    {
        QTest::addColumn<QString>("pressOn");
        QTest::addColumn<QPoint>("step");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<bool>("drags");
        QTest::newRow("flick up on a folder scrolls, enters nothing") << "d05" << QPoint(0, -12) << true << false;
        QTest::newRow("flick up on a file scrolls") << "f05.hvr" << QPoint(0, -12) << true << false;
        QTest::newRow("sideways on a file lifts it out") << "f05.hvr" << QPoint(-12, 0) << false << true;
    }

    void fingerGesture()
    {
        QFETCH(QString, pressOn);
        QFETCH(QPoint, step);
        QFETCH(bool, scrolls);
        QFETCH(bool, drags);
        for (int i = 0; i < 30; ++i) {
            makeFolder(QStringLiteral("many/d%1").arg(i, 2, 10, QLatin1Char('0')));
            makeFile(QStringLiteral("many/f%1.hvr").arg(i, 2, 10, QLatin1Char('0')));
        }
        const QString pressed = m_dir->filePath("many/" + pressOn);
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
            if (text.startsWith(QLatin1String("Drag start:")))
                logged << text;
            else if (type != QtDebugMsg)
                previous(type, context, text);
        });

        // A finger at display rate: the scroller moves the content on its own
        // animation ticks, so the moves come from a timer, not all at once.
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
            if (steps > 12)
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
        QCOMPARE(logged, drags ? QStringList{"Drag start: file://" + pressed} : QStringList{});
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
    static QListView* view(FDImageSelector& s) { return s.findChild<QListView*>("LSV_WDG_FILELISTVEW"); }
    static MyParameterButton* markList(FDImageSelector& s) { return s.findChild<MyParameterButton*>("BTN_WDG_MARKLIST"); }
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
