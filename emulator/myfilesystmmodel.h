#pragma once

#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QList>
#include <QModelIndex>
#include <QModelIndexList>
#include <QPersistentModelIndex>
#include <QString>

#include "filenames.h"

class QMimeData;

// The file model of the image browsers.  Below the entries Qt lists, the
// root folder also shows its files whose names are not UTF-8 (which Qt does
// not list); their paths are access links (FileNames) that reach the files.
class MyFileSystmModel : public QFileSystemModel
{
    Q_OBJECT
public:
    explicit MyFileSystmModel(QObject* parent = nullptr);

    // The path of index without one trailing "/"; empty for an invalid index.
    QString filePathWithRemovedLastSlash(const QModelIndex& index) const;

    // These hide QFileSystemModel's own: they also know the extra entries.
    QModelIndex setRootPath(const QString& path);
    QString filePath(const QModelIndex& index) const;

    // A dragged entry carries its URL and also the plain text "file://" +
    // path, which text-only drop targets (line edits, older panels) read.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    using QFileSystemModel::index;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool IsExtra(const QModelIndex& index) const;
    // The extra entry of index, or null.
    const FileNames::Hidden* Extra(const QModelIndex& index) const;
    void RefreshExtras();

    QString m_extraFolder;
    QPersistentModelIndex m_extraParent;
    QList<FileNames::Hidden> m_extras;
    QFileSystemWatcher m_watcher;
};
