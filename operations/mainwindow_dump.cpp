// Dump and re-dump of the main window, and the pieces every disk operation
// shares: the input guard events, the busy dialog with its Cancel, the tool
// run that the track map follows, the completion dialog and the browser.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

#include "busybar.h"
#include "completedialog.h"
#include "drvargs.h"
#include "dumprecord.h"
#include "fdimageselectordialog.h"
#include "filenames.h"
#include "kestalog.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"
#include "runoutcome.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

const QString IMAGE_EXTENSION = QStringLiteral(".HVR");

} // namespace

// ---- shared by the disk operations ----------------------------------------

bool MainWindow::IsInputGuarded(const char* signature) const
{
    if (!common()->isInputGuard())
        return false;
    qCDebug(lcUi) << signature << " INPUT GUARD!!";
    return true;
}

void MainWindow::PostInputGuardEvent(bool on)
{
    // Queued, so taps that arrived before it still meet the guard.
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(on ? m_inputGuardOnEvent : m_inputGuardOffEvent)));
}

void MainWindow::CreateBusyDialog(const QString& label)
{
    CloseBusyDialog();
    m_progressCanceled = false;
    m_busyDialog = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, this);
    m_busyDialog->setBar(new BusyBar); // a calm busy bar; the style's animation repaints at display rate
    connect(m_busyDialog, &QProgressDialog::canceled, this, &MainWindow::on_ProgressCanceled);
    m_busyDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_busyDialog->setStyleSheet(MyCommon::PROGRESS_STYLE);
    m_busyDialog->setWindowModality(Qt::WindowModal);
}

void MainWindow::ShowBusyDialog()
{
    if (m_busyDialog)
        m_busyDialog->show();
}

void MainWindow::CloseBusyDialog()
{
    if (!m_busyDialog)
        return;
    disconnect(m_busyDialog, &QProgressDialog::canceled, this, &MainWindow::on_ProgressCanceled);
    m_busyDialog->close(); // deletes it
    m_busyDialog = nullptr;
}

QByteArray MainWindow::RunTool(const QString& program, const QStringList& args, MyGraphicalDumpDisplay* map)
{
    QMetaObject::Connection follow;
    if (map)
        follow = connect(common(), &MyCommon::commandOutputs, map, &MyGraphicalDumpDisplay::on_dumpCommandOutputs);
    const QByteArray output = common()->Command(program, args);
    if (map)
        disconnect(follow);
    return output;
}

void MainWindow::ShowNotValidFileName()
{
    QMessageBox::warning(this, QStringLiteral("Warning."), QStringLiteral("Not a valid file name."), QMessageBox::Ok);
}

void MainWindow::ShowCompleteDialog(const QStringList& lines)
{
    m_lastCompletion = lines;
    CompleteDialog dialog(this);
    dialog.SetLines(lines);
    dialog.exec();
}

TrackCounts MainWindow::MapCounts(const MyGraphicalDumpDisplay* map)
{
    int states[MyGraphicalDumpDisplay::TRACK_COUNT];
    for (int track = 0; track < MyGraphicalDumpDisplay::TRACK_COUNT; ++track)
        states[track] = map->TrackState(track);
    return TrackCounts::FromStates(states, MyGraphicalDumpDisplay::TRACK_COUNT);
}

void MainWindow::RefreshReDumpButton()
{
    // Re-reading needs the image the tracks belong to, and tracks to read.
    const bool imageThere = !m_dumpImagePath.isEmpty() && QFileInfo(m_dumpImagePath).isFile();
    SetReDumpBtnEnabled(imageThere && MapCounts(ui->WDT_DUMPSTATUS).hasWork());
}

QStringList MainWindow::DumpCompletionLines(const RunOutcome& outcome) const
{
    const TrackCounts counts = MapCounts(ui->WDT_DUMPSTATUS);
    const QFileInfo image(m_dumpImagePath);
    return OutcomeDialogLines(outcome, &counts, image.isFile() ? m_dumpImagePath : QString(),
                              image.isFile() ? image.size() : -1);
}

void MainWindow::WriteDumpRecord(const QStringList& args, const QDateTime& started, const RunOutcome& outcome)
{
    DumpRecord record;
    record.image = QFileInfo(m_dumpImagePath).absoluteFilePath();
    record.tool = MyCommon::TOOL_DRVDUMP;
    record.arguments = args;
    record.started = started;
    record.ended = QDateTime::currentDateTime();
    record.outcome = RunOutcome::Name(outcome.kind);
    record.retry = ui->WDT_DUMPSTATUS->RetryThreshold();
    record.cylinders = ui->WDT_DUMPSTATUS->Cylinders();
    for (int track = 0; track < DumpRecord::TRACK_COUNT; ++track)
        record.tracks[track] = ui->WDT_DUMPSTATUS->TrackState(track);
    QString error;
    if (!record.Write(&error))
        qCWarning(lcTools) << "could not write the dump record" << DumpRecord::PathFor(record.image) << ":" << error;
}

