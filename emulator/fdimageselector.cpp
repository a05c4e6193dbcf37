#include "fdimageselector.h"
#include "ui_fdimageselector.h"

#include <QDebug>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScroller>
#include <QScrollerProperties>

#include "dumprecord.h"
#include "filenames.h"
#include "kestalog.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mykeyboard.h"
#include "touchstyle.h"

const QString FDImageSelector::WIDE_SCROLLBAR_STYLE = TouchStyle::WideScrollBar();
const QString FDImageSelector::BACKGROUND_DRAG_TEXT = QStringLiteral("テキスト文字列");

namespace {
const QDir::Filters FILES_AND_FOLDERS = QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDotAndDotDot;
const QDir::Filters FOLDERS_ONLY = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
const QString DELETE_TITLE = QStringLiteral("Delete confirmation.");
const QString DELETE_TEXT = QStringLiteral("Are you sure to want to Delete?");
const QString MARK_TITLE = QStringLiteral("information.");
const QString MARK_REFUSED_TEXT = QStringLiteral("The item you are trying to add is already registered.");
const QString MARK_LIST_TITLE = QStringLiteral("Mark List");
const QPoint KEYBOARD_POSITION(0, 180);
} // namespace

FDImageSelector::FDImageSelector(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::FDImageSelector), m_model(new MyFileSystmModel(this))
{
    m_ui->setupUi(this);
    MarkManage::getInstance();

    m_model->setRootPath(MyCommon::getInstance()->Settings().GetSelectedCurrentFolderPath());
    m_ui->BTN_WDG_MARKLIST->setTitle(MARK_LIST_TITLE);
    m_model->setFilter(FILES_AND_FOLDERS);
    m_ui->LSV_WDG_FILELISTVEW->setModel(m_model);
    SetListViewStyleSheet(WIDE_SCROLLBAR_STYLE);

    // A finger flicks the list.  A sideways drag still lifts an entry out
    // towards the drive panels: the list cannot scroll sideways, so the
    // scroller lets go, and with no press delay the view has seen the press
    // it needs to start its own drag.
    QWidget* viewport = m_ui->LSV_WDG_FILELISTVEW->viewport();
    QScroller::grabGesture(viewport, QScroller::LeftMouseButtonGesture);
    QScrollerProperties properties = QScroller::scroller(viewport)->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0);
    QScroller::scroller(viewport)->setScrollerProperties(properties);

    setAcceptDrops(false);
}

FDImageSelector::~FDImageSelector()
{
    delete m_ui;
}

void FDImageSelector::ShowFolder(const QString& path, const char* logLabel, bool emitSignal)
{
    QListView* view = m_ui->LSV_WDG_FILELISTVEW;
    const QModelIndex root = m_model->setRootPath(path);
    if (view->model() != m_model)
        view->setModel(m_model);
    view->setRootIndex(root);
    view->setCurrentIndex(root);
    // A folder opens at its top; a flick still running in the old one ends.
    QScroller::scroller(view->viewport())->stop();
    view->scrollToTop();
    const QString folder = MyCommon::GetFolderPath(path);
    m_ui->LEDT_FDIMAGESELECTOR_PATH->setText(folder);
    qCDebug(lcEmulator) << logLabel << folder;
    if (emitSignal)
        emit currentPathChanged(folder);
}

void FDImageSelector::SetRootPath(const QString& path, bool emitSignal)
{
    qCDebug(lcEmulator) << "SetRootPath: " << path;
    ShowFolder(path, "SetRootPath:", emitSignal);
}

void FDImageSelector::SetSelectMode(SELECTOR_MODE mode)
{
    qCDebug(lcEmulator) << "SetSelectMode: " << static_cast<int>(mode);
    // A file chooser must still list files; only the folder mode hides them.
    m_model->setFilter(mode == FILE_SELECT_MODE ? FILES_AND_FOLDERS : FOLDERS_ONLY);
    if (m_ui->LSV_WDG_FILELISTVEW->model() != m_model)
        m_ui->LSV_WDG_FILELISTVEW->setModel(m_model);
}

QString FDImageSelector::LastComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void FDImageSelector::AddMarkListItem(const QString& path)
{
    // The item carries the folder's path rather than a model index: an
    // index dies with its entry when the folder tree changes, a path stays
    // valid and leads to an empty list at worst.
    m_fillingMarkList = true;
    m_ui->BTN_WDG_MARKLIST->addItem(LastComponent(path), QVariant(path));
    m_fillingMarkList = false;
}

