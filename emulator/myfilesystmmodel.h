#pragma once

#include <QFileSystemModel>
#include <QModelIndex>
#include <QString>

// The file model of the image browsers.
class MyFileSystmModel : public QFileSystemModel
{
    Q_OBJECT
public:
    explicit MyFileSystmModel(QObject* parent = nullptr);

    // The path of index without one trailing "/"; empty for an invalid index.
    QString filePathWithRemovedLastSlash(const QModelIndex& index) const;
};
