#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class SettingsOwner;

namespace Ui {
class SettingDialog;
}

// The settings of the controller: the folder the browsers open in, the
// operating mode, the dump overwrite policy, the start-up behaviour and the
// emulator signal options; and resetting, backing up and restoring the whole
// settings file.  OK writes the shown values, CANCEL writes nothing.  A reset
// and a restore reach the window through the owner it is handed.
class SettingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingDialog(QWidget* parent = nullptr, SettingsOwner* owner = nullptr);
    ~SettingDialog() override;

    // Path of a backup made now into folder: KESTAcon_yyyyMMddhhmmss.bak.
    static QString BackupPath(const QString& folder);
    // True when path is a regular readable INI file holding at least one
    // section of the controller's settings.
    static bool IsSettingsFile(const QString& path);
    // Whether two files hold the same bytes (false when either is unreadable).
    static bool SameContents(const QString& a, const QString& b);

public slots:
    void on_BTN_SET_OK_clicked();
    void on_BTN_SET_CANCEL_clicked();
    void on_RDO_SET_SPECIFIED_FOLDER_clicked(bool checked);
    void on_RDO_SET_LAST_FOLDER_clicked(bool checked);
    void on_RDO_SET_APPL_FOLDER_clicked(bool checked);
    void on_LEDT_SET_SPECIFIED_FOLDER_focused(const bool& focused);
    void on_BTN_SET_SPECIFIED_BROWSE_clicked();
    void on_BTN_SET_INITIALIZE_clicked();
    void on_BTN_SET_BACKUP_clicked();
    void on_BTN_SET_RESTORE_clicked();

    void displayVirtualKeyBoard(QLineEdit* field);

private:
    // Shows the run-time settings record on the controls.
    void ShowRecord();
    void UpdateSpecifiedFolderEnabling();

    Ui::SettingDialog* m_ui;
    SettingsOwner* m_owner = nullptr;
};
