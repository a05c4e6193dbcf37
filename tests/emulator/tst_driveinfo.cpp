#include <QtTest/QTest>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "driveinfo.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"

#include <memory>

// The drive panel against a recording drvctl stub first on PATH.
class TestDriveInfo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newPanel();
    void listingRows();
    void lampFollowsCylinderChanges();
    void settingsWrittenOnlyOnChange();
    void settingsReadOnceFromFile();
    void insertRunsDrvctl_data();
    void insertRunsDrvctl();
    void insertOfMissingFileRunsNothing();
    void dragEnterNeedsRunningEmulator();
    void drop_data();
    void drop();
    void ejectKeepsPathLabel();

private:
    QString label(DriveInfo& panel, const char* name) const;
    QStringList loggedCalls() const;
    QString writeFile(const QString& relative) const;
    bool sendDrop(DriveInfo& panel, QMimeData* mime);

    QTemporaryDir m_dir;
    QString m_log;
    QByteArray m_oldPath;
};

namespace {
const QByteArray HEADER = "DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n";
const QByteArray SAMPLE = HEADER + " 0 | -- | 12 | /img/a.hvr \n 1 | ON | 0 | EMPTY \n";

QByteArray listingWith(int cylinder, const QString& path)
{
    return HEADER + "0|--|" + QByteArray::number(cylinder) + "|" + path.toUtf8() + "\n1|--|0|EMPTY\n";
}

// Each call appends its arguments, one a line, and a separator line.  An
// insert answers with a listing whose row of that drive holds the image.
const char STUB[] = R"(#!/bin/sh
for a in "$@"; do printf '%s\n' "$a" >> "$KESTA_TEST_DRVCTL_LOG"; done
printf '%s\n' '=====' >> "$KESTA_TEST_DRVCTL_LOG"
if [ "$1" = "-i" ] && [ "$4" = "insert" ]; then
  printf 'DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n'
  if [ "$2" = "0" ]; then
    printf ' 0 | -- | 7 | %s\n 1 | -- | 0 | EMPTY\n' "$5"
  else
    printf ' 0 | -- | 0 | EMPTY\n 1 | -- | 7 | %s\n' "$5"
  fi
fi
)";
} // namespace

void TestDriveInfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString bin = m_dir.filePath("bin");
    QVERIFY(QDir().mkpath(bin));
    QFile stub(bin + "/drvctl");
    QVERIFY(stub.open(QIODevice::WriteOnly));
    stub.write(STUB);
    stub.close();
    QVERIFY(stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + m_oldPath);
    m_log = m_dir.filePath("drvctl.log");
    qputenv("KESTA_TEST_DRVCTL_LOG", QFile::encodeName(m_log));
}

void TestDriveInfo::init()
{
    QFile::remove(m_log);
    QFile::remove(m_dir.filePath("KESTAcon.ini"));
    MyCommon::getInstance()->OpenSettingInstance(m_dir.filePath("KESTAcon.ini"));
    MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
}

void TestDriveInfo::cleanup()
{
    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
}

QString TestDriveInfo::label(DriveInfo& panel, const char* name) const
{
    auto* l = panel.findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

QStringList TestDriveInfo::loggedCalls() const
{
    QFile log(m_log);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(log.readAll());
    QStringList calls = text.split(QStringLiteral("=====\n"), Qt::SkipEmptyParts);
    for (QString& call : calls)
        call.chop(1); // last line feed
    return calls;
}

QString TestDriveInfo::writeFile(const QString& relative) const
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("image");
    return path;
}

bool TestDriveInfo::sendDrop(DriveInfo& panel, QMimeData* mime)
{
    const QPoint at(20, 50);
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &drop);
    return true;
}

void TestDriveInfo::newPanel()
{
    DriveInfo panel;
    QCOMPARE(panel.size(), QSize(411, 88));
    QCOMPARE(label(panel, "LBL_DRIVE_NAME"), QStringLiteral("DRIVE 0"));
    QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("000"));
    QCOMPARE(label(panel, "LBL_WRITEPROTECT"), QStringLiteral("---"));
    QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
    QVERIFY(panel.IsAccessLampLit());
    QCOMPARE(panel.findChild<QLabel*>("LBL_ACCESS_LED")->styleSheet(), QStringLiteral("background:red;"));
    QTRY_VERIFY_WITH_TIMEOUT(!panel.IsAccessLampLit(), 10000);
    QCOMPARE(panel.findChild<QLabel*>("LBL_ACCESS_LED")->styleSheet(), QStringLiteral("background:Window;"));

    panel.Set_CSTM_DriveNo(1);
    QCOMPARE(label(panel, "LBL_DRIVE_NAME"), QStringLiteral("DRIVE 1"));
}

