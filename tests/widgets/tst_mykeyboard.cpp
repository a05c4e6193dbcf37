#include <QAbstractEventDispatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest>

#include "mycommon.h"
#include "mykeyboard.h"

// Every key of the on-screen keyboard, pressed the way a finger does (press
// and release on the button), its four pages, its repeat and its limits.

namespace {

const QString BLANK;

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

// The pages as the user sees them, written out key by key.
QStringList expectedLower()
{
    return words("q w e r t y u i o p BS a s d f g h j k l ENTER SHIFT z x c v b n m , . SHIFT")
           + QStringList{"&123", QString::fromUtf8("←"), QString::fromUtf8("→"), "SPACE", "'", ":-)", "CLOSE"};
}

QStringList expectedUpper()
{
    return words("Q W E R T Y U I O P BS A S D F G H J K L ENTER SHIFT Z X C V B N M < > SHIFT")
           + QStringList{"&123", QString::fromUtf8("←"), QString::fromUtf8("→"), "SPACE", "'", ":-)", "CLOSE"};
}

QStringList expectedRow4Symbols()
{
    return {"ABC", QString::fromUtf8("←"), QString::fromUtf8("→"), "SPACE", "-", ":-)", "CLOSE"};
}

QStringList expectedPage1()
{
    return QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "BS"}
           + QStringList{"@", "#", "$", "%", "^", "&&", "*", "(", ")", "ENTER"}
           + QStringList{"1/2", "\"", "\"", ",", "=", ":", ";", "!", "?", "~", "1/2"} + expectedRow4Symbols();
}

QStringList expectedPage2()
{
    return QStringList{"-", "+", "/", "\\", "|", "[", "]", "{", "}", BLANK, "BS"}
           + QStringList{"<", ">", ",", ".", ":", ";", "!", "?", "~", "ENTER"}
           + QStringList{"2/2", "/", "\"", "'", "_", BLANK, "\\", BLANK, BLANK, BLANK, "2/2"} + expectedRow4Symbols();
}

QStringList labels(const MyKeyboard& keyboard)
{
    QStringList result;
    for (const QPushButton* key : keyboard.getKeyButtons())
        result << key->text();
    return result;
}

// A token names the key by its label, or by its index as "#N" (for the blank
// keys and for labels that appear twice).
QPushButton* keyFor(const MyKeyboard& keyboard, const QString& token)
{
    const QList<QPushButton*>& keys = keyboard.getKeyButtons();
    if (token.startsWith(QLatin1Char('#')) && token.size() > 1)
        return keys.value(token.mid(1).toInt());
    for (QPushButton* key : keys) {
        if (key->text() == token)
            return key;
    }
    return nullptr;
}

bool tap(MyKeyboard& keyboard, const QString& token)
{
    QPushButton* key = keyFor(keyboard, token);
    if (!key)
        return false;
    QTest::mouseClick(key, Qt::LeftButton);
    return true;
}

int timerInterval(QObject* object, int timerId)
{
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(object);
    for (const auto& timer : timers) {
        if (timer.timerId == timerId)
            return timer.interval;
    }
    return -1;
}

void fireRepeatTimer(MyKeyboard& keyboard)
{
    QTimerEvent event(keyboard.repeatTimerId());
    QCoreApplication::sendEvent(&keyboard, &event);
}

QLineEdit* inputLine(MyKeyboard& keyboard)
{
    return keyboard.findChild<QLineEdit*>(QStringLiteral("LEDIT_KEYINP"));
}

} // namespace

class TestMyKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void keyGeometry_data();
    void keyGeometry();
    void rowsFitTheirRectangles();
    void pageLabels_data();
    void pageLabels();
    void typing_data();
    void typing();
    void heldLook();
    void repeat_data();
    void repeat();
    void repeatIgnoresForeignTimers();
    void repeatInRealTime();
    void lengthLimits_data();
    void lengthLimits();
    void inputLineRefusesMoreThanMaximum();
    void execAccepted();
    void closeRejectsAndClears();
    void closingStopsRepeat();
    void renderPages();
};

