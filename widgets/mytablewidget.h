#pragma once

#include <QTableWidget>

class QDropEvent;

// A table for the touch screen: a very wide vertical scroll bar, and rows that
// the user reorders by dragging them inside the table.
class MyTableWidget : public QTableWidget
{
    Q_OBJECT
public:
    explicit MyTableWidget(QWidget* parent = nullptr);

    // Moves the selected rows to the row under pos (viewport coordinates);
    // below the last row they go to the end.  This is what a drop of the
    // table's own drag does; it is public so that callers and tests can move
    // rows without a running drag.
    void moveSelectedRowsTo(const QPoint& pos);

    static const QString STYLE_SHEET;

protected:
    void dropEvent(QDropEvent* event) override;
    // Whether a drop comes from this table's own drag.  The toolkit knows a
    // drag's source only while a real drag runs, which an offscreen test
    // cannot start; a test table answers for itself here.
    virtual bool isOwnDrop(const QDropEvent* event) const;
};
