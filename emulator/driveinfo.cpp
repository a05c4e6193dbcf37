#include "driveinfo.h"
#include "ui_driveinfo.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QPointer>
#include <QTimerEvent>

#include "drivelisting.h"
#include "droppedpaths.h"
#include "kestalog.h"
#include "mycommon.h"

const QString DriveInfo::NO_DISK_TEXT = QStringLiteral("----NO DISK ----");
const QString DriveInfo::DRIVE_NAME_FORMAT = QStringLiteral("DRIVE %1");
const QString DriveInfo::CYLINDER_FORMAT = QStringLiteral("%1");
const QString DriveInfo::PROTECT_ON_TEXT = QStringLiteral(" ON");
const QString DriveInfo::PROTECT_OFF_TEXT = QStringLiteral("---");
const QString DriveInfo::LAMP_ON_STYLE = QStringLiteral("background:red;");
const QString DriveInfo::LAMP_OFF_STYLE = QStringLiteral("background:Window;");
const QString DriveInfo::LAST_INSERT_DRIVE0 = QStringLiteral("LASTINSERT_FDIMAGE/DRIVE0");
const QString DriveInfo::LAST_INSERT_DRIVE1 = QStringLiteral("LASTINSERT_FDIMAGE/DRIVE1");

DriveInfo::DriveInfo(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::DriveInfo), m_imageName(NO_DISK_TEXT)
{
    m_ui->setupUi(this);
    setAcceptDrops(true);
    Set_CSTM_FDImageName(NO_DISK_TEXT);
    Set_CSTM_DriveNo(0);
    // Showing the first cylinder lights the lamp, as on a drive at power-on.
    Set_CSTM_CylinderInfo(0);
    Set_CSTM_WriteProtect(false);
}

DriveInfo::~DriveInfo()
{
    delete m_ui;
}

void DriveInfo::Set_CSTM_DriveNo(int driveNo)
{
    m_driveNo = driveNo;
    m_ui->LBL_DRIVE_NAME->setText(DRIVE_NAME_FORMAT.arg(driveNo));
}

void DriveInfo::Set_CSTM_FDImagePath(const QString& path)
{
    m_imagePath = path;
    m_ui->LBL_FDIMAGE_PATH->setText(path);
}

void DriveInfo::Set_CSTM_FDImageName(const QString& name)
{
    m_imageName = name == MyCommon::EMPTY_DRIVE ? NO_DISK_TEXT : name;
    m_ui->LBL_FD_FILENAME->setText(m_imageName);
}

void DriveInfo::Set_CSTM_FileInfo(const QFileInfo& info)
{
    m_fileInfo = info;
    Set_CSTM_FDImagePath(info.filePath());
    Set_CSTM_FDImageName(info.fileName());
}

void DriveInfo::Set_CSTM_CylinderInfo(int cylinder)
{
    m_cylinder = cylinder;
    m_ui->LBL_CYLINDER->setText(CYLINDER_FORMAT.arg(cylinder, 3, 10, QLatin1Char('0')));
    m_ui->LBL_ACCESS_LED->setStyleSheet(LAMP_ON_STYLE);
    // One lamp timer per panel: every change restarts it, so the lamp goes
    // dark a fixed time after the last movement of the head.
    if (m_lampTimerId != -1)
        killTimer(m_lampTimerId);
    m_lampTimerId = startTimer(MyCommon::TIME_ACCESS_LAMP, Qt::CoarseTimer);
}

void DriveInfo::Set_CSTM_WriteProtect(bool on)
{
    m_ui->LBL_WRITEPROTECT->setText(on ? PROTECT_ON_TEXT : PROTECT_OFF_TEXT);
}

void DriveInfo::Set_CSTM_DriveInfo(int drive, const QString& protect, int cylinder, const QString& path)
{
    if (cylinder != m_cylinder)
        Set_CSTM_CylinderInfo(cylinder);
    Set_CSTM_WriteProtect(protect != DriveListing::NOT_PROTECTED);
    StoreLastInsert(drive != 0 ? LAST_INSERT_DRIVE1 : LAST_INSERT_DRIVE0, path);
    Set_CSTM_FDImageName(path.split(QLatin1Char('/'), Qt::KeepEmptyParts).last().trimmed());
}