void TestMyKeyboard::construction()
{
    MyKeyboard keyboard;
    QCOMPARE(keyboard.objectName(), QStringLiteral("MyKeyboard"));
    QCOMPARE(keyboard.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(keyboard.windowModality(), Qt::WindowModal);
    QCOMPARE(keyboard.minimumSize(), QSize(800, 300));
    QCOMPARE(keyboard.maximumSize(), QSize(800, 300));
    QCOMPARE(keyboard.focusPolicy(), Qt::StrongFocus);
    QCOMPARE(keyboard.styleSheet(), QStringLiteral("background-color: rgb(0, 0, 0);"));
    QCOMPARE(keyboard.getKeyboardShiftMode(), MyKeyboard::SHIFT_OFF);
    QCOMPARE(keyboard.getKeyboardLayoutMode(), MyKeyboard::LAYOUT_LETTERS);
    QCOMPARE(keyboard.repeatTimerId(), -1);
    QCOMPARE(keyboard.getMinimumLength(), 0);
    QCOMPARE(keyboard.getMaximumLength(), 255);

    QLineEdit* line = inputLine(keyboard);
    QVERIFY(line);
    QCOMPARE(line->geometry(), QRect(20, 10, 761, 41));
    QCOMPARE(line->font().pointSize(), 20);
    QCOMPARE(line->maxLength(), 255);
    QCOMPARE(line->styleSheet(), QStringLiteral("background-color: rgb(255, 255, 255);"));

    const QList<QPushButton*>& keys = keyboard.getKeyButtons();
    QCOMPARE(keys.count(), MyKeyboard::KEY_COUNT);
    for (int index = 0; index < keys.count(); ++index) {
        QPushButton* key = keys.at(index);
        QCOMPARE(key->objectName(), QString::number(index));
        QCOMPARE(key->font().family(), QStringLiteral("Yu Gothic UI"));
        QCOMPARE(key->font().pointSize(), 14);
        QVERIFY(key->font().bold());
        QCOMPARE(key->styleSheet(), MyKeyboard::KEY_STYLE);
        QCOMPARE(key->styleSheet(),
                 QStringLiteral("color: rgb(222, 222, 222);\nbackground-color: rgb(73, 70, 67);\nborder-radius: 10px;"));
    }
    // No button is still known by its form name.
    QVERIFY(!keyboard.findChild<QPushButton*>(QStringLiteral("BTN_KEY1")));
}

void TestMyKeyboard::keyGeometry_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QSize>("size");
    for (int index = 0; index < MyKeyboard::KEY_COUNT; ++index) {
        QSize size(63, 49);
        if (index == 20)
            size = QSize(103, 49);
        else if (index == 32 || index == 38)
            size = QSize(84, 49);
        else if (index == 35)
            size = QSize(297, 49);
        QTest::addRow("key %d", index) << index << size;
    }
}

void TestMyKeyboard::keyGeometry()
{
    QFETCH(int, key);
    QFETCH(QSize, size);
    MyKeyboard keyboard;
    keyboard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
    QCOMPARE(keyboard.getKeyButtons().at(key)->size(), size);
}

void TestMyKeyboard::rowsFitTheirRectangles()
{
    MyKeyboard keyboard;
    keyboard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
    const QList<QPushButton*>& keys = keyboard.getKeyButtons();
    const struct {
        int first, last, y, left;
    } rows[] = {{0, 10, 60, 20}, {11, 20, 120, 50}, {21, 31, 180, 20}, {32, 38, 240, 20}};
    for (const auto& row : rows) {
        const QRect rect(20, row.y, 761, 51);
        int previousRight = -1;
        for (int index = row.first; index <= row.last; ++index) {
            const QRect key(keys.at(index)->mapTo(&keyboard, QPoint(0, 0)), keys.at(index)->size());
            QVERIFY2(rect.contains(key), qPrintable(QStringLiteral("key %1 outside its row").arg(index)));
            QVERIFY2(key.left() >= row.left, qPrintable(QStringLiteral("key %1 inside the margin").arg(index)));
            QVERIFY2(key.left() > previousRight, qPrintable(QStringLiteral("key %1 overlaps").arg(index)));
            previousRight = key.right();
        }
    }
}

