#pragma once

#include <QStringList>

class QMimeData;

// The local paths a drop names.  A file manager (and the image browser's
// model) sends a URL list, percent-encoded as URLs are: its local files come
// out decoded, in list order.  A drop of plain text only is read as
// "file://" followed by a path; whether such a path was percent-encoded can
// not be told from the text, so both readings are offered, the text as it
// stands first.
struct DroppedPaths {
    explicit DroppedPaths(const QMimeData* mime);

    QStringList paths;
    // True when the paths are the readings of plain text: candidates for one
    // path, of which the caller takes the first that exists.
    bool fromText = false;

    // The one path plain text names: the first candidate that exists, else
    // the text as it stands.  "" without candidates.
    QString TextPath() const;
};
