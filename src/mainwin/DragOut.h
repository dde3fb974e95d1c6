#pragma once

#include "mainwin/PictureFlavours.h"
#include "mainwin/SaveFiles.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace tavik {

// Where pictures dragged out of the program become files: one temporary
// folder for the run, removed with this object, and in it a new sub-folder
// for each drag, so that the files of two drags never meet. A file manager
// copies the files after the drop has returned, so they stay until the end.
class TDragOutFolder {
public:
    // A new empty folder for one drag; the empty text when none can be made.
    QString NewDragFolder();

private:
    std::unique_ptr<QTemporaryDir> FRoot;
    int FDrags = 0;
};

// The data of a drag of pictures out of the image list: the flavours Copy
// gives the shown picture, and before them "text/uri-list" naming the files
// of all the dragged pictures, written into a new folder of folders as a
// group save writes them when a program first asks for the list (a drag that
// ends inside the program writes nothing). A picture that cannot be written
// leaves the list empty rather than raising in the middle of a drop.
class TPictureDragData : public TPictureMimeData {
    Q_OBJECT
public:
    // folders must outlive the drag.
    TPictureDragData(const TPicture& shown, const QColor& iconBackground, TDragOutFolder& folders,
                     std::vector<TGroupPicture> pictures, std::string dataFileName, int codePage);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    TDragOutFolder& FFolders;
    std::vector<TGroupPicture> FPictures;
    std::string FDataFileName;
    int FCodePage;
    mutable bool FWritten = false;
    mutable QByteArray FUriList;
};

} // namespace tavik
