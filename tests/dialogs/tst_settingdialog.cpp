#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "settingdialog.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

// Answers the next modal dialogs in order and notes their titles:
// "ok"/"cancel" for a message box, "choose:PATH" (or "choose:" for the
// shown folder) for the file chooser, "reject" for any other dialog.
class DialogDriver : public QObject
{
public:
    explicit DialogDriver(QStringList answers) : m_answers(std::move(answers))
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogDriver::poll);
        m_timer.start(20);
    }
    QStringList seen;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || m_answers.isEmpty())
            return;
        const QString answer = m_answers.takeFirst();
        seen << modal->metaObject()->className() + QString(":") + modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        } else if (auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal)) {
            const QString path = answer.mid(QString("choose:").size());
            FDImageSelector* browser = chooser->Selector();
            if (!path.isEmpty())
                browser->findChild<QListView*>("LSV_WDG_FILELISTVEW")->setCurrentIndex(browser->Model()->index(path));
            chooser->on_BTN_SELECT_OK_clicked();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    }
    QStringList m_answers;
    QTimer m_timer;
};

class TestSettingDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opening_data();
    void opening();
    void okWritesEveryKey();
    void cancelWritesNothing();
    void initializeAsks_data();
    void initializeAsks();
    void backupAndRestore();
    void restoreRefusesBadFile_data();
    void restoreRefusesBadFile();
    void settingButtons_data();
    void settingButtons();

private:
    template <typename T>
    T* control(SettingDialog& dialog, const char* name)
    {
        return dialog.findChild<T*>(name);
    }
    int dumpSets() const
    {
        return m_window->form()->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count();
    }
    void addDumpSet(const QString& name);

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    QString m_folder;
};

void TestSettingDialog::init()
{
    m_env = new TestEnv;
    QVERIFY(QFile::link(QStringLiteral(KESTA_STUB_DIR) + "/cp", m_env->binDir() + "/cp"));
    m_folder = m_env->path("my backups");
    QDir().mkpath(m_folder);
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
    m_window = new MainWindow;
    m_window->show();
    MyCommon::getInstance()->Settings().m_lastAccessFolder = m_folder;
}

void TestSettingDialog::cleanup()
{
    delete m_window;
    MyCommon::getInstance()->SetInputGuard(false);
    MyCommon::getInstance()->DeleteSettingInstance();
    delete m_env;
}

void TestSettingDialog::addDumpSet(const QString& name)
{
    auto* set = new ParameterSet;
    set->SetName(name);
    set->SetValue(MyCommon::KEY_DRIVES, "1");
    m_window->form()->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Insert(set);
    m_window->on_settingsChanged_Dump();
}

void TestSettingDialog::opening_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("policy");
    QTest::addColumn<bool>("flags"); // overwrite, start-up, X68000 option; motor the opposite
    QTest::addColumn<QStringList>("checked");
    QTest::newRow("easy, last folder, flags on")
        << 0 << 0 << true
        << QStringList{"RDO_SET_MODE_EASY", "RDO_SET_LAST_FOLDER", "RDO_SET_OVERWRITE", "RDO_SET_STARTUP_AUTOSTART",
                       "CHK_SET_USE_X68OPT"};
    QTest::newRow("expert, specified folder, flags off")
        << 1 << 2 << false
        << QStringList{"RDO_SET_MODE_EXPERT", "RDO_SET_SPECIFIED_FOLDER", "RDO_SET_FOLLOW_KESTA",
                       "RDO_SET_STARTUP_NONE", "CHK_SET_USE_MOTOR"};
    QTest::newRow("application folder")
        << 0 << 1 << true
        << QStringList{"RDO_SET_MODE_EASY", "RDO_SET_APPL_FOLDER", "RDO_SET_OVERWRITE", "RDO_SET_STARTUP_AUTOSTART",
                       "CHK_SET_USE_X68OPT"};
}

