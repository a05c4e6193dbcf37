#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

#include "mytablewidget.h"

// Row moves by dragging.  The toolkit tells a drop's source only while a real
// drag runs, and the offscreen platform runs none, so the table under test
// says itself whether a drop is its own; everything after that is the
// shipped code, reached through the drop event.

namespace {

class DropTable : public MyTableWidget
{
public:
    using MyTableWidget::MyTableWidget;
    bool ownDrag = true;

    // Drops pos as the end of a drag of the current selection; returns the
    // event's accepted state and action.
    QPair<bool, Qt::DropAction> dropAt(const QPoint& pos)
    {
        QModelIndexList indexes;
        for (QTableWidgetItem* item : selectedItems())
            indexes << indexFromItem(item);
        QScopedPointer<QMimeData> data(model()->mimeData(indexes));
        // The actions a table's own drag offers.
        QDropEvent event(pos, Qt::CopyAction | Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        dropEvent(&event);
        return {event.isAccepted(), event.dropAction()};
    }

protected:
    bool isOwnDrop(const QDropEvent*) const override { return ownDrag; }
};

// The set-up the parameter-set dialog gives its list.
void configureLikeOwner(QTableWidget* table)
{
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setDragEnabled(true);
    table->setAcceptDrops(true);
    table->setDragDropMode(QAbstractItemView::InternalMove);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

// Rows "1".."rows"; a second column holds "a1".."a<rows>".
void fill(QTableWidget* table, int rows, int columns)
{
    table->setColumnCount(columns);
    table->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        table->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        if (columns > 1)
            table->setItem(row, 1, new QTableWidgetItem(QStringLiteral("a%1").arg(row + 1)));
    }
}

QStringList column(const QTableWidget* table, int col)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* item = table->item(row, col);
        texts << (item ? item->text() : QStringLiteral("<none>"));
    }
    return texts;
}

// Where a drop lands: on the row's middle, or below the last row.
QPoint dropPoint(const QTableWidget* table, int row)
{
    if (row >= 0)
        return table->visualItemRect(table->item(row, 0)).center();
    const QRect last = table->visualItemRect(table->item(table->rowCount() - 1, 0));
    return QPoint(last.center().x(), last.bottom() + 20);
}

} // namespace

class TestMyTableWidget : public QObject
{
    Q_OBJECT

private slots:
    void wideScrollBar()
    {
        MyTableWidget table;
        QCOMPARE(table.styleSheet(), MyTableWidget::STYLE_SHEET);
        fill(&table, 40, 1);
        table.resize(240, 231);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QVERIFY(table.verticalScrollBar()->isVisible());
        QCOMPARE(table.verticalScrollBar()->width(), 70);
        // No arrow areas: at the top the handle starts at the very top.
        table.verticalScrollBar()->setValue(0);
        const QImage image = table.verticalScrollBar()->grab().toImage();
        QCOMPARE(image.pixelColor(35, 3), QColor(32, 47, 130));
    }

    void rowMove_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("target"); // -1: below the last row
        QTest::addColumn<bool>("own");   // false: a drop from elsewhere
        QTest::addColumn<QStringList>("order");

        // Row indices count from 0; the texts name the rows from 1.
        QTest::newRow("third onto first") << 1 << 2 << 0 << true << QStringList{"3", "1", "2", "4"};
        QTest::newRow("third onto second") << 1 << 2 << 1 << true << QStringList{"1", "3", "2", "4"};
        QTest::newRow("third below the last") << 1 << 2 << -1 << true << QStringList{"1", "2", "4", "3"};
        QTest::newRow("first onto last") << 1 << 0 << 3 << true << QStringList{"2", "3", "1", "4"};
        QTest::newRow("onto itself") << 1 << 1 << 1 << true << QStringList{"1", "2", "3", "4"};
        QTest::newRow("two columns move together") << 2 << 2 << 1 << true << QStringList{"1", "3", "2", "4"};
        QTest::newRow("foreign drop onto a row") << 1 << 2 << 0 << false << QStringList{"1", "2", "3", "4"};
        QTest::newRow("foreign drop below the last") << 1 << 2 << -1 << false << QStringList{"1", "2", "3", "4"};
    }

    void rowMove()
    {
        QFETCH(int, columns);
        QFETCH(int, dragged);
        QFETCH(int, target);
        QFETCH(bool, own);
        QFETCH(QStringList, order);

        DropTable table;
        table.ownDrag = own;
        configureLikeOwner(&table);
        fill(&table, 4, columns);
        table.resize(300, 400);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.selectRow(dragged);
        QTableWidgetItem* moved = table.item(dragged, 0);

        const auto result = table.dropAt(dropPoint(&table, target));
        QCOMPARE(result.first, own);
        // A move already done here must not be done again by the dragging view.
        QVERIFY(result.second != Qt::MoveAction || !own);
        QCOMPARE(column(&table, 0), order);
        if (columns > 1)
            QCOMPARE(column(&table, 1), QStringList(order).replaceInStrings(QRegularExpression("^"), "a"));
        // The item itself travelled and stays the selected one.
        QCOMPARE(table.item(order.indexOf(QString::number(dragged + 1)), 0), moved);
        QCOMPARE(table.selectedItems().count(), columns);
        QCOMPARE(table.currentRow(), moved->row());
    }

    // A selection that covers part of a row would overwrite another row's cells.
    void partialRowSelectionMovesNothing()
    {
        DropTable table;
        table.setSelectionMode(QAbstractItemView::SingleSelection);
        table.setSelectionBehavior(QAbstractItemView::SelectItems);
        fill(&table, 4, 2);
        table.resize(300, 400);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.setCurrentCell(2, 1);
        QCOMPARE(table.selectedItems().count(), 1);
        table.dropAt(dropPoint(&table, 0));
        QCOMPARE(column(&table, 0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(column(&table, 1), (QStringList{"a1", "a2", "a3", "a4"}));
    }

    // The real source check: a drop whose drag is not the table's own (here one
    // without any running drag, as from another program) is let in where the
    // view allows it, and still moves nothing.
    void foreignDragNeverGetsIn()
    {
        MyTableWidget table;
        configureLikeOwner(&table);
        table.setDragDropMode(QAbstractItemView::DragDrop);
        fill(&table, 4, 1);
        table.resize(300, 400);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.selectRow(2);

        QScopedPointer<QMimeData> data(table.model()->mimeData({table.model()->index(2, 0)}));
        const QPoint pos = dropPoint(&table, 0);
        QDragEnterEvent enter(pos, Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(pos, Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(column(&table, 0), (QStringList{"1", "2", "3", "4"}));

        // In the owners' internal-move mode such a drag is not even let in.
        table.setDragDropMode(QAbstractItemView::InternalMove);
        QDragEnterEvent again(pos, Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &again);
        QVERIFY(!again.isAccepted());
        QCOMPARE(column(&table, 0), (QStringList{"1", "2", "3", "4"}));
    }
};

QTEST_MAIN(TestMyTableWidget)
#include "tst_mytablewidget.moc"
