#pragma once

#include "storage/CatalogFiles.h"

#include <QString>
#include <vector>

class QWidget;

namespace tavik {

// The picture "name" of topic "name", for messages; names decoded from codePage.
QString PictureInTopicText(const TTopicList& topics, const DamagedPicture& picture, int codePage);

// Tells the user, in one warning box ("DamagedPictures"), which pictures were
// copied although their records are damaged: their bytes were kept as they
// were, so that nothing is lost. Nothing is shown for an empty list.
void ReportDamagedPictures(const TTopicList& topics, const std::vector<DamagedPicture>& damaged,
                           int codePage, QWidget* parent);

} // namespace tavik
