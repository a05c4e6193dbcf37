#include "myfilesystmmodel.h"

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
