#include "settingdialog.h"
#include "qtcompat.h"
#include "ui_settingdialog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>

#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "kestalog.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "settingsowner.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

// The sections a settings file of this program may hold.
const QStringList& KNOWN_SECTIONS = MyCommon::SETTINGS_SECTIONS;

} // namespace

SettingDialog::SettingDialog(QWidget* parent, SettingsOwner* owner)
    : QDialog(parent), m_ui(new Ui::SettingDialog), m_owner(owner)
{
    m_ui->setupUi(this);
    ShowRecord();
}

SettingDialog::~SettingDialog()
{
    delete m_ui;
}

void SettingDialog::ShowRecord()
{
    const KESTAconSettings& record = common()->Settings();
    if (record.m_mode == 0)
        m_ui->RDO_SET_MODE_EASY->setChecked(true);
    else if (record.m_mode == 1)
        m_ui->RDO_SET_MODE_EXPERT->setChecked(true);
    switch (record.m_currentFolderPolicy) {
    case KESTAconSettings::FOLDER_LAST_ACCESS:
        m_ui->RDO_SET_LAST_FOLDER->setChecked(true);
        break;
    case KESTAconSettings::FOLDER_APPLICATION:
        m_ui->RDO_SET_APPL_FOLDER->setChecked(true);
        break;
    case KESTAconSettings::FOLDER_SPECIFIED:
        m_ui->RDO_SET_SPECIFIED_FOLDER->setChecked(true);
        break;
    default:
        break;
    }
    m_ui->LEDT_SET_SPECIFIED_FOLDER->setText(record.m_specifiedFolder);
    (record.m_overwrite ? m_ui->RDO_SET_OVERWRITE : m_ui->RDO_SET_FOLLOW_KESTA)->setChecked(true);
    (record.m_startup ? m_ui->RDO_SET_STARTUP_AUTOSTART : m_ui->RDO_SET_STARTUP_NONE)->setChecked(true);
    m_ui->CHK_SET_USE_X68OPT->setChecked(record.m_x68kOption);
    m_ui->CHK_SET_USE_MOTOR->setChecked(record.m_motorSignal);
    UpdateSpecifiedFolderEnabling();
}

void SettingDialog::UpdateSpecifiedFolderEnabling()
{
    const bool specified = m_ui->RDO_SET_SPECIFIED_FOLDER->isChecked();
    m_ui->LEDT_SET_SPECIFIED_FOLDER->setEnabled(specified);
    m_ui->BTN_SET_SPECIFIED_BROWSE->setEnabled(specified);
}

void SettingDialog::on_RDO_SET_SPECIFIED_FOLDER_clicked(bool)
{
    UpdateSpecifiedFolderEnabling();
}

void SettingDialog::on_RDO_SET_LAST_FOLDER_clicked(bool)
{
    UpdateSpecifiedFolderEnabling();
}

void SettingDialog::on_RDO_SET_APPL_FOLDER_clicked(bool)
{
    UpdateSpecifiedFolderEnabling();
}

// ---- text entry -----------------------------------------------------------

void SettingDialog::on_LEDT_SET_SPECIFIED_FOLDER_focused(const bool& focused)
{
    if (focused)
        displayVirtualKeyBoard(m_ui->LEDT_SET_SPECIFIED_FOLDER);
}

void SettingDialog::displayVirtualKeyBoard(QLineEdit* field)
{
    MyKeyboard::ConfirmAndEditField(this, field, this);
}

void SettingDialog::on_BTN_SET_SPECIFIED_BROWSE_clicked()
{
    // The file chooser: a file picked stands for the folder it lies in.
    FDImageSelectorDialog dialog(this);
    dialog.SetFullPath(m_ui->LEDT_SET_SPECIFIED_FOLDER->text());
    if (dialog.exec() == QDialog::Accepted)
        m_ui->LEDT_SET_SPECIFIED_FOLDER->setText(dialog.GetFolderPath());
}

// ---- OK and CANCEL --------------------------------------------------------

