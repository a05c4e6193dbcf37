#pragma once

#include <QTableWidget>

// Shell: the widget's behaviour is filled in by its own change.
class MyTableWidget : public QTableWidget
{
    Q_OBJECT
public:
    explicit MyTableWidget(QWidget* parent = nullptr) : QTableWidget(parent) {}
};
