#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QMetaEnum>
#include <QProcess>
#include <QSettings>
#include <QTextBlock>
#include <QTextStream>
#include <QTimerEvent>

#include "drvctlpoller.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "myparameterbutton.h"

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

// Title, items and first item of a value button.
void setupButton(MyParameterButton* button, const QString& title, const QStringList& items, const QString& initial)
{
    button->setTitle(title);
    button->clear();
    for (const QString& item : items)
        button->addItem(item);
    button->setCurrentText(initial);
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
    // The form; slots named after an object and its signal connect here.
    ui->setupUi(this);

    ui->LEDT_RENAME->setAcceptDrops(true);
    ui->LEDT_CONVERT->setAcceptDrops(true);

    ui->LBL_POWERED_BY->setText(MyCommon::POWERED_BY_PREFIX + common()->Get_DRVEMU_Version());

    // Value lists of the buttons that this window owns directly.
    setupButton(ui->BTN_DRVEMU_MODE, QStringLiteral("Emulator Mode"), MyCommon::EMULATOR_MODES,
                MyCommon::MODE_NORMAL);

    QCoreApplication::setOrganizationName(MyCommon::ORGANIZATION_NAME);
    QCoreApplication::setOrganizationDomain(MyCommon::ORGANIZATION_DOMAIN);
    QCoreApplication::setApplicationName(MyCommon::APPLICATION_NAME);

    // The settings file; nothing is read or written before this point.
    common()->OpenSettingInstance(MyCommon::GetApplicationInifilePath());

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

    connect(common(), &MyCommon::settingsChanged, this, &MainWindow::on_settingsChanged_Setting);
    for (MyParameterButton* button : {ui->BTN_DRVEMU_MODE, ui->BTN_CONVERT_DISKNO, ui->BTN_CONVERT_FORMAT,
                                      ui->BTN_CONVERT_EXT, ui->BTN_MAKE_HVR_TYPE, ui->BTN_MAKE_HVR_RPM,
                                      ui->BTN_MAKE_HVR_PROTECT})
        connect(button, &MyParameterButton::currentIndexChanged, this, &MainWindow::on_settingsChanged_Emulator);
    connect(ui->LEDT_MAKE_HVR_DISKNAME, &QLineEdit::textEdited, this, &MainWindow::on_settingsChanged_Emulator);

    KESTAconSettings& record = common()->Settings();
    record.m_startup = common()->GetSettingBool(QStringLiteral("STARTUP/STARTUP"));
    record.m_lastInsertDrive0 = common()->GetSettingString(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE0"));
    record.m_lastInsertDrive1 = common()->GetSettingString(QStringLiteral("LASTINSERT_FDIMAGE/DRIVE1"));

    // The emulator runs on a process of its own; its chatter is never read,
    // so it goes nowhere instead of piling up in memory.
    m_drvemuProcess = new QProcess(this);
    m_drvemuProcess->setStandardOutputFile(QProcess::nullDevice());
    m_drvemuProcess->setStandardErrorFile(QProcess::nullDevice());

    m_poller = new DrvctlPoller(this);
    connect(m_poller, &DrvctlPoller::listingRead, this, &MainWindow::OnListingRead);

    UpdateDRVEMUStatus();

    ui->BTN_CONVERT_DISKNO->setStyleSheet(MyCommon::LARGE_CONTROL_STYLE);
    ui->BTN_CONVERT_FORMAT->setStyleSheet(MyCommon::LARGE_CONTROL_STYLE);

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
        m_pollTimerId = startTimer(MyCommon::TIME_POLL, Qt::CoarseTimer);
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

// ---- emulator control -----------------------------------------------------

void MainWindow::on_BTN_DRVEMU_START_clicked()
{
    const KESTAconSettings& record = common()->Settings();
    QStringList args;
    const QString mode = ui->BTN_DRVEMU_MODE->currentText();
    if (mode == MyCommon::MODE_NORMAL)
        args << MyCommon::DRVEMU_ARGS_NORMAL;
    else if (mode == MyCommon::MODE_HALFSTEP)
        args << MyCommon::DRVEMU_ARGS_HALFSTEP;
    else if (mode == MyCommon::MODE_PC9821)
        args << MyCommon::DRVEMU_ARGS_PC9821;
    args << (record.m_x68kOption ? MyCommon::DRVEMU_OPT_X68K_ON : MyCommon::DRVEMU_OPT_X68K_OFF);
    args << (record.m_motorSignal ? MyCommon::DRVEMU_OPT_MOTOR_ON : MyCommon::DRVEMU_OPT_MOTOR_OFF);
    qDebug() << "drvemu arguments:" << args;

    m_drvemuProcess->start(MyCommon::TOOL_DRVEMU, args, QIODevice::ReadWrite);
    qDebug() << "ProcessState" << QMetaEnum::fromType<QProcess::ProcessState>().valueToKey(m_drvemuProcess->state())
             << m_drvemuProcess->state();

    common()->UpdateDRVEMU_STATE(1);
    UpdateDRVEMUStatus();
}

void MainWindow::on_BTN_DRVEMU_STOP_clicked()
{
    m_drvemuProcess->kill();
    qDebug() << "ProcessState" << QMetaEnum::fromType<QProcess::ProcessState>().valueToKey(m_drvemuProcess->state())
             << m_drvemuProcess->state();
    common()->LinuxCommand(QStringLiteral("pkill ") + MyCommon::TOOL_DRVEMU);
    common()->UpdateDRVEMU_STATE(0);
    UpdateDRVEMUStatus();
}

void MainWindow::UpdateDRVEMUStatus()
{
    const bool running = common()->isDRVEMU_STATE() == 1;
    ui->BTN_DRVEMU_START->setEnabled(!running);
    ui->BTN_DRVEMU_STOP->setEnabled(running);
    ui->BTN_EMU_SETTING->setEnabled(!running);
    ui->WDT_DRIVEINFO1->setEnabled(running);
    ui->WDT_DRIVEINFO2->setEnabled(running);
    ui->BTN_DRVEMU_MODE->setEnabled(!running);
}

void MainWindow::PollEmulator()
{
    // One listing run at a time: a tick that finds the last run still going
    // is skipped, so a slow drvctl never piles up processes.
    m_poller->Poll();
}

void MainWindow::OnListingRead(const QByteArray& listing)
{
    if (MyCommon::IsDRVEMUListingActive(listing)) {
        common()->UpdateDRVEMU_STATE(1);
        UpdateDriveStatus(listing);
    } else {
        common()->UpdateDRVEMU_STATE(0);
    }
    UpdateDRVEMUStatus();
}

void MainWindow::UpdateDriveStatus()
{
    if (common()->isDRVEMU_STATE() != 1)
        return;
    UpdateDriveStatus(common()->CommandQuiet(MyCommon::TOOL_DRVCTL, MyCommon::DRVCTL_ARGS_LIST));
}

void MainWindow::UpdateDriveStatus(const QByteArray& listing)
{
    if (common()->isDRVEMU_STATE() != 1)
        return;
    Q_UNUSED(listing);
}

void MainWindow::on_settingsChanged_Emulator()
{
    qDebug() << "void MainWindow::on_settingsChanged_Emulator()" << " START";
    common()->SetSettingString(QStringLiteral("DRVEMU/MODE"), ui->BTN_DRVEMU_MODE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/DISKNO"), ui->BTN_CONVERT_DISKNO->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/FORMAT"), ui->BTN_CONVERT_FORMAT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/EXT"), ui->BTN_CONVERT_EXT->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/MAKEHVR"), ui->LEDT_MAKE_HVR_DISKNAME->text());
    common()->SetSettingString(QStringLiteral("CONVERT/TYPE"), ui->BTN_MAKE_HVR_TYPE->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/RPM"), ui->BTN_MAKE_HVR_RPM->currentText());
    common()->SetSettingString(QStringLiteral("CONVERT/PROTECT"), ui->BTN_MAKE_HVR_PROTECT->currentText());
    qDebug() << "void MainWindow::on_settingsChanged_Emulator()" << " END";
}

// ---- settings -------------------------------------------------------------

void MainWindow::LoadSettings()
{
    qDebug() << "LoadSettings START";
    const QString versionKey = QStringLiteral("SETTING/VERSION");
    if (common()->GetSettingString(versionKey) != MyCommon::APP_VERSION)
        common()->SetSettingString(versionKey, QStringLiteral("1.04"));
    if (common()->GetSettingString(versionKey) != QLatin1String("1.04")) {
        qDebug() << QString::fromUtf8("バージョンアップなし");
    } else {
        qDebug() << QString::fromUtf8("バージョンアップあり 1.04->1.05");
        const bool halfStep = common()->GetSettingBool(QStringLiteral("DRVEMU/HALFSTEP"));
        common()->SetSettingString(QStringLiteral("DRVEMU/MODE"),
                                   halfStep ? MyCommon::MODE_HALFSTEP : MyCommon::MODE_NORMAL);
        common()->RemoveSettingString(QStringLiteral("DRVEMU/HALFSTEP"));
    }

    KESTAconSettings& record = common()->Settings();
    record.m_mode = common()->GetSettingInt(QStringLiteral("MODE/NO"));
    record.m_currentFolderPolicy = common()->GetSettingInt(QStringLiteral("CURRENT_FOLDER/NO"));
    qDebug() << QString::asprintf("->CURRENT FOLDER(LOAD)[%d]", record.m_currentFolderPolicy);
    record.m_specifiedFolder = common()->GetSettingString(QStringLiteral("CURRENT_FOLDER/SPECIFIED_FOLDER_PATH"));
    record.m_lastAccessFolder = common()->GetSettingString(QStringLiteral("CURRENT_FOLDER/LASTACCESS_FOLDER_PATH"));
    record.m_overwrite = common()->GetSettingBool(QStringLiteral("OVERWRITE/OVERWRITE"));
    record.m_x68kOption = common()->GetSettingBool(QStringLiteral("DRVEMU/X68KOPT"));
    record.m_motorSignal = common()->GetSettingBool(QStringLiteral("DRVEMU/MTRSIGNAL"));

    ui->BTN_DRVEMU_MODE->setCurrentText(common()->GetSettingString(QStringLiteral("DRVEMU/MODE")));
    ui->BTN_CONVERT_DISKNO->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/DISKNO")));
    ui->BTN_CONVERT_FORMAT->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/FORMAT")));
    ui->BTN_CONVERT_EXT->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/EXT")));
    ui->LEDT_MAKE_HVR_DISKNAME->setText(common()->GetSettingString(QStringLiteral("CONVERT/MAKEHVR")));
    ui->BTN_MAKE_HVR_TYPE->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/TYPE")));
    ui->BTN_MAKE_HVR_RPM->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/RPM")));
    ui->BTN_MAKE_HVR_PROTECT->setCurrentText(common()->GetSettingString(QStringLiteral("CONVERT/PROTECT")));
    ui->BTN_RESTORE_DISKNO->setCurrentText(common()->GetSettingString(QStringLiteral("RESTORE/DISKNO")));
    qDebug() << "LoadSettings END";
}

void MainWindow::on_settingsChanged_Setting()
{
    const KESTAconSettings& record = common()->Settings();
    common()->SetSettingString(QStringLiteral("CURRENT_FOLDER/LASTACCESS_FOLDER_PATH"), record.m_lastAccessFolder);
    common()->SetSettingString(QStringLiteral("SETTING/VERSION"), record.m_version);
}

// ---- keyboard -------------------------------------------------------------

void MainWindow::displayVirtualKeyBoard(QLineEdit* field)
{
    if (common()->isDRVEMU_STATE() == 1) {
        setFocus();
        const auto answer = QMessageBox::question(
            this, QStringLiteral("Confirm operation continuation."),
            QStringLiteral("Do you want to continue?\nTo continue operation, stop the control of KESTA."),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Ok) {
            setFocus();
            return;
        }
        m_drvemuProcess->kill();
        common()->LinuxCommand(QStringLiteral("pkill ") + MyCommon::TOOL_DRVEMU);
        common()->UpdateDRVEMU_STATE(0);
        UpdateDRVEMUStatus();
    }
    MyKeyboard keyboard(field);
    keyboard.move(0, 180);
    keyboard.setText(field->text());
    setFocus();
    if (keyboard.exec() == QDialog::Accepted) {
        qDebug() << "DIALOG Accepted!!" << keyboard.getText();
        field->setText(keyboard.getText());
    }
    setFocus();
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
    out.setCodec("UTF-8");
    out << text;
    out.flush();
    file.close();
    return path;
}
