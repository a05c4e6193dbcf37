#include "mycombobox.h"

#include <QAbstractItemView>
#include <QScrollBar>

const QString MyComboBox::STYLE_SHEET = QStringLiteral(
    "QScrollBar:vertical {"
    " border: 2px solid #999999; background: white; width: 40px; margin: 0px 0px 0px 0px; }"
    "QScrollBar::handle:vertical { background: rgb(140, 160, 170); min-height: 50px; }"
    "QScrollBar::add-line:vertical { background: rgb(160, 160, 160); height: 50px;"
    " subcontrol-position: bottom; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:vertical { background: rgb(160, 160, 160); height: 50px;"
    " subcontrol-position: top; subcontrol-origin: margin; }"
    "QComboBox { border: 1px solid gray;border-radius: 3px;padding: 1px 2px 1px 2px;"
    "min-width: 70px;max-width: 70px; }"
    "QComboBox:editable { background: white; }"
    "QComboBox:!editable, QComboBox::drop-down:editable {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #E1E1E1, stop: 0.4 #DDDDDD,"
    " stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3); }"
    "QComboBox:!editable:on, QComboBox::drop-down:editable:on {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #D3D3D3, stop: 0.4 #D8D8D8,"
    " stop: 0.5 #DDDDDD, stop: 1.0 #E1E1E1); }"
    "QComboBox:on { padding-top: 3px; padding-left: 4px; }"
    "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: top right; width: 10px;"
    " border-left-width: 1px; border-left-color: darkgray; border-left-style: solid;"
    " border-top-right-radius: 3px; border-bottom-right-radius: 3px; }"
    "QComboBox::down-arrow { image: url(/usr/share/icons/16x16/downarrow.png); }"
    "QComboBox::down-arrow:on { top: 1px; left: 1px; }"
    // The style would otherwise open the list as a screen-high popup with
    // scroll arrows and no scroll bar; a plain list keeps the wide bar.
    "QComboBox { combobox-popup: 0; }");

MyComboBox::MyComboBox(QWidget* parent) : QComboBox(parent)
{
    setStyleSheet(STYLE_SHEET);
}

void MyComboBox::showPopup()
{
    QAbstractItemView* list = view();
    list->ensurePolished();
    list->verticalScrollBar()->ensurePolished();
    const int wanted = list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width()
                       + 2 * list->frameWidth() + 8;
    list->setMinimumWidth(qMax(width(), wanted));
    QComboBox::showPopup();
}
