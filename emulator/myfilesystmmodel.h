#pragma once

#include <QFileSystemModel>
#include <QModelIndex>
#include <QModelIndexList>
#include <QString>

class QMimeData;

// The file model of the image browsers.
class MyFileSystmModel : public QFileSystemModel
{
    Q_OBJECT
public:
    explicit MyFileSystmModel(QObject* parent = nullptr);

    // The path of index without one trailing "/"; empty for an invalid index.
    QString filePathWithRemovedLastSlash(const QModelIndex& index) const;

    // A dragged entry carries its URL and also the plain text "file://" +
    // path, which text-only drop targets (line edits, older panels) read.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
};
