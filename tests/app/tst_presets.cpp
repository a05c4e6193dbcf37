#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest>
#include <functional>

#include "dumpsettingdialog.h"
#include "mainwindow.h"
#include "mycombobox.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "mypushbutton.h"
#include "mytablewidget.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "testenv.h"
#include "ui_mainwindow.h"

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

void fire(QObject* target, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(target, &event);
}

const QStringList kSections{"DUMP", "RESTORE", "UNFORMAT"};
const QStringList kEntries{"X68KBTN", "PC88BTN", "X1BTN", "FM77BTN"};

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void presetTap_data();
    void presetTap();
    void presetHold_data();
    void presetHold();
    void presetsComeBack();
    void loadedDefaultsAndReset_data();
    void loadedDefaultsAndReset();
    void namedSetChosen();
    void editHoldRecordsPressSnapshot_data();
    void editHoldRecordsPressSnapshot();
    void dialogReorderAndAddSaved();

private:
    ParameterSelector* selector(int mode) const;
    MyParameterButton* panelButton(int mode, const QString& key) const;
    QStringList storedNames(const QString& section) const;
    void restart();

    TestEnv* m_env = nullptr;
    MainWindow* m_window = nullptr;
    Ui::MainWindow* ui = nullptr;
};

void TestPresets::init()
{
    m_env = new TestEnv;
    MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
    m_window = new MainWindow;
    ui = m_window->form();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPresets::cleanup()
{
    delete m_window;
    m_window = nullptr;
    MyCommon::getInstance()->SetInputGuard(false);
    MyCommon::getInstance()->DeleteSettingInstance();
    delete m_env;
    m_env = nullptr;
}

void TestPresets::restart()
{
    delete m_window;
    MyCommon::getInstance()->DeleteSettingInstance();
    m_window = new MainWindow;
    ui = m_window->form();
    m_window->LoadPresetButtons();
}

ParameterSelector* TestPresets::selector(int mode) const
{
    return mode == 0 ? ui->WDT_DUMP_PARAMETER_SELECTOR
           : mode == 1 ? ui->WDT_RESTORE_PARAMETER_SELECTOR
                       : ui->WDT_UNFORMAT_PARAMETER_SELECTOR;
}

MyParameterButton* TestPresets::panelButton(int mode, const QString& key) const
{
    QString name = key == "DRIVES" ? QString("DRIVE") : key;
    return m_window->findChild<MyParameterButton*>("BTN_" + kSections.at(mode) + "_" + name);
}

QStringList TestPresets::storedNames(const QString& section) const
{
    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    QStringList names;
    for (int i = 0; i < ParameterManage::MAX_SETS; ++i) {
        const QStringList list = file.value(QString("%1/%2").arg(section).arg(i)).toStringList();
        if (list.isEmpty())
            break;
        ParameterSet* set = ParameterSet::FromTextForm(list);
        names << set->Name() + ":" + set->Value("CYLINDERS");
        delete set;
    }
    return names;
}

void TestPresets::presetTap_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("guard");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("dump X68K") << 0 << 1 << false << "CYLINDERS" << "80";
    QTest::newRow("restore PC-88") << 1 << 2 << false << "ASSERT_PIN3" << "12";
    QTest::newRow("unformat FM77") << 2 << 4 << false << "STEPS" << "2";
    QTest::newRow("guarded dump X68K") << 0 << 1 << true << "CYLINDERS" << "40";
}

void TestPresets::presetTap()
{
    QFETCH(int, mode);
    QFETCH(int, number);
    QFETCH(bool, guard);
    QFETCH(QString, key);
    QFETCH(QString, value);
    m_window->ResetPresetButtons();
    MyCommon::getInstance()->SetInputGuard(guard);
    QTest::mouseClick(selector(mode)->GetButton(number), Qt::LeftButton);
    QCOMPARE(panelButton(mode, key)->currentText(), value);
}

void TestPresets::presetHold_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("guard");
    QTest::newRow("dump, released at 2999 ms") << 0 << false << false;
    QTest::newRow("dump, held 3000 ms") << 0 << true << false;
    QTest::newRow("restore, held 3000 ms") << 1 << true << false;
    QTest::newRow("unformat, held 3000 ms") << 2 << true << false;
    QTest::newRow("dump, guarded hold") << 0 << true << true;
}

