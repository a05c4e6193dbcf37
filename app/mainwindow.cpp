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
#include <QMetaEnum>
#include <QProcess>
#include <QSettings>
#include <QTextBlock>
#include <QTextStream>
#include <QTimerEvent>

#include "cylinderrules.h"
#include "driveinfo.h"
#include "drvctlpoller.h"
#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "markmanage.h"
#include "mygraphicaldumpdisplay.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
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

// "---" followed by every number from first to last.
QStringList numbers(int first, int last, bool notGiven = true)
{
    QStringList items;
    if (notGiven)
        items << MyCommon::NOT_GIVEN;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    return items;
}

int valueOf(MyParameterButton* button, int defaultValue)
{
    return MyCommon::GetIntValueFromMyParameterButtonText(button, defaultValue);
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

    ui->LEDT_RENAME->setAcceptDrops(true);
    ui->LEDT_CONVERT->setAcceptDrops(true);

    ui->LBL_POWERED_BY->setText(MyCommon::POWERED_BY_PREFIX + common()->Get_DRVEMU_Version());

    SetupParameterButtons();

    QCoreApplication::setOrganizationName(MyCommon::ORGANIZATION_NAME);
    QCoreApplication::setOrganizationDomain(MyCommon::ORGANIZATION_DOMAIN);
    QCoreApplication::setApplicationName(MyCommon::APPLICATION_NAME);

    // The settings file; nothing is read or written before this point.
    common()->OpenSettingInstance(MyCommon::GetApplicationInifilePath());

    ui->WDT_DUMP_PARAMETER_SELECTOR->SetMode(0);
    ui->WDT_RESTORE_PARAMETER_SELECTOR->SetMode(1);
    ui->WDT_UNFORMAT_PARAMETER_SELECTOR->SetMode(2);

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
    // The form gives the disk-information pane its touch scroll bar after
    // the pane's group box got its own sheet; the toolkit then never brings
    // the pane's rules down to its scroll bar, which stays thin.
    ui->EDT_DRVINFO_DISPLAY->verticalScrollBar()->setStyleSheet(ui->EDT_DRVINFO_DISPLAY->styleSheet());

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
        const KESTAconSettings& record = common()->Settings();
        if (record.m_startup) {
            const QList<QPair<DriveInfo*, QString>> drives = {{ui->WDT_DRIVEINFO1, record.m_lastInsertDrive0},
                                                             {ui->WDT_DRIVEINFO2, record.m_lastInsertDrive1}};
            for (const auto& drive : drives) {
                if (drive.second != MyCommon::EMPTY_DRIVE && QFileInfo::exists(drive.second))
                    drive.first->SetFDImage(drive.second);
            }
        }
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
    ui->WDT_DRIVEINFO1->AnalyzeDRVCtrlInfo(listing);
    ui->WDT_DRIVEINFO2->AnalyzeDRVCtrlInfo(listing);
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
    const bool emulating = common()->isDRVEMU_STATE() == 1;
    if (emulating)
        setFocus();
    if (!MyKeyboard::ConfirmTextEntry(this)) {
        setFocus();
        return;
    }
    if (emulating) {
        m_drvemuProcess->kill();
        common()->LinuxCommand(QStringLiteral("pkill ") + MyCommon::TOOL_DRVEMU);
        common()->UpdateDRVEMU_STATE(0);
        UpdateDRVEMUStatus();
    }
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
    SaveLogToFolder(dialog.GetFolderPath());
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

// ---- operation panels -----------------------------------------------------

void MainWindow::SetupParameterButtons()
{
    auto title = [this](MyParameterButton* button) {
        QString name = button->objectName();
        name.replace(0, 4, QStringLiteral("LBL_"));
        auto* label = findChild<QLabel*>(name);
        return label ? label->text() : QString();
    };
    const QStringList drives = {"0", "1"};
    const QStringList heads = {MyCommon::NOT_GIVEN, "1", "2"};
    const QStringList pins = {MyCommon::NOT_GIVEN, "2", "4", "12"};
    const QStringList density = {MyCommon::NOT_GIVEN, "double", "high"};
    const QStringList format = {MyCommon::NOT_GIVEN, MyCommon::FORMAT_ENCODE, MyCommon::FORMAT_RAW};
    const QStringList overwrite = {"SETTING", "overwrite", "followKESTA"};
    const QStringList flag = {MyCommon::NOT_GIVEN, "0", "1"};
    const QString ng = MyCommon::NOT_GIVEN;

    struct Entry {
        MyParameterButton* button;
        QStringList items;
        QString initial;
    };
    const QList<Entry> entries = {
        {ui->BTN_DUMP_DRIVE, drives, "0"},
        {ui->BTN_DUMP_HEADS, heads, "1"},
        {ui->BTN_DUMP_STEPS, heads, "1"},
        {ui->BTN_DUMP_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_DUMP_BEGIN, numbers(0, 83), "1"},
        {ui->BTN_DUMP_END, numbers(0, 83), "1"},
        {ui->BTN_DUMP_ASSERT_PIN1, pins, ng},
        {ui->BTN_DUMP_ASSERT_PIN2, pins, ng},
        {ui->BTN_DUMP_ASSERT_PIN3, pins, ng},
        {ui->BTN_DUMP_DENSITY, density, ng},
        {ui->BTN_DUMP_FORMAT, format, ng},
        {ui->BTN_DUMP_RETRY, numbers(0, 98), "1"},
        {ui->BTN_DUMP_OVERWRITE, overwrite, "SETTING"},
        {ui->BTN_RESTORE_DRIVE, drives, "0"},
        {ui->BTN_RESTORE_HEADS, heads, "1"},
        {ui->BTN_RESTORE_STEPS, heads, "1"},
        {ui->BTN_RESTORE_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_RESTORE_BEGIN, numbers(0, 83), "1"},
        {ui->BTN_RESTORE_END, numbers(0, 83), "1"},
        {ui->BTN_RESTORE_ASSERT_PIN1, pins, ng},
        {ui->BTN_RESTORE_ASSERT_PIN2, pins, ng},
        {ui->BTN_RESTORE_ASSERT_PIN3, pins, ng},
        {ui->BTN_RESTORE_FLAG, flag, ng},
        {ui->BTN_RESTORE_DISKNO, numbers(0, 14), ng},
        {ui->BTN_UNFORMAT_DRIVE, drives, "0"},
        {ui->BTN_UNFORMAT_HEADS, heads, "1"},
        {ui->BTN_UNFORMAT_STEPS, heads, "1"},
        {ui->BTN_UNFORMAT_CYLINDERS, numbers(1, 84), "1"},
        {ui->BTN_UNFORMAT_ASSERT_PIN1, pins, ng},
        {ui->BTN_UNFORMAT_ASSERT_PIN2, pins, ng},
        {ui->BTN_UNFORMAT_ASSERT_PIN3, pins, ng},
    };
    for (const Entry& entry : entries) {
        const QString text = entry.button == ui->BTN_RESTORE_DISKNO ? QStringLiteral("DiskNo") : title(entry.button);
        setupButton(entry.button, text, entry.items, entry.initial);
    }
    setupButton(ui->BTN_DRVEMU_MODE, QStringLiteral("Emulator Mode"), MyCommon::EMULATOR_MODES,
                MyCommon::MODE_NORMAL);
    SetupImageToolButtons();
}

void MainWindow::ApplySet(ParameterSet* set, const QStringList& keys, const QList<MyParameterButton*>& buttons,
                          MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end)
{
    if (!set)
        return;
    // The cylinder rules would fight a set whose values arrive one by one
    // (80 cylinders, BEGIN 60 meeting a 40-cylinder set); they run once the
    // whole set is on the panel.
    const bool wasApplying = m_applyingSet;
    m_applyingSet = true;
    for (int i = 0; i < keys.size() && i < buttons.size(); ++i)
        buttons.at(i)->setCurrentText(set->Value(keys.at(i)));
    m_applyingSet = wasApplying;
    if (!m_applyingSet && cylinders && begin && end)
        ApplyCylinderRules(cylinders, begin, end, CylinderRules::CylindersChanged);
}

void MainWindow::SetDumpButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_BEGIN,
              MyCommon::KEY_END, MyCommon::KEY_STEPS, MyCommon::KEY_DENSITY, MyCommon::KEY_FORMAT,
              MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2, MyCommon::KEY_ASSERT_PIN3, MyCommon::KEY_RETRY,
              MyCommon::KEY_OVERWRITE},
             {ui->BTN_DUMP_DRIVE, ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_HEADS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END,
              ui->BTN_DUMP_STEPS, ui->BTN_DUMP_DENSITY, ui->BTN_DUMP_FORMAT, ui->BTN_DUMP_ASSERT_PIN1,
              ui->BTN_DUMP_ASSERT_PIN2, ui->BTN_DUMP_ASSERT_PIN3, ui->BTN_DUMP_RETRY, ui->BTN_DUMP_OVERWRITE},
             ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END);
}

