#include <QTextEdit>
#include <QtTest>

#include "table.h"

#include "mycommon.h"

static const QByteArray ESC("\x1b");

class TestLogConsole : public QObject
{
    Q_OBJECT
private slots:
    void append_data()
    {
        // before: text already in the pane; expected: the pane's plain text afterwards
        addColumns<QString, QByteArrayList, QString>("before", "chunks", "expected");
        const auto row = [](const char* name, const QString& before, const QByteArrayList& chunks, const char* after) {
            QTest::newRow(name) << before << chunks << QString(after);
        };
        row("two paragraphs", "", {"abc" + ESC + "[2Adef"}, "abc\ndef");
        row("bracket before a sequence", "", {"Track [12]" + ESC + "[K done"}, "Track [12]\ndone");
        row("private marker", "", {ESC + "[?25lProgress" + ESC + "[?25h"}, "Progress");
        row("blanks and ESC give an empty paragraph", "x", {"   " + ESC + "[Kabc"}, "x\n\nabc");
        row("empty paragraph vanishes in an empty pane", "", {"   " + ESC + "[Kabc"}, "abc");
        row("markup stays text", "", {"<b>bold</b> & <i>"}, "<b>bold</b> & <i>");
        row("stops at NUL", "", {QByteArray("abc\0def", 7)}, "abc");
        row("progress report", "", {ESC + "[2K" + ESC + "[1AP(T004 C02 H0) OK\r\n" + ESC + "[2KP(T005 C02 H1) OK\n"},
            "P(T004 C02 H0) OK\nP(T005 C02 H1) OK");
        row("each chunk starts as text", "", {"abc" + ESC + "[", "2Adef"}, "abc\n2Adef");
    }

    void append()
    {
        QFETCH(QString, before);
        QTextEdit edit;
        if (!before.isEmpty())
            for (const QString& line : before.split('\n'))
                edit.append(line);
        for (QByteArray chunk : row<QByteArrayList>("chunks"))
            MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QTEST(edit.toPlainText(), "expected");
    }

    void cursorCommand_data()
    {
        // block: block of the text cursor afterwards; column: position inside that block
        addColumns<QByteArray, int, int>("command", "block", "column");
        QTest::newRow("up clamps to the first paragraph") << QByteArray("[2A") << 0 << 0;
        QTest::newRow("right by three") << QByteArray("[3C") << 0 << 2;
        QTest::newRow("far down clamps to the last") << QByteArray("[99B") << 2 << 0;
        QTest::newRow("zero counts as one") << QByteArray("[0B") << 1 << 0;
        QTest::newRow("huge count") << QByteArray("[99999999999999999999B") << 2 << 0;
    }

    void cursorCommand()
    {
        QFETCH(QByteArray, command);
        QTextEdit edit;
        QByteArray chunk("alpha\nbeta\ngamma" + ESC + "[K" + ESC + command);
        MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QCOMPARE(edit.toPlainText(), QString("alpha\nbeta\ngamma"));
        QTEST(edit.textCursor().blockNumber(), "block");
        QTEST(edit.textCursor().positionInBlock(), "column");
    }
};

QTEST_MAIN(TestLogConsole)
#include "tst_logconsole.moc"
