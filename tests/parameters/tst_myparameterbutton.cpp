#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "myparameterbutton.h"
#include "parameterselectdialog.h"

// The value button: its list, the change-of-entry rule with its two signals,
// the tap that picks a value in the selection dialog, and its face.

namespace {

// Records both signals of a button in the order they arrive.
struct SignalLog {
    QStringList events;
    void attach(MyParameterButton& button)
    {
        QObject::connect(&button, &MyParameterButton::currentIndexChanged, &button,
                         [this, &button](int index) {
                             events << QStringLiteral("currentIndexChanged(%1) text=%2")
                                           .arg(index)
                                           .arg(button.text());
                         });
        QObject::connect(&button, &MyParameterButton::activated, &button,
                         [this](int index) { events << QStringLiteral("activated(%1)").arg(index); });
    }
};

void fill(MyParameterButton& button, const QStringList& texts)
{
    for (const QString& text : texts)
        button.addItem(text);
}

// Runs fn on the modal dialog once it is up.
void whenDialogOpens(std::function<void(ParameterSelectDialog*)> fn)
{
    QTimer::singleShot(0, [fn] {
        auto* dialog = qobject_cast<ParameterSelectDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            dialog = qobject_cast<ParameterSelectDialog*>(QApplication::activePopupWidget());
        QVERIFY(dialog);
        fn(dialog);
    });
}

void tapRow(ParameterSelectDialog* dialog, int row)
{
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
    QVERIFY(table);
    QTableWidgetItem* item = table->item(row, 0);
    QVERIFY(item);
    table->scrollToItem(item);
    const QRect rect = table->visualItemRect(item);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

class TestMyParameterButton : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void internalListAndSlotConnections();
    void addItemData();
    void firstEntryBecomesCurrent();
    void setCurrentText_data();
    void setCurrentText();
    void clearReportsNoEntry();
    void clearOnEmptyButtonEmitsNothing();
    void tapPicksValue_data();
    void tapPicksValue();
    void divider();
};

void TestMyParameterButton::construction()
{
    MyParameterButton button;
    QCOMPARE(button.objectName(), QStringLiteral("MyParameterButton"));
    QCOMPARE(button.size(), QSize(215, 71));
    QCOMPARE(button.font().family(), QStringLiteral("Yu Gothic"));
    QCOMPARE(button.font().pointSize(), 14);
    QCOMPARE(button.styleSheet(), QStringLiteral("text-align:left;"));
    QVERIFY(!button.isCheckable());
    QVERIFY(!button.autoDefault());
    QVERIFY(!button.isDefault());
    QVERIFY(!button.isFlat());
    QCOMPARE(button.windowTitle(), QStringLiteral("PushButton"));
    QCOMPARE(button.text(), QString());
    QCOMPARE(button.currentText(), QString());
    QCOMPARE(button.currentIndex(), -1);
    QCOMPARE(button.getItemList(), QStringList());
    QCOMPARE(button.getTitle(), QString());
    button.setTitle(QStringLiteral("CYLINDERS"));
    QCOMPARE(button.getTitle(), QStringLiteral("CYLINDERS"));

    // A name given before the constructor's check is kept; one given by a
    // form afterwards simply replaces it.
    button.setObjectName(QStringLiteral("BTN_DUMP_DRIVE"));
    QCOMPARE(button.objectName(), QStringLiteral("BTN_DUMP_DRIVE"));
}

void TestMyParameterButton::internalListAndSlotConnections()
{
    QWidget window;
    auto* button = new MyParameterButton(&window);
    button->setObjectName(QStringLiteral("BTN_DUMP_HEADS"));
    auto* internal = button->findChild<QComboBox*>(QStringLiteral("CMB_INTERNAL"));
    QVERIFY(internal);
    QCOMPARE(internal->parent(), button);
    QCOMPARE(internal->geometry(), QRect(150, 40, 69, 22));
    window.show();
    QVERIFY(!internal->isVisible());

    // The by-name connection made in the constructor survives the renaming.
    QSignalSpy spy(button, &MyParameterButton::currentIndexChanged);
    fill(*button, {"---", "1", "2"});
    QCOMPARE(internal->count(), 3);
    QCOMPARE(spy.count(), 1);
    internal->setCurrentIndex(2);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(button->text(), QStringLiteral("2"));
    QCOMPARE(button->currentText(), QStringLiteral("2"));
}

void TestMyParameterButton::addItemData()
{
    MyParameterButton button;
    button.addItem(QStringLiteral("NORMAL"));
    button.addItem(QStringLiteral("HALFSTEP"), QVariant(QStringLiteral("-shalf")));
    button.addItem(QStringLiteral("PC-9821"), QVariant(7));
    QCOMPARE(button.getItemList(), (QStringList{"NORMAL", "HALFSTEP", "PC-9821"}));
    QCOMPARE(button.itemData(0), QVariant(0));
    QCOMPARE(button.itemData(0).type(), QVariant::Int);
    QCOMPARE(button.itemData(1), QVariant(QStringLiteral("-shalf")));
    QCOMPARE(button.itemData(2), QVariant(7));
    QVERIFY(!button.itemData(3).isValid());
    QVERIFY(!button.itemData(-1).isValid());
    auto* internal = button.findChild<QComboBox*>(QStringLiteral("CMB_INTERNAL"));
    QCOMPARE(internal->itemData(1, Qt::UserRole), QVariant(QStringLiteral("-shalf")));
}

void TestMyParameterButton::firstEntryBecomesCurrent()
{
    MyParameterButton button;
    SignalLog log;
    log.attach(button);
    QStringList seenLists;
    connect(&button, &MyParameterButton::currentIndexChanged, this,
            [&] { seenLists << button.getItemList().join(QLatin1Char(',')); });
    fill(button, {"0", "1"});
    QCOMPARE(log.events, (QStringList{"currentIndexChanged(0) text=0", "activated(0)"}));
    // The listener already saw the entry in the button's own list.
    QCOMPARE(seenLists, QStringList{"0"});
    QCOMPARE(button.text(), QStringLiteral("0"));
    QCOMPARE(button.currentText(), QStringLiteral("0"));
    QCOMPARE(button.currentIndex(), 0);
}

void TestMyParameterButton::setCurrentText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("events");