void TestMyKeyboard::pageLabels_data()
{
    QTest::addColumn<QStringList>("taps");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("start: letters") << QStringList{} << 0 << 0 << expectedLower();
    QTest::newRow("SHIFT") << QStringList{"SHIFT"} << 1 << 0 << expectedUpper();
    QTest::newRow("SHIFT twice") << QStringList{"SHIFT", "SHIFT"} << 0 << 0 << expectedLower();
    QTest::newRow("right SHIFT") << QStringList{"#31"} << 1 << 0 << expectedUpper();
    QTest::newRow("&123") << QStringList{"&123"} << 0 << 1 << expectedPage1();
    QTest::newRow("&123 1/2") << QStringList{"&123", "1/2"} << 0 << 2 << expectedPage2();
    QTest::newRow("&123 right 1/2") << QStringList{"&123", "#31"} << 0 << 2 << expectedPage2();
    QTest::newRow("&123 1/2 2/2") << QStringList{"&123", "1/2", "2/2"} << 0 << 1 << expectedPage1();
    QTest::newRow("&123 ABC") << QStringList{"&123", "ABC"} << 0 << 0 << expectedLower();
    QTest::newRow("&123 1/2 ABC") << QStringList{"&123", "1/2", "ABC"} << 0 << 0 << expectedLower();
    QTest::newRow("SHIFT &123: page 1 ignores shift") << QStringList{"SHIFT", "&123"} << 1 << 1 << expectedPage1();
    QTest::newRow("SHIFT &123 1/2: page 2 ignores shift")
        << QStringList{"SHIFT", "&123", "1/2"} << 1 << 2 << expectedPage2();
    QTest::newRow("SHIFT &123 ABC: shift kept") << QStringList{"SHIFT", "&123", "ABC"} << 1 << 0 << expectedUpper();
    QTest::newRow("SHIFT &123 1/2 2/2 ABC")
        << QStringList{"SHIFT", "&123", "1/2", "2/2", "ABC"} << 1 << 0 << expectedUpper();
    QTest::newRow("shift stays after letters") << QStringList{"SHIFT", "A", "B"} << 1 << 0 << expectedUpper();
}

void TestMyKeyboard::pageLabels()
{
    QFETCH(QStringList, taps);
    QFETCH(int, shift);
    QFETCH(int, layout);
    QFETCH(QStringList, expected);
    QCOMPARE(expected.count(), MyKeyboard::KEY_COUNT);

    MyKeyboard keyboard;
    keyboard.show();
    for (const QString& token : taps)
        QVERIFY2(tap(keyboard, token), qPrintable(token));
    QCOMPARE(int(keyboard.getKeyboardShiftMode()), shift);
    QCOMPARE(int(keyboard.getKeyboardLayoutMode()), layout);
    const QStringList shown = labels(keyboard);
    for (int index = 0; index < MyKeyboard::KEY_COUNT; ++index)
        QVERIFY2(shown.at(index) == expected.at(index),
                 qPrintable(QStringLiteral("key %1: \"%2\", expected \"%3\"")
                                .arg(index)
                                .arg(shown.at(index), expected.at(index))));
    QCOMPARE(MyKeyboard::pageLabels(MyKeyboard::SHIFT_MODE(shift), MyKeyboard::LAYOUT_MODE(layout)), expected);
}

