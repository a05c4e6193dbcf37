#pragma once

#include <QLineEdit>

// Shell: the widget's behaviour is filled in by its own change.
class MyLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MyLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

signals:
    void focused(bool);
    void fileDroped(QString);
};
