#pragma once

#include <QDialog>

namespace Ui {
class ExitDialog;
}

// Asks how to leave: the application, a system shutdown or a reboot.
// Accepted with the chosen kind, rejected by CANCEL.
class ExitDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int KIND_APP_EXIT = 0;
    static constexpr int KIND_SHUTDOWN = 1;
    static constexpr int KIND_REBOOT = 2;

    explicit ExitDialog(QWidget* parent = nullptr);
    ~ExitDialog() override;

    int GetExitKind() const { return m_exitKind; }

public slots:
    void on_BTN_APP_EXIT_clicked();
    void on_BTN_LINUX_SHUTDOWN_clicked();
    void on_BTN_LINUX_REBOOT_clicked();
    void on_BTN_EXIT_CANCEL_clicked();

private:
    Ui::ExitDialog* m_ui;
    int m_exitKind = KIND_APP_EXIT;
};