void TestMyKeyboard::typing_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QStringList>("taps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");

    QTest::newRow("letters") << "" << QStringList{"h", "i"} << "hi" << 2;
    QTest::newRow("shift two letters") << "" << QStringList{"SHIFT", "A", "B"} << "AB" << 2;
    QTest::newRow("shift back") << "" << QStringList{"SHIFT", "A", "SHIFT", "b"} << "Ab" << 2;
    QTest::newRow("shifted comma and period") << "" << QStringList{"SHIFT", "<", ">"} << "<>" << 2;
    QTest::newRow("comma and period") << "" << QStringList{",", "."} << ",." << 2;
    QTest::newRow("quote") << "" << QStringList{"'"} << "'" << 1;
    QTest::newRow("smiley") << "" << QStringList{":-)"} << ":-)" << 3;
    QTest::newRow("ampersand") << "" << QStringList{"&123", "&&"} << "&" << 1;
    QTest::newRow("double quotes") << "" << QStringList{"&123", "#22", "#23"} << "\"\"" << 2;
    QTest::newRow("digits") << "" << QStringList{"&123", "4", "2"} << "42" << 2;
    QTest::newRow("page 2 symbols") << "" << QStringList{"&123", "1/2", "\\", "|", "_"} << "\\|_" << 3;
    QTest::newRow("page 2 blank keys type nothing")
        << "ab" << QStringList{"&123", "1/2", "#9", "#26", "#28", "#29", "#30"} << "ab" << 2;
    QTest::newRow("space") << "" << QStringList{"a", "SPACE", "b"} << "a b" << 3;
    QTest::newRow("backspace") << "abc" << QStringList{"BS"} << "ab" << 2;
    QTest::newRow("backspace on empty") << "" << QStringList{"BS"} << "" << 0;
    QTest::newRow("left then type") << "ab" << QStringList{QString::fromUtf8("←"), "x"} << "axb" << 2;
    QTest::newRow("left at start") << "a" << QStringList{QString::fromUtf8("←"), QString::fromUtf8("←"), "x"}
                                   << "xa" << 1;
    QTest::newRow("left right") << "ab"
                                << QStringList{QString::fromUtf8("←"), QString::fromUtf8("←"),
                                               QString::fromUtf8("→"), "x"}
                                << "axb" << 2;
    QTest::newRow("right at end") << "ab" << QStringList{QString::fromUtf8("→"), "x"} << "abx" << 3;
    QTest::newRow("backspace in the middle") << "abc" << QStringList{QString::fromUtf8("←"), "BS"} << "ac" << 1;
}

void TestMyKeyboard::typing()
{
    QFETCH(QString, initial);
    QFETCH(QStringList, taps);
    QFETCH(QString, text);
    QFETCH(int, cursor);

    MyKeyboard keyboard;
    keyboard.setText(initial);
    keyboard.show();
    for (const QString& token : taps)
        QVERIFY2(tap(keyboard, token), qPrintable(token));
    QCOMPARE(keyboard.getText(), text);
    QCOMPARE(inputLine(keyboard)->cursorPosition(), cursor);
    QCOMPARE(keyboard.repeatTimerId(), -1);
}

void TestMyKeyboard::heldLook()
{
    MyKeyboard keyboard;
    keyboard.show();
    QPushButton* key = keyFor(keyboard, QStringLiteral("SHIFT"));
    QTest::mousePress(key, Qt::LeftButton);
    QCOMPARE(key->font().pointSize(), 32);
    QCOMPARE(key->styleSheet(),
             QStringLiteral("color: rgb(222, 222, 222);\nbackground-color: rgb(53, 50, 47);\nborder-radius: 10px;"));
    QTest::mouseRelease(key, Qt::LeftButton);
    QCOMPARE(key->font().pointSize(), 14);
    QVERIFY(key->font().bold());
    QCOMPARE(key->styleSheet(), MyKeyboard::KEY_STYLE);
}