bool MainWindow::LoadDumpRecord(const QString& imagePath)
{
    DumpRecord record;
    QString error;
    if (!DumpRecord::Read(imagePath, &record, &error)) {
        if (QFileInfo::exists(DumpRecord::PathFor(imagePath))) {
            qCWarning(lcTools) << "dump record ignored:" << DumpRecord::PathFor(imagePath) << error;
            ui->EDT_LOG_DISPLAY->append(QStringLiteral("The dump record %1 was ignored: %2")
                                            .arg(DumpRecord::PathFor(imagePath), error));
        }
        return false;
    }
    ui->WDT_DUMPSTATUS->SetTrackStates(0, record.retry, record.cylinders, record.tracks.constData(),
                                       record.tracks.size());
    m_dumpImagePath = record.image;
    m_dumpDrive = record.Drive();
    RefreshReDumpButton();
    return true;
}

QString MainWindow::SelectImageFile(const char* logLabel)
{
    FDImageSelectorDialog dialog(this);
    dialog.SetFullPath(common()->Settings().GetSelectedCurrentFolderPath());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString fullPath = dialog.GetFullPath();
    CurrentPathChangedAll(dialog.GetFolderPath(), false);
    qCDebug(lcTools) << logLabel << fullPath;
    return fullPath;
}

void MainWindow::on_ProgressCanceled()
{
    qCDebug(lcTools) << "void MainWindow::on_ProgressCanceled()" << " START";
    m_progressCanceled = true;
    // Our own run stops at once, whichever tool it is.
    common()->CancelCommand();
    for (const QString& tool : {MyCommon::TOOL_DRVDUMP, MyCommon::TOOL_DRVRESTORE, MyCommon::TOOL_DRVUNFORMAT})
        common()->LinuxCommand(QStringLiteral("pkill ") + tool);
    qCDebug(lcTools) << "void MainWindow::on_ProgressCanceled()" << " END";
}

void MainWindow::DelFile(QString path)
{
    qCDebug(lcTools) << "void MainWindow::DelFile(QString)" << " START";
    QFile::remove(path);
    qCDebug(lcTools) << "void MainWindow::DelFile(QString)" << " END";
}

// ---- dump -------------------------------------------------------------------

QString MainWindow::CurrentDumpImagePath() const
{
    const QString folder = common()->Settings().m_lastAccessFolder;
    const QString name = ui->LEDT_DUMP_FILENAME->text();
    if (folder.isEmpty() || !FileNames::IsValid(name))
        return QString();
    return folder + QLatin1Char('/') + name + IMAGE_EXTENSION;
}

void MainWindow::on_BTN_DUMP_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    const int cylinders = ui->BTN_DUMP_CYLINDERS->GetIntValue(40);
    const int begin = ui->BTN_DUMP_BEGIN->GetIntValue(0);
    const int end = ui->BTN_DUMP_END->GetIntValue(39);
    const int retry = ui->BTN_DUMP_RETRY->GetIntValue(3);

    const QString path = CurrentDumpImagePath();
    if (path.isEmpty()) {
        ShowNotValidFileName();
        return;
    }
    if (QFileInfo::exists(path) &&
        DrvArgs::DeletesExistingImage(ui->BTN_DUMP_OVERWRITE->currentText(),
                                      common()->GetSettingBool(QStringLiteral("OVERWRITE/OVERWRITE"))))
        DelFile(path);

    ui->WDT_DUMPSTATUS->InitialTrackState(MyCommon::OPERATION_DUMP, begin, end, retry, cylinders);
    SetReDumpBtnEnabled(false);
    // From here on the map belongs to this image.
    m_dumpImagePath = path;
    m_dumpDrive = ui->BTN_DUMP_DRIVE->currentText();

    DrvArgs::DumpPanel panel;
    panel.drive = ui->BTN_DUMP_DRIVE->currentText();
    panel.cylinders = ui->BTN_DUMP_CYLINDERS->currentText();
    panel.heads = ui->BTN_DUMP_HEADS->currentText();
    panel.density = ui->BTN_DUMP_DENSITY->currentText();
    panel.begin = ui->BTN_DUMP_BEGIN->currentText();
    panel.end = ui->BTN_DUMP_END->currentText();
    panel.steps = ui->BTN_DUMP_STEPS->currentText();
    panel.format = ui->BTN_DUMP_FORMAT->currentText();
    panel.pin1 = ui->BTN_DUMP_ASSERT_PIN1->currentText();
    panel.pin2 = ui->BTN_DUMP_ASSERT_PIN2->currentText();
    panel.pin3 = ui->BTN_DUMP_ASSERT_PIN3->currentText();
    panel.retry = ui->BTN_DUMP_RETRY->currentText();
    const QStringList args = DrvArgs::Dump(panel, path);
    qCDebug(lcTools).noquote() << args.join(QLatin1Char(' '));

    PostInputGuardEvent(true);
    CreateBusyDialog(MyCommon::LABEL_DUMPING);
    ShowBusyDialog();
    const QDateTime started = QDateTime::currentDateTime();
    QByteArray output = RunTool(MyCommon::TOOL_DRVDUMP, args, ui->WDT_DUMPSTATUS);
    const RunOutcome outcome = common()->LastOutcome();
    RefreshReDumpButton();
    CloseBusyDialog();
    common()->LogAppend(ui->EDT_LOG_DISPLAY, &output);
    WriteDumpRecord(args, started, outcome);
    ShowCompleteDialog(DumpCompletionLines(outcome));
    PostInputGuardEvent(false);
}

