#pragma once

#include <QWidget>

// Shell: the widget's behaviour is filled in by its own change.
class VersionInfo : public QWidget
{
    Q_OBJECT
public:
    explicit VersionInfo(QWidget* parent = nullptr) : QWidget(parent) {}
};