void MainWindow::SetRestoreButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_BEGIN,
              MyCommon::KEY_END, MyCommon::KEY_STEPS, MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2,
              MyCommon::KEY_ASSERT_PIN3, MyCommon::KEY_FLAG, MyCommon::KEY_DISKNO},
             {ui->BTN_RESTORE_DRIVE, ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_HEADS, ui->BTN_RESTORE_BEGIN,
              ui->BTN_RESTORE_END, ui->BTN_RESTORE_STEPS, ui->BTN_RESTORE_ASSERT_PIN1, ui->BTN_RESTORE_ASSERT_PIN2,
              ui->BTN_RESTORE_ASSERT_PIN3, ui->BTN_RESTORE_FLAG, ui->BTN_RESTORE_DISKNO},
             ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END);
}

void MainWindow::SetUnformatButtonParameters(ParameterSet* set)
{
    ApplySet(set,
             {MyCommon::KEY_DRIVES, MyCommon::KEY_CYLINDERS, MyCommon::KEY_HEADS, MyCommon::KEY_STEPS,
              MyCommon::KEY_ASSERT_PIN1, MyCommon::KEY_ASSERT_PIN2, MyCommon::KEY_ASSERT_PIN3},
             {ui->BTN_UNFORMAT_DRIVE, ui->BTN_UNFORMAT_CYLINDERS, ui->BTN_UNFORMAT_HEADS, ui->BTN_UNFORMAT_STEPS,
              ui->BTN_UNFORMAT_ASSERT_PIN1, ui->BTN_UNFORMAT_ASSERT_PIN2, ui->BTN_UNFORMAT_ASSERT_PIN3},
             nullptr, nullptr, nullptr);
}

