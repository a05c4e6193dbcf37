#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include "mycommon.h"
#include "qtcompat.h"
#include "testenv.h"

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = new TestEnv;
        m_env->openSettings();
    }

    void cleanup()
    {
        c()->DeleteSettingInstance();
        delete m_env;
        m_env = nullptr;
    }

    void read_data()
    {
        QTest::addColumn<QString>("fileText"); // null: no settings file
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("absent string default") << QString() << "DRVEMU/MODE" << "string" << QVariant("NORMAL");
        QTest::newRow("int") << "[MODE]\nNO=1\n" << "MODE/NO" << "int" << QVariant(1);
        QTest::newRow("text read as int") << "[MODE]\nNO=abc\n" << "MODE/NO" << "int" << QVariant(0);
        QTest::newRow("utf8 path") << "[CURRENT_FOLDER]\nLASTACCESS_FOLDER_PATH=/home/pi/ディスク\n"
                                   << "CURRENT_FOLDER/LASTACCESS_FOLDER_PATH" << "string"
                                   << QVariant(QString::fromUtf8("/home/pi/ディスク"));
        QTest::newRow("list") << "[DUMP]\n0=name/A, DRIVES/0\n" << "DUMP/0" << "list"
                              << QVariant(QStringList{"name/A", "DRIVES/0"});
        QTest::newRow("single element list") << "[DUMP]\n0=name/A\n" << "DUMP/0" << "list"
                                             << QVariant(QStringList{"name/A"});
    }

    void read()
    {
        QFETCH(QString, fileText);
        QFETCH(QString, key);
        QFETCH(QString, type);
        QFETCH(QVariant, expected);
        if (!fileText.isNull()) {
            c()->DeleteSettingInstance();
            QFile file(m_env->settingsPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fileText.toUtf8());
            file.close();
            c()->OpenSettingInstance(m_env->settingsPath());
        }
        QVariant value;
        if (type == "string")
            value = c()->GetSettingString(key);
        else if (type == "int")
            value = c()->GetSettingInt(key);
        else if (type == "bool")
            value = c()->GetSettingBool(key);
        else
            value = c()->GetSettingStringList(key);
        QCOMPARE(value, expected);
    }

    void everyWriteReachesTheFile()
    {
        c()->SetSettingString("CONVERT/EXT", ".D88");
        c()->SetSettingInt("MODE/NO", 1);
        c()->SetSettingBool("STARTUP/STARTUP", true);
        c()->SetSettingStringList("DUMP/0", {"name/A", "DRIVES/1"});
        c()->SetSettingBool("DRVEMU/HALFSTEP", true);
        c()->RemoveSettingString("DRVEMU/HALFSTEP");
        QSettings other(m_env->settingsPath(), QSettings::IniFormat);
        QtCompat::UseUtf8(other);
        QCOMPARE(other.value("CONVERT/EXT").toString(), QString(".D88"));
        QCOMPARE(other.value("MODE/NO").toInt(), 1);
        QCOMPARE(other.value("STARTUP/STARTUP").toBool(), true);
        QCOMPARE(other.value("DUMP/0").toStringList(), (QStringList{"name/A", "DRIVES/1"}));
        QVERIFY(!other.contains("DRVEMU/HALFSTEP"));
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
        QTest::addColumn<QString>("relative"); // below the test folder; "" for the empty path
        QTest::addColumn<QString>("expected"); // below the test folder
        QTest::newRow("empty") << "" << "";
        QTest::newRow("existing file") << "x/y/file.HVR" << "x/y";
        QTest::newRow("folder with slash") << "x/y/" << "x/y";
        QTest::newRow("name repeated in path") << "d/x/d" << "d/x";
        QTest::newRow("missing file") << "x/y/none.HVR" << "x/y/none.HVR";
    }

    void getFolderPath()
    {
        QFETCH(QString, relative);
        QFETCH(QString, expected);
        const QString base = m_env->path();
        QDir(base).mkpath("x/y");
        QDir(base).mkpath("d/x");
        QFile(base + "/x/y/file.HVR").open(QIODevice::WriteOnly);
        QFile(base + "/d/x/d").open(QIODevice::WriteOnly);
        if (relative.isEmpty())
            QCOMPARE(MyCommon::GetFolderPath(QString()), QString());
        else
            QCOMPARE(MyCommon::GetFolderPath(base + "/" + relative), base + "/" + expected);
    }

    void folderPolicy_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("specified");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last access") << 0 << "/chosen" << "/last";
        QTest::newRow("application") << 1 << "/chosen" << QCoreApplication::applicationDirPath();
        QTest::newRow("specified") << 2 << "/chosen" << "/chosen";
        QTest::newRow("unknown") << 7 << "/chosen" << "";
    }

    void folderPolicy()
    {
        QFETCH(int, policy);
        QFETCH(QString, specified);
        QFETCH(QString, expected);
        KESTAconSettings& record = c()->Settings();
        record.m_currentFolderPolicy = policy;
        record.m_specifiedFolder = specified;
        record.m_lastAccessFolder = "/last";
        QCOMPARE(record.GetSelectedCurrentFolderPath(), expected);
        // Full paths are always made in the last access folder.
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath(""), QString());
        QCOMPARE(c()->MakeFullPathByCurrentFolderPath("a.HVR"), QString("/last/a.HVR"));
        record.InitializeSettings();
    }

private:
    TestEnv* m_env = nullptr;
    MyCommon* c() { return MyCommon::getInstance(); }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
