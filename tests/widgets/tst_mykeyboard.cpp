#include <QtTest>

#include "table.h"
#include <QtWidgets>

#include "mykeyboard.h"
#include "testenv.h"

namespace {

const QString LEFT = QString::fromUtf8("←"), RIGHT = QString::fromUtf8("→");

// A token names a key by its label, or by its index as "#N".
QPushButton* keyFor(const MyKeyboard& keyboard, const QString& token)
{
    if (token.startsWith('#'))
        return keyboard.getKeyButtons().value(token.mid(1).toInt());
    for (QPushButton* key : keyboard.getKeyButtons())
        if (key->text() == token)
            return key;
    return nullptr;
}

// The keyboard's timers: interval by id.
QMap<int, int> timers(QObject* object)
{
    QMap<int, int> intervals;
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(object))
        intervals.insert(timer.timerId, timer.interval);
    return intervals;
}

} // namespace

class TestMyKeyboard : public QObject
{
    Q_OBJECT

private slots:
    // limits "MIN-MAX" ("" the default); taps name keys, "hold:KEY" holds one through two repeats;
    // accepted: how often ENTER closed the keyboard.
    void typing_data()
    {
        addColumns<QString, QString, QStringList, QString, int, int>("initial", "limits", "taps", "text", "cursor", "accepted");
        const auto row = [](const char* name, const QString& initial, const QString& limits, const QStringList& taps,
                            const QString& text, int cursor, int accepted) {
            QTest::newRow(name) << initial << limits << taps << text << cursor << accepted;
        };
        row("shift on and off", "", "", {"SHIFT", "A", "<", "B", "SHIFT", "b", "SPACE", ",", ":-)"}, "A<Bb ,:-)", 9, 0);
        // The & key's caption is the escaped "&&".
        row("right SHIFT, ampersand, both quote keys", "", "", {"#31", "Q", "&123", "&&", "#22", "#23"}, "Q&\"\"", 4, 0);
        row("2/2 back, ABC keeps shift", "", "", {"SHIFT", "&123", "1/2", "2/2", "1", "ABC", "Z"}, "1Z", 2, 0);
        row("blank keys type nothing", "ab", "", {"&123", "1/2", "#9", "#26", "#28", "#29", "#30"}, "ab", 2, 0);
        row("backspace on empty", "", "", {"BS"}, "", 0, 0);
        row("left past the start, right, backspace", "abc", "", {LEFT, LEFT, LEFT, LEFT, RIGHT, RIGHT, "BS", "x"}, "axc", 2, 0);
        row("by default an empty text will do", "", "", {"ENTER"}, "", 0, 1);
        row("a long text is cut at 255", QString(300, 'y'), "", {}, QString(255, 'y'), 255, 0);
        row("too short for ENTER, typed and held keys stop at the maximum", "ab", "3-5",
            {"ENTER", "c", "d", "e", "f", "BS", "hold:g", "ENTER"}, "abcdg", 5, 1);
    }

    void typing()
    {
        MyKeyboard keyboard;
        QSignalSpy accepted(&keyboard, &QDialog::accepted);
        const QString limits = row<QString>("limits");
        if (!limits.isEmpty())
            keyboard.setLengthLimit(limits.section('-', 0, 0).toInt(), limits.section('-', 1).toInt());
        keyboard.setText(row<QString>("initial"));
        keyboard.show();
        for (const QString& tap : row<QStringList>("taps")) {
            QPushButton* key = keyFor(keyboard, tap.startsWith("hold:") ? tap.mid(5) : tap);
            QVERIFY(key);
            QTest::mousePress(key, Qt::LeftButton);
            for (int i = 0; i < (tap.startsWith("hold:") ? 2 : 0); ++i)
                fireTimer(&keyboard, keyboard.repeatTimerId());
            QTest::mouseRelease(key, Qt::LeftButton);
        }
        QTEST(keyboard.getText(), "text");
        QTEST(keyboard.findChild<QLineEdit*>("LEDIT_KEYINP")->cursorPosition(), "cursor");
        QTEST(int(accepted.count()), "accepted");
        QCOMPARE(keyboard.repeatTimerId(), -1);
    }

    void repeat_data()
    {
        // texts: after the press and two timeouts; empty: no repeat
        addColumns<QStringList, QString, QStringList>("before", "key", "texts");
        QTest::newRow("BS") << QStringList{} << "BS" << QStringList{"ab", "a", ""};
        QTest::newRow("ampersand") << QStringList{"&123"} << "&&" << QStringList{"abc&", "abc&&", "abc&&&"};
        QTest::newRow("blank key") << QStringList{"&123", "1/2"} << "#9" << QStringList{};
    }

    void repeat()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, texts);
        MyKeyboard keyboard;
        keyboard.setText("abc");
        keyboard.show();
        for (const QString& token : row<QStringList>("before"))
            QTest::mouseClick(keyFor(keyboard, token), Qt::LeftButton);
        QTest::mousePress(keyFor(keyboard, key), Qt::LeftButton);
        if (texts.isEmpty()) {
            QCOMPARE(keyboard.repeatTimerId(), -1);
            return;
        }
        QCOMPARE(keyboard.getText(), texts.at(0));
        QCOMPARE(timers(&keyboard), (QMap<int, int>{{keyboard.repeatTimerId(), 800}}));
        fireTimer(&keyboard, keyboard.repeatTimerId());
        QCOMPARE(timers(&keyboard), (QMap<int, int>{{keyboard.repeatTimerId(), 150}}));
        fireTimer(&keyboard, keyboard.repeatTimerId());
        QCOMPARE(keyboard.getText(), texts.at(2));
        const int id = keyboard.repeatTimerId();
        fireTimer(&keyboard, id + 1000); // a foreign timer
        QTest::mouseRelease(keyFor(keyboard, key), Qt::LeftButton);
        QVERIFY(timers(&keyboard).isEmpty());
        fireTimer(&keyboard, id); // a late event of the stopped timer
        QCOMPARE(keyboard.getText(), texts.at(2));
    }

    // Closed with keys down: the keys look normal again and the repeat stops.
    void closedWithKeysDown_data()
    {
        addColumns<QString, int, QString>("key", "result", "text");
        QTest::newRow("ENTER") << "ENTER" << int(QDialog::Accepted) << "file x";
        QTest::newRow("CLOSE clears") << "CLOSE" << int(QDialog::Rejected) << "";
    }

    void closedWithKeysDown()
    {
        MyKeyboard keyboard;
        keyboard.setText("file ");
        bool held = false;
        QTimer::singleShot(0, &keyboard, [&] {
            QTest::mousePress(keyFor(keyboard, "x"), Qt::LeftButton);
            held = keyFor(keyboard, "x")->styleSheet() != MyKeyboard::KEY_STYLE;
            QTest::mousePress(keyFor(keyboard, row<QString>("key")), Qt::LeftButton);
        });
        QTEST(keyboard.exec(), "result");
        QVERIFY(held);
        QTEST(keyboard.getText(), "text");
        QVERIFY(timers(&keyboard).isEmpty());
        for (const QPushButton* button : keyboard.getKeyButtons()) {
            QCOMPARE(button->styleSheet(), MyKeyboard::KEY_STYLE);
            QCOMPARE(button->font().pointSize(), 14);
        }
    }
};

QTEST_MAIN(TestMyKeyboard)
#include "tst_mykeyboard.moc"
