// The operation panels of the main window: the value buttons of the dump,
// restore and unformat tabs, sets applied to them and taken from them, the
// cylinder rules and the saving of the named sets.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QLabel>

#include "cylinderrules.h"
#include "kestalog.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

// Title, items and first item of a value button.
void setupButton(MyParameterButton* button, const QString& title, const QStringList& items, const QString& initial)
{
    button->setTitle(title);
    button->clear();
    for (const QString& item : items)
        button->addItem(item);
    button->setCurrentText(initial);
}

// "---" followed by every number from first to last.
QStringList numbers(int first, int last, bool notGiven = true)
{
    QStringList items;
    if (notGiven)
        items << MyCommon::NOT_GIVEN;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    return items;
}

} // namespace

void MainWindow::SetupParameterButtons()
{
    auto title = [this](MyParameterButton* button) {
        QString name = button->objectName();
        name.replace(0, 4, QStringLiteral("LBL_"));
        auto* label = findChild<QLabel*>(name);
        return label ? label->text() : QString();
    };
    const QStringList drives = {"0", "1"};
    const QStringList heads = {MyCommon::NOT_GIVEN, "1", "2"};
    const QStringList pins = {MyCommon::NOT_GIVEN, "2", "4", "12"};
    const QStringList density = {MyCommon::NOT_GIVEN, "double", "high"};
    const QStringList format = {MyCommon::NOT_GIVEN, MyCommon::FORMAT_ENCODE, MyCommon::FORMAT_RAW};
    const QStringList overwrite = {"SETTING", "overwrite", "followKESTA"};
    const QStringList flag = {MyCommon::NOT_GIVEN, "0", "1"};
    const QString ng = MyCommon::NOT_GIVEN;

    struct Entry {
        MyParameterButton* button;
        QStringList items;
        QString initial;
    };
    const QList<Entry> entries = {
        {ui->BTN_DUMP_DRIVE, drives, "0"},
        {ui->BTN_DUMP_HEADS, heads, "1"},
        {ui->BTN_DUMP_STEPS, heads, "1"},
        {ui->BTN_DUMP_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_DUMP_BEGIN, numbers(0, 83), "1"},
        {ui->BTN_DUMP_END, numbers(0, 83), "1"},
        {ui->BTN_DUMP_ASSERT_PIN1, pins, ng},
        {ui->BTN_DUMP_ASSERT_PIN2, pins, ng},
        {ui->BTN_DUMP_ASSERT_PIN3, pins, ng},
        {ui->BTN_DUMP_DENSITY, density, ng},
        {ui->BTN_DUMP_FORMAT, format, ng},
        {ui->BTN_DUMP_RETRY, numbers(0, 98), "1"},
        {ui->BTN_DUMP_OVERWRITE, overwrite, "SETTING"},
        {ui->BTN_RESTORE_DRIVE, drives, "0"},
        {ui->BTN_RESTORE_HEADS, heads, "1"},
        {ui->BTN_RESTORE_STEPS, heads, "1"},
        {ui->BTN_RESTORE_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_RESTORE_BEGIN, numbers(0, 83), "1"},
        {ui->BTN_RESTORE_END, numbers(0, 83), "1"},
        {ui->BTN_RESTORE_ASSERT_PIN1, pins, ng},
        {ui->BTN_RESTORE_ASSERT_PIN2, pins, ng},
        {ui->BTN_RESTORE_ASSERT_PIN3, pins, ng},
        {ui->BTN_RESTORE_FLAG, flag, ng},
        {ui->BTN_RESTORE_DISKNO, numbers(0, 14), ng},
        {ui->BTN_UNFORMAT_DRIVE, drives, "0"},
        {ui->BTN_UNFORMAT_HEADS, heads, "1"},
        {ui->BTN_UNFORMAT_STEPS, heads, "1"},
        {ui->BTN_UNFORMAT_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_UNFORMAT_ASSERT_PIN1, pins, ng},
        {ui->BTN_UNFORMAT_ASSERT_PIN2, pins, ng},
        {ui->BTN_UNFORMAT_ASSERT_PIN3, pins, ng},
    };
    for (const Entry& entry : entries) {
        const QString text = entry.button == ui->BTN_RESTORE_DISKNO ? QStringLiteral("DiskNo") : title(entry.button);
        setupButton(entry.button, text, entry.items, entry.initial);
    }
    setupButton(ui->BTN_DRVEMU_MODE, QStringLiteral("Emulator Mode"), MyCommon::EMULATOR_MODES,
                MyCommon::MODE_NORMAL);
    SetupImageToolButtons();
}

