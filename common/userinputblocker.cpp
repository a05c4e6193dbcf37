#include "userinputblocker.h"

#include <QCoreApplication>
#include <QEvent>

UserInputBlocker::UserInputBlocker()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

UserInputBlocker::~UserInputBlocker()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool UserInputBlocker::IsUserInput(int eventType)
{
    switch (eventType) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

bool UserInputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (IsUserInput(event->type()))
        return true;
    return QObject::eventFilter(watched, event);
}
