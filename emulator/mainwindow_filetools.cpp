// The image tools of the emulator page: Convert (hvrconv), Rename and
// MakeHVR (hvrtool), each working on the entry selected in the image browser.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "dumprecord.h"
#include "fdimageselector.h"
#include "filenames.h"
#include "fileoperationpage.h"
#include "kestalog.h"
#include "mycommon.h"
#include "myparameterbutton.h"
#include "runoutcome.h"

const QString MainWindow::TOOL_FIELD_STYLE_EDITED = QStringLiteral("background-color: rgb(255, 255, 255);");
const QString MainWindow::TOOL_FIELD_STYLE_DONE = QStringLiteral("background-color: rgb(170, 255, 255);");
// White on the red: black text on it would fall short of a 4.5:1 contrast.
const QString MainWindow::TOOL_FIELD_STYLE_FAILED =
    QStringLiteral("background-color: rgb(200, 0, 0); color: rgb(255, 255, 255);");

namespace {

const QString HVR_EXTENSION = QStringLiteral(".HVR");

QString lastComponent(const QString& path)
{
    return path.section(QLatin1Char('/'), -1);
}

// A dropped file's name cut before its first ".": /img/game.old.D88 gives game.
QString baseNameOf(const QString& path)
{
    return lastComponent(path).section(QLatin1Char('.'), 0, 0);
}

} // namespace

void MainWindow::SetupImageToolButtons()
{
    struct Entry {
        MyParameterButton* button;
        QLabel* caption;
        QStringList items;
        QString initial;
    };
    QStringList diskNumbers;
    for (int i = 1; i <= 15; ++i)
        diskNumbers << QString::number(i);
    const QList<Entry> entries = {
        {ui->BTN_CONVERT_EXT, nullptr,
         {".HVR", ".DIM", ".DUP", ".D68", ".D88", ".D77", ".HDM", ".IMG", ".2HD", ".XDF"}, HVR_EXTENSION},
        {ui->BTN_CONVERT_DISKNO, ui->LBL_CONVERT_DISKNO, diskNumbers, "1"},
        {ui->BTN_CONVERT_FORMAT, ui->LBL_CONVERT_FORMAT, {MyCommon::FORMAT_ENCODE, MyCommon::FORMAT_RAW},
         MyCommon::FORMAT_ENCODE},
        {ui->BTN_MAKE_HVR_TYPE, ui->LBL_MAKE_HVR_TYPE, {"2D", "2DD", "2HD"}, "2D"},
        {ui->BTN_MAKE_HVR_RPM, ui->LBL_MAKE_HVR_RPM, {"300", "360"}, "300"},
        {ui->BTN_MAKE_HVR_PROTECT, ui->LBL_MAKE_HVR_PROTECT, {"on", "off"}, "on"},
    };
    for (const Entry& entry : entries) {
        if (!entry.button->getItemList().isEmpty())
            continue;
        entry.button->setTitle(entry.caption ? entry.caption->text() : QString());
        for (const QString& item : entry.items)
            entry.button->addItem(item);
        entry.button->setCurrentText(entry.initial);
    }
}

bool MainWindow::RunImageTool(const QString& program, const QStringList& args, const QString& newPath,
                              QLineEdit* field)
{
    const QString& tool = program;
    MyCommon* common = MyCommon::getInstance();
    auto output = common->CommandBlocked(program, args);
    const RunOutcome outcome = common->LastOutcome();
    common->LogAppend(ui->EDT_LOG_DISPLAY, &output);
    // Done only when the tool says so and the file is there to prove it.
    const bool done = outcome.ok() && QFileInfo(newPath).isFile();
    if (!done) {
        const QString reason = outcome.ok() ? QStringLiteral("%1 made no %2").arg(tool, newPath) : outcome.Reason();
        ui->EDT_LOG_DISPLAY->append(QStringLiteral("%1 failed: %2").arg(tool, reason));
    }
    field->setStyleSheet(done ? TOOL_FIELD_STYLE_DONE : TOOL_FIELD_STYLE_FAILED);
    return done;
}

