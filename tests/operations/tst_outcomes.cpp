#include <QDir>
#include <QFile>
#include <QListView>
#include <QPainter>
#include <QProcess>
#include <QtTest>

#include <cmath>

#include "diskoperationdriver.h"
#include "dumprecord.h"
#include "fdimageselector.h"
#include "mygraphicaldumpdisplay.h"
#include "runoutcome.h"
#include "ui_mainwindow.h"

// What the user is told after a run, what the image tools' fields show, and
// the record every dump leaves beside its image.
class TestOutcomes : public DiskOperationFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        ui->LEDT_DUMP_FILENAME->setText("game");
    }
    void cleanup()
    {
        for (const QByteArray& name : qAsConst(m_vars))
            qunsetenv(name.constData());
        m_vars.clear();
        MyCommon::getInstance()->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
        tearDown();
    }

    void runner_data()
    {
        QTest::addColumn<QString>("script"); // "" leaves the tool missing
        QTest::addColumn<int>("silenceMs");
        QTest::addColumn<int>("graceMs");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("reason");
        QTest::newRow("exit 0") << "echo fine" << 30000 << 30000 << "completed" << "";
        QTest::newRow("last line after escapes")
            << "printf 'a\\n\\033[1;31mno disk in drive\\033[0m\\n \\n'; echo stderr >&2; exit 1" << 30000 << 30000
            << "failed" << "t stopped with status 1: no disk in drive";
        QTest::newRow("own name left out") << "echo 't: drive 0: no disk'; exit 2" << 30000 << 30000 << "failed"
                                           << "t stopped with status 2: drive 0: no disk";
        QTest::newRow("killed") << "echo x; kill -9 $$" << 30000 << 30000 << "crashed" << "t was killed by signal 9";
        QTest::newRow("missing") << "" << 30000 << 30000 << "not started" << "t is not installed";
        QTest::newRow("127 without a word") << "exit 127" << 30000 << 30000 << "not started" << "t is not installed";
        QTest::newRow("silent, ends within its grace") << "echo a; sleep 0.5" << 100 << 60000 << "completed" << "";
        QTest::newRow("silent for good") << "echo a; exec sleep 60" << 100 << 100 << "silent"
                                         << "t was silent for 0.1 s and was stopped";
    }

    void runner()
    {
        QFETCH(QString, script);
        QFETCH(int, silenceMs);
        QFETCH(int, graceMs);
        MyCommon* common = MyCommon::getInstance();
        if (!script.isEmpty())
            m_env->writeScript("t", script);
        common->SetCommandSilenceLimit(silenceMs);
        common->SetCommandGraceLimit(graceMs);
        common->Command("t", {});
        QTEST(RunOutcome::Name(common->LastOutcome().kind), "outcome");
        QTEST(common->LastOutcome().Reason(), "reason");
    }

    // One run of each kind against the simulated board: the dialog, the
    // re-dump button and the record.
    void run_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("vars");
        QTest::addColumn<QStringList>("lines"); // %1: the image line
        QTest::addColumn<QString>("record");    // "" for none
        QTest::addColumn<bool>("redump");
        const QString all = "80 read, 0 retried, 0 failed, 0 not reached";
        QTest::newRow("completed") << "dump" << "" << QStringList{"Completed.", all, "%1"} << "completed" << false;
        QTest::newRow("retried, failed") << "dump" << "KESTA_SIM_WEAK=5:2 KESTA_SIM_BAD=40"
                                         << QStringList{"Failed.", "drvdump stopped with status 3: done, 79 tracks ok, 1 failed",
                                                        "78 read, 1 retried, 1 failed, 0 not reached", "%1"}
                                         << "failed" << true;
        QTest::newRow("empty drive") << "dump" << "KESTA_SIM_EMPTY=0"
                                     << QStringList{"Failed.", "drvdump stopped with status 1: drive 0: no disk in drive",
                                                    "0 read, 0 retried, 0 failed, 80 not reached"}
                                     << "failed" << false;
        QTest::newRow("missing") << "dump" << "KESTA_SIM_MISSING=drvdump"
                                 << QStringList{"Failed.", "drvdump is not installed", "0 read, 0 retried, 0 failed, 80 not reached"}
                                 << "not started" << false;
        QTest::newRow("crashed") << "dump" << "KESTA_SIM_CRASH_AT=10"
                                 << QStringList{"Failed.", "drvdump was killed by signal 9",
                                                "10 read, 0 retried, 0 failed, 70 not reached", "%1"}
                                 << "crashed" << true;
        QTest::newRow("silent") << "dump" << "KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=20"
                                << QStringList{"Failed.", "drvdump was silent for 0.3 s and was stopped",
                                               "20 read, 0 retried, 0 failed, 60 not reached", "%1"}
                                << "silent" << true;
        QTest::newRow("cancelled") << "cancel" << "KESTA_SIM_SILENCE_MS=60000 KESTA_SIM_SILENCE_AT=20"
                                   << QStringList{"Cancelled.", "20 read, 0 retried, 0 failed, 60 not reached", "%1"}
                                   << "cancelled" << true;
        QTest::newRow("restore, protected") << "restore" << "KESTA_SIM_PROTECT=0"
                                            << QStringList{"Failed.", "drvrestore stopped with status 1: drive 0: disk is write protected",
                                                           "0 read, 0 retried, 0 failed, 80 not reached"}
                                            << "" << false;
        QTest::newRow("restore") << "restore" << "" << QStringList{"Completed.", all} << "" << false;
    }

    void run()
    {
        QFETCH(QString, operation);
        QFETCH(QString, vars);
        QFETCH(QStringList, lines);
        QFETCH(QString, record);
        const QString image = imagePath("game");
        if (operation == "restore") {
            QCOMPARE(QProcess::execute(TestEnv::simBinDir() + "/hvrtool", {"-c", "-t", "2HD", image}), 0);
            setButtons("BTN_RESTORE_CYLINDERS=40 BTN_RESTORE_END=39");
            ui->LEDT_RESTORE_FILENAME->setText("game.HVR");
        }
        setVars(vars);
        if (vars.contains("SILENCE") && operation != "cancel")
            MyCommon::getInstance()->SetCommandSilenceLimit(300);
        DiskOperationDriver driver;
        bool cancelled = false;
        driver.onBusy = [&](QProgressDialog* busy) {
            if (operation == "cancel" && !cancelled && ui->WDT_DUMPSTATUS->TrackState(19) == 1) {
                cancelled = true;
                busy->findChild<QPushButton*>()->click();
            }
        };
        // KESTA_SCREENSHOT_DIR=folder: pictures of a completed and a failed dump for the README.
        const QString shots = qEnvironmentVariable("KESTA_SCREENSHOT_DIR");
        const QString shot = QString(QTest::currentDataTag()) == "completed"         ? "dump-completed.png"
                             : QString(QTest::currentDataTag()) == "retried, failed" ? "dump-failed.png"
                                                                                     : QString();
        if (!shots.isEmpty() && !shot.isEmpty())
            ui->STACKED_WIDGET->setCurrentIndex(1); // the dump tab
        driver.onComplete = [&]() {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (shots.isEmpty() || shot.isEmpty() || !qobject_cast<CompleteDialog*>(top) || !top->isVisible())
                    continue;
                QPixmap picture = m_window->grab();
                const QPixmap dialog = top->grab();
                QPainter(&picture).drawPixmap((picture.width() - dialog.width()) / 2,
                                              (picture.height() - dialog.height()) / 2, dialog);
                picture.save(QDir(shots).filePath(shot));
            }
        };
        (operation == "restore" ? ui->BTN_RESTORE : ui->BTN_DUMP)->click();
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());

        if (lines.last() == "%1")
            lines.last() = image + " (" + QLocale::c().formattedDataSize(QFileInfo(image).size()) + ")";
        QCOMPARE(m_window->LastCompletion(), lines);
        QTEST(ui->BTN_REDUMP->isEnabled(), "redump");
        DumpRecord kept;
        QString error;
        QCOMPARE(DumpRecord::Read(image, &kept, &error), !record.isEmpty());
        if (record.isEmpty())
            return;
        QCOMPARE(kept.outcome, record);
        QCOMPARE(kept.image, image);
        QCOMPARE(kept.arguments.last(), image);
        QVERIFY(kept.started.isValid() && kept.started <= kept.ended);
        for (int track = 0; track < DumpRecord::TRACK_COUNT; ++track)
            QCOMPARE(kept.tracks[track], ui->WDT_DUMPSTATUS->TrackState(track));
    }

    // A dump's failed tracks can be re-read after a restart, through its record.
    void recordAcrossRestart_data()
    {
        QTest::addColumn<QByteArray>("replacement"); // "" keeps the record
        QTest::newRow("kept") << QByteArray();
        QTest::newRow("damaged") << QByteArray("{\"record\": \"KESTAcon dump record\", \"version\": 1, \"ima");
        QTest::newRow("foreign") << QByteArray("{\"name\": \"game\", \"tracks\": [1, 2, 3]}");
        QTest::newRow("out of range") << QByteArray("retry:1e300");
        QTest::newRow("another image's") << QByteArray("image:/elsewhere/other.HVR");
    }

    void recordAcrossRestart()
    {
        QFETCH(QByteArray, replacement);
        wrapSimTool("drvdump");
        setVars("KESTA_SIM_BAD=40");
        DiskOperationDriver driver;
        ui->BTN_DUMP->click();
        QTRY_VERIFY(!MyCommon::getInstance()->isInputGuard());
        const QString image = imagePath("game");
        QFile file(DumpRecord::PathFor(image));
        if (!replacement.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray data = file.readAll();
            if (replacement.startsWith("retry:"))
                data.replace("\"retry\": 3", "\"retry\": " + replacement.mid(6));
            else if (replacement.startsWith("image:"))
                data.replace(image.toUtf8(), replacement.mid(6));
            else
                data = replacement;
            file.resize(0);
            file.write(data);
            file.close();
        }
        qunsetenv("KESTA_SIM_BAD");

        delete m_window;
        m_window = new MainWindow;
        ui = m_window->form();
        m_window->show();
        ui->LEDT_DUMP_FILENAME->setText("game");
        ui->EDT_LOG_DISPLAY->clear();
        driver.browserChoice = image;
        ui->BTN_DUMP_FILESELECT->click();
        const bool kept = replacement.isEmpty();
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(40), kept ? 255 : 0);
        QCOMPARE(ui->WDT_DUMPSTATUS->TrackState(0), kept ? 1 : 0);
        QCOMPARE(ui->BTN_REDUMP->isEnabled(), kept);
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText().contains("was ignored"), !kept);
        if (!kept)
            return;

        m_env->clearStubLog();
        ui->BTN_REDUMP->click();
        QCOMPARE(runsOf("drvdump"), QStringList{"drvdump -i 0 -r 3 -t 40 " + image});
        QCOMPARE(m_window->LastCompletion().first(), QString("Completed."));
        DumpRecord record;
        QString error;
        QVERIFY2(DumpRecord::Read(image, &record, &error), qPrintable(error));
        QCOMPARE(record.outcome, QString("completed"));
        QCOMPARE(record.tracks[40], 1);
        QCOMPARE(record.tracks[0], 1);
        QVERIFY(!ui->BTN_REDUMP->isEnabled());
    }

    void imageTools_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("made"); // relative to the image folder
        QTest::addColumn<bool>("done");
        QTest::newRow("convert") << "convert" << "copy" << "copy.HVR" << true;
        QTest::newRow("convert onto an existing name") << "convert" << "b" << "" << false;
        QTest::newRow("make in the entered folder") << "make" << "blank" << "sub/blank.HVR" << true;
        QTest::newRow("make onto an existing name") << "make" << "old" << "" << false;
        QTest::newRow("rename with its record") << "rename" << "c.HVR" << "c.HVR" << true;
    }

    void imageTools()
    {
        QFETCH(QString, tool);
        QFETCH(QString, name);
        QFETCH(QString, made);
        QFETCH(bool, done);
        const QString hvrtool = TestEnv::simBinDir() + "/hvrtool";
        QDir(m_folder).mkdir("sub");
        for (const QString& path : {imagePath("a"), imagePath("b"), m_folder + "/sub/old.HVR"})
            QCOMPARE(QProcess::execute(hvrtool, {"-c", path}), 0);
        DumpRecord record;
        record.image = imagePath("a");
        record.started = record.ended = QDateTime::currentDateTime();
        record.outcome = "completed";
        QVERIFY(record.Write(nullptr));
        FDImageSelector* browser = ui->WDT_EMU_FDIMAGESELECTOR;
        browser->SetRootPath(tool == "make" ? m_folder + "/sub" : m_folder, false);
        if (tool != "make")
            browser->SelectPath(imagePath("a"));

        QLineEdit* field = tool == "convert" ? ui->LEDT_CONVERT : tool == "make" ? ui->LEDT_MAKE_HVR : ui->LEDT_RENAME;
        ui->BTN_CONVERT_EXT->setCurrentText(".HVR");
        field->setText(name);
        m_window->findChild<QPushButton*>(tool == "convert" ? "BTN_CONVERT" : tool == "make" ? "BTN_MAKE_HVR" : "BTN_RENAME")
            ->click();
        QCOMPARE(field->styleSheet(), done ? MainWindow::TOOL_FIELD_STYLE_DONE : MainWindow::TOOL_FIELD_STYLE_FAILED);
        if (!made.isEmpty())
            QVERIFY(QFileInfo(m_folder + "/" + made).isFile());
        QCOMPARE(ui->EDT_LOG_DISPLAY->toPlainText().contains(" failed: "), !done);
        if (tool != "rename")
            return;
        const QString renamed = m_folder + "/c.HVR";
        QCOMPARE(browser->GetCurrentFilePath(), renamed);
        QVERIFY(!QFile::exists(DumpRecord::PathFor(imagePath("a"))));
        QVERIFY(DumpRecord::Read(renamed, &record, nullptr));
        QCOMPARE(record.image, renamed);
        ModalAnswer yes([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click(); });
        browser->findChild<QPushButton*>("BTN_WDG_DELETE")->click();
        QVERIFY(!QFile::exists(renamed));
        QVERIFY(!QFile::exists(DumpRecord::PathFor(renamed)));
    }

    // White text on the failed field's red: at least 4.5:1.
    void failedFieldIsReadable()
    {
        QRegularExpression rgb("rgb\\((\\d+), (\\d+), (\\d+)\\)");
        auto match = rgb.globalMatch(MainWindow::TOOL_FIELD_STYLE_FAILED);
        QList<double> luminance;
        while (match.hasNext()) {
            const QRegularExpressionMatch m = match.next();
            double l = 0;
            const double weights[] = {0.2126, 0.7152, 0.0722};
            for (int i = 0; i < 3; ++i) {
                const double c = m.captured(i + 1).toInt() / 255.0;
                l += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
            }
            luminance << l;
        }
        QCOMPARE(luminance.size(), 2);
        QVERIFY((qMax(luminance[0], luminance[1]) + 0.05) / (qMin(luminance[0], luminance[1]) + 0.05) >= 4.5);
    }

private:
    void setVars(const QString& pairs)
    {
        for (const QString& pair : pairs.split(' ', Qt::SkipEmptyParts)) {
            m_vars << pair.section('=', 0, 0).toUtf8();
            qputenv(m_vars.last().constData(), pair.section('=', 1).toUtf8());
        }
    }
    QList<QByteArray> m_vars;
};

QTEST_MAIN(TestOutcomes)
#include "tst_outcomes.moc"
