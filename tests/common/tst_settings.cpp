#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>
#include <memory>

#include "table.h"

#include "mycommon.h"
#include "qtcompat.h"
#include "testenv.h"

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_env->openSettings();
    }
    void cleanup()
    {
        c()->DeleteSettingInstance();
        m_env.reset();
    }

    // What the file holds reads back typed, and a write of it reaches the file at once.
    void readAndWrite_data()
    {
        addColumns<QString, QString, QString, QVariant>("fileText", "key", "type", "expected"); // fileText null: no file
        QTest::newRow("absent string default") << QString() << "DRVEMU/MODE" << "string" << QVariant("NORMAL");
        QTest::newRow("int") << "[MODE]\nNO=1\n" << "MODE/NO" << "int" << QVariant(1);
        QTest::newRow("text read as int") << "[MODE]\nNO=abc\n" << "MODE/NO" << "int" << QVariant(0);
        QTest::newRow("bool") << "[STARTUP]\nSTARTUP=true\n" << "STARTUP/STARTUP" << "bool" << QVariant(true);
        QTest::newRow("utf8 path") << "[CURRENT_FOLDER]\nLASTACCESS_FOLDER_PATH=/home/pi/ディスク\n"
                                   << "CURRENT_FOLDER/LASTACCESS_FOLDER_PATH" << "string"
                                   << QVariant(QString::fromUtf8("/home/pi/ディスク"));
        QTest::newRow("list") << "[DUMP]\n0=name/A, DRIVES/0\n" << "DUMP/0" << "list"
                              << QVariant(QStringList{"name/A", "DRIVES/0"});
        QTest::newRow("single element list") << "[DUMP]\n0=name/A\n" << "DUMP/0" << "list"
                                             << QVariant(QStringList{"name/A"});
    }

    void readAndWrite()
    {
        QFETCH(QString, fileText);
        QFETCH(QString, key);
        QFETCH(QString, type);
        const QString path = m_env->settingsPath();
        if (!fileText.isNull()) {
            c()->DeleteSettingInstance();
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fileText.toUtf8()) > 0);
            file.close();
            c()->OpenSettingInstance(path);
        }
        const QVariant value = type == "string" ? QVariant(c()->GetSettingString(key))
                             : type == "int"    ? QVariant(c()->GetSettingInt(key))
                             : type == "bool"   ? QVariant(c()->GetSettingBool(key))
                                                : QVariant(c()->GetSettingStringList(key));
        QTEST(value, "expected");

        c()->DeleteSettingInstance();
        QFile::remove(path);
        c()->OpenSettingInstance(path);
        type == "string" ? c()->SetSettingString(key, value.toString())
        : type == "int"  ? c()->SetSettingInt(key, value.toInt())
        : type == "bool" ? c()->SetSettingBool(key, value.toBool())
                         : c()->SetSettingStringList(key, value.toStringList());
        QSettings other(path, QSettings::IniFormat);
        QtCompat::UseUtf8(other);
        if (type == "list")
            QCOMPARE(other.value(key).toStringList(), value.toStringList());
        else
            QCOMPARE(other.value(key).toString(), value.toString());
        c()->RemoveSettingString(key);
        QVERIFY(!QSettings(path, QSettings::IniFormat).contains(key));
    }

    void readNeverWrites()
    {
        const quint64 before = c()->SettingWriteCount();
        c()->GetSettingString("DRVEMU/MODE");
        c()->GetSettingBool("OVERWRITE/OVERWRITE");
        QCOMPARE(c()->SettingWriteCount(), before);
        QVERIFY(!QFile::exists(m_env->settingsPath()));
    }

    void getFolderPath_data()
    {
        // relative: below the test folder; "" for the empty path; expected: below the test folder
        addColumns<QString, QString>("relative", "expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("existing file") << "x/y/file.HVR" << "x/y";
        QTest::newRow("folder with slash") << "x/y/" << "x/y";
        QTest::newRow("name repeated in path") << "d/x/d" << "d/x";
        QTest::newRow("missing file") << "x/y/none.HVR" << "x/y/none.HVR";
    }

    void getFolderPath()
    {
        QFETCH(QString, relative);
        const QString base = m_env->path();
        QDir(base).mkpath("x/y");
        QDir(base).mkpath("d/x");
        QFile(base + "/x/y/file.HVR").open(QIODevice::WriteOnly);
        QFile(base + "/d/x/d").open(QIODevice::WriteOnly);
        if (relative.isEmpty())
            QCOMPARE(MyCommon::GetFolderPath(QString()), QString());
        else
            QCOMPARE(MyCommon::GetFolderPath(base + "/" + relative), base + "/" + row<QString>("expected"));
    }

    void folderPolicy_data()
    {
        addColumns<int, QString, QString>("policy", "specified", "expected");
        QTest::newRow("last access") << 0 << "/chosen" << "/last";
        QTest::newRow("application") << 1 << "/chosen" << QCoreApplication::applicationDirPath();
        QTest::newRow("specified") << 2 << "/chosen" << "/chosen";
        QTest::newRow("unknown") << 7 << "/chosen" << "";
    }

    void folderPolicy()
    {
        KESTAconSettings& record = c()->Settings();
        record.m_currentFolderPolicy = row<int>("policy");
        record.m_specifiedFolder = row<QString>("specified");
        record.m_lastAccessFolder = "/last";
        QTEST(record.GetSelectedCurrentFolderPath(), "expected");
        // Full paths are always made in the last access folder.
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath(""), QString());
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath("a.HVR"), QString("/last/a.HVR"));
        record.InitializeSettings();
    }

private:
    std::unique_ptr<TestEnv> m_env;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
