#include "mytablewidget.h"
#include "qtcompat.h"

#include <QDropEvent>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QList>

// The handle keeps a finger's length however long the list grows.
const QString MyTableWidget::STYLE_SHEET = QStringLiteral(
    "QScrollBar:vertical {"
    " border: 1px solid #999999; background: white; width: 70px; margin: 0px 0px 0px 0px; }"
    "QScrollBar::handle:vertical {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0,"
    " stop: 0 rgb(32, 47, 130), stop: 0.5 rgb(32, 47, 130), stop: 1 rgb(32, 47, 130));"
    " min-height: 40px; }"
    "QScrollBar::add-line:vertical {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0,"
    " stop: 0 rgb(32, 47, 130), stop: 0.5 rgb(32, 47, 130), stop: 1 rgb(32, 47, 130));"
    " height: 0px; subcontrol-position: bottom; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:vertical {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0,"
    " stop: 0 rgb(32, 47, 130), stop: 0.5 rgb(32, 47, 130), stop: 1 rgb(32, 47, 130));"
    " height: 0px; subcontrol-position: top; subcontrol-origin: margin; }");

MyTableWidget::MyTableWidget(QWidget* parent) : QTableWidget(parent)
{
    setStyleSheet(STYLE_SHEET);
}

bool MyTableWidget::isOwnDrop(const QDropEvent* event) const
{
    return event->source() == this;
}

void MyTableWidget::dropEvent(QDropEvent* event)
{
    if (!isOwnDrop(event)) {
        event->ignore();
        return;
    }
    moveSelectedRowsTo(QtCompat::DropPoint(event));
    // The rows are already where they belong.  A drag that ends in a move
    // makes the view remove (or blank) whatever is selected then; reporting
    // a copy, or no action where the drag offers no copy, keeps it from
    // doing the move a second time.
    event->setDropAction(Qt::CopyAction);
    if (event->dropAction() != Qt::CopyAction)
        event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void MyTableWidget::moveSelectedRowsTo(const QPoint& pos)
{
    const QTableWidgetItem* target = itemAt(pos);
    const int targetRow = target ? target->row() : rowCount();

    const QList<QTableWidgetItem*> selected = selectedItems();
    const int columns = columnCount();
    // Only whole rows move: a part of a row would land on top of the cells
    // of an existing row and overwrite them.
    if (selected.isEmpty() || columns <= 0 || selected.count() % columns != 0)
        return;
    const int newRows = selected.count() / columns;
    for (int i = 0; i < newRows; ++i)
        insertRow(targetRow);

    // The new rows sit at the target; the selected items, wherever the
    // insertion pushed them, are taken out one by one and put into them, a
    // new destination row for every new source row.
    QList<int> sourceRows;
    QList<QTableWidgetItem*> moved;
    int destination = targetRow - 1;
    int previousRow = -1;
    for (QTableWidgetItem* item : selected) {
        const int column = item->column();
        const int row = item->row();
        if (row != previousRow) {
            sourceRows.append(row);
            previousRow = row;
            ++destination;
        }
        QTableWidgetItem* taken = takeItem(row, column);
        setItem(destination, column, taken);
        moved.append(taken);
    }

    for (int i = sourceRows.count() - 1; i >= 0; --i)
        removeRow(sourceRows.at(i));

    // The selection stays with the rows that moved, not with whatever row
    // slid into a source row's place.
    QItemSelection selection;
    for (const QTableWidgetItem* item : moved) {
        const QModelIndex index = indexFromItem(item);
        selection.select(index, index);
    }
    selectionModel()->setCurrentIndex(indexFromItem(moved.first()), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}
