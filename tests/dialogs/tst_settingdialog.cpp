#include "fixtures.h"
#include "settingdialog.h"
#include "ui_mainwindow.h"

class TestSettingDialog : public WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init()
    {
        openWindow();
        QVERIFY(QFile::link(QStringLiteral(KESTA_STUB_DIR) + "/cp", m_env->binDir() + "/cp"));
        m_folder = m_env->path("my backups");
        QDir().mkpath(m_folder);
        MyCommon::getInstance()->Settings().m_lastAccessFolder = m_folder;
    }
    void cleanup() { closeWindow(), MarkManage::getInstance()->AllClear(); }

    // The dialog shows the record; OK writes every key, CANCEL none.
    void okAndCancel()
    {
        KESTAconSettings& record = MyCommon::getInstance()->Settings();
        record.m_currentFolderPolicy = 2;
        record.m_specifiedFolder = "/some where";
        record.m_x68kOption = true, record.m_motorSignal = false;
        {
            SettingDialog dialog(m_window.get());
            auto* field = dialog.findChild<QLineEdit*>("LEDT_SET_SPECIFIED_FOLDER");
            QVERIFY(dialog.findChild<QRadioButton*>("RDO_SET_SPECIFIED_FOLDER")->isChecked());
            QVERIFY(dialog.findChild<QCheckBox*>("CHK_SET_USE_X68OPT")->isChecked());
            QCOMPARE(field->text(), QString("/some where"));
            QVERIFY(field->isEnabled());
            for (const char* name : {"RDO_SET_MODE_EXPERT", "RDO_SET_APPL_FOLDER"})
                dialog.findChild<QAbstractButton*>(name)->click();
            QVERIFY(!field->isEnabled() && !dialog.findChild<QPushButton*>("BTN_SET_SPECIFIED_BROWSE")->isEnabled());
            field->setText("/my images");
            for (const char* name : {"RDO_SET_FOLLOW_KESTA", "RDO_SET_STARTUP_AUTOSTART", "CHK_SET_USE_X68OPT", "CHK_SET_USE_MOTOR", "BTN_SET_OK"})
                dialog.findChild<QAbstractButton*>(name)->click(); // the check boxes toggle
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        const QVariantMap expected{{"MODE/NO", 1}, {"CURRENT_FOLDER/NO", 1}, {"CURRENT_FOLDER/SPECIFIED_FOLDER_PATH", "/my images"},
                                   {"OVERWRITE/OVERWRITE", false}, {"STARTUP/STARTUP", true},
                                   {"DRVEMU/X68KOPT", false}, {"DRVEMU/MTRSIGNAL", true}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(stored(it.key()).toString(), it.value().toString());
        QCOMPARE(record.m_mode, 1);
        QCOMPARE(record.m_specifiedFolder, QString("/my images"));

        const QByteArray before = readFile(m_env->settingsPath());
        const quint64 writes = MyCommon::getInstance()->SettingWriteCount();
        SettingDialog dialog(m_window.get());
        dialog.findChild<QRadioButton*>("RDO_SET_MODE_EASY")->click();
        dialog.findChild<QPushButton*>("BTN_SET_CANCEL")->click();
        QCOMPARE(MyCommon::getInstance()->SettingWriteCount(), writes);
        QCOMPARE(readFile(m_env->settingsPath()), before);
        QCOMPARE(record.m_mode, 1);
    }

    // INITIALIZE asks first; OK clears the sets, the marks and the choices, CANCEL changes nothing.
    void initializeAsks_data()
    {
        addColumns<QString>("answer");
        QTest::newRow("ok") << "ok";
        QTest::newRow("cancel") << "cancel";
    }

    void initializeAsks()
    {
        const bool ok = row<QString>("answer") == "ok";
        m_window.reset();
        {
            QSettings file(m_env->settingsPath(), QSettings::IniFormat);
            const QVariantMap values{{"SETTING/VERSION", "1.05"}, {"FOLDER_MARK/0", m_folder}, {"DUMP/0", setText("d")},
                                     {"RESTORE/0", setText("r")}, {"UNFORMAT/0", setText("u")}, {"CONVERT/EXT", ".D88"},
                                     {"CONVERT/FORMAT", "raw"}, {"CONVERT/MAKEHVR", "MY DISK"}, {"DRVEMU/MODE", "HALFSTEP"},
                                     {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", m_folder}};
            for (auto it = values.begin(); it != values.end(); ++it)
                file.setValue(it.key(), it.value());
        }
        newWindow();
        ui->BTN_RESTORE_DISKNO->setCurrentText("3");
        const QByteArray before = readFile(m_env->settingsPath());
        SettingDialog dialog(m_window.get(), m_window.get());
        QCOMPARE(answered(dialog, "BTN_SET_INITIALIZE", {row<QString>("answer")}), QStringList{"Confirmation. [Cancel]"});
        QCOMPARE(dumpSets(), ok ? 0 : 1);
        QCOMPARE(MarkManage::getInstance()->Count(), ok ? 0 : 1);
        QCOMPARE(MyCommon::getInstance()->Settings().m_lastAccessFolder, ok ? QString() : m_folder);
        if (!ok) {
            QCOMPARE(readFile(m_env->settingsPath()), before);
            return;
        }
        const QVariantMap expected{{"DUMP/0", QVariant()}, {"RESTORE/0", QVariant()}, {"UNFORMAT/0", setText("u")},
                                   {"FOLDER_MARK/0", m_folder}, {"RESTORE/DISKNO", "3"}, {"CONVERT/EXT", ".D88"},
                                   {"CONVERT/FORMAT", "encode"}, {"CONVERT/MAKEHVR", "BLANK IMAGE"},
                                   {"DRVEMU/MODE", "NORMAL"}, {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", ""},
                                   {"SETTING/VERSION", "1.05"}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(stored(it.key()).toStringList().join('|'), it.value().toStringList().join('|'));
    }

    void backupAndRestore()
    {
        MyCommon* common = MyCommon::getInstance();
        ui->BTN_CONVERT_EXT->setCurrentText(".D77");
        common->SetSettingInt("MODE/NO", 1);
        addDumpSet("kept");
        const QByteArray saved = readFile(m_env->settingsPath());
        SettingDialog dialog(m_window.get(), m_window.get());
        QCOMPARE(answered(dialog, "BTN_SET_BACKUP", {"choose:", "ok"}).value(1), QString("information."));
        const QStringList backups = QDir(m_folder).entryList({"KESTAcon_*.bak"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(QRegularExpression("^KESTAcon_\\d{14}\\.bak$").match(backups.first()).hasMatch());
        const QString backup = m_folder + "/" + backups.first();
        QCOMPARE(readFile(backup), saved);

        // Changes; files that are no settings file are refused; the backup restores.
        ui->BTN_CONVERT_EXT->setCurrentText(".IMG");
        common->SetSettingInt("MODE/NO", 0);
        addDumpSet("later");
        const QByteArray changed = readFile(m_env->settingsPath());
        QDir().mkpath(m_folder + "/folder");
        QVERIFY(writeFile(m_folder + "/binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18)));
        QVERIFY(writeFile(m_folder + "/other.ini", "[Other]\nkey=1\n"));
        m_env->clearStubLog();
        for (const QString& bad : {m_folder + "/binary", m_folder + "/other.ini", m_folder + "/folder"})
            QCOMPARE(answered(dialog, "BTN_SET_RESTORE", {"choose:" + bad, "ok"}).value(1), QString("Warning."));
        QCOMPARE(m_env->stubLog(), QStringList{});
        QCOMPARE(readFile(m_env->settingsPath()), changed);
        answered(dialog, "BTN_SET_RESTORE", {"choose:" + backup});
        QCOMPARE(m_env->stubLog(), QStringList{"cp " + backup + " " + m_env->settingsPath()});
        QCOMPARE(readFile(m_env->settingsPath()), saved);
        QCOMPARE(ui->BTN_CONVERT_EXT->currentText(), QString(".D77"));
        QCOMPARE(dumpSets(), 1);
        QCOMPARE(common->Settings().m_mode, 1);
        QVERIFY(dialog.findChild<QRadioButton*>("RDO_SET_MODE_EXPERT")->isChecked());
    }

    // EXIT on either page: the choice in the exit dialog and what runs for it.
    void exitPaths_data()
    {
        addColumns<QString, QString, int, bool, QStringList, bool>("exitButton", "choice", "emulator", "guard", "commands", "closed");
        QTest::newRow("application, emulator stopped")
            << "BTN_EXIT" << "BTN_APP_EXIT" << 0 << false << QStringList{} << true;
        QTest::newRow("application, emulator running")
            << "BTN_EXIT_EMU" << "BTN_APP_EXIT" << 1 << false << QStringList{"pkill drvemu"} << true;
        QTest::newRow("shutdown, emulator running") << "BTN_EXIT" << "BTN_LINUX_SHUTDOWN" << 1 << false
                                                    << QStringList{"pkill drvemu", "shutdown -h now"} << true;
        QTest::newRow("reboot, emulator stopped")
            << "BTN_EXIT_EMU" << "BTN_LINUX_REBOOT" << 0 << false << QStringList{"reboot"} << true;
        QTest::newRow("cancel") << "BTN_EXIT" << "BTN_EXIT_CANCEL" << 1 << false << QStringList{} << false;
        QTest::newRow("input guard") << "BTN_EXIT_EMU" << "BTN_APP_EXIT" << 1 << true << QStringList{} << false;
    }

    void exitPaths()
    {
        QFETCH(int, emulator);
        QFETCH(bool, guard);
        QFETCH(bool, closed);
        m_window.reset();
        if (emulator == 1) // a poll's listing agrees with the emulator state set below
            m_env->writeScript("drvctl", "printf '1\\n2\\n3\\n4\\n5\\n'");
        newWindow();
        MyCommon::getInstance()->UpdateDRVEMU_STATE(emulator);
        MyCommon::getInstance()->SetInputGuard(guard);
        m_env->clearStubLog();
        Answers answers({row<QString>("choice")});
        m_window->findChild<QPushButton*>(row<QString>("exitButton"))->click();
        QTEST(m_env->stubLog().replaceInStrings(QRegularExpression("\\s+$"), ""), "commands");
        QCOMPARE(answers.seen, guard ? QStringList{} : QStringList{"ExitDialog"});
        QCOMPARE(m_window->isVisible(), !closed);
        if (closed)
            QCOMPARE(m_window->pollTimerId(), -1);
    }

private:
    // Clicks a button of the dialog and answers what comes up
    static QStringList answered(QDialog& dialog, const char* button, const QStringList& answers)
    {
        Answers answering(answers);
        dialog.findChild<QPushButton*>(button)->click();
        return answering.seen;
    }
    static QStringList setText(const QString& name)
    {
        ParameterSet set;
        set.SetName(name);
        set.SetValue(MyCommon::KEY_DRIVES, "1");
        return ParameterManage::SlotTextForm(&set);
    }
    int dumpSets() const { return ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count(); }
    void addDumpSet(const QString& name)
    {
        auto* set = new ParameterSet;
        set->SetName(name);
        set->SetValue(MyCommon::KEY_DRIVES, "1");
        ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Insert(set);
        m_window->on_settingsChanged_Dump();
    }

    QString m_folder;
};

QTEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
