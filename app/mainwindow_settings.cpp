// Settings of the main window (load, save, reset), the settings buttons and
// leaving the program.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QDialog>
#include <QMessageBox>
#include <QPair>
#include <QProcess>
#include <QSignalBlocker>

#include "exitdialog.h"
#include "fdimageselector.h"
#include "kestalog.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "settingdialog.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

const QString KEY_VERSION = QStringLiteral("SETTING/VERSION");
const QString VERSION_BEFORE_MODES = QStringLiteral("1.04");

// A stored value put on a widget.  The settings writers connected to the
// widget stay silent meanwhile: a reload (after a restore) must not write the
// old screen into the file it is reading.
void restoreButton(MyParameterButton* button, const QString& key)
{
    const QSignalBlocker quiet(button);
    button->setCurrentText(common()->GetSettingString(key));
}

} // namespace

void MainWindow::LoadSettings()
{
    qCDebug(lcSettings) << "LoadSettings START";

    // Files written before the emulator modes kept a HALFSTEP flag only.
    if (common()->GetSettingString(KEY_VERSION) != MyCommon::APP_VERSION)
        common()->SetSettingString(KEY_VERSION, VERSION_BEFORE_MODES);
    if (common()->GetSettingString(KEY_VERSION) != VERSION_BEFORE_MODES) {
        qCDebug(lcSettings) << QString::fromUtf8("バージョンアップなし");
    } else {
        qCDebug(lcSettings) << QString::fromUtf8("バージョンアップあり 1.04->") + MyCommon::APP_VERSION;
        const bool halfStep = common()->GetSettingBool(QStringLiteral("DRVEMU/HALFSTEP"));
        common()->SetSettingString(QStringLiteral("DRVEMU/MODE"),
                                   halfStep ? MyCommon::MODE_HALFSTEP : MyCommon::MODE_NORMAL);
        common()->RemoveSettingString(QStringLiteral("DRVEMU/HALFSTEP"));
    }

    // The file's marks replace whatever is marked (a reload after a restore).
    MarkManage::getInstance()->AllClear();
    MarkManage::getInstance()->LoadFromSettings();
    ui->WDT_EMU_FDIMAGESELECTOR->SetupMarkFolderList();

    KESTAconSettings& record = common()->Settings();
    record.m_mode = common()->GetSettingInt(QStringLiteral("MODE/NO"));
    record.m_currentFolderPolicy = common()->GetSettingInt(QStringLiteral("CURRENT_FOLDER/NO"));
    qCDebug(lcSettings) << QString::asprintf("->CURRENT FOLDER(LOAD)[%d]", record.m_currentFolderPolicy);
    // A relative folder would reach the tools as a relative path, or as an option.
    record.m_specifiedFolder = common()->GetSettingFolder(QStringLiteral("CURRENT_FOLDER/SPECIFIED_FOLDER_PATH"));
    record.m_lastAccessFolder = common()->GetSettingFolder(QStringLiteral("CURRENT_FOLDER/LASTACCESS_FOLDER_PATH"));
    record.m_overwrite = common()->GetSettingBool(QStringLiteral("OVERWRITE/OVERWRITE"));
    record.m_x68kOption = common()->GetSettingBool(QStringLiteral("DRVEMU/X68KOPT"));
    record.m_motorSignal = common()->GetSettingBool(QStringLiteral("DRVEMU/MTRSIGNAL"));

    restoreButton(ui->BTN_DRVEMU_MODE, QStringLiteral("DRVEMU/MODE"));
    restoreButton(ui->BTN_CONVERT_DISKNO, QStringLiteral("CONVERT/DISKNO"));
    restoreButton(ui->BTN_CONVERT_FORMAT, QStringLiteral("CONVERT/FORMAT"));
    restoreButton(ui->BTN_CONVERT_EXT, QStringLiteral("CONVERT/EXT"));
    ui->LEDT_MAKE_HVR_DISKNAME->setText(common()->GetSettingString(QStringLiteral("CONVERT/MAKEHVR")));
    restoreButton(ui->BTN_MAKE_HVR_TYPE, QStringLiteral("CONVERT/TYPE"));
    restoreButton(ui->BTN_MAKE_HVR_RPM, QStringLiteral("CONVERT/RPM"));
    restoreButton(ui->BTN_MAKE_HVR_PROTECT, QStringLiteral("CONVERT/PROTECT"));
    restoreButton(ui->BTN_RESTORE_DISKNO, QStringLiteral("RESTORE/DISKNO"));

    LoadPresetButtons();

    // Named parameter sets: the file's sets replace the stores' contents.
    const QList<QPair<ParameterSelector*, QString>> stores = {
        {ui->WDT_DUMP_PARAMETER_SELECTOR, ParameterManage::SLOT_DUMP},
        {ui->WDT_RESTORE_PARAMETER_SELECTOR, ParameterManage::SLOT_RESTORE},
        {ui->WDT_UNFORMAT_PARAMETER_SELECTOR, ParameterManage::SLOT_UNFORMAT}};
    for (const auto& store : stores) {
        ParameterManage* manage = store.first->getParameterManage();
        manage->AllClear();
        manage->LoadFromSettings(store.second);
        store.first->SetupParameterList();
    }
    qCDebug(lcSettings) << "LoadSettings END";
}