namespace {

// One key of a panel snapshot: the button's text, the button's text read as
// a number ("---" gives "0"), or a fixed value for a key the panel lacks.
struct SnapshotKey {
    SnapshotKey(const QString& k, MyParameterButton* b, bool number = false) : key(k), button(b), asNumber(number) {}
    SnapshotKey(const QString& k, const QString& value) : key(k), fixed(value) {}
    QString key;
    MyParameterButton* button = nullptr;
    bool asNumber = false;
    QString fixed;
};

ParameterSet* snapshot(const QList<SnapshotKey>& keys)
{
    auto* set = new ParameterSet;
    for (const SnapshotKey& k : keys) {
        if (!k.button)
            set->SetValue(k.key, k.fixed);
        else if (k.asNumber)
            set->SetValue(k.key, QString::number(valueOf(k.button, 0)));
        else
            set->SetValue(k.key, k.button->currentText());
    }
    return set;
}

SnapshotKey fixedKey(const QString& key, const QString& value)
{
    return SnapshotKey(key, value);
}

} // namespace

ParameterSet* MainWindow::GetDumpButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_DUMP_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_DUMP_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_DUMP_HEADS},
                     {MyCommon::KEY_BEGIN, ui->BTN_DUMP_BEGIN, true},
                     {MyCommon::KEY_END, ui->BTN_DUMP_END, true},
                     {MyCommon::KEY_STEPS, ui->BTN_DUMP_STEPS},
                     {MyCommon::KEY_DENSITY, ui->BTN_DUMP_DENSITY},
                     {MyCommon::KEY_FORMAT, ui->BTN_DUMP_FORMAT},
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_DUMP_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_DUMP_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_DUMP_ASSERT_PIN3},
                     {MyCommon::KEY_RETRY, ui->BTN_DUMP_RETRY},
                     fixedKey(MyCommon::KEY_FLAG, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_DISKNO, QStringLiteral("1")),
                     {MyCommon::KEY_OVERWRITE, ui->BTN_DUMP_OVERWRITE}});
}

