// Pictures dragged out of the image list: the files other programs get and
// the picture flavours beside them.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "mainwin/PictureFlavours.h"

#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QStyleHints>
#include <QTest>
#include <QUrl>

namespace tavik::testing {
namespace {

class DragOutTest : public MainFormTest {
protected:
    // Drags the selected items with the mouse from the first one; the drag's
    // data, kept by the drag until the event loop next deletes it.
    const QMimeData* DragWithMouse() {
        TBmpListView* list = FForm->ImageList();
        const QPoint start = list->visualRect(list->model()->index(0, 0)).center();
        QWidget* viewport = list->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, Qt::ControlModifier, start);
        QTest::mouseMove(viewport, start + QPoint(5, 5));
        QTest::mouseMove(
            viewport, start + QPoint(5 + QGuiApplication::styleHints()->startDragDistance(), 20));
        const QDrag* drag = list->findChild<QDrag*>();
        return drag == nullptr ? nullptr : drag->mimeData();
    }
};

TEST_F(DragOutTest, CarriesTheFilesOfAGroupSaveAndTheShownPictureAsCopyGivesIt) {
    MakeCatalog({{"A", 3}});
    Open();
    FForm->RenameImage(0, 0, "Rose");
    SelectImages({0, 2});
    const QMimeData* data = DragWithMouse();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats().value(0), "text/uri-list");
    EXPECT_TRUE(data->hasFormat(TBmpListView::DragMimeType()));
    EXPECT_TRUE(data->hasFormat("image/bmp"));
    EXPECT_EQ(QImage::fromData(data->data(kPngMimeType)).size(), QSize(8, 6));
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 2);
    // Named as a group save names them: a name without extension gets one.
    EXPECT_EQ(urls[0].fileName(), "Rose.bmp");
    EXPECT_EQ(urls[1].fileName(), "p2.bmp");
    EXPECT_EQ(QImage(urls[1].toLocalFile()).size(), QSize(10, 8));
    EXPECT_NE(urls[0].adjusted(QUrl::RemoveFilename), QUrl::fromLocalFile(Folder() + "/"));
}

} // namespace
} // namespace tavik::testing