bool MainWindow::SelectedImage(QString* fullPath, QString* folder, QString* name) const
{
    *fullPath = ui->WDT_EMU_FDIMAGESELECTOR->GetCurrentFilePath();
    if (fullPath->isEmpty())
        return false;
    const int slash = fullPath->lastIndexOf(QLatin1Char('/'));
    // A file reached through an access link: its new files go beside it.
    *folder = FileNames::IsAccessPath(*fullPath) ? FileNames::RealFolder(*fullPath) + QLatin1Char('/')
                                                 : fullPath->left(slash + 1);
    *name = fullPath->mid(slash + 1);
    qCDebug(lcTools) << "oldName:" << *name;
    qCDebug(lcTools) << "oldFullPath:" << *fullPath;
    return true;
}

void MainWindow::on_BTN_CONVERT_clicked()
{
    QString oldPath, folder, name;
    if (!SelectedImage(&oldPath, &folder, &name))
        return;
    if (!FileNames::IsValid(ui->LEDT_CONVERT->text()))
        return ShowNotValidFileName();
    const QString extension = ui->BTN_CONVERT_EXT->currentText();
    const QString newPath = folder + ui->LEDT_CONVERT->text() + extension;
    qCDebug(lcTools) << "OLD:" << oldPath << "NEW:" << newPath;

    QStringList args = {MyCommon::OPT_I, oldPath, MyCommon::OPT_N, ui->BTN_CONVERT_DISKNO->currentText(),
                        MyCommon::OPT_O, newPath};
    if (extension == HVR_EXTENSION)
        args << MyCommon::OPT_F;
    args << ui->BTN_CONVERT_FORMAT->currentText();
    RunImageTool(MyCommon::TOOL_HVRCONV, args, newPath, ui->LEDT_CONVERT);
}

void MainWindow::on_BTN_RENAME_clicked()
{
    QString oldPath, folder, name;
    if (!SelectedImage(&oldPath, &folder, &name))
        return;
    const QString newName = ui->LEDT_RENAME->text();
    const QString newPath = folder + newName;
    qCDebug(lcTools) << "OLD:" << oldPath << "NEW:" << newPath;

    // The typed name stays inside the entry's folder, and an existing entry
    // of that name is never replaced.
    const bool renamed = FileNames::IsValid(newName) && FileNames::Rename(oldPath, newPath);
    ui->LEDT_RENAME->setStyleSheet(renamed ? TOOL_FIELD_STYLE_DONE : TOOL_FIELD_STYLE_FAILED);
    if (!renamed)
        return;
    // The dump record goes with its image, and the browser keeps the file selected.
    DumpRecord::Move(oldPath, newPath);
    ui->WDT_EMU_FDIMAGESELECTOR->SelectPath(newPath);
}

void MainWindow::on_BTN_MAKE_HVR_clicked()
{
    QString oldPath, folder, name;
    if (!SelectedImage(&oldPath, &folder, &name))
        return;
    if (!FileNames::IsValid(ui->LEDT_MAKE_HVR->text()))
        return ShowNotValidFileName();
    // The new image goes into the folder the browser shows, also right after
    // entering it (then the current entry is that folder itself).
    const QString shown = ui->WDT_EMU_FDIMAGESELECTOR->GetShownFolder();
    if (!shown.isEmpty() && QFileInfo(shown).isDir())
        folder = shown + QLatin1Char('/');
    const QString newPath = folder + ui->LEDT_MAKE_HVR->text() + HVR_EXTENSION;
    qCDebug(lcTools) << "OLD:" << oldPath << "NEW:" << newPath;

    // No shell is involved: the quotes reach hvrtool as part of the name.
    const QStringList args = {MyCommon::OPT_C,
                              MyCommon::OPT_T,
                              ui->BTN_MAKE_HVR_TYPE->currentText(),
                              MyCommon::OPT_R,
                              ui->BTN_MAKE_HVR_RPM->currentText(),
                              MyCommon::OPT_N,
                              QLatin1Char('\'') + ui->LEDT_MAKE_HVR_DISKNAME->text() + QLatin1Char('\''),
                              MyCommon::OPT_P,
                              ui->BTN_MAKE_HVR_PROTECT->currentText(),
                              newPath};
    RunImageTool(MyCommon::TOOL_HVRTOOL, args, newPath, ui->LEDT_MAKE_HVR);
}

