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
#include <QTimer>
#include <QUrl>

#include "driveinfo.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "testenv.h"

#include <memory>

namespace {
const QByteArray HEADER = "DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n";
const QByteArray SAMPLE = HEADER + " 0 | -- | 12 | /img/a.hvr \n 1 | ON | 0 | EMPTY \n";

QByteArray listingWith(int cylinder, const QString& path)
{
    return HEADER + "0|--|" + QByteArray::number(cylinder) + "|" + path.toUtf8() + "\n1|--|0|EMPTY\n";
}

// Each call appends its arguments, one a line, and a separator line.  An
// insert answers with a listing whose row of that drive holds the image.
const char STUB[] = R"(for a in "$@"; do printf '%s\n' "$a" >> "$KESTA_STUB_LOG"; done
printf '%s\n' '=====' >> "$KESTA_STUB_LOG"
if [ "$1" = "-i" ] && [ "$4" = "insert" ]; then
  printf 'DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n'
  if [ "$2" = "0" ]; then printf ' 0 | -- | 7 | %s\n 1 | -- | 0 | EMPTY\n' "$5"
  else printf ' 0 | -- | 0 | EMPTY\n 1 | -- | 7 | %s\n' "$5"; fi
fi)";
} // namespace

// The drive panel against a recording drvctl stub first on PATH.
class TestDriveInfo : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_env->writeScript("drvctl", STUB);
        m_env->openSettings();
        MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
    }

    void cleanup()
    {
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
        MyCommon::getInstance()->DeleteSettingInstance();
        m_env.reset();
    }

    void listingRows()
    {
        DriveInfo panel0;
        DriveInfo panel1;
        panel1.Set_CSTM_DriveNo(1);
        QCOMPARE(label(panel1, "LBL_DRIVE_NAME"), QStringLiteral("DRIVE 1"));
        panel0.AnalyzeDRVCtrlInfo(SAMPLE);
        panel1.AnalyzeDRVCtrlInfo(SAMPLE);
        QCOMPARE(label(panel0, "LBL_CYLINDER"), QStringLiteral("012"));
        QCOMPARE(label(panel0, "LBL_FD_FILENAME"), QStringLiteral("a.hvr"));
        QCOMPARE(label(panel1, "LBL_WRITEPROTECT"), QStringLiteral(" ON"));
        QCOMPARE(label(panel1, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
        // A listing never touches the path label: it shows what was inserted here.
        QCOMPARE(label(panel0, "LBL_FDIMAGE_PATH"), QString());
        QCOMPARE(stored(0), QStringLiteral("/img/a.hvr"));
        QCOMPARE(stored(1), QStringLiteral("EMPTY"));
        panel0.AnalyzeDRVCtrlInfo(listingWith(3, "/img/dir/"));
        QCOMPARE(label(panel0, "LBL_FD_FILENAME"), QString());
    }

    void lampFollowsCylinderChanges()
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
        if (secondChangeSeen) // the restart can only be checked if the lamp was still lit
            QVERIFY2(litFor >= 650, qPrintable(QString::number(litFor)));
    }

    void settingsWrittenOnlyOnChange()
    {
        MyCommon* common = MyCommon::getInstance();
        common->SetSettingString("LASTINSERT_FDIMAGE/DRIVE1", "EMPTY");
        DriveInfo panel;
        DriveInfo panel1;
        panel1.Set_CSTM_DriveNo(1);
        const quint64 before = common->SettingWriteCount();
        panel.AnalyzeDRVCtrlInfo(SAMPLE);
        QCOMPARE(common->SettingWriteCount(), before + 1);
        // Many polls of unchanged drives write nothing, nor does head movement;
        // a panel whose value the file already holds writes nothing at all.
        for (int i = 0; i < 20; ++i) {
            panel.AnalyzeDRVCtrlInfo(SAMPLE);
            panel1.AnalyzeDRVCtrlInfo(SAMPLE);
        }
        panel.AnalyzeDRVCtrlInfo(listingWith(30, "/img/a.hvr"));
        QCOMPARE(common->SettingWriteCount(), before + 1);

        panel.AnalyzeDRVCtrlInfo(listingWith(30, "/img/b.hvr"));
        panel.AnalyzeDRVCtrlInfo(listingWith(30, "EMPTY"));
        QCOMPARE(common->SettingWriteCount(), before + 3);
        QCOMPARE(stored(0), QStringLiteral("EMPTY"));
    }

    void insertRunsDrvctl_data()
    {
        QTest::addColumn<int>("driveNo");
        QTest::addColumn<QString>("relative");
        QTest::newRow("drive 0, plain name") << 0 << "disks/game.hvr";
        QTest::newRow("drive 1, blank and non-ASCII") << 1 << QString::fromUtf8("my disks/ゲーム é.d88");
        QTest::newRow("missing file") << 0 << "";
    }

    void insertRunsDrvctl()
    {
        QFETCH(int, driveNo);
        QFETCH(QString, relative);
        DriveInfo panel;
        panel.Set_CSTM_DriveNo(driveNo);
        if (relative.isEmpty()) {
            // Neither a missing file nor a folder is an image.
            panel.SetFDImage(m_env->path("no such image.hvr"));
            panel.SetFDImage(m_env->path());
            QCOMPARE(loggedCalls(), QStringList());
            QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
            return;
        }
        const QString path = writeFile(relative);
        const QString absolute = QFileInfo(path).absoluteFilePath();
        panel.SetFDImage(path);
        QCOMPARE(loggedCalls(), QStringList{QStringList({"-i", QString::number(driveNo), "-c", "insert", absolute}).join('\n')});
        QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
        QCOMPARE(label(panel, "LBL_FD_FILENAME"), QFileInfo(path).fileName());
        // The tool's answer is read as a listing.
        QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("007"));
        QCOMPARE(stored(driveNo), absolute);
    }

    void dragEnterNeedsRunningEmulator()
    {
        DriveInfo panel;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(writeFile("x.hvr"))});
        for (int state : {0, 1}) {
            MyCommon::getInstance()->UpdateDRVEMU_STATE(state);
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&panel, &enter);
            QCOMPARE(enter.isAccepted(), state == 1);
        }
    }

    void drop_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("relative");
        const QString odd = QString::fromUtf8("drop here/ゲーム é #1.hvr");
        QTest::newRow("url list, blank and non-ASCII") << "urls" << odd;
        QTest::newRow("file text, plain name") << "text" << "plain/a.hvr";
        QTest::newRow("file text, blank and non-ASCII") << "text" << odd;
        QTest::newRow("encoded url text, blank and non-ASCII") << "encoded" << odd;
        QTest::newRow("what the browser's model drags") << "model" << odd;
    }

    void drop()
    {
        QFETCH(QString, kind);
        QFETCH(QString, relative);
        const QString path = writeFile(relative);
        DriveInfo panel;
        panel.Set_CSTM_DriveNo(1);
        const auto sendDrop = [&panel](QMimeData* mime) {
            QDragEnterEvent enter(QPoint(20, 50), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&panel, &enter);
            QDropEvent drop(QPoint(20, 50), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&panel, &drop);
            return enter.isAccepted();
        };
        // First something that names no file (what a press on the browser's
        // background drags): ignored.  Drops are handled in order, so once the
        // real one has run, the first would have shown in the log.
        QMimeData junk;
        junk.setText(QString::fromUtf8("テキスト文字列"));
        QVERIFY(sendDrop(&junk));

        MyFileSystmModel model;
        std::unique_ptr<QMimeData> mime(new QMimeData);
        if (kind == "model") {
            model.setRootPath(QFileInfo(path).absolutePath());
            mime.reset(model.mimeData({model.index(path)}));
            QCOMPARE(mime->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
        } else if (kind == "urls") {
            mime->setUrls({QUrl::fromLocalFile(path)});
        } else if (kind == "text") {
            mime->setText(QStringLiteral("file://") + path);
        } else {
            mime->setText(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + "\r\n");
        }
        QVERIFY(sendDrop(mime.get()));
        QTRY_COMPARE_WITH_TIMEOUT(loggedCalls().size(), 1, 10000);
        QCOMPARE(loggedCalls().first(), QStringList({"-i", "1", "-c", "insert", path}).join('\n'));
        QCOMPARE(label(panel, "LBL_FD_FILENAME"), QFileInfo(path).fileName());
    }

    void ejectKeepsPathLabel()
    {
        const QString path = writeFile("eject/a.hvr");
        DriveInfo panel;
        panel.SetFDImage(path);
        m_env->clearStubLog();
        panel.findChild<QPushButton*>("pushButton")->click();
        QCOMPARE(loggedCalls(), QStringList{QStringList({"-i", "0", "-c", "eject"}).join('\n')});
        QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
        QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
    }

private:
    static QString label(DriveInfo& panel, const char* name)
    {
        auto* l = panel.findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }
    // The stub's calls, each its arguments joined by line feeds.
    QStringList loggedCalls() const
    {
        QStringList calls = m_env->stubLog().join('\n').split(QStringLiteral("====="), Qt::SkipEmptyParts);
        for (QString& call : calls)
            call = call.trimmed();
        calls.removeAll(QString());
        return calls;
    }
    QString writeFile(const QString& relative) const
    {
        const QString path = m_env->path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("image");
        return path;
    }
    QString stored(int drive) const
    {
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        file.setIniCodec("UTF-8");
        return file.value(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE%1").arg(drive)).toString();
    }

    std::unique_ptr<TestEnv> m_env;
};

QTEST_MAIN(TestDriveInfo)
#include "tst_driveinfo.moc"
