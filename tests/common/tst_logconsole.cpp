#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include "logscanner.h"
#include "mycommon.h"

static const QByteArray ESC("\x1b");

class TestLogConsole : public QObject
{
    Q_OBJECT
private slots:
    void append_data()
    {
        QTest::addColumn<QString>("before");      // text already in the pane
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QString>("expected");    // the pane's plain text afterwards
        QTest::newRow("two paragraphs") << "" << QByteArray("abc" + ESC + "[2Adef") << "abc\ndef";
        QTest::newRow("bracket in plain text stays") << "" << QByteArray("Track [12] done") << "Track [12] done";
        QTest::newRow("bracket before a sequence")
            << "" << QByteArray("Track [12]" + ESC + "[K done") << "Track [12]\ndone";
        QTest::newRow("two parameters keep the rest")
            << "" << QByteArray("top" + ESC + "[1;5Hhello world") << "top\nhello world";
        QTest::newRow("private marker") << "" << QByteArray(ESC + "[?25lProgress" + ESC + "[?25h") << "Progress";
        QTest::newRow("paragraphs trimmed") << "" << QByteArray("  abc \r\n" + ESC + "[2K\r  def  ") << "abc\ndef";
        QTest::newRow("blanks and ESC give an empty paragraph")
            << "x" << QByteArray("   " + ESC + "[Kabc") << "x\n\nabc";
        QTest::newRow("empty paragraph vanishes in an empty pane")
            << "" << QByteArray("   " + ESC + "[Kabc") << "abc";
        QTest::newRow("appends after last paragraph") << "one\ntwo" << QByteArray("three") << "one\ntwo\nthree";
        QTest::newRow("markup stays text") << "" << QByteArray("<b>bold</b> & <i>") << "<b>bold</b> & <i>";
        QTest::newRow("stops at NUL") << "" << QByteArray("abc\0def", 7) << "abc";
        QTest::newRow("lone ESC removed") << "" << QByteArray("a" + ESC + "7b") << "a7b";
        QTest::newRow("line breaks inside a paragraph") << "" << QByteArray("l1\nl2" + ESC + "[K") << "l1\nl2";
        QTest::newRow("progress report")
            << "" << QByteArray(ESC + "[2K" + ESC + "[1AP(T004 C02 H0) OK\r\n" + ESC + "[2KP(T005 C02 H1) OK\n")
            << "P(T004 C02 H0) OK\nP(T005 C02 H1) OK";
    }

    void append()
    {
        QFETCH(QString, before);
        QFETCH(QByteArray, chunk);
        QFETCH(QString, expected);
        QTextEdit edit;
        if (!before.isEmpty())
            for (const QString& line : before.split('\n'))
                edit.append(line);
        MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QCOMPARE(edit.toPlainText(), expected);
    }

    void chunksStartInTextState()
    {
        QTextEdit edit;
        QByteArray first("abc" + ESC + "[");
        QByteArray second("2Adef");
        MyCommon::getInstance()->LogAppend(&edit, &first);
        MyCommon::getInstance()->LogAppend(&edit, &second);
        QCOMPARE(edit.toPlainText(), QString("abc\n2Adef"));
    }

    void appendIsOneEdit()
    {
        QTextEdit edit;
        QByteArray chunk;
        for (int i = 0; i < 500; ++i)
            chunk += "line " + QByteArray::number(i) + ESC + "[K\n";
        int changes = 0;
        connect(&edit, &QTextEdit::textChanged, this, [&]() { ++changes; });
        MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QCOMPARE(changes, 1);
        QCOMPARE(edit.document()->blockCount(), 500);
        QCOMPARE(edit.document()->lastBlock().text(), QString("line 499"));
    }

    void cursorCommand_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<int>("block");    // block of the text cursor afterwards
        QTest::addColumn<int>("column");   // position inside that block
        const QByteArray text("alpha\nbeta\ngamma" + ESC + "[K");
        QTest::newRow("up clamps to the first paragraph") << QByteArray(text + ESC + "[2A") << 0 << 0;
        QTest::newRow("down by two") << QByteArray(text + ESC + "[2B") << 2 << 0;
        QTest::newRow("right by three") << QByteArray(text + ESC + "[3C") << 0 << 2;
        QTest::newRow("next line to column 0") << QByteArray(text + ESC + "[E") << 0 << 0;
        QTest::newRow("far down clamps to the last") << QByteArray(text + ESC + "[99B") << 2 << 0;
    }

    void cursorCommand()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(int, block);
        QFETCH(int, column);
        QTextEdit edit;
        MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QCOMPARE(edit.toPlainText(), QString("alpha\nbeta\ngamma"));
        QCOMPARE(edit.textCursor().blockNumber(), block);
        QCOMPARE(edit.textCursor().positionInBlock(), column);
    }

    void scannerCount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("final");
        QTest::addColumn<int>("count");
        QTest::newRow("default count") << QString("\x1b[A") << QChar('A') << 1;
        QTest::newRow("real count") << QString("x\x1b[12B") << QChar('B') << 12;
        QTest::newRow("zero counts as one") << QString("\x1b[0C") << QChar('C') << 1;
        QTest::newRow("first parameter") << QString("\x1b[3;7G") << QChar('G') << 3;
        QTest::newRow("non cursor final") << QString("\x1b[2K") << QChar() << 1;
    }

    void scannerCount()
    {
        QFETCH(QString, text);
        QFETCH(QChar, final);
        QFETCH(int, count);
        const LogScanner::Result result = LogScanner::Scan(text);
        QCOMPARE(result.cursorFinal, final);
        if (!final.isNull())
            QCOMPARE(result.cursorCount, count);
    }
};

QTEST_MAIN(TestLogConsole)
#include "tst_logconsole.moc"
