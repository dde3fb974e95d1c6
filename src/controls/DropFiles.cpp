#include "controls/DropFiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

namespace tavik {

bool TFileDrop::IsFileDrop(const QDropEvent* event) const {
    if (!FAcceptFiles || event->source() || !event->mimeData()->hasUrls())
        return false;
    const QList<QUrl> urls = event->mimeData()->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void TFileDrop::Keep(QDropEvent* event) {
    FPoint = event->position().toPoint();
    FFiles.clear();
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            FFiles << url.toLocalFile();
    event->acceptProposedAction();
}

} // namespace tavik
