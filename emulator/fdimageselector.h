#pragma once

#include <QWidget>

// Shell: the widget's behaviour is filled in by its own change.
class FDImageSelector : public QWidget
{
    Q_OBJECT
public:
    explicit FDImageSelector(QWidget* parent = nullptr) : QWidget(parent) {}
};