void TestPresets::presetHold()
{
    QFETCH(int, mode);
    QFETCH(bool, held);
    QFETCH(bool, guard);
    const QString section = kSections.at(mode);
    m_window->ResetPresetButtons();
    MyParameterButton* cylinders = panelButton(mode, "CYLINDERS");
    cylinders->setCurrentText("70");
    MyPushButton* x68k = selector(mode)->GetButton(1);

    MyCommon::getInstance()->SetInputGuard(guard);
    QTest::mousePress(x68k, Qt::LeftButton);
    // The panel as it was at the press is what gets recorded.
    cylinders->setCurrentText("60");
    if (held)
        fire(x68k, x68k->holdTimerId());
    QTest::mouseRelease(x68k, Qt::LeftButton);
    MyCommon::getInstance()->SetInputGuard(false);

    const bool recorded = held && !guard;
    QCOMPARE(x68k->GetParameters()->Value("CYLINDERS"), QString(recorded ? "70" : "80"));
    // The release also taps: the panel gets the button's set.
    QCOMPARE(cylinders->currentText(), QString(guard ? "60" : recorded ? "70" : "80"));
    QSettings file(m_env->settingsPath(), QSettings::IniFormat);
    for (const QString& entry : kEntries)
        QCOMPARE(file.contains(section + "/" + entry), recorded);
    if (recorded) {
        ParameterSet* saved = ParameterSet::FromTextForm(file.value(section + "/X68KBTN").toStringList());
        QCOMPARE(saved->Value("CYLINDERS"), QString("70"));
        delete saved;
        ParameterSet* pc88 = ParameterSet::FromTextForm(file.value(section + "/PC88BTN").toStringList());
        QCOMPARE(pc88->Value("ASSERT_PIN3"), QString("12"));
        delete pc88;
    }
}

void TestPresets::presetsComeBack()
{
    // One registration per operation, then a restart.
    m_window->LoadPresetButtons();
    for (int mode = 0; mode < 3; ++mode) {
        panelButton(mode, "CYLINDERS")->setCurrentText(QString::number(71 + mode));
        MyPushButton* fm77 = selector(mode)->GetButton(4);
        QTest::mousePress(fm77, Qt::LeftButton);
        fire(fm77, fm77->holdTimerId());
        QTest::mouseRelease(fm77, Qt::LeftButton);
    }
    restart();
    for (int mode = 0; mode < 3; ++mode) {
        QCOMPARE(selector(mode)->GetButton(4)->GetParameters()->Value("CYLINDERS"), QString::number(71 + mode));
        QCOMPARE(selector(mode)->GetButton(4)->GetParameters()->Value("OVERWRITE"), QString("SETTING"));
        // The others were saved as they stood: the settings defaults.
        QCOMPARE(selector(mode)->GetButton(2)->GetParameters()->Value("ASSERT_PIN3"), QString("12"));
    }
}

void TestPresets::loadedDefaultsAndReset_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("loaded X68K lacks OVERWRITE") << false << 1 << "OVERWRITE" << "overwrite" << "overwrite";
    QTest::newRow("reset X68K has OVERWRITE") << true << 1 << "OVERWRITE" << "overwrite" << "SETTING";
    QTest::newRow("loaded X1 pin 2") << false << 3 << "ASSERT_PIN2" << "12" << "---";
    QTest::newRow("reset X1 pin 2") << true << 3 << "ASSERT_PIN2" << "12" << "4";
}

void TestPresets::loadedDefaultsAndReset()
{
    QFETCH(bool, reset);
    QFETCH(int, number);
    QFETCH(QString, key);
    QFETCH(QString, before);
    QFETCH(QString, after);
    // A first start: no saved presets, so the settings defaults arrive.
    m_window->LoadPresetButtons();
    if (reset)
        m_window->ResetPresetButtons();
    panelButton(0, key)->setCurrentText(before);
    QTest::mouseClick(selector(0)->GetButton(number), Qt::LeftButton);
    QCOMPARE(panelButton(0, key)->currentText(), after);
}

void TestPresets::namedSetChosen()
{
    ParameterManage* store = selector(1)->getParameterManage();
    for (const char* cylinders : {"20", "30"}) {
        auto* set = new ParameterSet;
        set->SetName("SAME");
        set->SetValue("CYLINDERS", cylinders);
        store->Insert(set);
    }
    selector(1)->SetupParameterList();
    auto* list = selector(1)->findChild<MyComboBox*>("CMB_PARAMETER");
    for (int index : {1, 0, 0}) {
        panelButton(1, "CYLINDERS")->setCurrentText("50");
        list->setCurrentIndex(index);
        emit list->activated(index);
        QCOMPARE(panelButton(1, "CYLINDERS")->currentText(), QString(index ? "30" : "20"));
    }
}

