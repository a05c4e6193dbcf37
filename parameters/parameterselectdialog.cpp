#include "parameterselectdialog.h"
#include "ui_parameterselectdialog.h"

#include <QScroller>
#include <QShowEvent>
#include <QTableWidgetItem>

#include "myparameterbutton.h"

ParameterSelectDialog::ParameterSelectDialog(QWidget* parent) : QDialog(parent), ui(new Ui::ParameterSelectDialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Popup);

    const auto* button = qobject_cast<const MyParameterButton*>(parent);
    QStringList items;
    int current = -1;
    if (button) {
        ui->LEDT_PARAMETER_NAME->setText(button->getTitle());
        items = button->getItemList();
        current = items.indexOf(button->text());
    }
    ui->LEDT_PARAMETER_NAME->setEnabled(false);

    QTableWidget* table = ui->TBLW_PARAMETER_NAMELIST;
    table->setRowCount(items.count());
    for (int row = 0; row < items.count(); ++row) {
        auto* item = new QTableWidgetItem(items.at(row));
        item->setData(Qt::UserRole, items.at(row));
        table->setItem(row, 0, item);
    }
    if (current >= 0)
        table->selectRow(current);

    // A swipe scrolls the list, a tap picks a row.  The scroller holds a
    // press back until it knows the finger does not move, so a swipe never
    // reaches the rows and leaves the selection alone.
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QScroller::grabGesture(table->viewport(), QScroller::LeftMouseButtonGesture);
}

ParameterSelectDialog::~ParameterSelectDialog()
{
    delete ui;
}

QString ParameterSelectDialog::getSelectedItemText() const
{
    return m_selectedItemText;
}

void ParameterSelectDialog::setSelectedItemText(const QString& text)
{
    m_selectedItemText = text;
    m_selectedRow = -1;
}

void ParameterSelectDialog::on_TBLW_PARAMETER_NAMELIST_itemClicked(QTableWidgetItem* item)
{
    if (!item)
        return;
    m_selectedItemText = item->text();
    m_selectedRow = item->row();
    accept();
}

void ParameterSelectDialog::on_BTN_PARAMETER_SETTING_CANCEL_clicked()
{
    reject();
}

// Long lists (eighty-odd cylinders) open with the current value in view;
// the rows' geometry is only known once the dialog is laid out for showing.
void ParameterSelectDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const QList<QTableWidgetItem*> selected = ui->TBLW_PARAMETER_NAMELIST->selectedItems();
    if (!selected.isEmpty())
        ui->TBLW_PARAMETER_NAMELIST->scrollToItem(selected.first(), QAbstractItemView::PositionAtCenter);
}
