// Restore, unformat and disk information of the main window.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QFileInfo>

#include "drvargs.h"
#include "filenames.h"
#include "kestalog.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "runoutcome.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

// The unformat panel's texts; the disk information uses them as well.
DrvArgs::UnformatPanel unformatPanel(Ui::MainWindow* ui)
{
    DrvArgs::UnformatPanel panel;
    panel.drive = ui->BTN_UNFORMAT_DRIVE->currentText();
    panel.cylinders = ui->BTN_UNFORMAT_CYLINDERS->currentText();
    panel.heads = ui->BTN_UNFORMAT_HEADS->currentText();
    panel.steps = ui->BTN_UNFORMAT_STEPS->currentText();
    panel.pin1 = ui->BTN_UNFORMAT_ASSERT_PIN1->currentText();
    panel.pin2 = ui->BTN_UNFORMAT_ASSERT_PIN2->currentText();
    panel.pin3 = ui->BTN_UNFORMAT_ASSERT_PIN3->currentText();
    return panel;
}

} // namespace

void MainWindow::RunPanelTool(const QString& label, const QString& tool, const QStringList& args,
                              MyGraphicalDumpDisplay* map, QTextEdit* log)
{
    PostInputGuardEvent(true);
    CreateBusyDialog(label);
    ShowBusyDialog();
    QByteArray output = RunTool(tool, args, map);
    RunOutcome outcome = common()->LastOutcome();
    if (m_progressCanceled)
        outcome.kind = RunOutcome::Cancelled;
    CloseBusyDialog();
    common()->LogAppend(log, &output);
    PostInputGuardEvent(false);
    const TrackCounts counts = map ? MapCounts(map) : TrackCounts();
    ShowCompleteDialog(OutcomeDialogLines(outcome, map ? &counts : nullptr));
}

void MainWindow::on_BTN_RESTORE_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    // These panels read "---" and other non-numbers as 0.
    const int cylinders = ui->BTN_RESTORE_CYLINDERS->GetIntValue(0);
    const int begin = ui->BTN_RESTORE_BEGIN->GetIntValue(0);
    const int end = ui->BTN_RESTORE_END->GetIntValue(0);
    // A name that is not UTF-8 on the disk is reached through its access link.
    const QString path =
        FileNames::Resolve(common()->MakeFullPathByCurrentFolderPath(ui->LEDT_RESTORE_FILENAME->text()));
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ShowNotValidFileName();
        return;
    }
    ui->WDT_RESTORESTATUS->InitialTrackState(MyCommon::OPERATION_RESTORE, begin, end, 2, cylinders);

    DrvArgs::RestorePanel panel;
    panel.drive = ui->BTN_RESTORE_DRIVE->currentText();
    panel.diskNo = ui->BTN_RESTORE_DISKNO->currentText();
    panel.cylinders = ui->BTN_RESTORE_CYLINDERS->currentText();
    panel.heads = ui->BTN_RESTORE_HEADS->currentText();
    panel.begin = ui->BTN_RESTORE_BEGIN->currentText();
    panel.end = ui->BTN_RESTORE_END->currentText();
    panel.steps = ui->BTN_RESTORE_STEPS->currentText();
    panel.flag = ui->BTN_RESTORE_FLAG->currentText();
    panel.pin1 = ui->BTN_RESTORE_ASSERT_PIN1->currentText();
    panel.pin2 = ui->BTN_RESTORE_ASSERT_PIN2->currentText();
    panel.pin3 = ui->BTN_RESTORE_ASSERT_PIN3->currentText();
    const QStringList args = DrvArgs::Restore(panel, path);
    qCDebug(lcTools).noquote() << args.join(QLatin1Char(' '));

    RunPanelTool(MyCommon::LABEL_RESTORING, MyCommon::TOOL_DRVRESTORE, args, ui->WDT_RESTORESTATUS, ui->EDT_LOG_DISPLAY);
}

void MainWindow::on_BTN_UNFORMAT_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    const int cylinders = ui->BTN_UNFORMAT_CYLINDERS->GetIntValue(0);
    ui->WDT_UNFORMATSTATUS->InitialTrackState(MyCommon::OPERATION_UNFORMAT, 0, cylinders - 1, 2, cylinders);
    const QStringList args = DrvArgs::Unformat(unformatPanel(ui));
    qCDebug(lcTools).noquote() << args.join(QLatin1Char(' '));

    RunPanelTool(MyCommon::LABEL_UNFORMATTING, MyCommon::TOOL_DRVUNFORMAT, args, ui->WDT_UNFORMATSTATUS, ui->EDT_LOG_DISPLAY);
}

void MainWindow::on_BTN_DRVINFO_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    ui->EDT_DRVINFO_DISPLAY->clear();
    const QStringList args = DrvArgs::Info(unformatPanel(ui));
    qCDebug(lcTools).noquote() << args.join(QLatin1Char(' '));

    RunPanelTool(MyCommon::LABEL_MEASURING, MyCommon::TOOL_DRVINFO, args, nullptr, ui->EDT_DRVINFO_DISPLAY);
}

void MainWindow::on_BTN_RESTORE_FILESELECT_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    const QString fullPath = SelectImageFile("RESTORE FILE SELECT:");
    if (fullPath.isEmpty() || !QFileInfo(fullPath).isFile())
        return;
    // The whole last component, extension included.
    ui->LEDT_RESTORE_FILENAME->setText(fullPath.section(QLatin1Char('/'), -1));
}
