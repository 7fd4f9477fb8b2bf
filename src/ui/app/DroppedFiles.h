#pragma once
// The paths of files dropped on a window from a file manager.

#include <QMimeData>
#include <QStringList>
#include <QUrl>

namespace vellumo {

/// The local paths among the dropped URLs, in their order; other URLs are left out.
inline QStringList DroppedLocalFiles(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace vellumo
