#pragma once

#include <QDialog>
#include <QString>

class QShowEvent;
class QTableWidgetItem;

namespace Ui {
class ParameterSelectDialog;
}

// The list that a tap on a value button (MyParameterButton) pops up: the
// button's title on top, its values as large touch rows with the current one
// selected.  A tap on a row ends it with Accepted and that row's text; Cancel,
// or a tap outside the popup, ends it with Rejected.
class ParameterSelectDialog : public QDialog
{
    Q_OBJECT
public:
    // parent is the MyParameterButton whose values are shown; any other
    // parent gives an empty list without a title.
    explicit ParameterSelectDialog(QWidget* parent = nullptr);
    ~ParameterSelectDialog() override;

    QString getSelectedItemText() const;
    void setSelectedItemText(const QString& text);
    // Row of the entry tapped, -1 when none was (or a text was set instead):
    // entries may share a text.
    int getSelectedRow() const { return m_selectedRow; }

public slots:
    void on_TBLW_PARAMETER_NAMELIST_itemClicked(QTableWidgetItem* item);
    void on_BTN_PARAMETER_SETTING_CANCEL_clicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::ParameterSelectDialog* ui;
    QString m_selectedItemText;
    int m_selectedRow = -1;
};