ParameterSet* MainWindow::GetRestoreButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_RESTORE_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_RESTORE_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_RESTORE_HEADS},
                     {MyCommon::KEY_BEGIN, ui->BTN_RESTORE_BEGIN, true},
                     {MyCommon::KEY_END, ui->BTN_RESTORE_END, true},
                     {MyCommon::KEY_STEPS, ui->BTN_RESTORE_STEPS},
                     fixedKey(MyCommon::KEY_DENSITY, QStringLiteral("double")),
                     fixedKey(MyCommon::KEY_FORMAT, MyCommon::FORMAT_ENCODE),
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_RESTORE_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_RESTORE_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_RESTORE_ASSERT_PIN3},
                     fixedKey(MyCommon::KEY_RETRY, QStringLiteral("3")),
                     {MyCommon::KEY_FLAG, ui->BTN_RESTORE_FLAG},
                     {MyCommon::KEY_DISKNO, ui->BTN_RESTORE_DISKNO},
                     fixedKey(MyCommon::KEY_OVERWRITE, QStringLiteral("SETTING"))});
}

ParameterSet* MainWindow::GetUnformatButtonParameters()
{
    return snapshot({{MyCommon::KEY_DRIVES, ui->BTN_UNFORMAT_DRIVE},
                     {MyCommon::KEY_CYLINDERS, ui->BTN_UNFORMAT_CYLINDERS},
                     {MyCommon::KEY_HEADS, ui->BTN_UNFORMAT_HEADS},
                     {MyCommon::KEY_STEPS, ui->BTN_UNFORMAT_STEPS},
                     fixedKey(MyCommon::KEY_DENSITY, QStringLiteral("double")),
                     fixedKey(MyCommon::KEY_FORMAT, MyCommon::FORMAT_ENCODE),
                     {MyCommon::KEY_ASSERT_PIN1, ui->BTN_UNFORMAT_ASSERT_PIN1},
                     {MyCommon::KEY_ASSERT_PIN2, ui->BTN_UNFORMAT_ASSERT_PIN2},
                     {MyCommon::KEY_ASSERT_PIN3, ui->BTN_UNFORMAT_ASSERT_PIN3},
                     fixedKey(MyCommon::KEY_RETRY, QStringLiteral("3")),
                     fixedKey(MyCommon::KEY_FLAG, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_DISKNO, QStringLiteral("1")),
                     fixedKey(MyCommon::KEY_OVERWRITE, QStringLiteral("SETTING"))});
}

ParameterSet* MainWindow::GetButtonParameters(int operation)
{
    switch (operation) {
    case 0:
        return GetDumpButtonParameters();
    case 1:
        return GetRestoreButtonParameters();
    case 2:
        return GetUnformatButtonParameters();
    default:
        return nullptr;
    }
}

void MainWindow::SetButtonParameters(int operation, ParameterSet* set)
{
    switch (operation) {
    case 0:
        SetDumpButtonParameters(set);
        break;
    case 1:
        SetRestoreButtonParameters(set);
        break;
    case 2:
        SetUnformatButtonParameters(set);
        break;
    default:
        break;
    }
}

void MainWindow::ApplyCylinderRules(MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end,
                                    int changed)
{
    if (m_applyingSet)
        return;
    const CylinderRules::Result result = CylinderRules::Apply(
        cylinders->currentText(), begin->currentText(), end->currentText(), CylinderRules::Changed(changed));
    // END before BEGIN: each write re-enters the rules at most once more.
    if (result.writeEnd)
        end->setCurrentText(result.end);
    if (result.writeBegin)
        begin->setCurrentText(result.begin);
}

void MainWindow::on_BTN_DUMP_CYLINDERS_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::CylindersChanged);
}