// ---- fields ---------------------------------------------------------------

void MainWindow::on_LEDT_CONVERT_textChanged(const QString& text)
{
    ui->LEDT_CONVERT->setStyleSheet(TOOL_FIELD_STYLE_EDITED);
    ui->BTN_CONVERT->setEnabled(!text.isEmpty());
}

void MainWindow::on_LEDT_RENAME_textChanged(const QString& text)
{
    ui->LEDT_RENAME->setStyleSheet(TOOL_FIELD_STYLE_EDITED);
    const QString selected = ui->WDT_EMU_FDIMAGESELECTOR->GetCurrentFilePath();
    ui->BTN_RENAME->setEnabled(!text.isEmpty() && !selected.isEmpty() && text != lastComponent(selected));
}

void MainWindow::on_LEDT_MAKE_HVR_textChanged(const QString& text)
{
    ui->LEDT_MAKE_HVR->setStyleSheet(TOOL_FIELD_STYLE_EDITED);
    ui->BTN_MAKE_HVR->setEnabled(!text.isEmpty());
}

void MainWindow::on_LEDT_MAKE_HVR_DISKNAME_textChanged(const QString&)
{
    ui->LEDT_MAKE_HVR_DISKNAME->setStyleSheet(TOOL_FIELD_STYLE_EDITED);
}

void MainWindow::on_LEDT_CONVERT_fileDroped(const QString& path)
{
    qCDebug(lcTools) << "on_LEDT_CONVERT_fileDroped:" << path;
    ui->LEDT_CONVERT->setText(baseNameOf(path));
}

void MainWindow::on_LEDT_RENAME_fileDroped(const QString& path)
{
    qCDebug(lcTools) << "on_LEDT_RENAME_fileDroped:" << path;
    ui->LEDT_RENAME->setText(lastComponent(path));
}

void MainWindow::on_LEDT_MAKE_HVR_fileDroped(const QString& path)
{
    qCDebug(lcTools) << "on_LEDT_MAKE_HVR_fileDroped:" << path;
    ui->LEDT_MAKE_HVR->setText(baseNameOf(path));
}

// ---- keyboard on the visible page -----------------------------------------

void MainWindow::on_LEDT_CONVERT_focused(const bool& focused)
{
    if (!focused || FileOperationPage::Index() != 0)
        return;
    qCDebug(lcUi) << QString::fromUtf8("LEDT_CONVERT フォーカス");
    displayVirtualKeyBoard(ui->LEDT_CONVERT);
}

void MainWindow::on_LEDT_RENAME_focused(const bool& focused)
{
    if (focused && FileOperationPage::Index() == 1)
        displayVirtualKeyBoard(ui->LEDT_RENAME);
}

void MainWindow::on_LEDT_MAKE_HVR_focused(const bool& focused)
{
    if (focused && FileOperationPage::Index() == 2)
        displayVirtualKeyBoard(ui->LEDT_MAKE_HVR);
}

void MainWindow::on_LEDT_MAKE_HVR_DISKNAME_focused(const bool& focused)
{
    if (!focused)
        return;
    const QString before = ui->LEDT_MAKE_HVR_DISKNAME->text();
    displayVirtualKeyBoard(ui->LEDT_MAKE_HVR_DISKNAME);
    // The keyboard sets the text, which is no edit the settings writer hears.
    if (ui->LEDT_MAKE_HVR_DISKNAME->text() != before)
        on_settingsChanged_Emulator();
}

void MainWindow::on_TAB_FILEOPERATION_currentChanged(int index)
{
    // No name field of the page left behind keeps the focus.
    ui->TAB_FILEOPERATION->setFocus(Qt::OtherFocusReason);
    FileOperationPage::SetIndex(index);
}
