#pragma once

#include <QPushButton>

// Shell: the widget's behaviour is filled in by its own change.
class MyParameterButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyParameterButton(QWidget* parent = nullptr) : QPushButton(parent) {}
    QString currentText() const { return text(); }
};