void MainWindow::ApplySet(ParameterSet* set, const QStringList& keys, const QList<MyParameterButton*>& buttons,
                          MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end)
{
    if (!set)
        return;
    // The cylinder rules would fight a set whose values arrive one by one
    // (80 cylinders, BEGIN 60 meeting a 40-cylinder set); they run once the
    // whole set is on the panel.
    const bool wasApplying = m_applyingSet;
    m_applyingSet = true;
    for (int i = 0; i < keys.size() && i < buttons.size(); ++i)
        buttons.at(i)->setCurrentText(set->Value(keys.at(i)));
    m_applyingSet = wasApplying;
    if (!m_applyingSet && cylinders && begin && end)
        ApplyCylinderRules(cylinders, begin, end, CylinderRules::CylindersChanged);
}

void MainWindow::SetDumpButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_BEGIN,
              MyCommon::KEY_END, MyCommon::KEY_STEPS, MyCommon::KEY_DENSITY, MyCommon::KEY_FORMAT,
              MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2, MyCommon::KEY_ASSERT_PIN3, MyCommon::KEY_RETRY,
              MyCommon::KEY_OVERWRITE},
             {ui->BTN_DUMP_DRIVE, ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_HEADS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END,
              ui->BTN_DUMP_STEPS, ui->BTN_DUMP_DENSITY, ui->BTN_DUMP_FORMAT, ui->BTN_DUMP_ASSERT_PIN1,
              ui->BTN_DUMP_ASSERT_PIN2, ui->BTN_DUMP_ASSERT_PIN3, ui->BTN_DUMP_RETRY, ui->BTN_DUMP_OVERWRITE},
             ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END);
}

void MainWindow::SetRestoreButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_BEGIN,
              MyCommon::KEY_END, MyCommon::KEY_STEPS, MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2,
              MyCommon::KEY_ASSERT_PIN3, MyCommon::KEY_FLAG, MyCommon::KEY_DISKNO},
             {ui->BTN_RESTORE_DRIVE, ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_HEADS, ui->BTN_RESTORE_BEGIN,
              ui->BTN_RESTORE_END, ui->BTN_RESTORE_STEPS, ui->BTN_RESTORE_ASSERT_PIN1, ui->BTN_RESTORE_ASSERT_PIN2,
              ui->BTN_RESTORE_ASSERT_PIN3, ui->BTN_RESTORE_FLAG, ui->BTN_RESTORE_DISKNO},
             ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END);
}

void MainWindow::SetUnformatButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_STEPS,
              MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2, MyCommon::KEY_ASSERT_PIN3},
             {ui->BTN_UNFORMAT_DRIVE, ui->BTN_UNFORMAT_CYLINDERS, ui->BTN_UNFORMAT_HEADS, ui->BTN_UNFORMAT_STEPS,
              ui->BTN_UNFORMAT_ASSERT_PIN1, ui->BTN_UNFORMAT_ASSERT_PIN2, ui->BTN_UNFORMAT_ASSERT_PIN3},
             nullptr, nullptr, nullptr);
}

