#pragma once

#include <QWidget>

// Shell: the widget's behaviour is filled in by its own change.
class MyGraphicalDumpDisplay : public QWidget
{
    Q_OBJECT
public:
    explicit MyGraphicalDumpDisplay(QWidget* parent = nullptr) : QWidget(parent) {}
};
