#include "fixtures.h"
#include "mylineedit.h"
#include "ui_mainwindow.h"

// A stand-in tool that logs its name and each argument in brackets.
static const char* const BRACKET_RECORDER =
    "{ printf '%s' \"$(basename \"$0\")\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; echo; }"
    " >> \"$KESTA_STUB_LOG\"";

class TestFileTools : public WindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        makeEnv();
        m_env->writeScript("hvrconv", BRACKET_RECORDER);
        m_env->writeScript("hvrtool", BRACKET_RECORDER);
        m_img = m_env->path("img dir");
        QDir().mkpath(m_img + "/sub");
        QVERIFY(writeFile(m_img + "/a.HVR", "image a") && writeFile(m_img + "/b.HVR", "image b"));
        newWindow();
        FDImageSelector* browser = ui->WDT_EMU_FDIMAGESELECTOR;
        browser->SetRootPath(m_img, false);
        browser->findChild<QListView*>("LSV_WDG_FILELISTVEW")->setCurrentIndex(browser->Model()->index(m_img + "/a.HVR"));
        QCOMPARE(browser->GetCurrentFilePath(), m_img + "/a.HVR");
    }
    void cleanup() { closeWindow(); }

    void tools_data()
    {
        // choices: extension, disk number, format / disk name, type, rpm, protect; expected: %1 is the image folder
        addColumns<QString, QString, QStringList, QString>("tool", "name", "choices", "expected");
        QTest::newRow("convert to HVR") << "convert" << "b2" << QStringList{".HVR", "3", "raw"}
                                        << "hvrconv [-i] [%1/a.HVR] [-n] [3] [-o] [%1/b2.HVR] [-f] [raw]";
        QTest::newRow("convert to D88, no -f") << "convert" << "b2" << QStringList{".D88", "1", "encode"}
                                               << "hvrconv [-i] [%1/a.HVR] [-n] [1] [-o] [%1/b2.D88] [encode]";
        QTest::newRow("make HVR") << "make" << "blank1" << QStringList{"BLANK IMAGE", "2HD", "360", "off"}
                                  << "hvrtool [-c] [-t] [2HD] [-r] [360] [-n] ['BLANK IMAGE'] [-p] [off] [%1/blank1.HVR]";
        QTest::newRow("make HVR, empty disk name") << "make" << "blank1" << QStringList{"", "2D", "300", "on"}
                                                   << "hvrtool [-c] [-t] [2D] [-r] [300] [-n] [''] [-p] [on] [%1/blank1.HVR]";
    }

    void tools()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, choices);
        const bool convert = row<QString>("tool") == "convert";
        MyLineEdit* field = convert ? ui->LEDT_CONVERT : ui->LEDT_MAKE_HVR;
        QPushButton* run = convert ? ui->BTN_CONVERT : ui->BTN_MAKE_HVR;
        QVERIFY(!run->isEnabled());
        field->setText(name);
        QVERIFY(run->isEnabled());
        if (convert) {
            ui->BTN_CONVERT_EXT->setCurrentText(choices[0]);
            ui->BTN_CONVERT_DISKNO->setCurrentText(choices[1]);
            ui->BTN_CONVERT_FORMAT->setCurrentText(choices[2]);
        } else {
            ui->LEDT_MAKE_HVR_DISKNAME->setText(choices[0]);
            ui->BTN_MAKE_HVR_TYPE->setCurrentText(choices[1]);
            ui->BTN_MAKE_HVR_RPM->setCurrentText(choices[2]);
            ui->BTN_MAKE_HVR_PROTECT->setCurrentText(choices[3]);
        }
        m_env->clearStubLog();
        run->click();
        QCOMPARE(m_env->stubLog(), QStringList{row<QString>("expected").arg(m_img)});
        // The recorder makes no file: not done.
        QCOMPARE(field->styleSheet(), MainWindow::TOOL_FIELD_STYLE_FAILED);
        field->setText(name + "x");
        QCOMPARE(field->styleSheet(), MainWindow::TOOL_FIELD_STYLE_EDITED);
    }

    void rename_data()
    {
        addColumns<QString, bool, bool>("newName", "enabled", "renamed");
        QTest::newRow("free name") << "c.HVR" << true << true;
        QTest::newRow("existing file") << "b.HVR" << true << false;
        QTest::newRow("out of the folder") << "../c.HVR" << true << false;
        QTest::newRow("the folder above") << ".." << true << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("the selected name") << "a.HVR" << false << false;
    }

    void rename()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, renamed);
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

    void drops_data()
    {
        addColumns<QString, QString, QString>("field", "path", "text");
        QTest::newRow("convert") << "LEDT_CONVERT" << "/img/game.old.D88" << "game";
        QTest::newRow("rename") << "LEDT_RENAME" << "/img/game.old.D88" << "game.old.D88";
        QTest::newRow("make, no folder") << "LEDT_MAKE_HVR" << "plain.x" << "plain";
    }

    void drops()
    {
        QFETCH(QString, field);
        auto* edit = m_window->findChild<MyLineEdit*>(field);
        emit edit->fileDroped(row<QString>("path"));
        QTEST(edit->text(), "text");
        const QMap<QString, QPushButton*> buttons = {
            {"LEDT_CONVERT", ui->BTN_CONVERT}, {"LEDT_RENAME", ui->BTN_RENAME}, {"LEDT_MAKE_HVR", ui->BTN_MAKE_HVR}};
        QVERIFY(buttons[field]->isEnabled());
    }

    void keyboardOnVisiblePage_data()
    {
        addColumns<QString, int, int>("field", "page", "opened");
        QTest::newRow("convert on its page") << "LEDT_CONVERT" << 0 << 1;
        QTest::newRow("convert elsewhere") << "LEDT_CONVERT" << 2 << 0;
        QTest::newRow("disk name anywhere") << "LEDT_MAKE_HVR_DISKNAME" << 0 << 1;
    }

    void keyboardOnVisiblePage()
    {
        QFETCH(QString, field);
        QFETCH(int, page);
        QFETCH(int, opened);
        ui->TAB_FILEOPERATION->setCurrentIndex(page);
        m_window->on_TAB_FILEOPERATION_currentChanged(page);
        Answers answers({"type:TYPED NAME"});
        auto* edit = m_window->findChild<MyLineEdit*>(field);
        emit edit->focused(true);
        QCOMPARE(answers.seen.size(), opened);
        QCOMPARE(edit->text() == "TYPED NAME", opened == 1);
        if (field == "LEDT_MAKE_HVR_DISKNAME") // the disk name typed on the screen keyboard is saved
            QCOMPARE(stored("CONVERT/MAKEHVR").toString(), QString("TYPED NAME"));
    }

private:
    QString m_img;
};

QTEST_MAIN(TestFileTools)
#include "tst_filetools.moc"