QString DriveInfo::LastInsert(const QString& key)
{
    MyCommon* common = MyCommon::getInstance();
    // A reopened settings file (a restore) is a new object: what was cached
    // from the old one no longer says what the file holds.
    if (m_storedFrom.isNull() || m_storedFrom != common->GetSettingInstance()) {
        m_storedLastInsert.clear();
        m_storedFrom = common->GetSettingInstance();
    }
    auto stored = m_storedLastInsert.find(key);
    if (stored == m_storedLastInsert.end()) {
        stored = m_storedLastInsert.insert(key, common->GetSettingString(key));
        (key == LAST_INSERT_DRIVE0 ? common->Settings().m_lastInsertDrive0 : common->Settings().m_lastInsertDrive1) =
            stored.value();
    }
    return stored.value();
}

QString DriveInfo::RememberedImage()
{
    return LastInsert(m_driveNo != 0 ? LAST_INSERT_DRIVE1 : LAST_INSERT_DRIVE0);
}

void DriveInfo::StoreLastInsert(const QString& key, const QString& path)
{
    if (LastInsert(key) == path)
        return;
    // The poll runs every 800 ms; only a real change reaches the file.
    MyCommon* common = MyCommon::getInstance();
    common->SetSettingString(key, path);
    m_storedLastInsert[key] = path;
    if (key == LAST_INSERT_DRIVE0)
        common->Settings().m_lastInsertDrive0 = path;
    else
        common->Settings().m_lastInsertDrive1 = path;
}

void DriveInfo::AnalyzeDRVCtrlInfo(const QByteArray& listing)
{
    const std::optional<DriveListing> row = DriveListing::Parse(listing, m_driveNo);
    if (!row)
        return;
    // The panel takes the inserted file as its own once the emulator holds it.
    if (!m_pendingInsert.isEmpty() && row->Path() == m_pendingInsert) {
        Set_CSTM_FileInfo(QFileInfo(m_pendingInsert));
        m_pendingInsert.clear();
    }
    Set_CSTM_DriveInfo(row->Drive(), row->Protect(), row->Cylinder(), row->Path());
}

void DriveInfo::SetFDImage(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    // Nothing shows the new name before a listing does: the emulator may
    // refuse the image.
    m_pendingInsert = info.absoluteFilePath();
    // The event loop turns while drvctl runs; the window may close meanwhile.
    const QPointer<DriveInfo> alive(this);
    const QByteArray output = MyCommon::getInstance()->Command(
        MyCommon::TOOL_DRVCTL,
        {MyCommon::OPT_I, QString::number(m_driveNo), MyCommon::OPT_C, MyCommon::DRVCTL_INSERT, m_pendingInsert});
    if (alive)
        AnalyzeDRVCtrlInfo(output);
}

void DriveInfo::on_pushButton_clicked()
{
    const QPointer<DriveInfo> alive(this);
    MyCommon::getInstance()->Command(
        MyCommon::TOOL_DRVCTL,
        {MyCommon::OPT_I, QString::number(m_driveNo), MyCommon::OPT_C, MyCommon::DRVCTL_EJECT});
    if (alive)
        m_ui->LBL_FD_FILENAME->setText(NO_DISK_TEXT);
}

void DriveInfo::dragEnterEvent(QDragEnterEvent* event)
{
    if (MyCommon::getInstance()->isDRVEMU_STATE() == MyCommon::DRVEMU_RUNNING)
        event->acceptProposedAction();
}

void DriveInfo::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime || !(mime->hasUrls() || mime->hasText()))
        return;
    if (mime->hasText())
        qCDebug(lcEmulator) << mime->text();
    qCDebug(lcEmulator) << "Q_WS_X11?";
    const QStringList paths = DroppedPaths(mime).paths;
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) {
            event->acceptProposedAction();
            // The insert waits for drvctl; let the drag finish first so the
            // drag source is not held inside its own exec() meanwhile.
            QMetaObject::invokeMethod(this, [this, path]() { SetFDImage(path); }, Qt::QueuedConnection);
            return;
        }
    }
}

void DriveInfo::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_lampTimerId) {
        QWidget::timerEvent(event);
        return;
    }
    killTimer(m_lampTimerId);
    m_lampTimerId = -1;
    m_ui->LBL_ACCESS_LED->setStyleSheet(LAMP_OFF_STYLE);
}