void TestPresets::editHoldRecordsPressSnapshot_data()
{
    QTest::addColumn<bool>("buttonHoldToo"); // also past the button's own 3000 ms
    QTest::newRow("2000 ms") << false;
    QTest::newRow("3000 ms") << true;
}

void TestPresets::editHoldRecordsPressSnapshot()
{
    QFETCH(bool, buttonHoldToo);
    ParameterSelector* dump = selector(0);
    for (const char* name : {"A", "B"}) {
        auto* set = new ParameterSet;
        set->SetName(name);
        set->SetValue("CYLINDERS", "20");
        dump->getParameterManage()->Insert(set);
    }
    dump->SetupParameterList();
    dump->findChild<MyComboBox*>("CMB_PARAMETER")->setCurrentIndex(1);
    auto* edit = dump->findChild<MyPushButton*>("BTN_PARAMETER_EDIT");

    ui->BTN_DUMP_CYLINDERS->setCurrentText("77");
    QTest::mousePress(edit, Qt::LeftButton);
    ui->BTN_DUMP_CYLINDERS->setCurrentText("50");
    fire(dump, dump->editTimerId());
    if (buttonHoldToo)
        fire(edit, edit->holdTimerId());
    QTest::mouseRelease(edit, Qt::LeftButton);

    const ParameterSet* recorded = dump->getParameterManage()->GetParametersAt(1);
    QCOMPARE(recorded->Value("CYLINDERS"), QString("77"));
    QCOMPARE(recorded->values("name"), QStringList{"B"});
    QCOMPARE(dump->getParameterManage()->GetParametersAt(0)->Value("CYLINDERS"), QString("20"));
    QCOMPARE(storedNames("DUMP"), (QStringList{"A:20", "B:77"}));
    QCOMPARE(edit->text(), QString("EDIT/REC"));
}

void TestPresets::dialogReorderAndAddSaved()
{
    ParameterSelector* restore = selector(1);
    for (const char* name : {"A", "B", "C"}) {
        auto* set = new ParameterSet;
        set->SetName(name);
        set->SetValue("CYLINDERS", "2" + QString::number(restore->getParameterManage()->Count()));
        restore->getParameterManage()->Insert(set);
    }
    restore->SetupParameterList();
    ui->BTN_RESTORE_CYLINDERS->setCurrentText("66");

    // C dragged to the top, then a set added from the panel below it.
    ModalDriver driver({[](QWidget* modal) {
        auto* dialog = qobject_cast<DumpSettingDialog*>(modal);
        if (!dialog)
            return false;
        auto* table = dialog->findChild<MyTableWidget*>("TBLW_PARAMETER_NAMELIST");
        table->setCurrentCell(2, 0);
        table->selectRow(2);
        table->moveSelectedRowsTo(table->visualItemRect(table->item(0, 0)).center());
        table->setCurrentCell(0, 0);
        dialog->findChild<QPushButton*>("BTN_PARAMETER_ITEM_ADD")->click();
        dialog->findChild<QPushButton*>("BTN_PARAMETER_SETTING_OK")->click();
        return true;
    }});
    QTest::mouseClick(restore->findChild<MyPushButton*>("BTN_PARAMETER_EDIT"), Qt::LeftButton);
    QCOMPARE(driver.pending(), 0);
    const QStringList expected{"C:22", "NAME2:66", "A:20", "B:21"};
    QCOMPARE(storedNames("RESTORE"), expected);

    restart();
    QStringList loaded;
    ParameterManage* store = selector(1)->getParameterManage();
    for (int i = 0; i < store->Count(); ++i)
        loaded << store->GetName(i) + ":" + store->GetParametersAt(i)->Value("CYLINDERS");
    QCOMPARE(loaded, expected);
    QCOMPARE(selector(1)->findChild<MyComboBox*>("CMB_PARAMETER")->itemText(1), QString("NAME2"));

    // The reset empties the stores and gives the buttons their machine sets.
    m_window->ResetPresetButtons();
    QCOMPARE(selector(1)->getParameterManage()->Count(), 0);
    QCOMPARE(selector(1)->findChild<MyComboBox*>("CMB_PARAMETER")->count(), 0);
    QCOMPARE(selector(2)->GetButton(3)->GetParameters()->Value("ASSERT_PIN2"), QString("4"));
}

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