void TestMyKeyboard::repeat_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("initial");
    // The text after the press, after the first and after the second timeout;
    // empty when the key does not repeat.
    QTest::addColumn<QStringList>("texts");

    const QStringList none;
    QTest::newRow("BS") << none << "BS" << "abcdef" << QStringList{"abcde", "abcd", "abc"};
    QTest::newRow("letter") << none << "a" << "" << QStringList{"a", "aa", "aaa"};
    QTest::newRow("upper-case letter") << QStringList{"SHIFT"} << "Q" << "x" << QStringList{"xQ", "xQQ", "xQQQ"};
    QTest::newRow("smiley") << none << ":-)" << "" << QStringList{":-)", ":-):-)", ":-):-):-)"};
    QTest::newRow("ampersand") << QStringList{"&123"} << "&&" << "" << QStringList{"&", "&&", "&&&"};
    QTest::newRow("digit") << QStringList{"&123"} << "7" << "" << QStringList{"7", "77", "777"};
    QTest::newRow("ENTER") << none << "ENTER" << "ab" << none;
    QTest::newRow("SHIFT") << none << "SHIFT" << "ab" << none;
    QTest::newRow("&123") << none << "&123" << "ab" << none;
    QTest::newRow("1/2") << QStringList{"&123"} << "1/2" << "ab" << none;
    QTest::newRow("2/2") << QStringList{"&123", "1/2"} << "2/2" << "ab" << none;
    QTest::newRow("ABC") << QStringList{"&123"} << "ABC" << "ab" << none;
    QTest::newRow("left") << none << QString::fromUtf8("←") << "ab" << none;
    QTest::newRow("right") << none << QString::fromUtf8("→") << "ab" << none;
    QTest::newRow("SPACE") << none << "SPACE" << "ab" << none;
    QTest::newRow("CLOSE") << none << "CLOSE" << "ab" << none;
    QTest::newRow("blank key") << QStringList{"&123", "1/2"} << "#9" << "ab" << none;
}

void TestMyKeyboard::repeat()
{
    QFETCH(QStringList, before);
    QFETCH(QString, key);
    QFETCH(QString, initial);
    QFETCH(QStringList, texts);

    MyKeyboard keyboard;
    keyboard.setText(initial);
    keyboard.show();
    for (const QString& token : before)
        QVERIFY(tap(keyboard, token));
    QPushButton* button = keyFor(keyboard, key);
    QVERIFY(button);

    QTest::mousePress(button, Qt::LeftButton);
    if (texts.isEmpty()) {
        QCOMPARE(keyboard.repeatTimerId(), -1);
        QCOMPARE(keyboard.repeatKeyText(), QString());
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(keyboard.repeatTimerId(), -1);
        return;
    }

    QCOMPARE(keyboard.getText(), texts.at(0));
    QVERIFY(keyboard.repeatTimerId() != -1);
    QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), MyCommon::TIME_KEY_REPEAT_DELAY);
    QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), 800);

    fireRepeatTimer(keyboard);
    QCOMPARE(keyboard.getText(), texts.at(1));
    QVERIFY(keyboard.repeatTimerId() != -1);
    // The delay timer made way for the interval timer.
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 1);
    QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), MyCommon::TIME_KEY_REPEAT_INTERVAL);
    QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), 150);

    fireRepeatTimer(keyboard);
    QCOMPARE(keyboard.getText(), texts.at(2));
    QCOMPARE(timerInterval(&keyboard, keyboard.repeatTimerId()), 150);

    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(keyboard.repeatTimerId(), -1);
    QCOMPARE(keyboard.getText(), texts.at(2));
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 0);
}

void TestMyKeyboard::repeatIgnoresForeignTimers()
{
    MyKeyboard keyboard;
    keyboard.setText(QStringLiteral("abc"));
    keyboard.show();
    QPushButton* bs = keyFor(keyboard, QStringLiteral("BS"));
    QTest::mousePress(bs, Qt::LeftButton);
    QCOMPARE(keyboard.getText(), QStringLiteral("ab"));
    const int id = keyboard.repeatTimerId();
    QTimerEvent foreign(id + 1000);
    QCoreApplication::sendEvent(&keyboard, &foreign);
    QCOMPARE(keyboard.getText(), QStringLiteral("ab"));
    QCOMPARE(keyboard.repeatTimerId(), id);
    QTest::mouseRelease(bs, Qt::LeftButton);

    // After release a late event of the old timer changes nothing.
    QTimerEvent late(id);
    QCoreApplication::sendEvent(&keyboard, &late);
    QCOMPARE(keyboard.getText(), QStringLiteral("ab"));
}

