#include <QtTest>

#include "table.h"
#include <QtWidgets>

#include "mylineedit.h"
#include "mytablewidget.h"

// Offscreen there is no real drag, so the table under test says itself that a drop is its own.

namespace {

class DropTable : public MyTableWidget
{
public:
    // Drops the current selection on the middle of a row, or (row -1) below the last row.
    QPair<bool, Qt::DropAction> dropAt(int row)
    {
        const QRect rect = visualItemRect(item(row < 0 ? rowCount() - 1 : row, 0));
        const QPoint pos = row < 0 ? QPoint(rect.center().x(), rect.bottom() + 20) : rect.center();
        QScopedPointer<QMimeData> data(model()->mimeData(selectedIndexes()));
        QDropEvent event(pos, Qt::CopyAction | Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        dropEvent(&event);
        return {event.isAccepted(), event.dropAction()};
    }

protected:
    bool isOwnDrop(const QDropEvent*) const override { return true; }
};

// Rows "1".."4" in a table set up as the parameter-set dialog sets up its list;
// a second column holds "a1".."a4".
void setUp(QTableWidget* table, int columns, bool wholeRows = true)
{
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(wholeRows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    table->setDragDropMode(QAbstractItemView::InternalMove);
    table->setColumnCount(columns);
    table->setRowCount(4);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < columns; ++col)
            table->setItem(row, col, new QTableWidgetItem(QString(col ? "a%1" : "%1").arg(row + 1)));
    table->resize(300, 400);
    table->show();
}

QStringList column(const QTableWidget* table, int col)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << (table->item(row, col) ? table->item(row, col)->text() : QString("<none>"));
    return texts;
}

const QStringList UNCHANGED{"1", "2", "3", "4"};

QMimeData* mime(const QList<QUrl>& urls, const QString& text = QString())
{
    auto* data = new QMimeData;
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!text.isNull())
        data->setText(text);
    return data;
}

} // namespace

Q_DECLARE_METATYPE(QMimeData*)

class TestTouchWidgets : public QObject
{
    Q_OBJECT

private slots:
    void drops_data()
    {
        addColumns<QMimeData*, QStringList>("data", "emitted");
        QTest::newRow("text with file://") << mime({}, "file:///home/pi/a.HVR") << QStringList{"/home/pi/a.HVR"};
        QTest::newRow("URL list, one emission each")
            << mime({QUrl::fromLocalFile("/home/pi/1.HVR"), QUrl::fromLocalFile("/home/pi/dir")})
            << QStringList{"/home/pi/1.HVR", "/home/pi/dir"};
        QTest::newRow("URLs win over their text")
            << mime({QUrl::fromLocalFile("/home/pi/a b.HVR")}, "file:///home/pi/a%20b.HVR")
            << QStringList{"/home/pi/a b.HVR"};
        QTest::newRow("remote URLs skipped")
            << mime({QUrl("https://example.invalid/x.HVR"), QUrl::fromLocalFile("/home/pi/y.HVR")})
            << QStringList{"/home/pi/y.HVR"};
        // Without a local file a URL list goes the text way.
        QTest::newRow("only remote URLs")
            << mime({QUrl("https://example.invalid/x.HVR")}) << QStringList{"https://example.invalid/x.HVR"};
        auto* image = new QMimeData;
        image->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
        QTest::newRow("neither text nor files") << image << QStringList{};
    }

    void drops()
    {
        QFETCH(QMimeData*, data);
        QFETCH(QStringList, emitted);
        QScopedPointer<QMimeData> owner(data);
        MyLineEdit field;
        field.setText(QStringLiteral("keep me"));
        QSignalSpy spy(&field, &MyLineEdit::fileDroped);
        // As the window system delivers them: a drop only reaches the widget that took the drag in.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&field, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&field, &drop);
        QCOMPARE(drop.isAccepted(), !emitted.isEmpty());
        QStringList got;
        for (const QList<QVariant>& args : spy)
            got << args.at(0).toString();
        QCOMPARE(got, emitted);
        QCOMPARE(field.text(), QStringLiteral("keep me"));
    }

    // A part of a row (a single cell) would land on another row's cells and overwrite them: nothing moves.
    void rowMove_data()
    {
        addColumns<int, int, int, QStringList>("columns", "dragged", "target", "order"); // target -1: below the last
        QTest::newRow("up onto the first") << 1 << 2 << 0 << QStringList{"3", "1", "2", "4"};
        QTest::newRow("below the last") << 1 << 2 << -1 << QStringList{"1", "2", "4", "3"};
        QTest::newRow("two columns move together") << 2 << 2 << 1 << QStringList{"1", "3", "2", "4"};
        QTest::newRow("one cell of a row") << -2 << 2 << 0 << UNCHANGED;
    }

    void rowMove()
    {
        QFETCH(int, columns);
        QFETCH(int, dragged);
        QFETCH(QStringList, order);
        DropTable table;
        setUp(&table, qAbs(columns), columns > 0);
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        columns > 0 ? table.selectRow(dragged) : table.setCurrentCell(dragged, 1);
        QTableWidgetItem* moved = table.item(dragged, 0);
        const auto result = table.dropAt(row<int>("target"));
        QCOMPARE(column(&table, 0), order);
        if (columns != 1)
            QCOMPARE(column(&table, 1), QStringList(order).replaceInStrings(QRegularExpression("^"), "a"));
        if (columns < 0)
            return;
        QVERIFY(result.first);
        // A move done here must not be done a second time by the dragging view.
        QVERIFY(result.second != Qt::MoveAction);
        // The item itself travelled and stays the selected one.
        QCOMPARE(table.item(order.indexOf(QString::number(dragged + 1)), 0), moved);
        QCOMPARE(table.selectedItems().count(), columns);
        QCOMPARE(table.currentRow(), moved->row());
    }

    // The real source check: a drop from elsewhere is let in, but refused and moves nothing.
    void foreignDropRefused()
    {
        MyTableWidget table;
        setUp(&table, 1);
        table.setDragDropMode(QAbstractItemView::DragDrop);
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.selectRow(2);
        QScopedPointer<QMimeData> data(table.model()->mimeData({table.model()->index(2, 0)}));
        const QPoint pos = table.visualItemRect(table.item(0, 0)).center();
        QDragEnterEvent enter(pos, Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(pos, Qt::MoveAction, data.data(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(column(&table, 0), UNCHANGED);
    }
};

QTEST_MAIN(TestTouchWidgets)
#include "tst_touchwidgets.moc"
