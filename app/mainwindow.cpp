#include "mainwindow.h"
#include "qtcompat.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QFont>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QProcess>
#include <QSettings>
#include <QTextBlock>
#include <QTextStream>
#include <QTimerEvent>

#include "driveinfo.h"
#include "drivelisting.h"
#include "drvctlpoller.h"
#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "kestalog.h"
#include "markmanage.h"
#include "mygraphicaldumpdisplay.h"
#include "outlinedtext.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "myparameterbutton.h"
#include "touchstyle.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_inputGuardOnEvent(MyCommon::EVENT_INPUT_GUARD_ON)
    , m_inputGuardOffEvent(MyCommon::EVENT_INPUT_GUARD_OFF)
    , m_startupTimer1Id(-1)
    , m_startupTimer2Id(-1)
    , m_pollTimerId(-1)
{
    // The form names the Windows faces "Yu Gothic" and "Yu Gothic UI"; the
    // IPA Gothic faces are the nearest in look.  Where fontconfig answers for
    // a missing family itself (Debian: DejaVu Sans) these substitutes are
    // never asked, so the captions are sized to fit that wider face too.
    for (const QString& family : {QStringLiteral("Yu Gothic"), QStringLiteral("Yu Gothic UI")})
        QFont::insertSubstitutions(family, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});

    // The form; slots named after an object and its signal connect here.
    ui->setupUi(this);
    // Before the settings file is opened: what is found there is told too.
    connect(common(), &MyCommon::userNotice, this, &MainWindow::ShowNotice, Qt::QueuedConnection);

    OutlinedText::install(ui->label);

    ui->LEDT_RENAME->setAcceptDrops(true);
    ui->LEDT_CONVERT->setAcceptDrops(true);

    ui->LBL_POWERED_BY->setText(MyCommon::POWERED_BY_PREFIX + common()->Get_DRVEMU_Version());

    SetupParameterButtons();

    QCoreApplication::setOrganizationName(MyCommon::ORGANIZATION_NAME);
    QCoreApplication::setOrganizationDomain(MyCommon::ORGANIZATION_DOMAIN);
    QCoreApplication::setApplicationName(MyCommon::APPLICATION_NAME);

    // The settings file; nothing is read or written before this point.
    common()->OpenSettingInstance(MyCommon::GetApplicationInifilePath());

    ui->WDT_DUMP_PARAMETER_SELECTOR->SetMode(MyCommon::OPERATION_DUMP);
    ui->WDT_RESTORE_PARAMETER_SELECTOR->SetMode(MyCommon::OPERATION_RESTORE);
    ui->WDT_UNFORMAT_PARAMETER_SELECTOR->SetMode(MyCommon::OPERATION_UNFORMAT);
    for (ParameterSelector* selector : {ui->WDT_DUMP_PARAMETER_SELECTOR, ui->WDT_RESTORE_PARAMETER_SELECTOR,
                                        ui->WDT_UNFORMAT_PARAMETER_SELECTOR})
        selector->SetPanels(this);

    LoadSettings();

    installEventFilter(this);
    for (QObject* guarded : {static_cast<QObject*>(ui->BTN_DUMP), static_cast<QObject*>(ui->BTN_DUMP_FILESELECT),
                             static_cast<QObject*>(ui->WDT_DUMP_PARAMETER_SELECTOR),
                             static_cast<QObject*>(ui->BTN_RESTORE), static_cast<QObject*>(ui->BTN_RESTORE_FILESELECT),
                             static_cast<QObject*>(ui->BTN_RESTORE_DISKNO),
                             static_cast<QObject*>(ui->WDT_RESTORE_PARAMETER_SELECTOR),
                             static_cast<QObject*>(ui->BTN_UNFORMAT),
                             static_cast<QObject*>(ui->WDT_UNFORMAT_PARAMETER_SELECTOR)})
        guarded->installEventFilter(this);

    SetReDumpBtnEnabled(false);

    // The cylinder slots are connected by name; these follow them.
    connect(common(), &MyCommon::settingsChanged, this, &MainWindow::on_settingsChanged_Setting);
    connect(MarkManage::getInstance(), &MarkManage::folderMarkChanged, this,
            &MainWindow::on_settingsChanged_FolderMark);
    connect(ui->BTN_RESTORE_DISKNO, &MyParameterButton::currentIndexChanged, this,
            &MainWindow::on_settingsChanged_Restore);
    connect(ui->WDT_DUMP_PARAMETER_SELECTOR, &ParameterSelector::parameterRegistered, this,
            &MainWindow::on_settingsChanged_Dump);
    connect(ui->WDT_RESTORE_PARAMETER_SELECTOR, &ParameterSelector::parameterRegistered, this,
            &MainWindow::on_settingsChanged_Restore);
    connect(ui->WDT_UNFORMAT_PARAMETER_SELECTOR, &ParameterSelector::parameterRegistered, this,
            &MainWindow::on_settingsChanged_Unformat);
    connect(ui->WDT_DUMP_PARAMETER_SELECTOR, &ParameterSelector::fixBtnParameterRegistered, this,
            &MainWindow::on_settingsChanged_Dump_forFixBtn);
    connect(ui->WDT_RESTORE_PARAMETER_SELECTOR, &ParameterSelector::fixBtnParameterRegistered, this,
            &MainWindow::on_settingsChanged_Restore_forFixBtn);
    connect(ui->WDT_UNFORMAT_PARAMETER_SELECTOR, &ParameterSelector::fixBtnParameterRegistered, this,
            &MainWindow::on_settingsChanged_Unformat_forFixBtn);
    for (MyParameterButton* button : {ui->BTN_DRVEMU_MODE, ui->BTN_CONVERT_DISKNO, ui->BTN_CONVERT_FORMAT,
                                      ui->BTN_CONVERT_EXT, ui->BTN_MAKE_HVR_TYPE, ui->BTN_MAKE_HVR_RPM,
                                      ui->BTN_MAKE_HVR_PROTECT})
        connect(button, &MyParameterButton::currentIndexChanged, this, &MainWindow::on_settingsChanged_Emulator);
    connect(ui->LEDT_MAKE_HVR_DISKNAME, &QLineEdit::textEdited, this, &MainWindow::on_settingsChanged_Emulator);

    KESTAconSettings& record = common()->Settings();
    record.m_startup = common()->GetSettingBool(QStringLiteral("STARTUP/STARTUP"));
    record.m_lastInsertDrive0 = common()->GetSettingString(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE0"));
    record.m_lastInsertDrive1 = common()->GetSettingString(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE1"));

    ui->WDT_DRIVEINFO1->Set_CSTM_DriveNo(0);
    ui->WDT_DRIVEINFO2->Set_CSTM_DriveNo(1);

    // The emulator runs on a process of its own; its chatter is never read,
    // so it goes nowhere instead of piling up in memory.
    m_drvemuProcess = new QProcess(this);
    m_drvemuProcess->setStandardOutputFile(QProcess::nullDevice());
    m_drvemuProcess->setStandardErrorFile(QProcess::nullDevice());

    m_poller = new DrvctlPoller(this);
    connect(m_poller, &DrvctlPoller::listingRead, this, &MainWindow::OnListingRead);

    // The browser opens in the start folder; its signal makes that folder the
    // last access folder and writes the settings version.
    ui->WDT_EMU_FDIMAGESELECTOR->SetupMarkFolderList();
    ui->WDT_EMU_FDIMAGESELECTOR->SetRootPath(record.GetSelectedCurrentFolderPath(), true);

    for (MyParameterButton* button : {ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, ui->BTN_DUMP_CYLINDERS})
        connect(button, &MyParameterButton::currentIndexChanged, this, &MainWindow::on_DUMP_ParameterChanged);
    for (MyParameterButton* button : {ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END, ui->BTN_RESTORE_CYLINDERS})
        connect(button, &MyParameterButton::currentIndexChanged, this, &MainWindow::on_RESTORE_ParameterChanged);
    connect(ui->BTN_UNFORMAT_CYLINDERS, &MyParameterButton::currentIndexChanged, this,
            &MainWindow::on_UNFORMAT_ParameterChanged);

    // Every panel starts from the set a fresh preset button holds.
    ApplyFreshPresetToPanels();

    UpdateDRVEMUStatus();

    ui->BTN_CONVERT_DISKNO->setStyleSheet(MyCommon::LARGE_CONTROL_STYLE);
    ui->BTN_CONVERT_FORMAT->setStyleSheet(MyCommon::LARGE_CONTROL_STYLE);
    ui->EDT_DRVINFO_DISPLAY->setStyleSheet(TouchStyle::WideScrollBar());
    ui->EDT_LOG_DISPLAY->setStyleSheet(TouchStyle::WideScrollBar());
    // The form gives the disk-information pane its touch scroll bar after
    // the pane's group box got its own sheet; the toolkit then never brings
    // the pane's rules down to its scroll bar, which stays thin.
    ui->EDT_DRVINFO_DISPLAY->verticalScrollBar()->setStyleSheet(TouchStyle::WideScrollBar());

    m_startupTimer1Id = startTimer(MyCommon::TIME_STARTUP_FIRST, Qt::CoarseTimer);
}

MainWindow::~MainWindow()
{
    delete ui;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == m_inputGuardOnEvent)
        common()->SetInputGuard(true);
    else if (event->type() == m_inputGuardOffEvent)
        common()->SetInputGuard(false);
    Q_UNUSED(watched);
    // The guard events go on to the window; nothing is ever consumed here.
    return false;
}

