#include "myfilesystmmodel.h"

#include <QDebug>
#include <QFileIconProvider>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include "kestalog.h"
namespace {
// The internal pointer of the extra entries' indexes; QFileSystemModel's own
// indexes point to its nodes.
char s_extraTag;
} // namespace

MyFileSystmModel::MyFileSystmModel(QObject* parent) : QFileSystemModel(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &MyFileSystmModel::RefreshExtras);
    // QFileSystemModel re-sorts by looking into every persistent index's
    // node; an extra entry has none, so it lets go of them first.
    connect(this, &QAbstractItemModel::layoutAboutToBeChanged, this, [this]() {
        const QModelIndexList persistent = persistentIndexList();
        for (const QModelIndex& index : persistent)
            if (IsExtra(index))
                changePersistentIndex(index, QModelIndex());
    });
}

QString MyFileSystmModel::filePathWithRemovedLastSlash(const QModelIndex& index) const
{
    if (!index.isValid())
        return QString();
    QString path = filePath(index);
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QModelIndex MyFileSystmModel::setRootPath(const QString& path)
{
    const QModelIndex root = QFileSystemModel::setRootPath(path);
    if (path != m_extraFolder || QModelIndex(m_extraParent) != root) {
        if (!m_extraFolder.isEmpty())
            m_watcher.removePath(m_extraFolder);
        if (!m_extras.isEmpty() && m_extraParent.isValid()) {
            const int base = QFileSystemModel::rowCount(m_extraParent);
            beginRemoveRows(m_extraParent, base, base + m_extras.size() - 1);
            m_extras.clear();
            endRemoveRows();
        }
        m_extras.clear();
        m_extraFolder = root.isValid() ? path : QString();
        m_extraParent = root;
        if (!m_extraFolder.isEmpty())
            m_watcher.addPath(m_extraFolder);
    }
    RefreshExtras();
    return root;
}

void MyFileSystmModel::RefreshExtras()
{
    const QList<FileNames::Hidden> now = FileNames::Undecodable(m_extraFolder);
    bool same = now.size() == m_extras.size();
    for (int i = 0; same && i < now.size(); ++i)
        same = now.at(i).accessPath == m_extras.at(i).accessPath;
    if (same)
        return;
    if (!m_extraParent.isValid()) {
        m_extras.clear();
        return;
    }
    const int base = QFileSystemModel::rowCount(m_extraParent);
    if (!m_extras.isEmpty()) {
        beginRemoveRows(m_extraParent, base, base + m_extras.size() - 1);
        m_extras.clear();
        endRemoveRows();
    }
    if (!now.isEmpty()) {
        beginInsertRows(m_extraParent, base, base + now.size() - 1);
        m_extras = now;
        endInsertRows();
    }
}

bool MyFileSystmModel::IsExtra(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.internalPointer() == &s_extraTag;
}

const FileNames::Hidden* MyFileSystmModel::Extra(const QModelIndex& index) const
{
    if (!IsExtra(index) || !m_extraParent.isValid())
        return nullptr;
    const int i = index.row() - QFileSystemModel::rowCount(m_extraParent);
    return i >= 0 && i < m_extras.size() ? &m_extras.at(i) : nullptr;
}

QString MyFileSystmModel::filePath(const QModelIndex& index) const
{
    if (IsExtra(index)) {
        const FileNames::Hidden* extra = Extra(index);
        return extra ? extra->accessPath : QString();
    }
    return QFileSystemModel::filePath(index);
}

QModelIndex MyFileSystmModel::index(int row, int column, const QModelIndex& parent) const
{
    if (IsExtra(parent))
        return QModelIndex();
    if (!m_extras.isEmpty() && parent.isValid() && parent == m_extraParent) {
        const int base = QFileSystemModel::rowCount(parent);
        if (row >= base) {
            if (row - base >= m_extras.size() || column < 0 || column >= columnCount(parent))
                return QModelIndex();
            return createIndex(row, column, &s_extraTag);
        }
    }
    return QFileSystemModel::index(row, column, parent);
}

QModelIndex MyFileSystmModel::parent(const QModelIndex& child) const
{
    return IsExtra(child) ? QModelIndex(m_extraParent) : QFileSystemModel::parent(child);
}

QModelIndex MyFileSystmModel::sibling(int row, int column, const QModelIndex& index) const
{
    return IsExtra(index) ? this->index(row, column, parent(index)) : QFileSystemModel::sibling(row, column, index);
}

int MyFileSystmModel::rowCount(const QModelIndex& parent) const
{
    if (IsExtra(parent))
        return 0;
    const int base = QFileSystemModel::rowCount(parent);
    return parent.isValid() && parent == m_extraParent ? base + m_extras.size() : base;
}

int MyFileSystmModel::columnCount(const QModelIndex& parent) const
{
    return IsExtra(parent) ? 0 : QFileSystemModel::columnCount(parent);
}

bool MyFileSystmModel::hasChildren(const QModelIndex& parent) const
{
    return !IsExtra(parent) && QFileSystemModel::hasChildren(parent);
}

bool MyFileSystmModel::canFetchMore(const QModelIndex& parent) const
{
    return !IsExtra(parent) && QFileSystemModel::canFetchMore(parent);
}

void MyFileSystmModel::fetchMore(const QModelIndex& parent)
{
    if (!IsExtra(parent))
        QFileSystemModel::fetchMore(parent);
}

QVariant MyFileSystmModel::data(const QModelIndex& index, int role) const
{
    if (!IsExtra(index))
        return QFileSystemModel::data(index, role);
    const FileNames::Hidden* extra = Extra(index);
    if (!extra || index.column() != 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case FileNameRole:
        return extra->name;
    case FilePathRole:
        return extra->accessPath;
    case Qt::DecorationRole:
        return iconProvider() ? QVariant(iconProvider()->icon(QFileIconProvider::File)) : QVariant();
    default:
        return QVariant();
    }
}

bool MyFileSystmModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    return !IsExtra(index) && QFileSystemModel::setData(index, value, role);
}

Qt::ItemFlags MyFileSystmModel::flags(const QModelIndex& index) const
{
    if (IsExtra(index))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    return QFileSystemModel::flags(index);
}

QMimeData* MyFileSystmModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    bool extra = false;
    for (const QModelIndex& index : indexes) {
        extra = extra || IsExtra(index);
        if (index.column() == 0)
            urls.append(QUrl::fromLocalFile(filePath(index)));
    }
    QMimeData* data = extra ? new QMimeData : QFileSystemModel::mimeData(indexes);
    if (!data)
        return data;
    if (extra)
        data->setUrls(urls);
    QStringList texts;
    const QList<QUrl> dataUrls = data->urls();
    for (const QUrl& url : dataUrls) {
        if (url.isLocalFile())
            texts.append(QStringLiteral("file://") + url.toLocalFile());
    }
    if (!texts.isEmpty())
        data->setText(texts.join(QLatin1Char('\n')));
    qCDebug(lcEmulator).noquote() << "Drag start:" << data->text();
    return data;
}