void FDImageSelector::SetupMarkFolderList()
{
    m_fillingMarkList = true;
    m_ui->BTN_WDG_MARKLIST->clear();
    m_fillingMarkList = false;
    MarkManage* marks = MarkManage::getInstance();
    for (int i = 0; i < marks->Count(); ++i)
        AddMarkListItem(marks->Get(i));
}

QString FDImageSelector::GetCurrentFilePath() const
{
    return m_model->filePathWithRemovedLastSlash(m_ui->LSV_WDG_FILELISTVEW->currentIndex());
}

QModelIndex FDImageSelector::GetListViewCurrentIndex() const
{
    return m_ui->LSV_WDG_FILELISTVEW->currentIndex();
}

void FDImageSelector::SetListViewStyleSheet(const QString& styleSheet)
{
    m_ui->LSV_WDG_FILELISTVEW->setStyleSheet(styleSheet);
}

QString FDImageSelector::GetShownFolder() const
{
    return m_ui->LEDT_FDIMAGESELECTOR_PATH->text();
}

void FDImageSelector::SelectPath(const QString& path)
{
    const QModelIndex index = m_model->index(path);
    if (index.isValid())
        m_ui->LSV_WDG_FILELISTVEW->setCurrentIndex(index);
}

void FDImageSelector::on_LSV_WDG_FILELISTVEW_clicked(const QModelIndex& index)
{
    qCDebug(lcEmulator) << "INDEX " << index.row();
    if (!index.isValid() || !QFileInfo(m_model->filePath(index)).isDir())
        return; // a file only becomes the current entry
    ShowFolder(m_model->filePath(index), "on_LSV_WDG_FILELISTVEW_clicked:", true);
}

void FDImageSelector::on_BTN_WDG_PARENT_clicked()
{
    const QString root = m_model->rootPath();
    const int slash = root.lastIndexOf(QLatin1Char('/'));
    // "/home/pi/disks" gives "/home/pi"; "/home" and "/" give the top.
    const QString parent = slash < 0 ? QString() : root.left(slash);
    ShowFolder(parent, "on_BTN_WDG_PARENT_clicked:", true);
}

bool FDImageSelector::IsAcceptableFolderName(const QString& name)
{
    // One new folder, right here: no separators, no way up or out.
    return FileNames::IsValid(name);
}

void FDImageSelector::on_BTN_WDG_NEWFOLDER_clicked()
{
    MyKeyboard keyboard(this);
    keyboard.move(KEYBOARD_POSITION);
    keyboard.setText(QString());
    if (keyboard.exec() != QDialog::Accepted)
        return;
    const QString name = keyboard.getText();
    qCDebug(lcEmulator) << "DIALOG Accepted!!" << name;
    const QString current = GetCurrentFilePath();
    if (current.isEmpty() || !IsAcceptableFolderName(name))
        return;
    const QString folder = MyCommon::GetFolderPath(current) + QLatin1Char('/') + name;
    QDir dir;
    if (!dir.exists(folder))
        dir.mkdir(folder);
}

void FDImageSelector::on_BTN_WDG_DELETE_clicked()
{
    const QString path = GetCurrentFilePath();
    if (path.isEmpty())
        return;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, DELETE_TITLE, DELETE_TEXT, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    // Only files go; a folder stays where it is.
    if (FileNames::Remove(path))
        DumpRecord::Remove(path); // the record of a dump goes with its image
}

void FDImageSelector::on_BTN_WDG_MARK_clicked()
{
    const QString path = GetCurrentFilePath();
    if (path.isEmpty())
        return;
    if (MarkManage::getInstance()->Add(path)) {
        AddMarkListItem(path);
        return;
    }
    QMessageBox::information(this, MARK_TITLE, MARK_REFUSED_TEXT, QMessageBox::Ok);
}

void FDImageSelector::on_BTN_WDG_MARKLIST_activated(int index)
{
    qCDebug(lcEmulator) << index << QStringLiteral("on_CMB_WDG_MARKLIST_currentIndexChanged[%1]").arg(index);
    if (m_fillingMarkList || index < 0 || index >= m_ui->BTN_WDG_MARKLIST->getItemList().size())
        return;
    const QString path = m_ui->BTN_WDG_MARKLIST->itemData(index).toString();
    ShowFolder(path, "on_CMB_WDG_MARKLIST_currentIndexChanged:", true);
}

void FDImageSelector::mousePressEvent(QMouseEvent* event)
{
    QWidget* child = childAt(event->pos());
    if (event->button() != Qt::LeftButton || (child && child != m_ui->GRP_WDG_FD_IMAGE_SELECT)) {
        QWidget::mousePressEvent(event);
        return;
    }
    auto* mime = new QMimeData;
    mime->setText(BACKGROUND_DRAG_TEXT);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}