void MainWindow::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    if (id == m_startupTimer1Id) {
        killTimer(m_startupTimer1Id);
        m_startupTimer1Id = -1;
        if (common()->Settings().m_startup)
            on_BTN_DRVEMU_START_clicked();
        m_startupTimer2Id = startTimer(MyCommon::TIME_STARTUP_SECOND, Qt::CoarseTimer);
    } else if (id == m_startupTimer2Id) {
        killTimer(m_startupTimer2Id);
        m_startupTimer2Id = -1;
        // The last images go back in once the emulator answers as running
        // (OnListingRead); the first poll asks at once.
        m_pollTimerId = startTimer(MyCommon::TIME_POLL, Qt::CoarseTimer);
        PollEmulator();
    } else if (id == m_pollTimerId) {
        PollEmulator();
    } else {
        QMainWindow::timerEvent(event);
    }
}

// ---- navigation -----------------------------------------------------------

void MainWindow::on_BTN_PAGE1_CHANGE_clicked()
{
    on_BTN_DRVEMU_STOP_clicked();
    ui->STACKED_WIDGET->setCurrentIndex(1);
}

void MainWindow::on_BTN_PAGE2_CHANGE_clicked()
{
    ui->STACKED_WIDGET->setCurrentIndex(0);
}

void MainWindow::on_TAB_CONTROLLER_MODE_currentChanged(int index)
{
    if (index == 0)
        ui->WDT_DUMP_PARAMETER_SELECTOR->setFocus(Qt::OtherFocusReason);
    else
        ui->WDT_RESTORE_PARAMETER_SELECTOR->setFocus(Qt::OtherFocusReason);
}