void MainWindow::on_BTN_REDUMP_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    int tracks[MyGraphicalDumpDisplay::TRACK_COUNT];
    const int count = ui->WDT_DUMPSTATUS->GetErrorAndTargetTrack(0, tracks);
    if (count > 0)
        StartDumpWithTrack(count, tracks);
}

void MainWindow::StartDumpWithTrack(int count, int* tracks)
{
    if (!tracks || count <= 0)
        return;
    // The tracks belong to the image of the dump that filled the map.  Reading
    // them into whatever the fields name now would leave that image with its
    // failed tracks and start a new one holding only these.
    const QString current = CurrentDumpImagePath();
    const QString path = m_dumpImagePath.isEmpty() ? current : m_dumpImagePath;
    if (!m_dumpImagePath.isEmpty() && current != m_dumpImagePath)
        qCDebug(lcTools) << "REDUMP: the folder or file name has changed since the dump; reading into" << m_dumpImagePath
                 << "not into" << current;
    // drvdump -t only fills an image that is there; never start a new one.
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        QMessageBox::warning(this, QStringLiteral("Warning."),
                             path.isEmpty() ? QStringLiteral("The image of the last dump is missing.")
                                            : QStringLiteral("The image of the last dump is missing: ") + path,
                             QMessageBox::Ok);
        RefreshReDumpButton();
        return;
    }
    m_dumpImagePath = path;

    const int retry = ui->BTN_DUMP_RETRY->GetIntValue(3);
    ui->WDT_DUMPSTATUS->SpecifyTrackState(0, retry, count, tracks);
    // The failed tracks are those of the disk in the drive that was dumped,
    // whatever the DRIVE button shows now.
    const QString drive = m_dumpDrive.isEmpty() ? ui->BTN_DUMP_DRIVE->currentText() : m_dumpDrive;
    if (drive != ui->BTN_DUMP_DRIVE->currentText())
        qCDebug(lcTools) << "REDUMP: reading drive" << drive << "of the dump, not drive" << ui->BTN_DUMP_DRIVE->currentText();
    const QStringList base = DrvArgs::ReDumpBase(drive, ui->BTN_DUMP_RETRY->currentText());

    // The busy dialog says what is read where: the fields may show another
    // name or drive by now.
    CreateBusyDialog(ReDumpBusyLabel(drive, path));
    PostInputGuardEvent(true);
    ShowBusyDialog();
    const QDateTime started = QDateTime::currentDateTime();
    RunOutcome outcome;
    outcome.kind = RunOutcome::Completed;
    QStringList args;
    for (int i = 0; i < count; ++i) {
        args = DrvArgs::ReDumpTrack(base, tracks[i], path);
        qCDebug(lcTools).noquote() << args.join(QLatin1Char(' '));
        QByteArray output = RunTool(MyCommon::TOOL_DRVDUMP, args, ui->WDT_DUMPSTATUS);
        common()->LogAppend(ui->EDT_LOG_DISPLAY, &output);
        const RunOutcome run = common()->LastOutcome();
        // The last trouble is the one the user hears of.
        if (!run.ok())
            outcome = run;
        if (m_progressCanceled || run.kind == RunOutcome::NotStarted)
            break;
    }
    if (m_progressCanceled)
        outcome.kind = RunOutcome::Cancelled;
    RefreshReDumpButton();
    CloseBusyDialog();
    WriteDumpRecord(args, started, outcome);
    ShowCompleteDialog(DumpCompletionLines(outcome));
    PostInputGuardEvent(false);
}

void MainWindow::on_BTN_DUMP_FILESELECT_clicked()
{
    if (IsInputGuarded(Q_FUNC_INFO))
        return;
    const QString fullPath = SelectImageFile("DUMP FILE SELECT:");
    if (fullPath.isEmpty() || !QFileInfo(fullPath).isFile())
        return;
    // The base name: the last component up to its first ".".
    const QString name = fullPath.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
    ui->LEDT_DUMP_FILENAME->setText(name);
    // An image dumped before shows what that dump left, ready for a re-dump.
    LoadDumpRecord(fullPath);
}

QString MainWindow::ReDumpBusyLabel(const QString& drive, const QString& image) const
{
    const QString where = QStringLiteral("drive %1 \u2192 %2").arg(drive, image);
    return MyCommon::LABEL_DUMPING + QLatin1Char('\n') + fontMetrics().elidedText(where, Qt::ElideMiddle, 700);
}

void MainWindow::on_LEDT_DUMP_FILENAME_fileDroped(const QString& path)
{
    Q_UNUSED(path);
}

void MainWindow::SetReDumpBtnEnabled(bool enabled)
{
    ui->BTN_REDUMP->setEnabled(enabled);
    ui->BTN_REDUMP->setStyleSheet(enabled ? MyCommon::REDUMP_STYLE_HIGHLIGHT : MyCommon::REDUMP_STYLE_PLAIN);
}
