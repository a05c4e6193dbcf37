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

bool tapAll(MyKeyboard& keyboard, const QStringList& tokens)
{
    for (const QString& token : tokens) {
        QPushButton* key = keyFor(keyboard, token);
        if (!key)
            return false;
        QTest::mouseClick(key, Qt::LeftButton);
    }
    return true;
}

// The keyboard's timers: interval by id.
QMap<int, int> timers(QObject* object)
{
    QMap<int, int> intervals;
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(object))
        intervals.insert(timer.timerId, timer.interval);
    return intervals;
}

void fireRepeat(MyKeyboard& keyboard, int id = -1)
{
    fireTimer(&keyboard, id < 0 ? keyboard.repeatTimerId() : id);
}

} // namespace

class TestMyKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        addColumns<QString, QStringList, QString, int>("initial", "taps", "text", "cursor");
        QTest::newRow("shift on and off")
            << "" << QStringList{"SHIFT", "A", "<", "B", "SHIFT", "b", "SPACE", ",", ":-)"} << "A<Bb ,:-)" << 9;
        // The & key's caption is the escaped "&&".
        QTest::newRow("right SHIFT, ampersand, both quote keys")
            << "" << QStringList{"#31", "Q", "&123", "&&", "#22", "#23"} << "Q&\"\"" << 4;
        QTest::newRow("2/2 back, ABC keeps shift")
            << "" << QStringList{"SHIFT", "&123", "1/2", "2/2", "1", "ABC", "Z"} << "1Z" << 2;
        QTest::newRow("blank keys type nothing")
            << "ab" << QStringList{"&123", "1/2", "#9", "#26", "#28", "#29", "#30"} << "ab" << 2;
        QTest::newRow("backspace on empty") << "" << QStringList{"BS"} << "" << 0;
        QTest::newRow("left past the start, right, backspace")
            << "abc" << QStringList{LEFT, LEFT, LEFT, LEFT, RIGHT, RIGHT, "BS", "x"} << "axc" << 2;
    }

    void typing()
    {
        MyKeyboard keyboard;
        keyboard.setText(row<QString>("initial"));
        keyboard.show();
        QVERIFY(tapAll(keyboard, row<QStringList>("taps")));
        QTEST(keyboard.getText(), "text");
        QTEST(keyboard.findChild<QLineEdit*>("LEDIT_KEYINP")->cursorPosition(), "cursor");
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
        QVERIFY(tapAll(keyboard, row<QStringList>("before")));
        QTest::mousePress(keyFor(keyboard, key), Qt::LeftButton);
        if (texts.isEmpty()) {
            QCOMPARE(keyboard.repeatTimerId(), -1);
            return;
        }
        QCOMPARE(keyboard.getText(), texts.at(0));
        QCOMPARE(timers(&keyboard), (QMap<int, int>{{keyboard.repeatTimerId(), 800}}));
        fireRepeat(keyboard);
        QCOMPARE(timers(&keyboard), (QMap<int, int>{{keyboard.repeatTimerId(), 150}}));
        fireRepeat(keyboard);
        QCOMPARE(keyboard.getText(), texts.at(2));
        const int id = keyboard.repeatTimerId();
        fireRepeat(keyboard, id + 1000); // a foreign timer
        QTest::mouseRelease(keyFor(keyboard, key), Qt::LeftButton);
        QVERIFY(timers(&keyboard).isEmpty());
        fireRepeat(keyboard, id); // a late event of the stopped timer
        QCOMPARE(keyboard.getText(), texts.at(2));
    }

    void lengthLimits()
    {
        MyKeyboard keyboard;
        QSignalSpy accepted(&keyboard, &QDialog::accepted);
        keyboard.show();
        QVERIFY(tapAll(keyboard, {"ENTER"})); // by default an empty text will do
        QCOMPARE(accepted.count(), 1);
        keyboard.setText(QString(300, 'y'));
        QCOMPARE(keyboard.getText(), QString(255, 'y'));

        keyboard.setLengthLimit(3, 5);
        keyboard.setText("ab");
        keyboard.show();
        QVERIFY(tapAll(keyboard, {"ENTER", "c", "d", "e", "f", "BS"}));
        QCOMPARE(accepted.count(), 1);
        // A held key stops at the limit too.
        QTest::mousePress(keyFor(keyboard, "g"), Qt::LeftButton);
        fireRepeat(keyboard);
        fireRepeat(keyboard);
        QTest::mouseRelease(keyFor(keyboard, "g"), Qt::LeftButton);
        QVERIFY(tapAll(keyboard, {"ENTER"}));
        QCOMPARE(accepted.count(), 2);
        QCOMPARE(keyboard.getText(), QString("abcdg"));
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
