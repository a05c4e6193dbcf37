// Emulator control of the main window: start and stop, the poll of the
// drive listing, the drive panels and the emulator page's settings.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMetaEnum>
#include <QProcess>

#include "driveinfo.h"
#include "drvctlpoller.h"
#include "kestalog.h"
#include "mycommon.h"
#include "myparameterbutton.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

} // namespace

void MainWindow::on_BTN_DRVEMU_START_clicked()
{
    const KESTAconSettings& record = common()->Settings();
    QStringList args;
    const QString mode = ui->BTN_DRVEMU_MODE->currentText();
    if (mode == MyCommon::MODE_NORMAL)
        args << MyCommon::DRVEMU_ARGS_NORMAL;
    else if (mode == MyCommon::MODE_HALFSTEP)
        args << MyCommon::DRVEMU_ARGS_HALFSTEP;
    else if (mode == MyCommon::MODE_PC9821)
        args << MyCommon::DRVEMU_ARGS_PC9821;
    args << (record.m_x68kOption ? MyCommon::DRVEMU_OPT_X68K_ON : MyCommon::DRVEMU_OPT_X68K_OFF);
    args << (record.m_motorSignal ? MyCommon::DRVEMU_OPT_MOTOR_ON : MyCommon::DRVEMU_OPT_MOTOR_OFF);
    qCDebug(lcEmulator) << "drvemu arguments:" << args;

    m_drvemuProcess->start(MyCommon::TOOL_DRVEMU, args, QIODevice::ReadWrite);
    qCDebug(lcEmulator) << "ProcessState" << QMetaEnum::fromType<QProcess::ProcessState>().valueToKey(m_drvemuProcess->state())
             << m_drvemuProcess->state();

    common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_RUNNING);
    UpdateDRVEMUStatus();
}

// The one stop of the emulator: the button, the keyboard and leaving the
// program all come here.  pkill also ends an emulator started by other means.
void MainWindow::on_BTN_DRVEMU_STOP_clicked()
{
    m_drvemuProcess->kill();
    qCDebug(lcEmulator) << "ProcessState" << QMetaEnum::fromType<QProcess::ProcessState>().valueToKey(m_drvemuProcess->state())
             << m_drvemuProcess->state();
    common()->LinuxCommand(QStringLiteral("pkill ") + MyCommon::TOOL_DRVEMU);
    common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_STOPPED);
    UpdateDRVEMUStatus();
}

void MainWindow::UpdateDRVEMUStatus()
{
    const bool running = common()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING;
    ui->BTN_DRVEMU_START->setEnabled(!running);
    ui->BTN_DRVEMU_STOP->setEnabled(running);
    ui->BTN_EMU_SETTING->setEnabled(!running);
    ui->WDT_DRIVEINFO1->setEnabled(running);
    ui->WDT_DRIVEINFO2->setEnabled(running);
    ui->BTN_DRVEMU_MODE->setEnabled(!running);
}

void MainWindow::PollEmulator()
{
    // One listing run at a time: a tick that finds the last run still going
    // is skipped, so a slow drvctl never piles up processes.
    m_poller->Poll();
}

void MainWindow::OnListingRead(const QByteArray& listing)
{
    if (MyCommon::IsDRVEMUListingActive(listing)) {
        common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_RUNNING);
        UpdateDriveStatus(listing);
    } else {
        common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_STOPPED);
    }
    UpdateDRVEMUStatus();
}

void MainWindow::UpdateDriveStatus()
{
    if (common()->isDRVEMU_STATE() != MyCommon::DRVEMU_RUNNING)
        return;
    UpdateDriveStatus(common()->CommandQuiet(MyCommon::TOOL_DRVCTL, MyCommon::DRVCTL_ARGS_LIST));
}

void MainWindow::UpdateDriveStatus(const QByteArray& listing)
{
    if (common()->isDRVEMU_STATE() != MyCommon::DRVEMU_RUNNING)
        return;
    ui->WDT_DRIVEINFO1->AnalyzeDRVCtrlInfo(listing);
    ui->WDT_DRIVEINFO2->AnalyzeDRVCtrlInfo(listing);
}

void MainWindow::on_settingsChanged_Emulator()
{
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Emulator()" << " START";
    common()->SetSettingString(QStringLiteral("DRVEMU/MODE"), ui->BTN_DRVEMU_MODE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/DISKNO"), ui->BTN_CONVERT_DISKNO->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/FORMAT"), ui->BTN_CONVERT_FORMAT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/EXT"), ui->BTN_CONVERT_EXT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/MAKEHVR"), ui->LEDT_MAKE_HVR_DISKNAME->text());
    common()->SetSettingString(QStringLiteral("CONVERT/TYPE"), ui->BTN_MAKE_HVR_TYPE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/RPM"), ui->BTN_MAKE_HVR_RPM->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/PROTECT"), ui->BTN_MAKE_HVR_PROTECT->currentText());
    qCDebug(lcSettings) << "void MainWindow::on_settingsChanged_Emulator()" << " END";
}