void MainWindow::on_settingsChanged_Setting()
{
    const KESTAconSettings& record = common()->Settings();
    common()->SetSettingString(QStringLiteral("CURRENT_FOLDER/LASTACCESS_FOLDER_PATH"), record.m_lastAccessFolder);
    common()->SetSettingString(KEY_VERSION, record.m_version);
}

void MainWindow::SaveSettings()
{
    // One write of the file for all of it.
    common()->BeginSettingsBatch();
    on_settingsChanged_Setting();
    on_settingsChanged_FolderMark();
    on_settingsChanged_Emulator();
    on_settingsChanged_Dump();
    on_settingsChanged_Restore();
    common()->EndSettingsBatch();
}

void MainWindow::InitializeSettings()
{
    common()->Settings().InitializeSettings();

    // The values a fresh installation shows.  The extension and the restore
    // disk number keep theirs.
    ui->BTN_DRVEMU_MODE->setCurrentText(MyCommon::MODE_NORMAL);
    ui->BTN_CONVERT_DISKNO->setCurrentText(QStringLiteral("1"));
    ui->BTN_CONVERT_FORMAT->setCurrentText(MyCommon::FORMAT_ENCODE);
    ui->LEDT_MAKE_HVR_DISKNAME->setText(QStringLiteral("BLANK IMAGE"));
    ui->BTN_MAKE_HVR_TYPE->setCurrentText(QStringLiteral("2D"));
    ui->BTN_MAKE_HVR_RPM->setCurrentText(QStringLiteral("300"));
    ui->BTN_MAKE_HVR_PROTECT->setCurrentText(QStringLiteral("on"));

    // Machine sets back on the preset buttons; the named sets go.
    ResetPresetButtons();

    MarkManage::getInstance()->AllClear();
    ui->WDT_EMU_FDIMAGESELECTOR->SetupMarkFolderList();

    SaveSettings();
}

void MainWindow::ShowNotice(const QString& title, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setStyleSheet(QStringLiteral("QPushButton{min-width:88px;min-height:44px}"));
    // Above a dialog that is open at the time, and answerable there.
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

// ---- settings dialog ------------------------------------------------------

void MainWindow::on_BTN_EMU_SETTING_clicked()
{
    if (common()->isInputGuard()) {
        qCDebug(lcUi) << "void MainWindow::on_BTN_EMU_SETTING_clicked()" << " INPUT GUARD!!";
        return;
    }
    SettingDialog dialog(this, this);
    dialog.exec();
}

void MainWindow::on_BTN_EMU_SETTING_2_clicked()
{
    on_BTN_EMU_SETTING_clicked();
}

// ---- exit and power -------------------------------------------------------

void MainWindow::on_BTN_EXIT_clicked()
{
    if (common()->isInputGuard()) {
        qCDebug(lcUi) << "void MainWindow::on_BTN_EXIT_clicked()" << " INPUT GUARD!!";
        return;
    }
    ExitDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    switch (dialog.GetExitKind()) {
    case ExitDialog::KIND_SHUTDOWN:
        Shutdown();
        break;
    case ExitDialog::KIND_REBOOT:
        Reboot();
        break;
    default:
        AppExit();
        break;
    }
}

void MainWindow::on_BTN_EXIT_EMU_clicked()
{
    on_BTN_EXIT_clicked();
}

void MainWindow::StopBeforeLeaving()
{
    if (common()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING)
        on_BTN_DRVEMU_STOP_clicked();
    // The start-up chain would otherwise start the poll again.
    for (int* id : {&m_startupTimer1Id, &m_startupTimer2Id, &m_pollTimerId}) {
        if (*id != -1) {
            killTimer(*id);
            *id = -1;
        }
    }
}

void MainWindow::AppExit()
{
    StopBeforeLeaving();
    close();
}

void MainWindow::Shutdown()
{
    StopBeforeLeaving();
    common()->LinuxCommand(QStringLiteral("shutdown -h now"));
    close();
}

void MainWindow::Reboot()
{
    StopBeforeLeaving();
    common()->LinuxCommand(QStringLiteral("reboot"));
    close();
}