void SettingDialog::on_BTN_SET_OK_clicked()
{
    QProgressDialog progress(MyCommon::LABEL_SAVING, QString(), 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setStyleSheet(MyCommon::PROGRESS_STYLE);
    progress.setMinimumDuration(0);
    auto step = [&progress](int value) {
        progress.setValue(value);
        QCoreApplication::processEvents();
    };

    KESTAconSettings& record = common()->Settings();
    step(10);
    if (m_ui->RDO_SET_MODE_EASY->isChecked())
        record.m_mode = 0;
    else if (m_ui->RDO_SET_MODE_EXPERT->isChecked())
        record.m_mode = 1;
    common()->SetSettingInt(QStringLiteral("MODE/NO"), record.m_mode);

    step(20);
    if (m_ui->RDO_SET_LAST_FOLDER->isChecked())
        record.m_currentFolderPolicy = KESTAconSettings::FOLDER_LAST_ACCESS;
    else if (m_ui->RDO_SET_APPL_FOLDER->isChecked())
        record.m_currentFolderPolicy = KESTAconSettings::FOLDER_APPLICATION;
    else if (m_ui->RDO_SET_SPECIFIED_FOLDER->isChecked())
        record.m_currentFolderPolicy = KESTAconSettings::FOLDER_SPECIFIED;
    common()->SetSettingInt(QStringLiteral("CURRENT_FOLDER/NO"), record.m_currentFolderPolicy);

    step(30);
    qCDebug(lcSettings) << QString::asprintf("->CURRENT FOLDER[%d]", record.m_currentFolderPolicy);
    record.m_specifiedFolder = m_ui->LEDT_SET_SPECIFIED_FOLDER->text();

    step(50);
    common()->SetSettingString(QStringLiteral("CURRENT_FOLDER/SPECIFIED_FOLDER_PATH"), record.m_specifiedFolder);

    step(70);
    record.m_overwrite = m_ui->RDO_SET_OVERWRITE->isChecked();

    step(90);
    common()->SetSettingBool(QStringLiteral("OVERWRITE/OVERWRITE"), record.m_overwrite);
    if (m_ui->RDO_SET_STARTUP_NONE->isChecked())
        record.m_startup = false;
    else if (m_ui->RDO_SET_STARTUP_AUTOSTART->isChecked())
        record.m_startup = true;
    common()->SetSettingBool(QStringLiteral("STARTUP/STARTUP"), record.m_startup);
    record.m_x68kOption = m_ui->CHK_SET_USE_X68OPT->isChecked();
    common()->SetSettingBool(QStringLiteral("DRVEMU/X68KOPT"), record.m_x68kOption);
    record.m_motorSignal = m_ui->CHK_SET_USE_MOTOR->isChecked();
    common()->SetSettingBool(QStringLiteral("DRVEMU/MTRSIGNAL"), record.m_motorSignal);

    step(100);
    accept();
}

void SettingDialog::on_BTN_SET_CANCEL_clicked()
{
    reject();
}

// ---- the whole settings file ----------------------------------------------

void SettingDialog::on_BTN_SET_INITIALIZE_clicked()
{
    const auto answer = QMessageBox::question(this, QStringLiteral("Confirmation."),
                                              QStringLiteral("Reset all settings to their default values. Is it OK?"),
                                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    if (m_owner)
        m_owner->InitializeSettings();
    // OK now stores the defaults rather than what was shown before.
    ShowRecord();
}

QString SettingDialog::BackupPath(const QString& folder)
{
    const QDateTime now = QDateTime::currentDateTime();
    return folder + QLatin1Char('/') + QFileInfo(MyCommon::SETTINGS_FILE_NAME).completeBaseName() +
           QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMdd")) + now.toString(QStringLiteral("hhmmss")) +
           QStringLiteral(".bak");
}

void SettingDialog::on_BTN_SET_BACKUP_clicked()
{
    FDImageSelectorDialog dialog(this);
    dialog.SetFullPath(common()->Settings().m_lastAccessFolder);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Two arguments, so that blanks in the paths do no harm.
    const QString source = MyCommon::GetApplicationInifilePath();
    const QString target = BackupPath(dialog.GetFolderPath());
    common()->Execute(QStringLiteral("cp"), {source, target});
    // cp's word is not enough: the copy must hold what the file holds.
    if (SameContents(source, target))
        QMessageBox::information(this, QStringLiteral("information."),
                                 QStringLiteral("The settings were backed up to\n") + target);
    else
        QMessageBox::warning(this, QStringLiteral("Warning."),
                             QStringLiteral("The settings could not be backed up to\n") + target);
}

bool SettingDialog::SameContents(const QString& a, const QString& b)
{
    QFile first(a), second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    return first.readAll() == second.readAll();
}

bool SettingDialog::IsSettingsFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return false;
    QSettings probe(path, QSettings::IniFormat);
    QtCompat::UseUtf8(probe);
    const QStringList sections = probe.childGroups();
    if (probe.status() != QSettings::NoError)
        return false;
    for (const QString& section : sections) {
        if (KNOWN_SECTIONS.contains(section))
            return true;
    }
    return false;
}

void SettingDialog::on_BTN_SET_RESTORE_clicked()
{
    FDImageSelectorDialog dialog(this);
    dialog.SetFullPath(common()->Settings().m_lastAccessFolder);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString source = dialog.GetFullPath();
    if (!IsSettingsFile(source)) {
        qCDebug(lcSettings) << "Restore refused:" << source;
        QMessageBox::warning(this, QStringLiteral("Warning."),
                             QStringLiteral("The selected file is not a settings file.\n"
                                            "The current settings are kept."));
        return;
    }
    const QString settingsPath = MyCommon::GetApplicationInifilePath();
    common()->Execute(QStringLiteral("cp"), {source, settingsPath});
    if (!SameContents(source, settingsPath)) {
        qCWarning(lcSettings) << "restore: the copy of" << source << "to" << settingsPath << "failed";
        QMessageBox::warning(this, QStringLiteral("Warning."),
                             QStringLiteral("The settings could not be restored from\n%1\n"
                                            "The current settings are kept.").arg(source));
        return;
    }

    common()->DeleteSettingInstance();
    common()->OpenSettingInstance(settingsPath);
    if (m_owner)
        m_owner->LoadSettings();
    // OK now stores the restored values rather than what was shown before.
    ShowRecord();
}
