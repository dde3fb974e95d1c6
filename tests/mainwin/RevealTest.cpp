// Pictures added to or moved in a long topic are scrolled into view.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QTest>

namespace tavik::testing {
namespace {

class RevealTest : public MainFormTest {
protected:
    // One topic of count pictures, all of them the same stored record.
    void MakeLongTopic(int count) {
        const std::string folder = Folder().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTavikPicture picture;
        picture.LoadFromFile(WriteBmpFile(Folder(), "one.bmp", 10, 10).toStdString());
        const int position = picture.AppendToCatalog(DataFileName(folder));
        TTopicList list;
        TTopic& topic = list.AddTopic("Long");
        for (int i = 0; i < count; ++i)
            topic.AddBmp("p" + std::to_string(i) + ".bmp", position);
        SaveListFile(ListFileName(folder), list);
    }

    bool InView(int row) const {
        const TBmpListView* images = FForm->ImageList();
        return images->viewport()->rect().contains(
            images->visualRect(images->model()->index(row, 0)));
    }
};

TEST_F(RevealTest, AnAddedOrMovedPictureOfALongTopicIsInView) {
    MakeLongTopic(1200);
    TMainForm& form = Open();
    auto answer = Answer(PressResult(6));
    emit form.ImageList()->DropFiles(form.ImageList(), QPoint(5, 5),
                                     {WriteBmpFile(Folder(), "new.bmp", 12, 12)});
    ASSERT_TRUE(answer->Answered());
    ASSERT_EQ(form.ImageList()->Count(), 1201);
    EXPECT_TRUE(InView(1200));

    form.MoveImage(0, 700, true);
    EXPECT_TRUE(InView(699));
}

} // namespace
} // namespace tavik::testing