// The same with the real clock: each deletion is a textChanged of the input
// line, stamped when it arrives.
void TestMyKeyboard::repeatInRealTime()
{
    MyKeyboard keyboard;
    keyboard.setText(QStringLiteral("abcdefghij"));
    keyboard.show();
    QSignalSpy changes(inputLine(keyboard), &QLineEdit::textChanged);
    QList<qint64> stamps;
    QElapsedTimer clock;
    connect(inputLine(keyboard), &QLineEdit::textChanged, this, [&] { stamps << clock.elapsed(); });

    QPushButton* bs = keyFor(keyboard, QStringLiteral("BS"));
    clock.start();
    QTest::mousePress(bs, Qt::LeftButton);
    QCOMPARE(keyboard.getText(), QStringLiteral("abcdefghi"));
    QTRY_VERIFY_WITH_TIMEOUT(changes.count() >= 3, 5000);
    QTest::mouseRelease(bs, Qt::LeftButton);
    const int count = changes.count();

    QVERIFY2(stamps.at(0) < 100, qPrintable(QString::number(stamps.at(0))));
    // Nothing more before the delay, then one per interval (a timer never
    // fires early; the upper bounds only catch a wrong constant).
    QVERIFY2(stamps.at(1) - stamps.at(0) >= 800, qPrintable(QString::number(stamps.at(1) - stamps.at(0))));
    QVERIFY2(stamps.at(1) - stamps.at(0) < 3000, qPrintable(QString::number(stamps.at(1) - stamps.at(0))));
    // The interval timer starts just before its deletion is stamped, hence
    // a millisecond of slack.
    QVERIFY2(stamps.at(2) - stamps.at(1) >= 149, qPrintable(QString::number(stamps.at(2) - stamps.at(1))));
    QVERIFY2(stamps.at(2) - stamps.at(1) < 790, qPrintable(QString::number(stamps.at(2) - stamps.at(1))));

    // Released: no more deletions.
    QTest::qWait(400);
    QCOMPARE(changes.count(), count);
}

void TestMyKeyboard::lengthLimits_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("default limits, empty") << 0 << 255 << "" << true;
    QTest::newRow("default limits, text") << 0 << 255 << "abc" << true;
    QTest::newRow("1..255, empty refused") << 1 << 255 << "" << false;
    QTest::newRow("1..255, one character") << 1 << 255 << "a" << true;
    QTest::newRow("3..5, two refused") << 3 << 5 << "ab" << false;
    QTest::newRow("3..5, three") << 3 << 5 << "abc" << true;
    QTest::newRow("3..5, five") << 3 << 5 << "abcde" << true;
    QTest::newRow("1..255, 255 characters") << 1 << 255 << QString(255, QLatin1Char('x')) << true;
}

void TestMyKeyboard::lengthLimits()
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
    QSignalSpy rejectedSpy(&keyboard, &QDialog::rejected);
    QVERIFY(tap(keyboard, QStringLiteral("ENTER")));
    QCOMPARE(acceptedSpy.count(), accepted ? 1 : 0);
    QCOMPARE(rejectedSpy.count(), 0);
    QCOMPARE(keyboard.isVisible(), !accepted);
    QCOMPARE(keyboard.getText(), text);
}

void TestMyKeyboard::inputLineRefusesMoreThanMaximum()
{
    MyKeyboard keyboard;
    QCOMPARE(inputLine(keyboard)->maxLength(), 255);
    keyboard.setText(QString(300, QLatin1Char('y')));
    QCOMPARE(keyboard.getText().length(), 255);
    keyboard.show();
    QVERIFY(tap(keyboard, QStringLiteral("a")));
    QCOMPARE(keyboard.getText(), QString(255, QLatin1Char('y')));

    MyKeyboard small;
    small.setLengthLimit(1, 4);
    QCOMPARE(inputLine(small)->maxLength(), 4);
    small.show();
    for (const char* letter : {"a", "b", "c", "d", "e", "f"})
        QVERIFY(tap(small, QString::fromLatin1(letter)));
    QCOMPARE(small.getText(), QStringLiteral("abcd"));
    // A held key stops at the limit too.
    QPushButton* g = keyFor(small, QStringLiteral("g"));
    QVERIFY(tap(small, QStringLiteral("BS")));
    QTest::mousePress(g, Qt::LeftButton);
    fireRepeatTimer(small);
    fireRepeatTimer(small);
    QTest::mouseRelease(g, Qt::LeftButton);
    QCOMPARE(small.getText(), QStringLiteral("abcg"));
}