void MainWindow::on_BTN_DUMP_BEGIN_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::BeginChanged);
}

void MainWindow::on_BTN_DUMP_END_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_DUMP_CYLINDERS, ui->BTN_DUMP_BEGIN, ui->BTN_DUMP_END, CylinderRules::EndChanged);
}

void MainWindow::on_BTN_RESTORE_CYLINDERS_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::CylindersChanged);
}

void MainWindow::on_BTN_RESTORE_BEGIN_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::BeginChanged);
}

void MainWindow::on_BTN_RESTORE_END_currentIndexChanged(int)
{
    ApplyCylinderRules(ui->BTN_RESTORE_CYLINDERS, ui->BTN_RESTORE_BEGIN, ui->BTN_RESTORE_END,
                       CylinderRules::EndChanged);
}

void MainWindow::on_DUMP_ParameterChanged()
{
    qDebug() << "void MainWindow::on_DUMP_ParameterChanged()" << " START";
    const int c = valueOf(ui->BTN_DUMP_CYLINDERS, 40);
    const int e = valueOf(ui->BTN_DUMP_END, 39);
    const int r = valueOf(ui->BTN_DUMP_RETRY, 3);
    const int b = valueOf(ui->BTN_DUMP_BEGIN, 0);
    ui->WDT_DUMPSTATUS->InitialTrackState(0, b, c > e ? e : c - 1, r, c);
    SetReDumpBtnEnabled(false);
    qDebug() << "void MainWindow::on_DUMP_ParameterChanged()" << " END";
}

void MainWindow::on_RESTORE_ParameterChanged()
{
    qDebug() << "void MainWindow::on_RESTORE_ParameterChanged()" << " START";
    const int c = valueOf(ui->BTN_RESTORE_CYLINDERS, 40);
    const int e = valueOf(ui->BTN_RESTORE_END, 39);
    const int b = valueOf(ui->BTN_RESTORE_BEGIN, 0);
    ui->WDT_RESTORESTATUS->InitialTrackState(1, b, c > e ? e : c - 1, 2, c);
    qDebug() << "void MainWindow::on_RESTORE_ParameterChanged()" << " END";
}

void MainWindow::on_UNFORMAT_ParameterChanged()
{
    qDebug() << "void MainWindow::on_UNFORMAT_ParameterChanged()" << " START";
    const int c = valueOf(ui->BTN_UNFORMAT_CYLINDERS, 40);
    ui->WDT_UNFORMATSTATUS->InitialTrackState(2, 0, c - 1, 2, c);
    qDebug() << "void MainWindow::on_UNFORMAT_ParameterChanged()" << " END";
}

void MainWindow::on_settingsChanged_Dump()
{
    qDebug() << "void MainWindow::on_settingsChanged_Dump()" << " START";
    ui->WDT_DUMP_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_DUMP);
    qDebug() << "void MainWindow::on_settingsChanged_Dump()" << " END";
}

void MainWindow::on_settingsChanged_Restore()
{
    qDebug() << "void MainWindow::on_settingsChanged_Restore()" << " START";
    common()->SetSettingString(QStringLiteral("RESTORE/DISKNO"), ui->BTN_RESTORE_DISKNO->currentText());
    ui->WDT_RESTORE_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_RESTORE);
    qDebug() << "void MainWindow::on_settingsChanged_Restore()" << " END";
}

void MainWindow::on_settingsChanged_Unformat()
{
    qDebug() << "void MainWindow::on_settingsChanged_Unformat()" << " START";
    ui->WDT_UNFORMAT_PARAMETER_SELECTOR->getParameterManage()->SaveToSettings(ParameterManage::SLOT_UNFORMAT);
    qDebug() << "void MainWindow::on_settingsChanged_Unformat()" << " END";
}

void MainWindow::SetReDumpBtnEnabled(bool enabled)
{
    ui->BTN_REDUMP->setEnabled(enabled);
    ui->BTN_REDUMP->setStyleSheet(enabled ? MyCommon::REDUMP_STYLE_HIGHLIGHT : MyCommon::REDUMP_STYLE_PLAIN);
}
