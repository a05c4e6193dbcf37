#include "completedialog.h"
#include "ui_completedialog.h"

CompleteDialog::CompleteDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::CompleteDialog)
{
    m_ui->setupUi(this);
}

CompleteDialog::~CompleteDialog()
{
    delete m_ui;
}

void CompleteDialog::on_BTN_COMPLETE_OK_clicked()
{
    accept();
}
