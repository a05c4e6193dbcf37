#include <optional>

#include "driveinfo.h"
#include "qtcompat.h"
#include "drivelisting.h"
#include "fixtures.h"

namespace {
const QByteArray HEADER = "DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n";
const QByteArray DRIVE1 = "1|--|0|EMPTY\n";
const QByteArray SAMPLE = HEADER + " 0 | -- | 12 | /img/a.hvr \n 1 | ON | 0 | EMPTY \n";

QByteArray listingWith(int cylinder, const QString& path)
{
    return HEADER + "0|--|" + QByteArray::number(cylinder) + "|" + path.toUtf8() + "\n1|--|0|EMPTY\n";
}

// Logs each call as one line of "argument|" pieces; an insert answers with
// a listing whose rows hold the image.
const char STUB[] = R"(printf '%s|' "$@" >> "$KESTA_STUB_LOG"; echo >> "$KESTA_STUB_LOG"
if [ "$4" = insert ]; then printf 'DRVEMU\nNO|PROTECT|CYL|IMAGE\n----\n0|--|7|%s\n1|--|7|%s\n' "$5" "$5"; fi)";

QString call(const QStringList& arguments)
{
    return arguments.join('|') + '|';
}
} // namespace

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

    void parse_data()
    {
        addColumns<QByteArray, int, bool, bool, int, QString, QString>("listing", "driveNo", "found", "protect", "cylinder", "path", "name");

        const QByteArray two = HEADER + " 0 | -- | 12 | /img/a.hvr\n 1 | ON | 0 | EMPTY\n";
        QTest::newRow("drive 0") << two << 0 << true << false << 12 << "/img/a.hvr" << "a.hvr";
        QTest::newRow("no such drive") << two << 2 << false << false << 0 << "" << "";
        QTest::newRow("five lines, no final feed")
            << (HEADER + "0|--|1|/a\n1|--|2|/b") << 0 << false << false << 0 << "" << "";
        QTest::newRow("three dashes are protected")
            << (HEADER + "0|---|3|/a\n" + DRIVE1) << 0 << true << true << 3 << "/a" << "a";
        QTest::newRow("short row") << (HEADER + "0|--|3\n" + DRIVE1) << 0 << false << false << 0 << "" << "";
        QTest::newRow("path ending in a slash")
            << (HEADER + "0|--|4|/img/dir/\n" + DRIVE1) << 0 << true << false << 4 << "/img/dir/" << "";
        // The tool pads some fields with NUL bytes; a line ends at the first.
        QTest::newRow("text ends at a NUL byte")
            << (HEADER + "0|--|2|/img/a.hvr" + '\0' + "garbage|x|y\n" + DRIVE1) << 0 << true << false << 2
            << "/img/a.hvr" << "a.hvr";
    }

    void parse()
    {
        QFETCH(int, driveNo);
        QFETCH(bool, found);
        const std::optional<DriveListing> parsed = DriveListing::Parse(row<QByteArray>("listing"), driveNo);
        QCOMPARE(parsed.has_value(), found);
        if (!found)
            return;
        QCOMPARE(parsed->Drive(), driveNo);
        QTEST(parsed->IsWriteProtected(), "protect");
        QTEST(parsed->Cylinder(), "cylinder");
        QTEST(parsed->Path(), "path");
        QTEST(parsed->ImageName(), "name");
    }

    // The poll runs every 800 ms: only a change of image reaches the file.
    void listing()
    {
        MyCommon* common = MyCommon::getInstance();
        common->SetSettingString("LASTINSERT_FDIMAGE/DRIVE1", "EMPTY");
        DriveInfo panel0;
        DriveInfo panel1;
        panel1.Set_CSTM_DriveNo(1);
        const quint64 before = common->SettingWriteCount();
        for (int i = 0; i < 20; ++i) {
            panel0.AnalyzeDRVCtrlInfo(SAMPLE);
            panel1.AnalyzeDRVCtrlInfo(SAMPLE);
        }
        QCOMPARE(label(panel0, "LBL_CYLINDER"), QStringLiteral("012"));
        QCOMPARE(label(panel0, "LBL_FD_FILENAME"), QStringLiteral("a.hvr"));
        QCOMPARE(label(panel1, "LBL_WRITEPROTECT"), QStringLiteral(" ON"));
        QCOMPARE(label(panel1, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
        QCOMPARE(label(panel0, "LBL_FDIMAGE_PATH"), QString());
        panel0.AnalyzeDRVCtrlInfo(listingWith(30, "/img/a.hvr"));
        QCOMPARE(common->SettingWriteCount(), before + 1);
        QCOMPARE(stored(0), QStringLiteral("/img/a.hvr"));
        panel0.AnalyzeDRVCtrlInfo(listingWith(30, "/img/b.hvr"));
        panel0.AnalyzeDRVCtrlInfo(listingWith(30, "EMPTY"));
        QCOMPARE(common->SettingWriteCount(), before + 3);
        QCOMPARE(stored(0), QStringLiteral("EMPTY"));
    }

    // An image reaches the drive set directly or dropped (a stopped emulator
    // takes no drag); EJECT empties the drive and keeps the path shown.
    void insert_data()
    {
        addColumns<QString, QString>("kind", "file");
        QTest::newRow("set") << "set" << QString::fromUtf8("my disks/ゲーム é.d88");
        QTest::newRow("dropped as encoded URL text") << "encoded" << QString::fromUtf8("drop here/ゲーム é #1.hvr");
        QTest::newRow("dropped as the browser's model drags") << "model" << QString::fromUtf8("drop here/ゲーム é #1.hvr");
    }

    void insert()
    {
        QFETCH(QString, kind);
        const QString path = image(row<QString>("file")), inserted = call({"-i", "1", "-c", "insert", path});
        DriveInfo panel;
        panel.Set_CSTM_DriveNo(1);
        // Neither a missing file nor a folder is an image.
        panel.SetFDImage(m_env->path("no such image.hvr"));
        panel.SetFDImage(m_env->path());
        QCOMPARE(m_env->stubLog(), QStringList());
        if (kind == "set") {
            panel.SetFDImage(path);
            QCOMPARE(m_env->stubLog(), QStringList{inserted});
        } else {
            // A drop reaches only a panel that took the drag in.
            const auto sendDrop = [&panel](QMimeData* mime) {
                QDragEnterEvent enter(QPoint(20, 50), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(&panel, &enter);
                QDropEvent drop(QPoint(20, 50), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
                if (enter.isAccepted())
                    QCoreApplication::sendEvent(&panel, &drop);
                return enter.isAccepted();
            };
            // A drag of plain text (the browser's background) is ignored.
            QMimeData junk;
            junk.setText(QString::fromUtf8("テキスト文字列"));
            sendDrop(&junk);
            MyFileSystmModel model;
            std::unique_ptr<QMimeData> mime(new QMimeData);
            if (kind == "model") {
                model.setRootPath(QFileInfo(path).absolutePath());
                mime.reset(model.mimeData({model.index(path)}));
            } else {
                mime->setText(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + "\r\n");
            }
            MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
            QVERIFY(!sendDrop(mime.get()));
            MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
            QVERIFY(sendDrop(mime.get()));
            QVERIFY(m_env->stubLog().isEmpty()); // the insert waits for the drag to finish
            QTRY_COMPARE_WITH_TIMEOUT(m_env->stubLog(), QStringList{inserted}, 10000);
        }
        QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
        QCOMPARE(label(panel, "LBL_FD_FILENAME"), QFileInfo(path).fileName());
        QCOMPARE(label(panel, "LBL_CYLINDER"), QStringLiteral("007")); // the answer is read as a listing
        QCOMPARE(stored(1), path);

        m_env->clearStubLog();
        panel.findChild<QPushButton*>("pushButton")->click();
        QCOMPARE(m_env->stubLog(), QStringList{call({"-i", "1", "-c", "eject"})});
        QCOMPARE(label(panel, "LBL_FD_FILENAME"), QStringLiteral("----NO DISK ----"));
        QCOMPARE(label(panel, "LBL_FDIMAGE_PATH"), path);
    }

private:
    static QString label(DriveInfo& panel, const char* name) { return panel.findChild<QLabel*>(name)->text(); }
    QString image(const QString& relative) const
    {
        const QString path = m_env->path(relative);
        return ::writeFile(path, "image") ? path : QString();
    }
    QString stored(int drive) const
    {
        QSettings file(m_env->settingsPath(), QSettings::IniFormat);
        QtCompat::UseUtf8(file);
        return file.value(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE%1").arg(drive)).toString();
    }

    std::unique_ptr<TestEnv> m_env;
};

QTEST_MAIN(TestDriveInfo)
#include "tst_driveinfo.moc"
