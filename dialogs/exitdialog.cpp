#include "exitdialog.h"
#include "ui_exitdialog.h"

ExitDialog::ExitDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::ExitDialog)
{
    m_ui->setupUi(this);
}

ExitDialog::~ExitDialog()
{
    delete m_ui;
}

void ExitDialog::on_BTN_APP_EXIT_clicked()
{
    m_exitKind = KIND_APP_EXIT;
    accept();
}

void ExitDialog::on_BTN_LINUX_SHUTDOWN_clicked()
{
    m_exitKind = KIND_SHUTDOWN;
    accept();
}

void ExitDialog::on_BTN_LINUX_REBOOT_clicked()
{
    m_exitKind = KIND_REBOOT;
    accept();
}

void ExitDialog::on_BTN_EXIT_CANCEL_clicked()
{
    reject();
}
