#include <QtTest/QTest>

#include "drivelisting.h"

namespace {
const QByteArray HEADER = "DRVEMU status\nNO|PROTECT|CYL|IMAGE\n---------\n";
}

// The listing of "drvctl -l": three header lines, then one row per drive.
class TestDriveListing : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<int>("driveNo");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("drive");
        QTest::addColumn<bool>("protect");
        QTest::addColumn<int>("cylinder");
        QTest::addColumn<QString>("path");

        const QByteArray two = HEADER + " 0 | -- | 12 | /img/a.hvr\n 1 | ON | 0 | EMPTY\n";
        QTest::newRow("drive 0 row") << two << 0 << true << 0 << false << 12 << "/img/a.hvr";
        QTest::newRow("drive 1 row") << two << 1 << true << 1 << true << 0 << "EMPTY";

        // Six pieces (five lines and a final line feed) is the least that counts.
        QTest::newRow("five lines, no final feed")
            << (HEADER + "0|--|1|/a\n1|--|2|/b") << 0 << false << 0 << false << 0 << QString();
        QTest::newRow("five lines with final feed")
            << (HEADER + "0|--|1|/a\n1|--|2|/b\n") << 1 << true << 1 << false << 2 << "/b";
        QTest::newRow("empty output") << QByteArray() << 0 << false << 0 << false << 0 << QString();

        QTest::newRow("three dashes are protected")
            << (HEADER + "0|---|3|/a\n1|--|0|EMPTY\n") << 0 << true << 0 << true << 3 << "/a";

        QTest::newRow("short row") << (HEADER + "0|--|3\n1|--|0|EMPTY\n") << 0 << false << 0 << false << 0 << QString();
        QTest::newRow("short row of the other drive is no harm")
            << (HEADER + "0|--|3\n1|--|9|/x\n") << 1 << true << 1 << false << 9 << "/x";
        QTest::newRow("empty path field keeps empty parts")
            << (HEADER + "0|--|4|\n1|--|0|EMPTY\n") << 0 << true << 0 << false << 4 << "";

        QTest::newRow("cylinder not a number")
            << (HEADER + "0|--|xx|/a\n1|--|0|EMPTY\n") << 0 << true << 0 << false << 0 << "/a";
        QTest::newRow("blanks inside the path stay")
            << (HEADER + "0 |  --  | 79 |  /img/my disk.hvr  \n1|--|0|EMPTY\n") << 0 << true << 0 << false << 79
            << "/img/my disk.hvr";

        QByteArray nul = HEADER + "0|--|2|/img/a.hvr";
        nul.append('\0');
        nul.append("garbage|x|y\n1|--|0|EMPTY\n");
        QTest::newRow("text ends at a NUL byte") << nul << 0 << true << 0 << false << 2 << "/img/a.hvr";
        QByteArray nulEarly = HEADER + "0|--";
        nulEarly.append('\0');
        nulEarly.append("|2|/img/a.hvr\n1|--|0|EMPTY\n");
        QTest::newRow("NUL cutting a row short") << nulEarly << 0 << false << 0 << false << 0 << QString();

    }

    void parse()
    {
        QFETCH(QByteArray, listing);
        QFETCH(int, driveNo);
        QFETCH(bool, found);

        const std::optional<DriveListing> row = DriveListing::Parse(listing, driveNo);
        QCOMPARE(row.has_value(), found);
        if (!found)
            return;
        QTEST(row->Drive(), "drive");
        QTEST(row->IsWriteProtected(), "protect");
        QTEST(row->Cylinder(), "cylinder");
        QTEST(row->Path(), "path");
    }

    void imageName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("file") << "/img/a.hvr" << "a.hvr";
        QTest::newRow("empty drive") << "EMPTY" << "EMPTY";
        QTest::newRow("path ending in a slash") << "/img/dir/" << "";
        QTest::newRow("trailing blank of the name") << "/img/a.hvr " << "a.hvr";
    }

    void imageName()
    {
        QFETCH(QString, path);
        const QByteArray listing = HEADER + "0|--|0|" + path.toUtf8() + "\n1|--|0|EMPTY\n";
        const std::optional<DriveListing> row = DriveListing::Parse(listing, 0);
        QVERIFY(row.has_value());
        QTEST(row->ImageName(), "name");
    }
};


QTEST_APPLESS_MAIN(TestDriveListing)
#include "tst_drivelisting.moc"
