#include "dumpsettingdialog.h"
#include "ui_dumpsettingdialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QTableWidgetItem>
#include <QVariant>

#include "mycommon.h"
#include "mykeyboard.h"
#include "mytablewidget.h"
#include "operationpanels.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"

DumpSettingDialog::DumpSettingDialog(QWidget* parent, int mode)
    : QDialog(parent), ui(new Ui::DumpSettingDialog), m_mode(mode),
      m_selector(qobject_cast<ParameterSelector*>(parent))
{
    // The table takes no keyboard focus (see the form): a focused table makes
    // its first row current, and ADD would then go below a row nobody chose.
    ui->setupUi(this);
    ui->LEDT_PARAMETER_NAME->setEnabled(false);
    ui->TBLW_PARAMETER_NAMELIST->setColumnCount(1);
    ui->TBLW_PARAMETER_NAMELIST->setHorizontalHeaderLabels({QStringLiteral("Parameter Name")});
    ui->TBLW_PARAMETER_NAMELIST->setColumnWidth(0, 240);

    if (m_selector) {
        m_parameterHash = m_selector->getParameterManage()->GetParameterHash();
        for (int i = 0; i < m_parameterHash->size(); ++i) {
            const ParameterSet* set = m_parameterHash->value(QString::number(i));
            if (!set)
                continue;
            const int row = ui->TBLW_PARAMETER_NAMELIST->rowCount();
            ui->TBLW_PARAMETER_NAMELIST->insertRow(row);
            ui->TBLW_PARAMETER_NAMELIST->setItem(row, 0, MakeItem(set->Name(), *set));
        }
        // The map only; the sets belong to the store.
        delete m_parameterHash;
        m_parameterHash = nullptr;
    }
    updateButtonState();
}

DumpSettingDialog::~DumpSettingDialog()
{
    delete ui;
}

QTableWidgetItem* DumpSettingDialog::MakeItem(const QString& name, const ParameterSet& set)
{
    auto* item = new QTableWidgetItem(name);
    item->setData(Qt::UserRole, set.ToTextForm());
    return item;
}

void DumpSettingDialog::updateButtonState()
{
    const int rows = ui->TBLW_PARAMETER_NAMELIST->rowCount();
    ui->BTN_PARAMETER_ITEM_ADD->setEnabled(rows < MAX_ROWS);
    ui->BTN_PARAMETER_ITEM_DELETE->setEnabled(rows > 0);
}

void DumpSettingDialog::on_TBLW_PARAMETER_NAMELIST_currentItemChanged(QTableWidgetItem* current,
                                                                     QTableWidgetItem* previous)
{
    Q_UNUSED(previous);
    if (current) {
        ui->LEDT_PARAMETER_NAME->setText(current->text());
        ui->LEDT_PARAMETER_NAME->setEnabled(true);
    } else {
        ui->LEDT_PARAMETER_NAME->clear();
        ui->LEDT_PARAMETER_NAME->setEnabled(false);
    }
}

void DumpSettingDialog::on_LEDT_PARAMETER_NAME_textChanged(const QString& text)
{
    QTableWidgetItem* item = ui->TBLW_PARAMETER_NAMELIST->currentItem();
    if (item)
        item->setText(text);
}

void DumpSettingDialog::on_LEDT_PARAMETER_NAME_focused(const bool& focused)
{
    if (focused)
        displayVirtualKeyBoard(ui->LEDT_PARAMETER_NAME);
}

void DumpSettingDialog::displayVirtualKeyBoard(QLineEdit* field)
{
    MyKeyboard::ConfirmAndEditField(field, field, this, 1, 255);
}

ParameterSet* DumpSettingDialog::TakePanelSnapshot()
{
    OperationPanels* panels = m_selector ? m_selector->Panels() : nullptr;
    ParameterSet* snapshot = panels ? panels->GetButtonParameters(m_mode) : nullptr;
    return snapshot ? snapshot : new ParameterSet;
}

void DumpSettingDialog::on_BTN_PARAMETER_ITEM_ADD_clicked()
{
    MyTableWidget* table = ui->TBLW_PARAMETER_NAMELIST;
    if (table->rowCount() >= MAX_ROWS) {
        updateButtonState();
        return;
    }
    const int current = table->currentRow();
    const QString name = QString::asprintf("NAME%d", current + 2);
    ParameterSet* snapshot = TakePanelSnapshot();
    snapshot->SetName(name);
    const int row = current + 1;
    table->insertRow(row);
    table->setItem(row, 0, MakeItem(name, *snapshot));
    delete snapshot;
    table->selectRow(row);
    table->setCurrentCell(row, 0);
    updateButtonState();
}

void DumpSettingDialog::on_BTN_PARAMETER_ITEM_DELETE_clicked()
{
    MyTableWidget* table = ui->TBLW_PARAMETER_NAMELIST;
    const int row = table->currentRow();
    if (row >= 0) {
        const auto answer = QMessageBox::question(this, QStringLiteral("Delete confirmation."),
                                                  QStringLiteral("Are you sure to want to Delete?"),
                                                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer == QMessageBox::Ok)
            table->removeRow(row);
    }
    updateButtonState();
}

void DumpSettingDialog::on_BTN_PARAMETER_SETTING_OK_clicked()
{
    QProgressDialog progress(MyCommon::LABEL_SAVING, QString(), 0, 100, this);
    progress.setCancelButton(nullptr);
    progress.setStyleSheet(MyCommon::PROGRESS_STYLE);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    progress.show();
    QCoreApplication::processEvents();

    ui->LEDT_PARAMETER_NAME->setEnabled(false);
    if (m_selector) {
        ParameterManage* store = m_selector->getParameterManage();
        store->AllClear();
        MyTableWidget* table = ui->TBLW_PARAMETER_NAMELIST;
        const int rows = table->rowCount();
        for (int i = 0; i < rows; ++i) {
            const QTableWidgetItem* item = table->item(i, 0);
            if (!item)
                continue;
            // The shown name is the one stored: a row whose set came without
            // a name but was given one keeps its parameters.
            const QString name = item->text();
            if (name.isEmpty()) {
                MyCommon::SystemError(QStringLiteral("on_BTN_DUMP_SETTING_OK_clicked : name is nothing."));
            } else {
                ParameterSet* set = ParameterSet::FromTextForm(item->data(Qt::UserRole).toStringList());
                set->SetName(name);
                store->Insert(set);
            }
            progress.setValue(i * (100 / rows));
            QCoreApplication::processEvents();
        }
    }
    progress.setValue(100);
    QCoreApplication::processEvents();
    progress.close();
    accept();
}

void DumpSettingDialog::on_BTN_PARAMETER_SETTING_CANCEL_clicked()
{
    reject();
}
