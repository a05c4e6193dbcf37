#include "mycombobox.h"

#include <QAbstractItemView>
#include <QScrollBar>

#include "touchstyle.h"

const QString MyComboBox::STYLE_SHEET = QStringLiteral(
    "QScrollBar:vertical {"
    " border: 2px solid #999999; background: white; width: 40px; margin: 0px 0px 0px 0px; }"
    "QScrollBar::handle:vertical { background: rgb(140, 160, 170); min-height: 50px; }"
    "QScrollBar::add-line:vertical { background: rgb(160, 160, 160); height: 50px;"
    " subcontrol-position: bottom; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:vertical { background: rgb(160, 160, 160); height: 50px;"
    " subcontrol-position: top; subcontrol-origin: margin; }")
    + TouchStyle::ValueList(QStringLiteral("padding: 1px 2px 1px 2px; min-width: 70px; max-width: 70px;"), 10);

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
