#pragma once

#include <QWidget>

// Shell: the widget's behaviour is filled in by its own change.
class ParameterSelector : public QWidget
{
    Q_OBJECT
public:
    explicit ParameterSelector(QWidget* parent = nullptr) : QWidget(parent) {}
};
