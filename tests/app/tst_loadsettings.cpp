#include "fixtures.h"
#include "qtcompat.h"
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

class TestLoadSettings : public WindowFixture
{
    Q_OBJECT
private slots:
    void init() { makeEnv(); }
    void cleanup()
    {
        closeWindow();
        MarkManage::getInstance()->AllClear();
    }

    void upgrade_data()
    {
        addColumns<QVariantMap, QString, bool>("file", "mode", "halfStepKept");
        QTest::newRow("1.04, half step") << QVariantMap{{"SETTING/VERSION", "1.04"}, {"DRVEMU/HALFSTEP", true}}
                                         << "HALFSTEP" << false;
        QTest::newRow("1.04, no half step") << QVariantMap{{"SETTING/VERSION", "1.04"}, {"DRVEMU/HALFSTEP", false}}
                                            << "NORMAL" << false;
        QTest::newRow("fresh installation") << QVariantMap{} << "NORMAL" << false;
        QTest::newRow("1.05 untouched")
            << QVariantMap{{"SETTING/VERSION", "1.05"}, {"DRVEMU/HALFSTEP", true}, {"DRVEMU/MODE", "PC-9821"}}
            << "PC-9821" << true;
    }

    void upgrade()
    {
        QFETCH(QString, mode);
        write(row<QVariantMap>("file"));
        newWindow(false);
        QCOMPARE(stored("DRVEMU/MODE").toString(), mode);
        QCOMPARE(ui->BTN_DRVEMU_MODE->currentText(), mode);
        QTEST(stored("DRVEMU/HALFSTEP").isValid(), "halfStepKept");
        QCOMPARE(stored("SETTING/VERSION").toString(), QString("1.05"));
    }

    void initialize()
    {
        const QString mark = m_env->path("mark");
        QDir().mkpath(mark);
        write({{"SETTING/VERSION", "1.05"}, {"FOLDER_MARK/0", mark}, {"DUMP/0", setText("d")},
               {"RESTORE/0", setText("r")}, {"UNFORMAT/0", setText("u")}, {"CONVERT/EXT", ".D88"},
               {"CONVERT/FORMAT", "raw"}, {"CONVERT/MAKEHVR", "MY DISK"}, {"DRVEMU/MODE", "HALFSTEP"},
               {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", mark}});
        newWindow(false);
        ui->BTN_RESTORE_DISKNO->setCurrentText("3");
        m_window->InitializeSettings();

        QCOMPARE(ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->Count(), 0);
        QCOMPARE(MarkManage::getInstance()->Count(), 0);
        QCOMPARE(MyCommon::getInstance()->Settings().m_lastAccessFolder, QString());
        const QVariantMap expected{{"DUMP/0", QVariant()}, {"RESTORE/0", QVariant()}, {"UNFORMAT/0", setText("u")},
                                   {"FOLDER_MARK/0", mark}, {"RESTORE/DISKNO", "3"}, {"CONVERT/EXT", ".D88"},
                                   {"CONVERT/FORMAT", "encode"}, {"CONVERT/MAKEHVR", "BLANK IMAGE"},
                                   {"DRVEMU/MODE", "NORMAL"}, {"CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", ""},
                                   {"SETTING/VERSION", "1.05"}};
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QVariant value = stored(it.key());
            if (QtCompat::IsStringList(it.value()))
                QCOMPARE(value.toStringList(), it.value().toStringList());
            else
                QCOMPARE(value.toString(), it.value().toString());
        }
    }

private:
    void write(const QVariantMap& values)
    {
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            file.setValue(it.key(), it.value());
    }
};

QTEST_MAIN(TestLoadSettings)
#include "tst_loadsettings.moc"
