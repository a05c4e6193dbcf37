#pragma once

#include <QDialog>

namespace Ui {
class CompleteDialog;
}

// "Completed." with an OK button, shown after every disk operation.
class CompleteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CompleteDialog(QWidget* parent = nullptr);
    ~CompleteDialog() override;

public slots:
    void on_BTN_COMPLETE_OK_clicked();

private:
    Ui::CompleteDialog* m_ui;
};
