#include "mylineedit.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>

#include "droppedpaths.h"
#include "kestalog.h"

MyLineEdit::MyLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setAcceptDrops(true);
}

void MyLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    emit focused(true);
}

void MyLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    emit focused(false);
}

void MyLineEdit::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

// The base handler only takes plain text and moves the field's cursor along
// with the drag; a drop never edits the field, so every drag that was let in
// stays welcome while it moves over the field.
void MyLineEdit::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

// Two kinds of drop arrive here.  A file manager or the image browser's
// file-system model sends a URL list: each URL that names a local file
// becomes its local path (percent escapes decoded), and fileDroped is emitted
// once per path, in the order of the list, so that an owner taking a single
// file simply keeps the last one.  Anything else that carries text names one
// path (DroppedPaths::TextPath) and is emitted once.
void MyLineEdit::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data) {
        event->ignore();
        return;
    }

    const DroppedPaths dropped(data);
    if (dropped.paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (dropped.fromText) {
        qCDebug(lcUi) << data->text();
        emit fileDroped(dropped.TextPath());
        return;
    }
    qCDebug(lcUi) << "DROP URLS" << dropped.paths;
    for (const QString& path : dropped.paths)
        emit fileDroped(path);
}
