#pragma once

#include <QDialog>
#include <QStringList>

namespace Ui {
class CompleteDialog;
}

// The end of every disk operation: "Completed.", "Failed." or "Cancelled."
// with up to three lines under it, and an OK button.
class CompleteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CompleteDialog(QWidget* parent = nullptr);
    ~CompleteDialog() override;

    // The headline and the lines under it (at most three are shown, each on
    // one line, shortened in the middle when too long).  The dialog grows
    // to hold them.
    void SetLines(const QStringList& lines);
    // The text shown, one line each: headline first.
    QStringList Lines() const;

    static constexpr int MAX_DETAIL_LINES = 3;
    static constexpr int WIDE_WIDTH = 560;

public slots:
    void on_BTN_COMPLETE_OK_clicked();

private:
    Ui::CompleteDialog* m_ui;
};
