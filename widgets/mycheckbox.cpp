#include "mycheckbox.h"

MyCheckBox::MyCheckBox(QWidget* parent) : QCheckBox(parent) {}

bool MyCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}