void TestSettingDialog::opening()
{
    QFETCH(int, mode);
    QFETCH(int, policy);
    QFETCH(bool, flags);
    QFETCH(QStringList, checked);
    KESTAconSettings& record = MyCommon::getInstance()->Settings();
    record.m_mode = mode;
    record.m_currentFolderPolicy = policy;
    record.m_specifiedFolder = "/some where";
    record.m_overwrite = record.m_startup = record.m_x68kOption = flags;
    record.m_motorSignal = !flags;

    SettingDialog dialog(m_window);
    QStringList on;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->isChecked())
            on << button->objectName();
    on.sort();
    checked.sort();
    QCOMPARE(on, checked);
    auto* field = control<QLineEdit>(dialog, "LEDT_SET_SPECIFIED_FOLDER");
    auto* browse = control<QPushButton>(dialog, "BTN_SET_SPECIFIED_BROWSE");
    QCOMPARE(field->text(), QString("/some where"));
    QCOMPARE(field->isEnabled(), policy == 2);
    QCOMPARE(browse->isEnabled(), policy == 2);
    for (const char* radio : {"RDO_SET_SPECIFIED_FOLDER", "RDO_SET_APPL_FOLDER", "RDO_SET_LAST_FOLDER"}) {
        control<QRadioButton>(dialog, radio)->click();
        const bool specified = QByteArray(radio) == "RDO_SET_SPECIFIED_FOLDER";
        QCOMPARE(field->isEnabled(), specified);
        QCOMPARE(browse->isEnabled(), specified);
    }
}

void TestSettingDialog::okWritesEveryKey()
{
    SettingDialog dialog(m_window);
    control<QRadioButton>(dialog, "RDO_SET_MODE_EXPERT")->click();
    control<QRadioButton>(dialog, "RDO_SET_APPL_FOLDER")->click();
    control<QLineEdit>(dialog, "LEDT_SET_SPECIFIED_FOLDER")->setText("/my images");
    control<QRadioButton>(dialog, "RDO_SET_FOLLOW_KESTA")->click();
    control<QRadioButton>(dialog, "RDO_SET_STARTUP_AUTOSTART")->click();
    control<QCheckBox>(dialog, "CHK_SET_USE_X68OPT")->setChecked(false);
    control<QCheckBox>(dialog, "CHK_SET_USE_MOTOR")->setChecked(true);
    control<QPushButton>(dialog, "BTN_SET_OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    const QVariantMap expected{{"MODE/NO", 1},
                               {"CURRENT_FOLDER/NO", 1},
                               {"CURRENT_FOLDER/SPECIFIED_FOLDER_PATH", "/my images"},
                               {"OVERWRITE/OVERWRITE", false},
                               {"STARTUP/STARTUP", true},
                               {"DRVEMU/X68KOPT", false},
                               {"DRVEMU/MTRSIGNAL", true}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(file.value(it.key()).toString(), it.value().toString());
    const KESTAconSettings& record = MyCommon::getInstance()->Settings();
    QCOMPARE(record.m_mode, 1);
    QCOMPARE(record.m_currentFolderPolicy, 1);
    QCOMPARE(record.m_specifiedFolder, QString("/my images"));
    QVERIFY(!record.m_overwrite && record.m_startup && !record.m_x68kOption && record.m_motorSignal);
}

void TestSettingDialog::cancelWritesNothing()
{
    const QByteArray before = readFile(m_env->settingsPath());
    const quint64 writes = MyCommon::getInstance()->SettingWriteCount();
    SettingDialog dialog(m_window);
    control<QRadioButton>(dialog, "RDO_SET_MODE_EXPERT")->click();
    control<QPushButton>(dialog, "BTN_SET_CANCEL")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(MyCommon::getInstance()->SettingWriteCount(), writes);
    QCOMPARE(readFile(m_env->settingsPath()), before);
    QCOMPARE(MyCommon::getInstance()->Settings().m_mode, 0);
}

void TestSettingDialog::initializeAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("setsLeft");
    QTest::newRow("ok") << "ok" << 0;
    QTest::newRow("cancel") << "cancel" << 1;
}

void TestSettingDialog::initializeAsks()
{
    QFETCH(QString, answer);
    QFETCH(int, setsLeft);
    addDumpSet("mine");
    SettingDialog dialog(m_window);
    DialogDriver driver({answer});
    control<QPushButton>(dialog, "BTN_SET_INITIALIZE")->click();
    QCOMPARE(driver.seen, QStringList{"QMessageBox:Confirmation."});
    QCOMPARE(dumpSets(), setsLeft);
}

