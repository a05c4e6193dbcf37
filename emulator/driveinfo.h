#pragma once

#include <QWidget>

// Shell: the widget's behaviour is filled in by its own change.
class DriveInfo : public QWidget
{
    Q_OBJECT
public:
    explicit DriveInfo(QWidget* parent = nullptr) : QWidget(parent) {}
};
