#include <QAbstractEventDispatcher>
#include <QSignalSpy>
#include <QTimerEvent>
#include <QtTest>

#include "mycommon.h"
#include "mypushbutton.h"
#include "parameterset.h"

namespace {

// Lets the button's hold timer fire as if its interval had passed.
void fireHoldTimer(MyPushButton* button, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(button, &event);
}

ParameterSet panel(const QString& cylinders)
{
    ParameterSet set;
    set.SetValue(MyCommon::KEY_CYLINDERS, cylinders);
    set.SetValue(MyCommon::KEY_END, "9");
    return set;
}

} // namespace

class TestMyPushButton : public QObject
{
    Q_OBJECT
private slots:
    void machineSets_data();
    void machineSets();
    void hold_data();
    void hold();
    void holdTimerIsThreeSeconds();
    void pressWithoutReserveRecordsNothing();
};

void TestMyPushButton::machineSets_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QStringList>("values"); // "KEY/value" that tell the sets apart
    const QStringList generic{"CYLINDERS/40", "END/39", "DENSITY/double", "STEPS/1", "ASSERT_PIN1/---"};
    QTest::newRow("fresh button") << "fresh" << generic;
    QTest::newRow("SetDefault") << "" << generic;
    QTest::newRow("X68K") << "X68K" << QStringList{"CYLINDERS/80", "END/79", "DENSITY/high", "ASSERT_PIN3/---"};
    QTest::newRow("PC88") << "PC88" << QStringList{"ASSERT_PIN1/2", "ASSERT_PIN2/4", "ASSERT_PIN3/12", "STEPS/1"};
    QTest::newRow("X1") << "X1" << QStringList{"ASSERT_PIN1/2", "ASSERT_PIN2/4", "ASSERT_PIN3/---"};
    QTest::newRow("FM77") << "FM77" << QStringList{"STEPS/2", "ASSERT_PIN1/---", "CYLINDERS/40"};
}

void TestMyPushButton::machineSets()
{
    QFETCH(QString, machine);
    QFETCH(QStringList, values);
    MyPushButton button;
    // Start from something else, so that each function is seen to replace it.
    ParameterSet other = panel("12");
    if (machine != "fresh")
        button.SetParameters(&other);
    if (machine.isEmpty())
        MyPushButton::SetDefault(button.GetParameters());
    else if (machine == "X68K")
        button.SetDefault_X68K();
    else if (machine == "PC88")
        button.SetDefault_PC88();
    else if (machine == "X1")
        button.SetDefault_X1();
    else if (machine == "FM77")
        button.SetDefault_FM77();
    const ParameterSet* set = button.GetParameters();
    for (const QString& element : values) {
        const QStringList parts = element.split('/');
        QCOMPARE(set->Value(parts.at(0)), parts.at(1));
    }
    // Every parameter key once, with a value, and no name.
    for (const QString& key : ParameterSet::ParameterKeys()) {
        QCOMPARE(set->count(key), 1);
        QVERIFY2(!set->Value(key).isEmpty(), qPrintable(key));
    }
    QCOMPARE(set->size(), ParameterSet::ParameterKeys().size());
    QCOMPARE(set->Value(MyCommon::KEY_OVERWRITE), QString("SETTING"));
}

void TestMyPushButton::hold_data()
{
    QTest::addColumn<int>("fires");        // hold timer events during the press
    QTest::addColumn<bool>("otherTimer");  // an unrelated timer event arrives too
    QTest::addColumn<int>("registrations");
    QTest::newRow("released at 2999 ms") << 0 << false << 0;
    QTest::newRow("held 3000 ms") << 1 << false << 1;
    QTest::newRow("held 9000 ms") << 3 << false << 1;
    QTest::newRow("another timer") << 0 << true << 0;
}

void TestMyPushButton::hold()
{
    QFETCH(int, fires);
    QFETCH(bool, otherTimer);
    QFETCH(int, registrations);
    MyPushButton button;
    button.setText("X68K");
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy registered(&button, &MyPushButton::parameterRegistered);
    const ParameterSet before = *button.GetParameters();

    QTest::mousePress(&button, Qt::LeftButton);
    const int id = button.holdTimerId();
    QVERIFY(id > 0);
    // What the owner hands over at the press; the panel may change later.
    ParameterSet pressed = panel("80");
    button.SetReserveParameters(&pressed);
    if (otherTimer)
        fireHoldTimer(&button, id + 1000);
    for (int i = 0; i < fires; ++i)
        fireHoldTimer(&button, id);
    QCOMPARE(registered.count(), registrations);
    QCOMPARE(button.text(), registrations ? MyPushButton::REGISTERED_TEXT : QString("X68K"));
    QCOMPARE(button.styleSheet(), registrations ? MyPushButton::REGISTERED_STYLE : MyPushButton::NORMAL_STYLE);

    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(registered.count(), registrations);
    QCOMPARE(button.text(), QString("X68K"));
    QCOMPARE(button.styleSheet(), MyPushButton::NORMAL_STYLE);
    QCOMPARE(button.holdTimerId(), -1);
    if (registrations) {
        QCOMPARE(button.GetParameters()->Value(MyCommon::KEY_CYLINDERS), QString("80"));
        // Keys the panel did not hand over are emptied, not kept.
        QCOMPARE(button.GetParameters()->Value(MyCommon::KEY_DENSITY), QString());
    } else {
        QCOMPARE(*button.GetParameters(), before);
    }
}

void TestMyPushButton::holdTimerIsThreeSeconds()
{
    MyPushButton button;
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mousePress(&button, Qt::LeftButton);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&button);
    bool found = false;
    for (const auto& timer : timers) {
        if (timer.timerId == button.holdTimerId()) {
            found = true;
            QCOMPARE(timer.interval, MyCommon::TIME_PRESET_HOLD);
        }
    }
    QVERIFY(found);
    QTest::mouseRelease(&button, Qt::LeftButton);
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(&button))
        QVERIFY(timer.interval != MyCommon::TIME_PRESET_HOLD);
}

void TestMyPushButton::pressWithoutReserveRecordsNothing()
{
    // A press whose owner hands nothing over (a bare button, or an owner that
    // refuses the press) must not record the values of an earlier press.
    MyPushButton button;
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy registered(&button, &MyPushButton::parameterRegistered);
    ParameterSet first = panel("80");
    QTest::mousePress(&button, Qt::LeftButton);
    button.SetReserveParameters(&first);
    QTest::mouseRelease(&button, Qt::LeftButton);

    QTest::mousePress(&button, Qt::LeftButton);
    const int id = button.holdTimerId();
    fireHoldTimer(&button, id);
    fireHoldTimer(&button, id);
    QCOMPARE(registered.count(), 0);
    // The hold goes on: it still records once the reserve arrives.
    QCOMPARE(button.holdTimerId(), id);
    button.SetReserveParameters(&first);
    fireHoldTimer(&button, id);
    QCOMPARE(registered.count(), 1);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(button.GetParameters()->Value(MyCommon::KEY_CYLINDERS), QString("80"));
}

QTEST_MAIN(TestMyPushButton)
#include "tst_mypushbutton.moc"