namespace {

// One key of a panel snapshot: the button's text, the button's text read as
// a number ("---" gives "0"), or a fixed value for a key the panel lacks.
struct SnapshotKey {
    SnapshotKey(const QString& k, MyParameterButton* b, bool number = false) : key(k), button(b), asNumber(number) {}
    SnapshotKey(const QString& k, const QString& value) : key(k), fixed(value) {}
    QString key;
    MyParameterButton* button = nullptr;
    bool asNumber = false;
    QString fixed;
};

ParameterSet* snapshot(const QList<SnapshotKey>& keys)
{
    auto* set = new ParameterSet;
    for (const SnapshotKey& k : keys) {
        if (!k.button)
            set->SetValue(k.key, k.fixed);
        else if (k.asNumber)
            set->SetValue(k.key, QString::number(k.button->GetIntValue(0)));
        else
            set->SetValue(k.key, k.button->currentText());
    }
    return set;
}

SnapshotKey fixedKey(const QString& key, const QString& value)
{
    return SnapshotKey(key, value);
}

} // namespace

ParameterSet* MainWindow::GetDumpButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_DUMP_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_DUMP_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_DUMP_HEADS},
                     {MyCommon::KEY_BEGIN, ui->BTN_DUMP_BEGIN, true},
                     {MyCommon::KEY_END, ui->BTN_DUMP_END, true},
                     {MyCommon::KEY_STEPS, ui->BTN_DUMP_STEPS},
                     {MyCommon::KEY_DENSITY, ui->BTN_DUMP_DENSITY},
                     {MyCommon::KEY_FORMAT, ui->BTN_DUMP_FORMAT},
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_DUMP_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_DUMP_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_DUMP_ASSERT_PIN3},
                     {MyCommon::KEY_RETRY, ui->BTN_DUMP_RETRY},
                     fixedKey(MyCommon::KEY_FLAG, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_DISKNO, QStringLiteral("1")),
                     {MyCommon::KEY_OVERWRITE, ui->BTN_DUMP_OVERWRITE}});
}

ParameterSet* MainWindow::GetRestoreButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_RESTORE_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_RESTORE_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_RESTORE_HEADS},
                     {MyCommon::KEY_BEGIN, ui->BTN_RESTORE_BEGIN, true},
                     {MyCommon::KEY_END, ui->BTN_RESTORE_END, true},
                     {MyCommon::KEY_STEPS, ui->BTN_RESTORE_STEPS},
                     fixedKey(MyCommon::KEY_DENSITY, QStringLiteral("double")),
                     fixedKey(MyCommon::KEY_FORMAT, MyCommon::FORMAT_ENCODE),
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_RESTORE_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_RESTORE_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_RESTORE_ASSERT_PIN3},
                     fixedKey(MyCommon::KEY_RETRY, QStringLiteral("3")),
                     {MyCommon::KEY_FLAG, ui->BTN_RESTORE_FLAG},
                     {MyCommon::KEY_DISKNO, ui->BTN_RESTORE_DISKNO},
                     fixedKey(MyCommon::KEY_OVERWRITE, QStringLiteral("SETTING"))});
}

ParameterSet* MainWindow::GetUnformatButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_UNFORMAT_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_UNFORMAT_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_UNFORMAT_HEADS},
                     {MyCommon::KEY_STEPS, ui->BTN_UNFORMAT_STEPS},
                     fixedKey(MyCommon::KEY_DENSITY, QStringLiteral("double")),
                     fixedKey(MyCommon::KEY_FORMAT, MyCommon::FORMAT_ENCODE),
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_UNFORMAT_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_UNFORMAT_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_UNFORMAT_ASSERT_PIN3},
                     fixedKey(MyCommon::KEY_RETRY, QStringLiteral("3")),
                     fixedKey(MyCommon::KEY_FLAG, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_DISKNO, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_OVERWRITE, QStringLiteral("SETTING"))});
}

ParameterSet* MainWindow::GetButtonParameters(int operation)
{
    switch (operation) {
    case MyCommon::OPERATION_DUMP:
        return GetDumpButtonParameters();
    case MyCommon::OPERATION_RESTORE:
        return GetRestoreButtonParameters();
    case MyCommon::OPERATION_UNFORMAT:
        return GetUnformatButtonParameters();
    default:
        return nullptr;
    }
}

