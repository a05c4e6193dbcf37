#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest>
#include <functional>

#include "dumpsettingdialog.h"
#include "mycombobox.h"
#include "mycommon.h"
#include "mypushbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"

namespace {

// Works the modal dialogs that open while a test waits in exec(): each step
// takes the active modal widget and answers true once it has dealt with it.
class ModalDriver : public QObject
{
public:
    using Step = std::function<bool(QWidget*)>;
    explicit ModalDriver(QList<Step> steps) : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            // A step may run an event loop of its own; the polls meanwhile wait.
            if (!modal || m_steps.isEmpty() || m_busy)
                return;
            m_busy = true;
            const Step step = m_steps.takeFirst();
            if (!step(modal))
                m_steps.prepend(step);
            m_busy = false;
        });
        m_timer.start(20);
    }
    int pending() const { return m_steps.size(); }

private:
    QList<Step> m_steps;
    QTimer m_timer;
    bool m_busy = false;
};

ParameterSet* namedSet(const QString& name, const QString& cylinders)
{
    auto* set = new ParameterSet;
    set->SetName(name);
    set->SetValue(MyCommon::KEY_CYLINDERS, cylinders);
    return set;
}

void fire(QObject* target, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestParameterSelector : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void getButton_data();
    void getButton();
    void listShowsStoreInOrder();
    void editPress_data();
    void editPress();
    void editHoldTimerIsTwoSeconds();
    void dialogEnds_data();
    void dialogEnds();
    void presetRegistrationSignalledOnce();
};

void TestParameterSelector::cleanup()
{
    MyCommon::getInstance()->SetInputGuard(false);
}

void TestParameterSelector::getButton_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("1") << 1 << "BTN_PARAMETER_X68K";
    QTest::newRow("4") << 4 << "BTN_PARAMETER_FM77";
    QTest::newRow("5") << 5 << "";
}

void TestParameterSelector::getButton()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    ParameterSelector selector;
    MyPushButton* button = selector.GetButton(number);
    QCOMPARE(button ? button->objectName() : QString(), name);
}

void TestParameterSelector::listShowsStoreInOrder()
{
    ParameterSelector selector;
    ParameterManage* store = selector.getParameterManage();
    QCOMPARE(selector.getParameterManage(), store);
    store->Insert(namedSet("B", "10"));
    store->Insert(namedSet("A", "20"));
    store->Insert(namedSet("B", "30"));
    selector.SetupParameterList();
    selector.SetupParameterList();
    auto* list = selector.findChild<MyComboBox*>("CMB_PARAMETER");
    QVERIFY(list);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    QCOMPARE(shown, (QStringList{"B", "A", "B"}));
}

void TestParameterSelector::editPress_data()
{
    QTest::addColumn<QStringList>("names");  // the store's names
    QTest::addColumn<int>("current");        // entry shown in the list
    QTest::addColumn<bool>("guard");
    QTest::addColumn<bool>("held");          // the 2000 ms timer fired
    QTest::addColumn<bool>("dialogOpens");
    QTest::addColumn<int>("recordedAt");     // -1: nothing recorded
    QTest::newRow("tap opens the dialog") << QStringList{"A", "B"} << 1 << false << false << true << -1;
    QTest::newRow("hold records the shown set") << QStringList{"A", "B"} << 1 << false << true << false << 1;
    QTest::newRow("hold records the second of two equal names")
        << QStringList{"A", "A"} << 1 << false << true << false << 1;
    QTest::newRow("hold with an empty list") << QStringList{} << -1 << false << true << false << -1;
    QTest::newRow("guarded tap") << QStringList{"A"} << 0 << true << false << false << -1;
    QTest::newRow("guarded hold") << QStringList{"A"} << 0 << true << true << false << -1;
}

void TestParameterSelector::editPress()
{
    QFETCH(QStringList, names);
    QFETCH(int, current);
    QFETCH(bool, guard);
    QFETCH(bool, held);
    QFETCH(bool, dialogOpens);
    QFETCH(int, recordedAt);
    ParameterSelector selector;
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    ParameterManage* store = selector.getParameterManage();
    for (const QString& name : names)
        store->Insert(namedSet(name, "40"));
    selector.SetupParameterList();
    auto* list = selector.findChild<MyComboBox*>("CMB_PARAMETER");
    list->setCurrentIndex(current);
    auto* edit = selector.findChild<MyPushButton*>("BTN_PARAMETER_EDIT");
    QSignalSpy registered(&selector, &ParameterSelector::parameterRegistered);
    MyCommon::getInstance()->SetInputGuard(guard);

    bool dialogSeen = false;
    ModalDriver driver({[&](QWidget* modal) {
        auto* dialog = qobject_cast<DumpSettingDialog*>(modal);
        if (!dialog)
            return false;
        dialogSeen = true;
        dialog->findChild<QPushButton*>("BTN_PARAMETER_SETTING_CANCEL")->click();
        return true;
    }});

    QTest::mousePress(edit, Qt::LeftButton);
    // Without a main window nobody takes a panel snapshot; hand one over as
    // the selector would.
    ParameterSet pressed;
    pressed.SetValue(MyCommon::KEY_CYLINDERS, "80");
    if (!guard)
        edit->SetReserveParameters(&pressed);
    QCOMPARE(selector.editTimerId() >= 0, !guard);
    if (held && selector.editTimerId() >= 0)
        fire(&selector, selector.editTimerId());
    QTest::mouseRelease(edit, Qt::LeftButton);

    QCOMPARE(dialogSeen, dialogOpens);
    QCOMPARE(selector.editTimerId(), -1);
    QCOMPARE(registered.count(), recordedAt >= 0 ? 1 : 0);
    for (int i = 0; i < store->Count(); ++i) {
        const ParameterSet* set = store->GetParametersAt(i);
        QCOMPARE(set->Value(MyCommon::KEY_CYLINDERS), QString(i == recordedAt ? "80" : "40"));
        QCOMPARE(set->count(MyCommon::KEY_NAME), 1);
        QCOMPARE(set->Name(), names.at(i));
    }
    if (recordedAt >= 0)
        QCOMPARE(list->itemData(recordedAt).toString(), names.at(recordedAt));
}

