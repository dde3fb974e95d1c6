#include "mainwin/DragOut.h"

#include <QDir>
#include <QUrl>

namespace tavik {

namespace {

constexpr char kUriListMimeType[] = "text/uri-list";

} // namespace

QString TDragOutFolder::NewDragFolder() {
    if (!FRoot) {
        FRoot = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/tavik-drag-XXXXXX");
    }
    if (!FRoot->isValid()) {
        return {};
    }
    const QString name = QString::number(++FDrags);
    if (!QDir(FRoot->path()).mkdir(name)) {
        return {};
    }
    return FRoot->filePath(name);
}

TPictureDragData::TPictureDragData(const TPicture& shown, const QColor& iconBackground,
                                   TDragOutFolder& folders, std::vector<TGroupPicture> pictures,
                                   std::string dataFileName, int codePage)
    : TPictureMimeData(shown, iconBackground), FFolders(folders), FPictures(std::move(pictures)),
      FDataFileName(std::move(dataFileName)), FCodePage(codePage) {}

QStringList TPictureDragData::formats() const {
    return QStringList(QLatin1String(kUriListMimeType)) + TPictureMimeData::formats();
}

bool TPictureDragData::hasFormat(const QString& mimeType) const {
    return mimeType == QLatin1String(kUriListMimeType) || TPictureMimeData::hasFormat(mimeType);
}

QVariant TPictureDragData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != QLatin1String(kUriListMimeType)) {
        return TPictureMimeData::retrieveData(mimeType, type);
    }
    if (!FWritten) {
        FWritten = true;
        // Asked for from the drop, in the event loop: a failure offers no
        // files instead of an error in the other program's drop.
        try {
            const QString folder = FFolders.NewDragFolder();
            if (folder.isEmpty()) {
                return FUriList;
            }
            const QStringList paths = SaveImageGroup(folder, FPictures, FDataFileName, FCodePage);
            for (const QString& path : paths) {
                FUriList += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
            }
        } catch (const std::exception&) {
            FUriList.clear();
        }
    }
    return FUriList;
}

} // namespace tavik