void MainWindow::SetButtonParameters(int operation, ParameterSet* set)
{
    switch (operation) {
    case MyCommon::OPERATION_DUMP:
        SetDumpButtonParameters(set);
        break;
    case MyCommon::OPERATION_RESTORE:
        SetRestoreButtonParameters(set);
        break;
    case MyCommon::OPERATION_UNFORMAT:
        SetUnformatButtonParameters(set);
        break;
    default:
        break;
    }
}

void MainWindow::ApplyCylinderRules(MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end,
                                    int changed)
{
    if (m_applyingSet)
        return;
    const CylinderRules::Result result = CylinderRules::Apply(
        cylinders->currentText(), begin->currentText(), end->currentText(), CylinderRules::Changed(changed));
    // END before BEGIN: each write re-enters the rules at most once more.
    if (result.writeEnd)
        end->setCurrentText(result.end);
    if (result.writeBegin)
        begin->setCurrentText(result.begin);
}

void MainWindow::on_BTN_DUMP_CYLINDERS_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::CylindersChanged);
}

void MainWindow::on_BTN_DUMP_BEGIN_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::BeginChanged);
}

void MainWindow::on_BTN_DUMP_END_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::EndChanged);
}

void MainWindow::on_BTN_RESTORE_CYLINDERS_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::CylindersChanged);
}

void MainWindow::on_BTN_RESTORE_BEGIN_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::BeginChanged);
}

void MainWindow::on_BTN_RESTORE_END_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::EndChanged);
}

void MainWindow::on_DUMP_ParameterChanged()
{
    qCDebug(lcUi) << "void MainWindow::on_DUMP_ParameterChanged()" << " START";
    const int c = ui->BTN_DUMP_CYLINDERS->GetIntValue(40);
    const int e = ui->BTN_DUMP_END->GetIntValue(39);
    const int r = ui->BTN_DUMP_RETRY->GetIntValue(3);
    const int b = ui->BTN_DUMP_BEGIN->GetIntValue(0);
    ui->WDT_DUMPSTATUS->InitialTrackState(MyCommon::OPERATION_DUMP, b, c > e ? e : c - 1, r, c);
    SetReDumpBtnEnabled(false);
    qCDebug(lcUi) << "void MainWindow::on_DUMP_ParameterChanged()" << " END";
}

void MainWindow::on_RESTORE_ParameterChanged()
{
    qCDebug(lcUi) << "void MainWindow::on_RESTORE_ParameterChanged()" << " START";
    const int c = ui->BTN_RESTORE_CYLINDERS->GetIntValue(40);
    const int e = ui->BTN_RESTORE_END->GetIntValue(39);
    const int b = ui->BTN_RESTORE_BEGIN->GetIntValue(0);
    ui->WDT_RESTORESTATUS->InitialTrackState(MyCommon::OPERATION_RESTORE, b, c > e ? e : c - 1, 2, c);
    qCDebug(lcUi) << "void MainWindow::on_RESTORE_ParameterChanged()" << " END";
}

void MainWindow::on_UNFORMAT_ParameterChanged()
{
    qCDebug(lcUi) << "void MainWindow::on_UNFORMAT_ParameterChanged()" << " START";
    const int c = ui->BTN_UNFORMAT_CYLINDERS->GetIntValue(40);
    ui->WDT_UNFORMATSTATUS->InitialTrackState(MyCommon::OPERATION_UNFORMAT, 0, c - 1, 2, c);
    qCDebug(lcUi) << "void MainWindow::on_UNFORMAT_ParameterChanged()" << " END";
}

void MainWindow::on_settingsChanged_Dump()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Dump()" << " START";
    ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_DUMP);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Dump()" << " END";
}

void MainWindow::on_settingsChanged_Restore()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Restore()" << " START";
    common()->SetSettingString(QStringLiteral("RESTORE/DISKNO"), ui->BTN_RESTORE_DISKNO->currentText());
    ui->WDT_RESTORE_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_RESTORE);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Restore()" << " END";
}

void MainWindow::on_settingsChanged_Unformat()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Unformat()" << " START";
    ui->WDT_UNFORMAT_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_UNFORMAT);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Unformat()" << " END";
}
