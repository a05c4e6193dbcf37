#include <QAbstractEventDispatcher>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest>

#include "mycommon.h"
#include "mykeyboard.h"

// The on-screen keyboard pressed the way a finger does: its four pages,
// typing, repeat and limits.

namespace {

const QString LEFT = QString::fromUtf8("←"), RIGHT = QString::fromUtf8("→");

QStringList words(const char* text) { return QString::fromUtf8(text).split(QLatin1Char(' ')); }

QStringList letters(bool upper)
{
    return words(upper ? "Q W E R T Y U I O P BS A S D F G H J K L ENTER SHIFT Z X C V B N M < > SHIFT"
                       : "q w e r t y u i o p BS a s d f g h j k l ENTER SHIFT z x c v b n m , . SHIFT")
           + QStringList{"&123", LEFT, RIGHT, "SPACE", "'", ":-)", "CLOSE"};
}

QStringList symbols(int page)
{
    const QStringList row4{"ABC", LEFT, RIGHT, "SPACE", "-", ":-)", "CLOSE"};
    if (page == 1)
        return words("1 2 3 4 5 6 7 8 9 0 BS @ # $ % ^ && * ( ) ENTER 1/2") + QStringList{"\"", "\""}
               + words(", = : ; ! ? ~ 1/2") + row4;
    return words("- + / \\ | [ ] { }") + QStringList{"", "BS"} + words("< > , . : ; ! ? ~ ENTER 2/2 / \" ' _")
           + QStringList{"", "\\", "", "", "", "2/2"} + row4;
}

// A token names a key by its label, or by its index as "#N".
QPushButton* keyFor(const MyKeyboard& keyboard, const QString& token)
{
    const QList<QPushButton*>& keys = keyboard.getKeyButtons();
    if (token.startsWith(QLatin1Char('#')) && token.size() > 1)
        return keys.value(token.mid(1).toInt());
    for (QPushButton* key : keys)
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

int timerInterval(QObject* object, int timerId)
{
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(object))
        if (timer.timerId == timerId)
            return timer.interval;
    return -1;
}

void fireRepeatTimer(MyKeyboard& keyboard)
{
    QTimerEvent event(keyboard.repeatTimerId());
    QCoreApplication::sendEvent(&keyboard, &event);
}

} // namespace

class TestMyKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void pageLabels_data()
    {
        QTest::addColumn<QStringList>("taps");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("layout");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("start: letters") << QStringList{} << 0 << 0 << letters(false);
        QTest::newRow("SHIFT") << QStringList{"SHIFT"} << 1 << 0 << letters(true);
        QTest::newRow("SHIFT twice") << QStringList{"SHIFT", "SHIFT"} << 0 << 0 << letters(false);
        QTest::newRow("right SHIFT") << QStringList{"#31"} << 1 << 0 << letters(true);
        QTest::newRow("&123") << QStringList{"&123"} << 0 << 1 << symbols(1);
        QTest::newRow("&123 right 1/2") << QStringList{"&123", "#31"} << 0 << 2 << symbols(2);
        QTest::newRow("&123 1/2 2/2") << QStringList{"&123", "1/2", "2/2"} << 0 << 1 << symbols(1);
        QTest::newRow("&123 1/2 ABC") << QStringList{"&123", "1/2", "ABC"} << 0 << 0 << letters(false);
        QTest::newRow("pages ignore shift") << QStringList{"SHIFT", "&123", "1/2"} << 1 << 2 << symbols(2);
        QTest::newRow("shift kept through pages") << QStringList{"SHIFT", "&123", "ABC"} << 1 << 0 << letters(true);
        QTest::newRow("shift stays after letters") << QStringList{"SHIFT", "A", "B"} << 1 << 0 << letters(true);
    }

    void pageLabels()
    {
        QFETCH(QStringList, taps);
        QFETCH(QStringList, expected);
        QCOMPARE(expected.count(), MyKeyboard::KEY_COUNT);
        MyKeyboard keyboard;
        keyboard.show();
        QVERIFY(tapAll(keyboard, taps));
        QTEST(int(keyboard.getKeyboardShiftMode()), "shift");
        QTEST(int(keyboard.getKeyboardLayoutMode()), "layout");
        const QList<QPushButton*>& keys = keyboard.getKeyButtons();
        for (int index = 0; index < MyKeyboard::KEY_COUNT; ++index)
            QVERIFY2(keys.at(index)->text() == expected.at(index),
                     qPrintable(QStringLiteral("key %1: \"%2\"").arg(index).arg(keys.at(index)->text())));
    }

    void typing_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QStringList>("taps");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");

        QTest::newRow("shift back") << "" << QStringList{"SHIFT", "A", "SHIFT", "b"} << "Ab" << 2;
        QTest::newRow("shifted comma and period") << "" << QStringList{"SHIFT", "<", ">"} << "<>" << 2;
        QTest::newRow("smiley and quote") << "" << QStringList{":-)", "'"} << ":-)'" << 4;
        QTest::newRow("ampersand") << "" << QStringList{"&123", "&&"} << "&" << 1;
        QTest::newRow("double quotes") << "" << QStringList{"&123", "#22", "#23"} << "\"\"" << 2;
        QTest::newRow("page 2 symbols") << "" << QStringList{"&123", "1/2", "\\", "|", "_"} << "\\|_" << 3;
        QTest::newRow("page 2 blank keys type nothing")
            << "ab" << QStringList{"&123", "1/2", "#9", "#26", "#28", "#29", "#30"} << "ab" << 2;
        QTest::newRow("space") << "" << QStringList{"a", "SPACE", "b"} << "a b" << 3;
        QTest::newRow("backspace on empty") << "" << QStringList{"BS"} << "" << 0;
        QTest::newRow("left at start") << "a" << QStringList{LEFT, LEFT, "x"} << "xa" << 1;
        QTest::newRow("left right") << "ab" << QStringList{LEFT, LEFT, RIGHT, "x"} << "axb" << 2;
        QTest::newRow("right at end") << "ab" << QStringList{RIGHT, "x"} << "abx" << 3;
        QTest::newRow("backspace in the middle") << "abc" << QStringList{LEFT, "BS"} << "ac" << 1;
    }

    void typing()
    {
        QFETCH(QString, initial);
        QFETCH(QStringList, taps);
        MyKeyboard keyboard;
        keyboard.setText(initial);
        keyboard.show();
        QVERIFY(tapAll(keyboard, taps));
        QTEST(keyboard.getText(), "text");
        QLineEdit* line = keyboard.findChild<QLineEdit*>(QStringLiteral("LEDIT_KEYINP"));
        QVERIFY(line);
        QTEST(line->cursorPosition(), "cursor");
        QCOMPARE(keyboard.repeatTimerId(), -1);
    }

    void repeat_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("key");
        // The text after the press, after the first and after the second timeout;
        // empty when the key does not repeat.
        QTest::addColumn<QStringList>("texts");

        const QStringList none;
        QTest::newRow("BS") << none << "BS" << QStringList{"ab", "a", ""};
        QTest::newRow("letter") << none << "a" << QStringList{"abca", "abcaa", "abcaaa"};
        QTest::newRow("upper-case letter") << QStringList{"SHIFT"} << "Q" << QStringList{"abcQ", "abcQQ", "abcQQQ"};
        QTest::newRow("smiley") << none << ":-)" << QStringList{"abc:-)", "abc:-):-)", "abc:-):-):-)"};
        QTest::newRow("ampersand") << QStringList{"&123"} << "&&" << QStringList{"abc&", "abc&&", "abc&&&"};
        QTest::newRow("ENTER") << none << "ENTER" << none;
        QTest::newRow("SHIFT") << none << "SHIFT" << none;
        QTest::newRow("1/2") << QStringList{"&123"} << "1/2" << none;
        QTest::newRow("left") << none << LEFT << none;
        QTest::newRow("SPACE") << none << "SPACE" << none;
        QTest::newRow("CLOSE") << none << "CLOSE" << none;
        QTest::newRow("blank key") << QStringList{"&123", "1/2"} << "#9" << none;
    }

    void repeat()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, key);
        QFETCH(QStringList, texts);
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("abc"));
        keyboard.show();
        QVERIFY(tapAll(keyboard, before));
        QPushButton* button = keyFor(keyboard, key);
        QVERIFY(button);

        QTest::mousePress(button, Qt::LeftButton);
        if (texts.isEmpty()) {
            QCOMPARE(keyboard.repeatTimerId(), -1);
            QTest::mouseRelease(button, Qt::LeftButton);
            QCOMPARE(keyboard.repeatTimerId(), -1);
            return;
        }
        QCOMPARE(keyboard.getText(), texts.at(0));
        QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), 800);
        fireRepeatTimer(keyboard);
        QCOMPARE(keyboard.getText(), texts.at(1));
        // The delay timer made way for the interval timer.
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 1);
        QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), 150);
        fireRepeatTimer(keyboard);
        QCOMPARE(keyboard.getText(), texts.at(2));
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(keyboard.repeatTimerId(), -1);
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 0);
    }

    void repeatIgnoresForeignTimers()
    {
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("abc"));
        keyboard.show();
        QPushButton* bs = keyFor(keyboard, QStringLiteral("BS"));
        QTest::mousePress(bs, Qt::LeftButton);
        const int id = keyboard.repeatTimerId();
        QTimerEvent foreign(id + 1000);
        QCoreApplication::sendEvent(&keyboard, &foreign);
        QCOMPARE(keyboard.getText(), QStringLiteral("ab"));
        QTest::mouseRelease(bs, Qt::LeftButton);
        // After release a late event of the old timer changes nothing.
        QTimerEvent late(id);
        QCoreApplication::sendEvent(&keyboard, &late);
        QCOMPARE(keyboard.getText(), QStringLiteral("ab"));
    }

    void lengthLimits_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("default limits, empty") << 0 << 255 << "" << true;
        QTest::newRow("1..255, empty refused") << 1 << 255 << "" << false;
        QTest::newRow("3..5, two refused") << 3 << 5 << "ab" << false;
        QTest::newRow("3..5, three") << 3 << 5 << "abc" << true;
        QTest::newRow("3..5, five") << 3 << 5 << "abcde" << true;
    }

    void lengthLimits()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        MyKeyboard keyboard;
        keyboard.setLengthLimit(minimum, maximum);
        keyboard.setText(text);
        keyboard.show();
        QSignalSpy acceptedSpy(&keyboard, &QDialog::accepted);
        QVERIFY(tapAll(keyboard, {"ENTER"}));
        QCOMPARE(acceptedSpy.count(), accepted ? 1 : 0);
        QCOMPARE(keyboard.isVisible(), !accepted);
        QCOMPARE(keyboard.getText(), text);
    }

    void inputLineRefusesMoreThanMaximum()
    {
        MyKeyboard keyboard;
        keyboard.setText(QString(300, QLatin1Char('y')));
        keyboard.show();
        QVERIFY(tapAll(keyboard, {"a"}));
        QCOMPARE(keyboard.getText(), QString(255, QLatin1Char('y')));

        MyKeyboard small;
        small.setLengthLimit(1, 4);
        small.show();
        QVERIFY(tapAll(small, words("a b c d e f")));
        QCOMPARE(small.getText(), QStringLiteral("abcd"));
        // A held key stops at the limit too.
        QVERIFY(tapAll(small, {"BS"}));
        QPushButton* g = keyFor(small, QStringLiteral("g"));
        QTest::mousePress(g, Qt::LeftButton);
        fireRepeatTimer(small);
        fireRepeatTimer(small);
        QTest::mouseRelease(g, Qt::LeftButton);
        QCOMPARE(small.getText(), QStringLiteral("abcg"));
    }

    void execAccepted()
    {
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("file"));
        QPushButton* enter = keyFor(keyboard, QStringLiteral("ENTER"));
        QString heldStyle;
        QTimer::singleShot(0, &keyboard, [&] {
            QPushButton* shift = keyFor(keyboard, QStringLiteral("SHIFT"));
            tapAll(keyboard, {"SPACE"});
            QTest::mousePress(shift, Qt::LeftButton);
            heldStyle = shift->styleSheet();
            QTest::mouseRelease(shift, Qt::LeftButton);
            tapAll(keyboard, {"A", "&123", "1"});
            // The finger is still on ENTER when the dialog goes.
            QTest::mousePress(enter, Qt::LeftButton);
        });
        QCOMPARE(keyboard.exec(), int(QDialog::Accepted));
        QCOMPARE(keyboard.getText(), QStringLiteral("file A1"));
        QVERIFY(heldStyle != MyKeyboard::KEY_STYLE);
        // Closed with its ENTER key down: every key looks normal again.
        for (const QPushButton* key : keyboard.getKeyButtons()) {
            QCOMPARE(key->styleSheet(), MyKeyboard::KEY_STYLE);
            QCOMPARE(key->font().pointSize(), 14);
        }
    }

    void closeRejectsClearsAndStopsRepeat()
    {
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("name"));
        QTimer::singleShot(0, &keyboard, [&keyboard] {
            QTest::mousePress(keyFor(keyboard, QStringLiteral("x")), Qt::LeftButton);
            tapAll(keyboard, {"CLOSE"});
        });
        QCOMPARE(keyboard.exec(), int(QDialog::Rejected));
        QCOMPARE(keyboard.getText(), QString());
        QCOMPARE(keyboard.repeatTimerId(), -1);
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 0);
    }

    // Renders the four pages; with KESTA_SCREENSHOT_DIR set the pictures are
    // kept there (the README's pictures come from this).
    void renderPages()
    {
        const QList<QPair<QString, QStringList>> pages{{"keyboard-letters.png", {}},
                                                       {"keyboard-shift.png", {"SHIFT"}},
                                                       {"keyboard-page1.png", {"&123"}},
                                                       {"keyboard-page2.png", {"&123", "1/2"}}};
        const QString folder = qEnvironmentVariable("KESTA_SCREENSHOT_DIR");
        for (const auto& page : pages) {
            MyKeyboard keyboard;
            keyboard.setText(QStringLiteral("KESTA_DUMP_01.HVR"));
            keyboard.show();
            QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
            QVERIFY(tapAll(keyboard, page.second));
            const QImage image = keyboard.grab().toImage();
            QCOMPARE(image.size(), QSize(800, 300));
            QCOMPARE(image.pixelColor(5, 295), QColor(0, 0, 0));
            const QPoint inside = keyFor(keyboard, QStringLiteral("SPACE"))->mapTo(&keyboard, QPoint(20, 5));
            QCOMPARE(image.pixelColor(inside), QColor(73, 70, 67));
            if (!folder.isEmpty())
                QVERIFY(image.save(QDir(folder).filePath(page.first)));
        }
    }
};

QTEST_MAIN(TestMyKeyboard)
#include "tst_mykeyboard.moc"