    const QStringList heads{"---", "1", "2"};
    QTest::newRow("other entry") << heads << "---" << "2" << "2"
                                 << QStringList{"currentIndexChanged(2) text=2", "activated(2)"};
    QTest::newRow("not given") << heads << "2" << "---" << "---"
                               << QStringList{"currentIndexChanged(0) text=---", "activated(0)"};
    QTest::newRow("unchanged") << heads << "1" << "1" << "1" << QStringList{};
    QTest::newRow("unknown") << heads << "1" << "3" << "1" << QStringList{};
    QTest::newRow("empty text") << heads << "1" << "" << "1" << QStringList{};
    QTest::newRow("case differs") << QStringList{"double", "high"} << "double" << "HIGH" << "double"
                                  << QStringList{};
    QTest::newRow("prefix only") << QStringList{"1", "12"} << "12" << "" << "12" << QStringList{};
    QTest::newRow("first of two equal entries")
        << QStringList{"a", "b", "a"} << "b" << "a" << "a" << QStringList{"currentIndexChanged(0) text=a", "activated(0)"};
}

void TestMyParameterButton::setCurrentText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, start);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QStringList, events);

    MyParameterButton button;
    fill(button, items);
    button.setCurrentText(start);
    QCOMPARE(button.currentText(), start);
    SignalLog log;
    log.attach(button);
    button.setCurrentText(text);
    QCOMPARE(log.events, events);
    QCOMPARE(button.currentText(), shown);
    QCOMPARE(button.text(), shown);
    QCOMPARE(button.getItemList(), items);
}

