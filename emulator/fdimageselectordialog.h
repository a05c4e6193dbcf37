#pragma once

#include <QDialog>
#include <QString>

#include "fdimageselector.h"

class QShowEvent;

namespace Ui {
class FDImageSelectorDialog;
}

// The program's file and folder chooser: an image browser with OK and
// Cancel.  Show the starting place with SetFullPath(), run exec(), then read
// GetFullPath(), GetFolderPath() or IsFolder().
class FDImageSelectorDialog : public QDialog
{
    Q_OBJECT
public:
    // A file chooser.
    explicit FDImageSelectorDialog(QWidget* parent = nullptr);
    // A folder chooser unless mode is FILE_SELECT_MODE.
    FDImageSelectorDialog(QWidget* parent, FDImageSelector::SELECTOR_MODE mode);
    ~FDImageSelectorDialog() override;

    void SetFullPath(const QString& path);
    QString GetFullPath() const { return m_fullPath; }
    QString GetFolderPath() const;
    bool IsFolder() const;

    FDImageSelector* Selector() const;

public slots:
    void on_BTN_SELECT_OK_clicked();
    void on_BTN_SELECT_CANCEL_clicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::FDImageSelectorDialog* m_ui;
    QString m_fullPath;
};
