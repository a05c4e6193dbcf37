// The main window's side of the machine preset buttons and the parameter
// selectors: the start-up panel values, and loading, saving and resetting
// the twelve preset buttons.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QStringList>

#include "kestalog.h"
#include "mycommon.h"
#include "mypushbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"

namespace {

// Entry names of the preset buttons 1 to 4 within an operation's section.
const QStringList& presetEntries()
{
    static const QStringList entries{QStringLiteral("X68KBTN"), QStringLiteral("PC88BTN"),
                                     QStringLiteral("X1BTN"), QStringLiteral("FM77BTN")};
    return entries;
}

QString presetKey(const QString& section, int number)
{
    return section + QLatin1Char('/') + presetEntries().at(number - 1);
}

const QString kDump = QStringLiteral("DUMP");
const QString kRestore = QStringLiteral("RESTORE");
const QString kUnformat = QStringLiteral("UNFORMAT");

} // namespace

void MainWindow::ApplyFreshPresetToPanels()
{
    {
        MyPushButton fresh;
        SetDumpButtonParameters(fresh.GetParameters());
    }
    {
        MyPushButton fresh;
        SetRestoreButtonParameters(fresh.GetParameters());
    }
    {
        MyPushButton fresh;
        SetUnformatButtonParameters(fresh.GetParameters());
    }
}

void MainWindow::SavePresetButtons(ParameterSelector* selector, const QString& section)
{
    MyCommon* common = MyCommon::getInstance();
    for (int number = 1; number <= 4; ++number)
        common->SetSettingStringList(presetKey(section, number),
                                     selector->GetButton(number)->GetParameters()->ToTextForm());
}

void MainWindow::on_settingsChanged_Dump_forFixBtn()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Dump_forFixBtn()" << " START";
    SavePresetButtons(ui->WDT_DUMP_PARAMETER_SELECTOR, kDump);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Dump_forFixBtn()" << " END";
}

void MainWindow::on_settingsChanged_Restore_forFixBtn()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Restore_forFixBtn()" << " START";
    MyCommon::getInstance()->SetSettingString(QStringLiteral("RESTORE/DISKNO"),
                                              ui->BTN_RESTORE_DISKNO->currentText());
    SavePresetButtons(ui->WDT_RESTORE_PARAMETER_SELECTOR, kRestore);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Restore_forFixBtn()" << " END";
}

void MainWindow::on_settingsChanged_Unformat_forFixBtn()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Unformat_forFixBtn()" << " START";
    SavePresetButtons(ui->WDT_UNFORMAT_PARAMETER_SELECTOR, kUnformat);
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Unformat_forFixBtn()" << " END";
}

void MainWindow::LoadPresetButtons()
{
    MyCommon* common = MyCommon::getInstance();
    const QList<QPair<ParameterSelector*, QString>> selectors = {
        {ui->WDT_DUMP_PARAMETER_SELECTOR, kDump},
        {ui->WDT_RESTORE_PARAMETER_SELECTOR, kRestore},
        {ui->WDT_UNFORMAT_PARAMETER_SELECTOR, kUnformat}};
    for (const auto& entry : selectors) {
        for (int number = 1; number <= 4; ++number) {
            // Every key is read; an empty list leaves the button with empty
            // values, which change nothing on the panel.
            ParameterSet* set =
                ParameterSet::FromTextForm(common->GetSettingStringList(presetKey(entry.second, number)));
            entry.first->GetButton(number)->SetParameters(set);
            delete set;
        }
    }
}

void MainWindow::ResetPresetButtons()
{
    for (ParameterSelector* selector :
         {ui->WDT_DUMP_PARAMETER_SELECTOR, ui->WDT_RESTORE_PARAMETER_SELECTOR, ui->WDT_UNFORMAT_PARAMETER_SELECTOR}) {
        selector->GetButton(1)->SetDefault_X68K();
        selector->GetButton(2)->SetDefault_PC88();
        selector->GetButton(3)->SetDefault_X1();
        selector->GetButton(4)->SetDefault_FM77();
        selector->getParameterManage()->AllClear();
        selector->SetupParameterList();
    }
}
