// Emulator control of the main window: start and stop, the poll of the
// drive listing, the drive panels and the emulator page's settings.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QMetaEnum>
#include <QPointer>
#include <QProcess>
#include <optional>

#include "driveinfo.h"
#include "drivelisting.h"
#include "drvctlpoller.h"
#include "kestalog.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "runoutcome.h"

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

    // Until it answers as running, the emulator is starting: the page shows
    // it running, and the images it last held go back in once it answers.
    m_startPhase = StartPhase::Waiting;
    m_emulatorStartClock.start();
    m_poller->Discard();
    common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_RUNNING);
    UpdateDRVEMUStatus();
}

// The one stop of the emulator: the button, the keyboard and leaving the
// program all come here.  pkill also ends an emulator started by other means.
void MainWindow::on_BTN_DRVEMU_STOP_clicked()
{
    StopEmulator();
}

void MainWindow::StopEmulator()
{
    m_startPhase = StartPhase::None;
    // Listings under way show the emulator before the stop, and so may
    // those begun while pkill runs (the event loop turns meanwhile).
    m_poller->Discard();
    m_drvemuProcess->kill();
    qCDebug(lcEmulator) << "ProcessState" << QMetaEnum::fromType<QProcess::ProcessState>().valueToKey(m_drvemuProcess->state())
             << m_drvemuProcess->state();
    common()->LinuxCommand(QStringLiteral("pkill ") + MyCommon::TOOL_DRVEMU);
    m_poller->Discard();
    SetEmulatorStopped();
}

void MainWindow::SetEmulatorStopped()
{
    // A stopped emulator holds no disks.  The remembered images stay: the
    // next start puts them back.
    if (common()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING) {
        ui->WDT_DRIVEINFO1->Set_CSTM_FDImageName(MyCommon::EMPTY_DRIVE);
        ui->WDT_DRIVEINFO2->Set_CSTM_FDImageName(MyCommon::EMPTY_DRIVE);
    }
    common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_STOPPED);
    UpdateDRVEMUStatus();
}

bool MainWindow::PutBackImages(const QByteArray& listing)
{
    if (m_emulatorStartClock.elapsed() >= m_emulatorStartLimit)
        return false; // given up: the listing is what the drives hold
    const QPointer<MainWindow> alive(this);
    // Taken before the first insert: a listing read meanwhile must not
    // change what goes back.
    const QList<QPair<DriveInfo*, QString>> drives = {{ui->WDT_DRIVEINFO1, ui->WDT_DRIVEINFO1->RememberedImage()},
                                                     {ui->WDT_DRIVEINFO2, ui->WDT_DRIVEINFO2->RememberedImage()}};
    bool inserting = false;
    m_puttingBack = true;
    for (const auto& drive : drives) {
        const QFileInfo image(drive.second);
        if (drive.second.isEmpty() || drive.second == MyCommon::EMPTY_DRIVE || !image.isFile())
            continue;
        const std::optional<DriveListing> row = DriveListing::Parse(listing, drive.first->Get_CSTM_DriveNo());
        if (row && (row->Path() == drive.second || row->Path() == image.absoluteFilePath()))
            continue; // in already
        qCDebug(lcEmulator) << "putting back" << drive.second;
        inserting = true;
        drive.first->SetFDImage(drive.second);
        if (!alive)
            return true;
        // drvctl may fail now and then; one more try at once keeps a put-back
        // from falling into step with a failing poll.
        if (!common()->LastOutcome().ok() && common()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING) {
            drive.first->SetFDImage(drive.second);
            if (!alive)
                return true;
        }
        if (common()->isDRVEMU_STATE() != MyCommon::DRVEMU_RUNNING)
            break; // stopped meanwhile
    }
    m_puttingBack = false;
    // The next listing, begun after the inserts, tells whether they took.
    if (inserting)
        m_poller->Discard();
    return inserting;
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
    // While the last images go back in, the inserts' own answers tell the
    // panels; a fresh poll follows them.
    if (m_puttingBack)
        return;
    if (MyCommon::IsDRVEMUListingActive(listing)) {
        common()->UpdateDRVEMU_STATE(MyCommon::DRVEMU_RUNNING);
        if (m_startPhase != StartPhase::None) {
            // A fresh emulator starts with empty drives: until the images
            // are back (or the time for it is up) its listings would store
            // "EMPTY" over them.
            m_startPhase = StartPhase::PuttingBack;
            UpdateDRVEMUStatus();
            if (PutBackImages(listing))
                return;
            m_startPhase = StartPhase::None;
        }
        UpdateDriveStatus(listing);
        UpdateDRVEMUStatus();
        return;
    }
    // While it starts, a listing without drives is no news (not up yet, or
    // a drvctl run that failed) as long as the started drvemu lives.
    const bool ours = m_drvemuProcess->state() != QProcess::NotRunning;
    if (m_startPhase != StartPhase::None && ours && m_emulatorStartClock.elapsed() < m_emulatorStartLimit) {
        qCDebug(lcEmulator) << "emulator start: no drives listed after" << m_emulatorStartClock.elapsed() << "ms";
        return;
    }
    if (m_startPhase == StartPhase::Waiting && ours) {
        // It never answered: it is ended rather than left to come up later
        // with empty drives while the page says stopped.
        qCWarning(lcEmulator) << "drvemu did not answer within" << m_emulatorStartLimit << "ms";
        m_drvemuProcess->kill();
    }
    m_startPhase = StartPhase::None;
    SetEmulatorStopped();
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
    qCDebug(lcEmulator) << "void MainWindow::on_settingsChanged_Emulator()" << " START";
    common()->SetSettingString(QStringLiteral("DRVEMU/MODE"), ui->BTN_DRVEMU_MODE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/DISKNO"), ui->BTN_CONVERT_DISKNO->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/FORMAT"), ui->BTN_CONVERT_FORMAT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/EXT"), ui->BTN_CONVERT_EXT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/MAKEHVR"), ui->LEDT_MAKE_HVR_DISKNAME->text());
    common()->SetSettingString(QStringLiteral("CONVERT/TYPE"), ui->BTN_MAKE_HVR_TYPE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/RPM"), ui->BTN_MAKE_HVR_RPM->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/PROTECT"), ui->BTN_MAKE_HVR_PROTECT->currentText());
    qCDebug(lcEmulator) << "void MainWindow::on_settingsChanged_Emulator()" << " END";
}
