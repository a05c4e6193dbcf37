#include <QLabel>
#include <QtTest>

#include "../operations/diskoperationdriver.h"
#include "driveinfo.h"
#include "drivelisting.h"
#include "drvctlpoller.h"
#include "mylineedit.h"
#include "ui_mainwindow.h" // so that the build makes it
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Logs "tool [arg] ..." with an argument naming a file as [=its bytes].
// drvctl refuses a path holding "|" (saying so on its output) and answers
// any other insert with a listing that holds the image in drive 0.
const QString RECORDER = QStringLiteral(
    "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do if [ -f \"$a\" ]; then printf ' [=%s]' \"$(cat \"$a\")\";"
    " else printf ' [%s]' \"$a\"; fi; done; echo; } >> \"$KESTA_STUB_LOG\"\n"
    "case \"$5\" in *'|'*) echo 'drvctl: cannot open'; exit 1;; esac\n"
    "[ \"$4\" = insert ] && printf 'H\\nH\\nH\\n0|--|0|%s\\n1|--|0|EMPTY\\n' \"$5\"; exit 0");
const QString REFUSED = QStringLiteral("warning:Warning./Not a valid file name.");

} // namespace

// The image tools, the browser and the drive panels with every kind of file
// name, and the fields that name the new file.
class TestFileNames : public WindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        makeEnv();
        for (const char* tool : {"drvdump", "drvrestore", "drvctl", "hvrconv", "hvrtool"})
            m_env->writeScript(tool, RECORDER);
        QDir().mkpath(m_img = m_env->path("img dir"));
        newWindow();
        m_window->CurrentPathChangedAll(m_img, false);
    }
    void cleanup() { ::unlink(m_raw.constData()), closeWindow(); } // the temporary folder cannot see the raw name

    void names_data()
    {
        // raw: the name on the disk of the file the tool works on; shown: as the browser lists it;
        // expected: in the tool's log (%1: the folder), or "refused";
        // choices: convert's extension, disk number, format / make's disk name, type, rpm, protect
        addColumns<QString, QString, QByteArray, QString, QString, QStringList>("tool", "typed", "raw", "shown",
                                                                                "expected", "choices");
        const QByteArray plain("a.HVR"), sjis("\x83\x51\x81\x5b\x83\x80.HVR"), broken("bad\xff\x83.HVR");
        const QString game = QString::fromUtf8("ゲーム.HVR"), bad = QString::fromUtf8(broken); // replacement characters
        for (const char* name : {"x/y", ".", "..", "../escape", "/tmp/abs"})
            for (const char* tool : {"dump", "convert", "make", "rename"})
                QTest::addRow("%s %s", tool, name) << tool << name << plain << "a.HVR" << "refused" << QStringList();
        QTest::newRow("convert to HVR") << "convert" << "b2" << plain << "a.HVR"
                                        << "hvrconv [-i] [=disk] [-n] [3] [-o] [%1/b2.HVR] [-f] [raw]"
                                        << QStringList{".HVR", "3", "raw"};
        QTest::newRow("convert to D88, no -f") << "convert" << "b2" << plain << "a.HVR"
                                               << "hvrconv [-i] [=disk] [-n] [1] [-o] [%1/b2.D88] [encode]"
                                               << QStringList{".D88", "1", "encode"};
        QTest::newRow("make HVR") << "make" << "blank1" << plain << "a.HVR"
                                  << "hvrtool [-c] [-t] [2HD] [-r] [360] [-n] ['BLANK IMAGE'] [-p] [off] [%1/blank1.HVR]"
                                  << QStringList{"BLANK IMAGE", "2HD", "360", "off"};
        QTest::newRow("make HVR, empty disk name") << "make" << "blank1" << plain << "a.HVR"
                                                   << "hvrtool [-c] [-t] [2D] [-r] [300] [-n] [''] [-p] [on] [%1/blank1.HVR]"
                                                   << QStringList{"", "2D", "300", "on"};
        QTest::newRow("insert refused") << "insert" << "" << QByteArray("a|b.HVR") << "a|b.HVR" << "drvctl [-i] [0]" << QStringList();
        QTest::newRow("convert sjis") << "convert" << "b2" << sjis << game
                                      << "hvrconv [-i] [=disk] [-n] [1] [-o] [%1/b2.HVR] [-f]" << QStringList();
        QTest::newRow("convert broken") << "convert" << "b2" << broken << bad << "hvrconv [-i] [=disk] [-n] [1] [-o] [%1/b2." << QStringList();
        QTest::newRow("make beside sjis") << "make" << "n1" << sjis << game << "[%1/n1.HVR]" << QStringList();
        QTest::newRow("rename sjis") << "rename" << "c.HVR" << sjis << game << "" << QStringList();
        QTest::newRow("rename broken") << "rename" << "c.HVR" << broken << bad << "" << QStringList();
        QTest::newRow("delete sjis") << "delete" << "" << sjis << game << "" << QStringList();
        QTest::newRow("insert sjis") << "insert" << "" << sjis << game << "drvctl [-i] [0] [-c] [insert] [=disk]" << QStringList();
        QTest::newRow("restore sjis") << "restore" << "" << sjis << game << "[=disk]" << QStringList();
    }

    void names()
    {
        QFETCH(QString, tool); QFETCH(QByteArray, raw); QFETCH(QString, shown); QFETCH(QString, expected);
        const QString typed = row<QString>("typed");
        const QByteArray rawPath = m_raw = QFile::encodeName(m_img) + '/' + raw;
        const int fd = ::open(rawPath.constData(), O_CREAT | O_WRONLY, 0644); // Qt cannot name it
        QVERIFY(fd >= 0 && ::write(fd, "disk", 4) == 4 && ::close(fd) == 0);
        m_env->clearStubLog();
        const QStringList before = QDir(m_env->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        // The browser lists the file under its shown name, and so does a chooser.
        FDImageSelector* browser = ui->WDT_EMU_FDIMAGESELECTOR;
        browser->SetRootPath(m_img, true);
        QTRY_VERIFY(selectShown(browser, shown));
        FDImageSelectorDialog chooser(m_window.get());
        chooser.SetFullPath(m_img);
        QTRY_VERIFY(selectShown(chooser.Selector(), shown));
        chooser.on_BTN_SELECT_OK_clicked();
        QCOMPARE(chooser.GetFolderPath(), m_img);
        QCOMPARE(QFileInfo(chooser.GetFullPath()).fileName(), shown);

        DiskOperationDriver driver;
        QStringList panelDuringRun;
        connect(MyCommon::getInstance(), &MyCommon::commandOutputs, this, [&]() { panelDuringRun << panelName(); });
        if (tool == "dump") {
            ui->LEDT_DUMP_FILENAME->setText(typed);
            ui->BTN_DUMP->click();
        } else if (tool == "convert" || tool == "make" || tool == "rename") {
            MyLineEdit* field = tool == "convert" ? ui->LEDT_CONVERT : tool == "make" ? ui->LEDT_MAKE_HVR : ui->LEDT_RENAME;
            QPushButton* run = tool == "convert" ? ui->BTN_CONVERT : tool == "make" ? ui->BTN_MAKE_HVR : ui->BTN_RENAME;
            const QStringList choices = row<QStringList>("choices");
            if (tool == "make" && !choices.isEmpty()) {
                ui->LEDT_MAKE_HVR_DISKNAME->setText(choices[0]);
                ui->BTN_MAKE_HVR_TYPE->setCurrentText(choices[1]);
                ui->BTN_MAKE_HVR_RPM->setCurrentText(choices[2]);
                ui->BTN_MAKE_HVR_PROTECT->setCurrentText(choices[3]);
            } else if (tool == "convert") {
                ui->BTN_CONVERT_EXT->setCurrentText(choices.value(0, ".HVR"));
                if (!choices.isEmpty())
                    ui->BTN_CONVERT_DISKNO->setCurrentText(choices[1]), ui->BTN_CONVERT_FORMAT->setCurrentText(choices[2]);
            }
            QVERIFY(!run->isEnabled()); // no name, no run
            field->setText(typed);
            run->click();
            // The recording tools make no file, so only a rename can turn done; a name out of the folder fails.
            const bool done = expected != "refused" && tool == "rename";
            QCOMPARE(field->styleSheet() == MainWindow::TOOL_FIELD_STYLE_DONE, done);
            if (tool == "rename" || !choices.isEmpty())
                QCOMPARE(field->styleSheet(), done ? MainWindow::TOOL_FIELD_STYLE_DONE : MainWindow::TOOL_FIELD_STYLE_FAILED);
            field->setText(typed + "x"); // failed, until the name is edited
            QCOMPARE(field->styleSheet(), MainWindow::TOOL_FIELD_STYLE_EDITED);
        } else if (tool == "delete") {
            browser->on_BTN_WDG_DELETE_clicked();
        } else if (tool == "insert") {
            MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
            ui->WDT_DRIVEINFO1->SetFDImage(browser->GetCurrentFilePath());
        } else {
            ui->LEDT_RESTORE_FILENAME->setText(shown);
            ui->BTN_RESTORE->click();
        }

        const QString log = m_env->stubLog().join('\n').remove("drvctl [-l]").trimmed(); // not the poll
        if (expected == "refused") {
            QCOMPARE(driver.seen, tool == "rename" ? QStringList() : QStringList{REFUSED});
            QCOMPARE(log, QString());
            QCOMPARE(QDir(m_env->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before); // nothing made beside the folder
        } else {
            QVERIFY2(log.contains(QString(expected).replace("%1", m_img)), qPrintable(log));
        }
        if (tool == "insert") { // a refused insert never shows its name, not even while drvctl runs
            QCOMPARE(panelName(), raw.contains('|') ? DriveInfo::NO_DISK_TEXT : shown);
            QVERIFY(!panelDuringRun.contains(shown));
        }
        // The very file was renamed or removed; nothing else was.
        struct stat info;
        QCOMPARE(::lstat(rawPath.constData(), &info) == 0, !expected.isEmpty());
        QCOMPARE(readFile(m_img + "/c.HVR"), QByteArray(tool == "rename" && expected.isEmpty() ? "disk" : "<missing>"));
        // A new file re-sorts the list under a selected entry; a file gone leaves it.
        QVERIFY(QFile(m_img + "/z.HVR").open(QIODevice::WriteOnly));
        QTRY_VERIFY(selectShown(browser, "z.HVR") && selectShown(browser, shown) == !expected.isEmpty());
    }

    void rename_data()
    {
        addColumns<QString, bool, bool>("newName", "enabled", "renamed");
        QTest::newRow("free name") << "c.HVR" << true << true;
        QTest::newRow("existing file") << "b.HVR" << true << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("the selected name") << "a.HVR" << false << false;
    }

    void rename()
    {
        twoImages();
        QFETCH(bool, enabled); QFETCH(bool, renamed);
        ui->LEDT_RENAME->setText("seed");
        ui->LEDT_RENAME->setText(row<QString>("newName"));
        QCOMPARE(ui->BTN_RENAME->isEnabled(), enabled);
        ui->BTN_RENAME->click();
        if (enabled)
            QCOMPARE(ui->LEDT_RENAME->styleSheet(),
                     renamed ? MainWindow::TOOL_FIELD_STYLE_DONE : MainWindow::TOOL_FIELD_STYLE_FAILED);
        QCOMPARE(readFile(m_img + "/a.HVR"), renamed ? QByteArray("<missing>") : QByteArray("image a"));
        QCOMPARE(readFile(m_img + "/b.HVR"), QByteArray("image b"));
        QCOMPARE(readFile(m_img + "/c.HVR"), renamed ? QByteArray("image a") : QByteArray("<missing>"));
        QVERIFY(!QFile::exists(m_img + "/sub/c.HVR"));
        QVERIFY(!QFile::exists(m_env->path("c.HVR")));
    }

    // A file dropped on a name field, or a name typed on the screen keyboard (only for a field on the shown page)
    void nameFields_data()
    {
        addColumns<QString, int, QString, QString>("field", "page", "input", "text"); // input: "drop:PATH" | typed
        QTest::newRow("drop on convert") << "LEDT_CONVERT" << 0 << "drop:/img/game.old.D88" << "game";
        QTest::newRow("drop on rename") << "LEDT_RENAME" << 0 << "drop:/img/game.old.D88" << "game.old.D88";
        QTest::newRow("drop on make, no folder") << "LEDT_MAKE_HVR" << 0 << "drop:plain.x" << "plain";
        QTest::newRow("convert on its page") << "LEDT_CONVERT" << 0 << "TYPED NAME" << "TYPED NAME";
        QTest::newRow("convert elsewhere") << "LEDT_CONVERT" << 2 << "TYPED NAME" << "";
        QTest::newRow("disk name anywhere") << "LEDT_MAKE_HVR_DISKNAME" << 0 << "TYPED NAME" << "TYPED NAME";
    }

    void nameFields()
    {
        twoImages();
        QFETCH(QString, field); QFETCH(int, page); QFETCH(QString, input); QFETCH(QString, text);
        ui->TAB_FILEOPERATION->setCurrentIndex(page);
        m_window->on_TAB_FILEOPERATION_currentChanged(page);
        auto* edit = m_window->findChild<MyLineEdit*>(field);
        Answers answers({"type:" + input});
        if (input.startsWith("drop:"))
            emit edit->fileDroped(input.mid(5));
        else
            emit edit->focused(true);
        QCOMPARE(answers.seen.size(), input.startsWith("drop:") || text.isEmpty() ? 0 : 1);
        QCOMPARE(edit->text(), text);
        const QMap<QString, QPushButton*> buttons = {
            {"LEDT_CONVERT", ui->BTN_CONVERT}, {"LEDT_RENAME", ui->BTN_RENAME}, {"LEDT_MAKE_HVR", ui->BTN_MAKE_HVR}};
        if (buttons.contains(field))
            QCOMPARE(buttons[field]->isEnabled(), !text.isEmpty());
        else // the disk name typed on the screen keyboard is saved
            QCOMPARE(stored("CONVERT/MAKEHVR").toString(), text);
    }

    void longListingLine()
    {
        // One line past the cap still counts as one line; the rows stay in place.
        m_env->writeScript("drvctl", QStringLiteral("head -c 70000 /dev/zero | tr '\\0' x; printf '\\nH\\nH\\n"
                                                    "0|--|3|/img/a.HVR\\n1|--|0|EMPTY\\n'"));
        DrvctlPoller poller;
        QSignalSpy read(&poller, &DrvctlPoller::listingRead);
        QVERIFY(poller.Poll());
        QVERIFY(read.wait(20000));
        const QByteArray listing = read.at(0).at(0).toByteArray();
        QVERIFY(MyCommon::IsDRVEMUListingActive(listing));
        QVERIFY(listing.size() <= DrvctlPoller::MAX_LINE_BYTES + 100);
        QCOMPARE(DriveListing::Parse(listing, 0)->Path(), QStringLiteral("/img/a.HVR"));
    }

private:
    // a.HVR and b.HVR beside a folder, a.HVR selected in the browser
    void twoImages()
    {
        QDir().mkpath(m_img + "/sub");
        QVERIFY(writeFile(m_img + "/a.HVR", "image a") && writeFile(m_img + "/b.HVR", "image b"));
        FDImageSelector* browser = ui->WDT_EMU_FDIMAGESELECTOR;
        browser->SetRootPath(m_img, false);
        browser->findChild<QListView*>("LSV_WDG_FILELISTVEW")->setCurrentIndex(browser->Model()->index(m_img + "/a.HVR"));
        QCOMPARE(browser->GetCurrentFilePath(), m_img + "/a.HVR");
    }
    QString panelName() const { return ui->WDT_DRIVEINFO1->findChild<QLabel*>("LBL_FD_FILENAME")->text(); }
    static bool selectShown(FDImageSelector* browser, const QString& shown)
    {
        auto* view = browser->findChild<QAbstractItemView*>("LSV_WDG_FILELISTVEW");
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
            if (index.data().toString() == shown) {
                view->setCurrentIndex(index);
                return true;
            }
        }
        return false;
    }

    QString m_img;
    QByteArray m_raw;
};

QTEST_MAIN(TestFileNames)
#include "tst_filenames.moc"