// ---- settings -------------------------------------------------------------

void MainWindow::on_WDT_EMU_FDIMAGESELECTOR_currentPathChanged(QString folder)
{
    CurrentPathChangedAll(folder, true);
}

void MainWindow::CurrentPathChangedAll(QString folder, bool fromBrowser)
{
    KESTAconSettings& record = common()->Settings();
    record.m_lastAccessFolder = folder;
    ui->LEDT_DUMP_PATH->setText(folder);
    ui->LEDT_RESTORE_PATH->setText(folder);
    if (!fromBrowser)
        ui->WDT_EMU_FDIMAGESELECTOR->SetRootPath(record.m_lastAccessFolder, false);
    on_settingsChanged_Setting();
}

void MainWindow::on_settingsChanged_FolderMark()
{
    MarkManage::getInstance()->SaveToSettings();
}

// ---- keyboard -------------------------------------------------------------

void MainWindow::displayVirtualKeyBoard(QLineEdit* field)
{
    const bool emulating = common()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING;
    if (emulating)
        setFocus();
    if (!MyKeyboard::ConfirmTextEntry(this)) {
        setFocus();
        return;
    }
    if (emulating)
        on_BTN_DRVEMU_STOP_clicked();
    MyKeyboard::EditField(field, field, this);
}

void MainWindow::on_LEDT_DUMP_FILENAME_focused(const bool& focused)
{
    if (focused)
        displayVirtualKeyBoard(ui->LEDT_DUMP_FILENAME);
}

void MainWindow::on_LEDT_RESTORE_FILENAME_focused(const bool& focused)
{
    if (focused)
        displayVirtualKeyBoard(ui->LEDT_RESTORE_FILENAME);
}

// ---- log ------------------------------------------------------------------

void MainWindow::on_BTN_LOG_CLEAR_clicked()
{
    ui->EDT_LOG_DISPLAY->clear();
}

void MainWindow::on_EDT_LOG_DISPLAY_textChanged()
{
    ui->LBL_LOG_ROW_COUNT->setText(QString::asprintf("%d", ui->EDT_LOG_DISPLAY->document()->lineCount()));
}

void MainWindow::on_BTN_LOG_SAVE_clicked()
{
    FDImageSelectorDialog dialog(this, FDImageSelector::FOLDER_SELECT_MODE);
    dialog.SetFullPath(common()->Settings().m_lastAccessFolder);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString saved = SaveLogToFolder(dialog.GetFolderPath());
    if (!saved.isEmpty())
        QMessageBox::information(this, QStringLiteral("information."), QStringLiteral("The log was saved as\n") + saved);
}

QString MainWindow::SaveLogToFolder(const QString& folder)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString path = folder + QLatin1Char('/') + QStringLiteral("LOG_") + now.toString(QStringLiteral("yyyyMMdd")) +
                         now.toString(QStringLiteral("hhmmss")) + QStringLiteral(".log");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QMessageBox::information(this, QStringLiteral("Unable to open file as write mode"), file.errorString());
        return QString();
    }
    QTextCursor cursor(ui->EDT_LOG_DISPLAY->document()->firstBlock());
    ui->EDT_LOG_DISPLAY->setTextCursor(cursor);
    cursor.select(QTextCursor::Document);
    QString text = cursor.selectedText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    QTextStream out(&file);
    QtCompat::UseUtf8(out);
    out << text;
    out.flush();
    file.close();
    return path;
}