void TestMyKeyboard::execAccepted()
{
    MyKeyboard keyboard;
    keyboard.setText(QStringLiteral("file"));
    QTimer::singleShot(0, &keyboard, [&keyboard] {
        for (const char* token : {"SPACE", "SHIFT", "A", "&123", "1"})
            tap(keyboard, QString::fromLatin1(token));
        // The finger is still on ENTER when the dialog goes.
        QTest::mousePress(keyFor(keyboard, QStringLiteral("ENTER")), Qt::LeftButton);
    });
    QCOMPARE(keyboard.exec(), int(QDialog::Accepted));
    QCOMPARE(keyboard.getText(), QStringLiteral("file A1"));
    // Closed with its ENTER key down: every key looks normal again.
    for (const QPushButton* key : keyboard.getKeyButtons()) {
        QCOMPARE(key->styleSheet(), MyKeyboard::KEY_STYLE);
        QCOMPARE(key->font().pointSize(), 14);
    }
}

// Closing while a key repeats stops the repeat.
void TestMyKeyboard::closingStopsRepeat()
{
    MyKeyboard keyboard;
    keyboard.show();
    QPushButton* a = keyFor(keyboard, QStringLiteral("a"));
    QTest::mousePress(a, Qt::LeftButton);
    QVERIFY(keyboard.repeatTimerId() != -1);
    keyboard.reject();
    QCOMPARE(keyboard.repeatTimerId(), -1);
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&keyboard).count(), 0);
    QCOMPARE(a->styleSheet(), MyKeyboard::KEY_STYLE);
}

void TestMyKeyboard::closeRejectsAndClears()
{
    MyKeyboard keyboard;
    keyboard.setText(QStringLiteral("name"));
    QTimer::singleShot(0, &keyboard, [&keyboard] {
        tap(keyboard, QStringLiteral("x"));
        tap(keyboard, QStringLiteral("CLOSE"));
    });
    QCOMPARE(keyboard.exec(), int(QDialog::Rejected));
    QCOMPARE(keyboard.getText(), QString());
    QCOMPARE(keyboard.repeatTimerId(), -1);
}

// Renders the four pages; with KESTA_SCREENSHOT_DIR set the pictures are
// kept there (the README's pictures come from this).
void TestMyKeyboard::renderPages()
{
    const struct {
        const char* name;
        QStringList taps;
    } pages[] = {{"keyboard-letters.png", {}},
                 {"keyboard-shift.png", {"SHIFT"}},
                 {"keyboard-page1.png", {"&123"}},
                 {"keyboard-page2.png", {"&123", "1/2"}}};
    const QString folder = qEnvironmentVariable("KESTA_SCREENSHOT_DIR");
    for (const auto& page : pages) {
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("KESTA_DUMP_01.HVR"));
        keyboard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
        for (const QString& token : page.taps)
            QVERIFY(tap(keyboard, token));
        const QImage image = keyboard.grab().toImage();
        QCOMPARE(image.size(), QSize(800, 300));
        // The background is black and a key's face is its dark grey.
        QCOMPARE(image.pixelColor(5, 295), QColor(0, 0, 0));
        const QPushButton* space = keyFor(keyboard, QStringLiteral("SPACE"));
        const QPoint inside = space->mapTo(&keyboard, QPoint(20, 5));
        QCOMPARE(image.pixelColor(inside), QColor(73, 70, 67));
        if (!folder.isEmpty())
            QVERIFY(image.save(QDir(folder).filePath(QString::fromLatin1(page.name))));
    }
}

QTEST_MAIN(TestMyKeyboard)
#include "tst_mykeyboard.moc"
