#pragma once

#include <QComboBox>

// Shell: the widget's behaviour is filled in by its own change.
class MyComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit MyComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
};
