#pragma once

#include <QComboBox>

// A narrow combo box whose popup list carries a scroll bar wide enough for a
// finger.
class MyComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit MyComboBox(QWidget* parent = nullptr);

    // The box is only 70 px wide; its list opens as wide as its entries and
    // the scroll bar need.
    void showPopup() override;

    static const QString STYLE_SHEET;
};
