#include "fdimageselectordialog.h"
#include "ui_fdimageselectordialog.h"

#include <QDebug>
#include <QFileInfo>
#include <QShowEvent>

#include "filenames.h"
#include "kestalog.h"
#include "mycommon.h"

FDImageSelectorDialog::FDImageSelectorDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::FDImageSelectorDialog)
{
    m_ui->setupUi(this);
    m_ui->LBL_DIALOG_TITLE->setText(MyCommon::TITLE_FILE_SELECT);
    m_ui->WDT_CTRL_FDIMAGESELECTOR->SetupMarkFolderList();
}

FDImageSelectorDialog::FDImageSelectorDialog(QWidget* parent, FDImageSelector::SELECTOR_MODE mode)
    : QDialog(parent), m_ui(new Ui::FDImageSelectorDialog)
{
    m_ui->setupUi(this);
    m_ui->LBL_DIALOG_TITLE->setText(mode != FDImageSelector::FILE_SELECT_MODE ? MyCommon::TITLE_FOLDER_SELECT
                                                                              : MyCommon::TITLE_FILE_SELECT);
    m_ui->WDT_CTRL_FDIMAGESELECTOR->SetSelectMode(mode);
    m_ui->WDT_CTRL_FDIMAGESELECTOR->SetupMarkFolderList();
}

FDImageSelectorDialog::~FDImageSelectorDialog()
{
    delete m_ui;
}

FDImageSelector* FDImageSelectorDialog::Selector() const
{
    return m_ui->WDT_CTRL_FDIMAGESELECTOR;
}

void FDImageSelectorDialog::SetFullPath(const QString& path)
{
    qCDebug(lcEmulator) << "SetFullPath: " << path;
    m_fullPath = path;
    m_ui->WDT_CTRL_FDIMAGESELECTOR->SetRootPath(MyCommon::GetFolderPath(path), true);
}

QString FDImageSelectorDialog::GetFolderPath() const
{
    // A file reached through an access link lives in its real folder.
    if (FileNames::IsAccessPath(m_fullPath))
        return FileNames::RealFolder(m_fullPath);
    return MyCommon::GetFolderPath(m_fullPath);
}

bool FDImageSelectorDialog::IsFolder() const
{
    return QFileInfo(m_fullPath).isDir();
}

void FDImageSelectorDialog::on_BTN_SELECT_OK_clicked()
{
    m_fullPath = m_ui->WDT_CTRL_FDIMAGESELECTOR->GetCurrentFilePath();
    accept();
}

void FDImageSelectorDialog::on_BTN_SELECT_CANCEL_clicked()
{
    reject();
}

void FDImageSelectorDialog::showEvent(QShowEvent* event)
{
    m_ui->WDT_CTRL_FDIMAGESELECTOR->SetListViewStyleSheet(FDImageSelector::WIDE_SCROLLBAR_STYLE);
    QDialog::showEvent(event);
}
