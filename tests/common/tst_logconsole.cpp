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
        // before: text already in the pane; expected: the pane's plain text afterwards;
        // block, column: where the text cursor ends (-1: not checked)
        addColumns<QString, QByteArrayList, QString, int, int>("before", "chunks", "expected", "block", "column");
        const auto row = [](const char* name, const QString& before, const QByteArrayList& chunks, const char* after,
                            int block = -1, int column = -1) {
            QTest::newRow(name) << before << chunks << QString(after) << block << column;
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
        const QByteArray three = "alpha\nbeta\ngamma" + ESC + "[K" + ESC;
        row("up clamps to the first paragraph", "", {three + "[2A"}, "alpha\nbeta\ngamma", 0, 0);
        row("right by three", "", {three + "[3C"}, "alpha\nbeta\ngamma", 0, 2);
        row("far down clamps to the last", "", {three + "[99B"}, "alpha\nbeta\ngamma", 2, 0);
        row("zero counts as one", "", {three + "[0B"}, "alpha\nbeta\ngamma", 1, 0);
        row("huge count", "", {three + "[99999999999999999999B"}, "alpha\nbeta\ngamma", 2, 0);
    }

    void append()
    {
        QFETCH(QString, before);
        QTextEdit edit;
        if (!before.isEmpty()) // one paragraph
            edit.append(before);
        for (QByteArray chunk : row<QByteArrayList>("chunks"))
            MyCommon::getInstance()->LogAppend(&edit, &chunk);
        QTEST(edit.toPlainText(), "expected");
        if (row<int>("block") >= 0) {
            QTEST(edit.textCursor().blockNumber(), "block");
            QTEST(edit.textCursor().positionInBlock(), "column");
        }
    }
};

QTEST_MAIN(TestLogConsole)
#include "tst_logconsole.moc"