void TestSettingDialog::backupAndRestore()
{
    Ui::MainWindow* ui = m_window->form();
    MyCommon* common = MyCommon::getInstance();
    ui->BTN_CONVERT_EXT->setCurrentText(".D77");
    common->SetSettingInt("MODE/NO", 1);
    common->Settings().m_mode = 1;
    addDumpSet("kept");
    const QByteArray saved = readFile(m_env->settingsPath());

    SettingDialog dialog(m_window);
    {
        DialogDriver driver({"choose:"});
        control<QPushButton>(dialog, "BTN_SET_BACKUP")->click();
    }
    const QStringList backups = QDir(m_folder).entryList({"KESTAcon_*.bak"}, QDir::Files);
    QCOMPARE(backups.size(), 1);
    QVERIFY(QRegularExpression("^KESTAcon_\\d{14}\\.bak$").match(backups.first()).hasMatch());
    const QString backup = m_folder + "/" + backups.first();
    QCOMPARE(readFile(backup), saved);

    // Everything changes; the restore brings the backup back.
    ui->BTN_CONVERT_EXT->setCurrentText(".IMG");
    common->SetSettingInt("MODE/NO", 0);
    addDumpSet("later");
    QCOMPARE(dumpSets(), 2);
    m_env->clearStubLog();
    {
        DialogDriver driver({"choose:" + backup});
        control<QPushButton>(dialog, "BTN_SET_RESTORE")->click();
    }
    QCOMPARE(m_env->stubLog(), QStringList{"cp " + backup + " " + m_env->settingsPath()});
    QCOMPARE(readFile(m_env->settingsPath()), saved);
    QCOMPARE(ui->BTN_CONVERT_EXT->currentText(), QString(".D77"));
    QCOMPARE(dumpSets(), 1);
    QCOMPARE(common->Settings().m_mode, 1);
    QVERIFY(control<QRadioButton>(dialog, "RDO_SET_MODE_EXPERT")->isChecked());
}

void TestSettingDialog::restoreRefusesBadFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("binary") << "binary";
    QTest::newRow("other program's ini") << "ini";
    QTest::newRow("folder") << "folder";
}

void TestSettingDialog::restoreRefusesBadFile()
{
    QFETCH(QString, kind);
    QString candidate = m_folder + "/candidate";
    if (kind == "binary")
        writeFile(candidate, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18));
    else if (kind == "ini")
        writeFile(candidate, "[Other]\nkey=1\n");
    else
        QDir().mkpath(candidate);
    MyCommon::getInstance()->SetSettingInt("MODE/NO", 1);
    const QByteArray before = readFile(m_env->settingsPath());
    m_env->clearStubLog();

    SettingDialog dialog(m_window);
    DialogDriver driver({"choose:" + candidate, "ok"});
    control<QPushButton>(dialog, "BTN_SET_RESTORE")->click();
    QCOMPARE(driver.seen.value(1), QString("QMessageBox:Warning."));
    QCOMPARE(m_env->stubLog(), QStringList{});
    QCOMPARE(readFile(m_env->settingsPath()), before);
}

void TestSettingDialog::settingButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("guard");
    QTest::newRow("emulator page") << "BTN_EMU_SETTING" << false;
    QTest::newRow("controller page") << "BTN_EMU_SETTING_2" << false;
    QTest::newRow("emulator page, guarded") << "BTN_EMU_SETTING" << true;
    QTest::newRow("controller page, guarded") << "BTN_EMU_SETTING_2" << true;
}

void TestSettingDialog::settingButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, guard);
    MyCommon::getInstance()->SetInputGuard(guard);
    DialogDriver driver({"reject"});
    QMetaObject::invokeMethod(m_window, QString("on_" + button + "_clicked").toLatin1().constData());
    QCOMPARE(driver.seen, guard ? QStringList{} : QStringList{"SettingDialog:Dialog"});
}

QTEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
