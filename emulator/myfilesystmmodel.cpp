#include "myfilesystmmodel.h"

#include <QDebug>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include "kestalog.h"

MyFileSystmModel::MyFileSystmModel(QObject* parent) : QFileSystemModel(parent)
{
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

QMimeData* MyFileSystmModel::mimeData(const QModelIndexList& indexes) const
{
    QMimeData* data = QFileSystemModel::mimeData(indexes);
    if (!data)
        return data;
    QStringList texts;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            texts.append(QStringLiteral("file://") + url.toLocalFile());
    }
    if (!texts.isEmpty())
        data->setText(texts.join(QLatin1Char('\n')));
    qCDebug(lcEmulator).noquote() << "Drag start:" << data->text();
    return data;
}
