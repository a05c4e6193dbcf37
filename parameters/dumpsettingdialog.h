#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class ParameterSelector;
class ParameterSet;
class QLineEdit;
class QTableWidgetItem;

namespace Ui {
class DumpSettingDialog;
}

// Edits the named parameter sets of one operation: a table of the sets,
// one row each, whose rows can be added from the panel, renamed with the
// on-screen keyboard, reordered by dragging and deleted.  The table is a
// working copy; OK rebuilds the selector's store from it in row order,
// Cancel leaves the store as it was.
class DumpSettingDialog : public QDialog
{
    Q_OBJECT
public:
    // parent is the selector whose store is shown; mode its operation
    // (0 dump, 1 restore, 2 unformat).
    DumpSettingDialog(QWidget* parent, int mode);
    ~DumpSettingDialog() override;

    // Most rows the table takes.
    static constexpr int MAX_ROWS = 32;

    void updateButtonState();
    void displayVirtualKeyBoard(QLineEdit* field);

public slots:
    void on_TBLW_PARAMETER_NAMELIST_currentItemChanged(QTableWidgetItem* current, QTableWidgetItem* previous);
    void on_LEDT_PARAMETER_NAME_textChanged(const QString& text);
    void on_LEDT_PARAMETER_NAME_focused(const bool& focused);
    void on_BTN_PARAMETER_ITEM_ADD_clicked();
    void on_BTN_PARAMETER_ITEM_DELETE_clicked();
    void on_BTN_PARAMETER_SETTING_OK_clicked();
    void on_BTN_PARAMETER_SETTING_CANCEL_clicked();

private:
    // A new snapshot of this mode's panel (the caller owns it); an empty set
    // when the selector has no panels.
    ParameterSet* TakePanelSnapshot();
    static QTableWidgetItem* MakeItem(const QString& name, const ParameterSet& set);

    Ui::DumpSettingDialog* ui;
    QHash<QString, ParameterSet*>* m_parameterHash = nullptr;
    int m_mode = 0;
    ParameterSelector* m_selector = nullptr;
};
