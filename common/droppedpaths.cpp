#include "droppedpaths.h"

#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>

namespace {
const QString FILE_SCHEME_PREFIX = QStringLiteral("file://");
}

DroppedPaths::DroppedPaths(const QMimeData* mime)
{
    if (!mime)
        return;
    if (mime->hasUrls()) {
        const QList<QUrl> urls = mime->urls();
        for (const QUrl& url : urls) {
            if (url.isLocalFile())
                paths.append(url.toLocalFile());
        }
    }
    if (!paths.isEmpty() || !mime->hasText())
        return;
    fromText = true;
    const QString text = mime->text();
    // The plain form: "file://" followed by the path as it stands.
    QString plain = text;
    plain.remove(FILE_SCHEME_PREFIX, Qt::CaseSensitive);
    paths.append(plain);
    // The URL form, one per line.
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.startsWith(FILE_SCHEME_PREFIX))
            continue;
        const QUrl url(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile() && !paths.contains(url.toLocalFile()))
            paths.append(url.toLocalFile());
    }
}

QString DroppedPaths::TextPath() const
{
    for (const QString& path : paths) {
        if (QFileInfo::exists(path))
            return path;
    }
    return paths.value(0);
}