void TestParameterSelector::editHoldTimerIsTwoSeconds()
{
    ParameterSelector selector;
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    auto* edit = selector.findChild<MyPushButton*>("BTN_PARAMETER_EDIT");
    QTest::mousePress(edit, Qt::LeftButton);
    int interval = 0;
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(&selector)) {
        if (timer.timerId == selector.editTimerId())
            interval = timer.interval;
    }
    QCOMPARE(interval, MyCommon::TIME_EDIT_HOLD);
    // Released before the hold: the dialog opens; let it go.
    ModalDriver driver({[](QWidget* modal) {
        auto* dialog = qobject_cast<DumpSettingDialog*>(modal);
        if (dialog)
            dialog->reject();
        return dialog != nullptr;
    }});
    QTest::mouseRelease(edit, Qt::LeftButton);
    QCOMPARE(driver.pending(), 0);
}

void TestParameterSelector::dialogEnds_data()
{
    QTest::addColumn<bool>("deleteShown"); // the shown entry is deleted in the dialog
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("listAfter");
    QTest::addColumn<QString>("currentAfter");
    QTest::addColumn<int>("emitted");
    QTest::newRow("OK") << false << true << QStringList{"A", "B", "C"} << "B" << 1;
    QTest::newRow("shown set deleted, OK") << true << true << QStringList{"A", "C"} << "A" << 1;
    QTest::newRow("shown set deleted, Cancel") << true << false << QStringList{"A", "B", "C"} << "B" << 0;
}

void TestParameterSelector::dialogEnds()
{
    QFETCH(bool, deleteShown);
    QFETCH(bool, accept);
    QFETCH(QStringList, listAfter);
    QFETCH(QString, currentAfter);
    QFETCH(int, emitted);
    ParameterSelector selector;
    for (const char* name : {"A", "B", "C"})
        selector.getParameterManage()->Insert(namedSet(name, "40"));
    selector.SetupParameterList();
    auto* list = selector.findChild<MyComboBox*>("CMB_PARAMETER");
    list->setCurrentIndex(1);
    QSignalSpy registered(&selector, &ParameterSelector::parameterRegistered);

    QList<ModalDriver::Step> steps;
    steps << [&](QWidget* modal) {
        auto* dialog = qobject_cast<DumpSettingDialog*>(modal);
        if (!dialog)
            return false;
        if (deleteShown) {
            dialog->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST")->setCurrentCell(1, 0);
            // The confirmation runs modally inside this click.
            QTimer::singleShot(0, dialog->findChild<QPushButton*>("BTN_PARAMETER_ITEM_DELETE"), &QPushButton::click);
        } else {
            dialog->findChild<QPushButton*>("BTN_PARAMETER_SETTING_OK")->click();
        }
        return true;
    };
    if (deleteShown) {
        steps << [](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return false;
            box->button(QMessageBox::Ok)->click();
            return true;
        };
        steps << [&](QWidget* modal) {
            auto* dialog = qobject_cast<DumpSettingDialog*>(modal);
            if (!dialog)
                return false;
            dialog->findChild<QPushButton*>(accept ? "BTN_PARAMETER_SETTING_OK" : "BTN_PARAMETER_SETTING_CANCEL")
                ->click();
            return true;
        };
    }
    ModalDriver driver(steps);
    selector.on_BTN_PARAMETER_EDIT_clicked();
    QCOMPARE(driver.pending(), 0);

    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    QCOMPARE(shown, listAfter);
    QCOMPARE(list->currentText(), currentAfter);
    QCOMPARE(registered.count(), emitted);
    QCOMPARE(selector.getParameterManage()->Count(), listAfter.size());
}

void TestParameterSelector::presetRegistrationSignalledOnce()
{
    ParameterSelector selector;
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    selector.SetupParameterList();
    selector.SetupParameterList();
    QSignalSpy fixed(&selector, &ParameterSelector::fixBtnParameterRegistered);
    QSignalSpy named(&selector, &ParameterSelector::parameterRegistered);
    MyPushButton* button = selector.GetButton(3);
    QTest::mousePress(button, Qt::LeftButton);
    ParameterSet pressed;
    pressed.SetValue(MyCommon::KEY_CYLINDERS, "80");
    button->SetReserveParameters(&pressed);
    fire(button, button->holdTimerId());
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(fixed.count(), 1);
    QCOMPARE(named.count(), 0);
}

QTEST_MAIN(TestParameterSelector)
#include "tst_parameterselector.moc"
