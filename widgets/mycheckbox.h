#pragma once

#include <QCheckBox>

// A check box that a finger ticks anywhere on its row, not only on the box
// and the letters of its caption.
class MyCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit MyCheckBox(QWidget* parent = nullptr);

protected:
    bool hitButton(const QPoint& pos) const override;
};