void TestDriveInfo::listingRows()
{
    DriveInfo panel0;
    DriveInfo panel1;
    panel1.Set_CSTM_DriveNo(1);
    panel0.AnalyzeDRVCtrlInfo(SAMPLE);
    panel1.AnalyzeDRVCtrlInfo(SAMPLE);

    QCOMPARE(label(panel0, "LBL_CYLINDER"), QStringLiteral("012"));
    QCOMPARE(label(panel0, "LBL_WRITEPROTECT"), QStringLiteral("---"));
    QCOMPARE(label(panel0, "LBL_FD_FILENAME"), QStringLiteral("a.hvr"));
    QCOMPARE(label(panel1, "LBL_CYLINDER"), QStringLiteral("000"));
    QCOMPARE(label(panel1, "LBL_WRITEPROTECT"), QStringLiteral(" ON"));
    QCOMPARE(label(panel1, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
    // A listing never touches the path label: it shows what was inserted here.
    QCOMPARE(label(panel0, "LBL_FDIMAGE_PATH"), QString());

    QSettings file(m_dir.filePath("KESTAcon.ini"), QSettings::IniFormat);
    QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE0").toString(), QStringLiteral("/img/a.hvr"));
    QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE1").toString(), QStringLiteral("EMPTY"));

    panel0.AnalyzeDRVCtrlInfo(listingWith(3, "/img/dir/"));
    QCOMPARE(label(panel0, "LBL_FD_FILENAME"), QString());
}

void TestDriveInfo::lampFollowsCylinderChanges()
{
    DriveInfo panel;
    auto* lamp = panel.findChild<QLabel*>("LBL_ACCESS_LED");
    panel.AnalyzeDRVCtrlInfo(SAMPLE);
    QTRY_VERIFY_WITH_TIMEOUT(!panel.IsAccessLampLit(), 10000);

    // The same cylinder again: no light.
    panel.AnalyzeDRVCtrlInfo(SAMPLE);
    QVERIFY(!panel.IsAccessLampLit());
    QCOMPARE(lamp->styleSheet(), QStringLiteral("background:Window;"));

    // A change lights it; a second change while lit keeps it lit for the
    // full time counted from that second change.
    panel.AnalyzeDRVCtrlInfo(listingWith(13, "/img/a.hvr"));
    QVERIFY(panel.IsAccessLampLit());
    QCOMPARE(lamp->styleSheet(), QStringLiteral("background:red;"));
    QElapsedTimer sinceLast;
    bool secondChangeSeen = false;
    QTimer::singleShot(400, &panel, [&]() {
        secondChangeSeen = panel.IsAccessLampLit();
        panel.AnalyzeDRVCtrlInfo(listingWith(14, "/img/a.hvr"));
        sinceLast.start();
    });
    QTRY_VERIFY_WITH_TIMEOUT(sinceLast.isValid(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!panel.IsAccessLampLit(), 10000);
    const qint64 litFor = sinceLast.elapsed();
    QCOMPARE(lamp->styleSheet(), QStringLiteral("background:Window;"));
    QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("014"));
    if (secondChangeSeen) // the restart can only be checked if the lamp was still lit
        QVERIFY2(litFor >= 650, qPrintable(QString::number(litFor)));
}

void TestDriveInfo::settingsWrittenOnlyOnChange()
{
    MyCommon* common = MyCommon::getInstance();
    DriveInfo panel;
    const quint64 before = common->SettingWriteCount();
    panel.AnalyzeDRVCtrlInfo(SAMPLE);
    QCOMPARE(common->SettingWriteCount(), before + 1);

    // Many polls of an unchanged drive write nothing.
    for (int i = 0; i < 20; ++i)
        panel.AnalyzeDRVCtrlInfo(SAMPLE);
    QCOMPARE(common->SettingWriteCount(), before + 1);
    // Head movement is no reason to write either.
    panel.AnalyzeDRVCtrlInfo(listingWith(30, "/img/a.hvr"));
    QCOMPARE(common->SettingWriteCount(), before + 1);

    panel.AnalyzeDRVCtrlInfo(listingWith(30, "/img/b.hvr"));
    QCOMPARE(common->SettingWriteCount(), before + 2);
    panel.AnalyzeDRVCtrlInfo(listingWith(30, "EMPTY"));
    QCOMPARE(common->SettingWriteCount(), before + 3);
    QSettings file(m_dir.filePath("KESTAcon.ini"), QSettings::IniFormat);
    QCOMPARE(file.value("LASTINSERT_FDIMAGE/DRIVE0").toString(), QStringLiteral("EMPTY"));
    QCOMPARE(common->Settings().m_lastInsertDrive0, QStringLiteral("EMPTY"));
}

void TestDriveInfo::settingsReadOnceFromFile()
{
    MyCommon* common = MyCommon::getInstance();
    common->SetSettingString("LASTINSERT_FDIMAGE/DRIVE0", "/img/a.hvr");
    common->SetSettingString("LASTINSERT_FDIMAGE/DRIVE1", "EMPTY");
    const quint64 before = common->SettingWriteCount();
    // A panel started with the file already current writes nothing at all.
    DriveInfo panel0;
    DriveInfo panel1;
    panel1.Set_CSTM_DriveNo(1);
    for (int i = 0; i < 5; ++i) {
        panel0.AnalyzeDRVCtrlInfo(SAMPLE);
        panel1.AnalyzeDRVCtrlInfo(SAMPLE);
    }
    QCOMPARE(common->SettingWriteCount(), before);
}

void TestDriveInfo::insertRunsDrvctl_data()
{
    QTest::addColumn<int>("driveNo");
    QTest::addColumn<QString>("relative");
    QTest::newRow("drive 0, plain name") << 0 << "disks/game.hvr";
    QTest::newRow("drive 1, blank and non-ASCII")
        << 1 << QString::fromUtf8("my disks/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0 \xc3\xa9.d88");
}

void TestDriveInfo::insertRunsDrvctl()
{
    QFETCH(int, driveNo);
    QFETCH(QString, relative);
    const QString path = writeFile(relative);
    const QString absolute = QFileInfo(path).absoluteFilePath();

    DriveInfo panel;
    panel.Set_CSTM_DriveNo(driveNo);
    panel.SetFDImage(path);

    const QStringList expected{"-i", QString::number(driveNo), "-c", "insert", absolute};
    QCOMPARE(loggedCalls(), QStringList{expected.join('\n')});
    QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
    QCOMPARE(label(panel, "LBL_FD_FILENAME"), QFileInfo(path).fileName());
    // The tool's answer is read as a listing.
    QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("007"));
    QSettings file(m_dir.filePath("KESTAcon.ini"), QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    QCOMPARE(file.value(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE%1").arg(driveNo)).toString(), absolute);
}

void TestDriveInfo::insertOfMissingFileRunsNothing()
{
    DriveInfo panel;
    panel.SetFDImage(m_dir.filePath("no such image.hvr"));
    panel.SetFDImage(m_dir.path()); // a folder is no image either
    QCOMPARE(loggedCalls(), QStringList());
    QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
}

void TestDriveInfo::dragEnterNeedsRunningEmulator()
{
    DriveInfo panel;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(writeFile("x.hvr"))});

    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
    QDragEnterEvent stopped(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &stopped);
    QVERIFY(!stopped.isAccepted());

    MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
    QDragEnterEvent running(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &running);
    QVERIFY(running.isAccepted());
}

void TestDriveInfo::drop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("relative");
    const QString odd = QString::fromUtf8("drop here/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0 \xc3\xa9 #1.hvr");
    QTest::newRow("url list, plain name") << "urls" << "plain/a.hvr";
    QTest::newRow("url list, blank and non-ASCII") << "urls" << odd;
    QTest::newRow("file text, plain name") << "text" << "plain/a.hvr";
    QTest::newRow("file text, blank and non-ASCII") << "text" << odd;
    QTest::newRow("encoded url text, blank and non-ASCII") << "encoded" << odd;
    QTest::newRow("what the browser's model drags") << "model" << odd;
}

void TestDriveInfo::drop()
{
    QFETCH(QString, kind);
    QFETCH(QString, relative);
    const QString path = writeFile(relative);

    DriveInfo panel;
    panel.Set_CSTM_DriveNo(1);

    // First something that names no file (what a press on the browser's
    // background drags): ignored.  Drops are handled in order, so once the
    // real one has run, the first would have shown in the log.
    QMimeData junk;
    junk.setText(QString::fromUtf8("\xe3\x83\x86\xe3\x82\xad\xe3\x82\xb9\xe3\x83\x88\xe6\x96\x87\xe5\xad\x97\xe5\x88\x97"));
    QVERIFY(sendDrop(panel, &junk));

    MyFileSystmModel model;
    std::unique_ptr<QMimeData> mime;
    if (kind == "model") {
        model.setRootPath(QFileInfo(path).absolutePath());
        mime.reset(model.mimeData({model.index(path)}));
        QVERIFY(mime);
        QCOMPARE(mime->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(mime->text(), QStringLiteral("file://") + path);
    } else {
        mime = std::make_unique<QMimeData>();
        if (kind == "urls")
            mime->setUrls({QUrl::fromLocalFile(path)});
        else if (kind == "text")
            mime->setText(QStringLiteral("file://") + path);
        else
            mime->setText(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + "\r\n");
    }
    QVERIFY(sendDrop(panel, mime.get()));

    QTRY_COMPARE_WITH_TIMEOUT(loggedCalls().size(), 1, 10000);
    QCOMPARE(loggedCalls().first(), QStringList({"-i", "1", "-c", "insert", path}).join('\n'));
    QCOMPARE(label(panel, "LBL_FD_FILENAME"), QFileInfo(path).fileName());
    QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("007"));
}

void TestDriveInfo::ejectKeepsPathLabel()
{
    const QString path = writeFile("eject/a.hvr");
    DriveInfo panel;
    panel.SetFDImage(path);
    QFile::remove(m_log);

    panel.findChild<QPushButton*>("pushButton")->click();
    QCOMPARE(loggedCalls(), QStringList{QStringList({"-i", "0", "-c", "eject"}).join('\n')});
    QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
    QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
    QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("007"));
}

QTEST_MAIN(TestDriveInfo)
#include "tst_driveinfo.moc"
