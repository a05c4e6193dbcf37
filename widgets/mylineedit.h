#pragma once

#include <QLineEdit>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFocusEvent;

// A text field for the touch screen.  It tells its owner when it gains or
// loses focus, so that the owner can open the on-screen keyboard, and it turns
// a dropped file into a plain path instead of pasting the drop into itself.
class MyLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MyLineEdit(QWidget* parent = nullptr);

signals:
    void focused(bool);
    // Emitted once per dropped file with its plain local path.  The field's
    // own text is never changed by a drop; the owner decides what to do.
    void fileDroped(QString);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
