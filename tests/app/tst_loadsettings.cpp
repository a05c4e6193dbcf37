#include <QDir>
#include <QSettings>
#include <QtTest>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "testenv.h"
#include "ui_mainwindow.h"

namespace {

QStringList setText(const QString& name)
{
    ParameterSet set;
    set.SetName(name);
    set.SetValue(MyCommon::KEY_DRIVES, "1");
    return ParameterManage::SlotTextForm(&set);
}

} // namespace

class TestLoadSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void upgrade_data();
    void upgrade();
    void gapsEndTheLists();
    void reloadReplaces();
    void initialize();

private:
    // Values written to the settings file before the window opens.
    void write(const QVariantMap& values);
    QVariant stored(const QString& key) const;
    void open();
    int dumpSets() const { return ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count(); }

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

void TestLoadSettings::init()
{
    m_env = new TestEnv;
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
}

void TestLoadSettings::cleanup()
{
    delete m_window;
    m_window = nullptr;
    MyCommon::getInstance()->DeleteSettingInstance();
    MarkManage::getInstance()->AllClear();
    delete m_env;
}

void TestLoadSettings::write(const QVariantMap& values)
{
    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    for (auto it = values.begin(); it != values.end(); ++it)
        file.setValue(it.key(), it.value());
}

QVariant TestLoadSettings::stored(const QString& key) const
{
    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    return file.value(key);
}

void TestLoadSettings::open()
{
    m_window = new MainWindow;
    ui = m_window->form();
}

void TestLoadSettings::upgrade_data()
{
    QTest::addColumn<QVariantMap>("file");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("halfStepKept");
    QTest::newRow("1.04, half step") << QVariantMap{{"SETTING/VERSION", "1.04"}, {"DRVEMU/HALFSTEP", true}}
                                     << "HALFSTEP" << false;
    QTest::newRow("1.04, no half step") << QVariantMap{{"SETTING/VERSION", "1.04"}, {"DRVEMU/HALFSTEP", false}}
                                        << "NORMAL" << false;
    QTest::newRow("fresh installation") << QVariantMap{} << "NORMAL" << false;
    QTest::newRow("1.05 untouched")
        << QVariantMap{{"SETTING/VERSION", "1.05"}, {"DRVEMU/HALFSTEP", true}, {"DRVEMU/MODE", "PC-9821"}}
        << "PC-9821" << true;
}

void TestLoadSettings::upgrade()
{
    QFETCH(QVariantMap, file);
    QFETCH(QString, mode);
    QFETCH(bool, halfStepKept);
    write(file);
    open();
    QCOMPARE(stored("DRVEMU/MODE").toString(), mode);
    QCOMPARE(ui->BTN_DRVEMU_MODE->currentText(), mode);
    QCOMPARE(stored("DRVEMU/HALFSTEP").isValid(), halfStepKept);
    QCOMPARE(stored("SETTING/VERSION").toString(), QString("1.05"));
}

void TestLoadSettings::gapsEndTheLists()
{
    QVariantMap file{{"SETTING/VERSION", "1.05"}};
    for (int i : {0, 1, 2, 4}) {
        const QString folder = m_env->path(QString("mark%1").arg(i));
        QDir().mkpath(folder);
        file.insert(MarkManage::SettingKey(i), folder);
        file.insert(ParameterManage::SlotKey(ParameterManage::SLOT_DUMP, i), setText(QString("set%1").arg(i)));
    }
    write(file);
    open();
    QCOMPARE(MarkManage::getInstance()->Count(), 3);
    QCOMPARE(dumpSets(), 3);
    QCOMPARE(stored("DUMP/4").toStringList(), setText("set4"));
}

void TestLoadSettings::reloadReplaces()
{
    const QString mark = m_env->path("mark");
    QDir().mkpath(mark);
    write({{"SETTING/VERSION", "1.05"},
           {"FOLDER_MARK/0", mark},
           {"DUMP/0", setText("d")},
           {"RESTORE/0", setText("r")},
           {"RESTORE/DISKNO", "5"}});
    open();
    // The file changes behind the screen, as a restored backup does.
    MyCommon* common = MyCommon::getInstance();
    common->SetSettingString("RESTORE/DISKNO", "7");
    common->SetSettingString("DRVEMU/MODE", "HALFSTEP");
    common->SetSettingString("CONVERT/EXT", ".D77");
    m_window->LoadSettings();

    QCOMPARE(MarkManage::getInstance()->Count(), 1);
    QCOMPARE(dumpSets(), 1);
    QCOMPARE(ui->WDT_RESTORE_PARAMETER_SELECTOR->getParameterManage()->Count(), 1);
    QCOMPARE(ui->BTN_RESTORE_DISKNO->currentText(), QString("7"));
    QCOMPARE(ui->BTN_DRVEMU_MODE->currentText(), QString("HALFSTEP"));
    QCOMPARE(ui->BTN_CONVERT_EXT->currentText(), QString(".D77"));
    // Loading wrote none of the old screen back.
    QCOMPARE(stored("CONVERT/EXT").toString(), QString(".D77"));
    QCOMPARE(stored("RESTORE/0").toStringList(), setText("r"));
}

void TestLoadSettings::initialize()
{
    const QString mark = m_env->path("mark");
    QDir().mkpath(mark);
    write({{"SETTING/VERSION", "1.05"},
           {"FOLDER_MARK/0", mark},
           {"DUMP/0", setText("d")},
           {"RESTORE/0", setText("r")},
           {"UNFORMAT/0", setText("u")},
           {"CONVERT/EXT", ".D88"},
           {"CONVERT/FORMAT", "raw"},
           {"CONVERT/MAKEHVR", "MY DISK"},
           {"DRVEMU/MODE", "HALFSTEP"},
           {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", mark}});
    open();
    ui->BTN_RESTORE_DISKNO->setCurrentText("3");
    m_window->InitializeSettings();

    QCOMPARE(dumpSets(), 0);
    QCOMPARE(MarkManage::getInstance()->Count(), 0);
    QCOMPARE(MyCommon::getInstance()->Settings().m_lastAccessFolder, QString());
    const QVariantMap expected{{"DUMP/0", QVariant()},
                               {"RESTORE/0", QVariant()},
                               {"UNFORMAT/0", setText("u")},
                               {"FOLDER_MARK/0", mark},
                               {"RESTORE/DISKNO", "3"},
                               {"CONVERT/EXT", ".D88"},
                               {"CONVERT/FORMAT", "encode"},
                               {"CONVERT/MAKEHVR", "BLANK IMAGE"},
                               {"DRVEMU/MODE", "NORMAL"},
                               {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", ""},
                               {"SETTING/VERSION", "1.05"}};
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QVariant value = stored(it.key());
        if (it.value().type() == QVariant::StringList)
            QCOMPARE(value.toStringList(), it.value().toStringList());
        else
            QCOMPARE(value.toString(), it.value().toString());
    }
}

QTEST_MAIN(TestLoadSettings)
#include "tst_loadsettings.moc"