void TestMyParameterButton::clearReportsNoEntry()
{
    MyParameterButton button;
    fill(button, {"---", "0", "1"});
    button.addItem(QStringLiteral("x"), QVariant(5));
    button.setCurrentText(QStringLiteral("1"));
    SignalLog log;
    log.attach(button);
    QStringList seenLists;
    connect(&button, &MyParameterButton::currentIndexChanged, this,
            [&] { seenLists << button.getItemList().join(QLatin1Char(',')); });
    button.clear();
    QCOMPARE(log.events, (QStringList{"currentIndexChanged(-1) text=", "activated(-1)"}));
    QCOMPARE(seenLists, QStringList{QString()});
    QCOMPARE(button.getItemList(), QStringList());
    QVERIFY(!button.itemData(3).isValid());
    QCOMPARE(button.currentText(), QString());
    QCOMPARE(button.text(), QString());
    QCOMPARE(button.currentIndex(), -1);
    QCOMPARE(button.findChild<QComboBox*>(QStringLiteral("CMB_INTERNAL"))->count(), 0);

    // Filled again, the first entry is current again.
    log.events.clear();
    fill(button, {"A", "B"});
    QCOMPARE(log.events, (QStringList{"currentIndexChanged(0) text=A", "activated(0)"}));
    QCOMPARE(button.itemData(1), QVariant(0));
}

void TestMyParameterButton::clearOnEmptyButtonEmitsNothing()
{
    MyParameterButton button;
    SignalLog log;
    log.attach(button);
    button.clear();
    button.setCurrentText(QString());
    button.setCurrentText(QStringLiteral("1"));
    QCOMPARE(log.events, QStringList());
}

void TestMyParameterButton::tapPicksValue_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("row"); // -1: Cancel
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("other value") << "1" << 3 << "12"
                                 << QStringList{"currentIndexChanged(3) text=12", "activated(3)"};
    QTest::newRow("not given") << "4" << 0 << "---"
                               << QStringList{"currentIndexChanged(0) text=---", "activated(0)"};
    QTest::newRow("value already shown") << "4" << 2 << "4" << QStringList{};
    QTest::newRow("Cancel") << "4" << -1 << "4" << QStringList{};
}

void TestMyParameterButton::tapPicksValue()
{
    QFETCH(QString, start);
    QFETCH(int, row);
    QFETCH(QString, shown);
    QFETCH(QStringList, events);

    QWidget window;
    window.resize(800, 480);
    auto* button = new MyParameterButton(&window);
    button->setObjectName(QStringLiteral("BTN_DUMP_ASSERT_PIN1"));
    button->setTitle(QStringLiteral("ASSERT PIN"));
    fill(*button, {"---", "2", "4", "12"});
    button->setCurrentText(start);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SignalLog log;
    log.attach(*button);
    bool opened = false;
    whenDialogOpens([&](ParameterSelectDialog* dialog) {
        opened = true;
        QCOMPARE(dialog->parent(), button);
        if (row < 0)
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_CANCEL")),
                              Qt::LeftButton);
        else
            tapRow(dialog, row);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(opened);
    QCOMPARE(log.events, events);
    QCOMPARE(button->currentText(), shown);
    QCOMPARE(button->text(), shown);
    // The dialog is gone with the tap.
    QVERIFY(!button->findChild<ParameterSelectDialog*>());
}

void TestMyParameterButton::divider()
{
    MyParameterButton button;
    fill(button, {"double", "high"});
    button.resize(240, 60);
    const QImage face = button.grab().toImage();
    const int x = static_cast<int>(240 * 0.8);
    const int top = static_cast<int>(60 * 0.1);
    const int height = static_cast<int>(60 * 0.8);
    const QColor grey(Qt::lightGray);
    QCOMPARE(face.pixelColor(x, top), grey);
    QCOMPARE(face.pixelColor(x, top + height / 2), grey);
    QCOMPARE(face.pixelColor(x, top + height), grey);
    QCOMPARE(face.pixelColor(x + 1, top + height / 2), grey);
    QVERIFY(face.pixelColor(x, top - 2) != grey);
    QVERIFY(face.pixelColor(x, top + height + 2) != grey);
    QVERIFY(face.pixelColor(x - 3, top + height / 2) != grey);
    QVERIFY(face.pixelColor(x + 4, top + height / 2) != grey);
}

QTEST_MAIN(TestMyParameterButton)
#include "tst_myparameterbutton.moc"
