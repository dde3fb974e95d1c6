#include "controls/BmpLV.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Picture.h"

#include <QBuffer>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>

namespace tavik {
namespace {

QImage Solid(int w, int h, QColor color = Qt::red) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The smallest rectangle holding every pixel that differs from background.
QRect Drawn(const QImage& image, QColor background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() != background.rgb())
                box |= QRect(x, y, 1, 1);
    return box;
}

// An icon file holding one PNG entry of the image.
TPicture IconPicture(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QByteArray file(22, '\0');
    auto* p = reinterpret_cast<uchar*>(file.data());
    qToLittleEndian<quint16>(1, p + 2); // type icon
    qToLittleEndian<quint16>(1, p + 4); // one entry
    p[6] = static_cast<uchar>(image.width());
    p[7] = static_cast<uchar>(image.height());
    qToLittleEndian<quint16>(1, p + 10);
    qToLittleEndian<quint16>(32, p + 12);
    qToLittleEndian<quint32>(static_cast<quint32>(png.size()), p + 14);
    qToLittleEndian<quint32>(22, p + 18);
    file += png;
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(std::span(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                   static_cast<std::size_t>(file.size())));
    TPicture picture;
    picture.SetGraphic(std::move(icon));
    return picture;
}

struct ThumbRow {
    const char* name;
    int width;
    int height;
    QRect large; // where the picture lands; empty: background only
    QRect small;
};

class ThumbnailTest : public ::testing::TestWithParam<ThumbRow> {};

TEST_P(ThumbnailTest, KeepsAspectAndCentres) {
    const ThumbRow& row = GetParam();
    TBmpListView view;
    const QColor background = view.BackgroundColor();
    view.AddBitmapItem(QStringLiteral("x"), Solid(row.width, row.height));
    ASSERT_EQ(view.LargeImageCount(), 1);
    const QImage large = view.LargeImage(0);
    const QImage small = view.SmallImage(0);
    EXPECT_EQ(large.size(), QSize(32, 32));
    EXPECT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(Drawn(large, background), row.large);
    EXPECT_EQ(Drawn(small, background), row.small);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ThumbnailTest,
    ::testing::Values(ThumbRow{"Exact32", 32, 32, QRect(0, 0, 32, 32), QRect(0, 0, 16, 16)},
                      ThumbRow{"Wide100x50", 100, 50, QRect(0, 8, 32, 16), QRect(0, 4, 16, 8)},
                      ThumbRow{"Small10", 10, 10, QRect(11, 11, 10, 10), QRect(3, 3, 10, 10)},
                      ThumbRow{"Tall1x1000", 1, 1000, QRect(), QRect()},
                      ThumbRow{"Tall20x40", 20, 40, QRect(8, 0, 16, 32), QRect(4, 0, 8, 16)}),
    [](const ::testing::TestParamInfo<ThumbRow>& info) { return std::string(info.param.name); });

TEST(BmpListViewTest, ExactSizeBitmapIsUsedUnchanged) {
    TBmpListView view;
    QImage source = Solid(32, 32);
    source.setPixelColor(5, 7, Qt::blue);
    view.AddBitmapItem(QStringLiteral("x"), source);
    EXPECT_EQ(view.LargeImage(0).convertToFormat(QImage::Format_RGB32), source);
}

TEST(BmpListViewTest, PicturesOfEveryKindOnTheBackground) {
    TBmpListView view;
    const QColor background = view.BackgroundColor();
    QImage iconImage(10, 10, QImage::Format_ARGB32);
    iconImage.fill(Qt::red);
    iconImage.setPixelColor(0, 0, Qt::transparent);
    view.AddPictureItem(QStringLiteral("icon"), IconPicture(iconImage));
    view.AddPictureItem(QStringLiteral("empty"), TPicture());
    TPicture bitmap;
    bitmap.SetGraphic(TBitmap::FromImage(Solid(100, 50, Qt::green)));
    view.AddPictureItem(QStringLiteral("bitmap"), bitmap);

    const QImage icon = view.LargeImage(view.ImageIndex(0));
    EXPECT_EQ(Drawn(icon, background), QRect(11, 11, 10, 10));
    EXPECT_EQ(icon.pixelColor(11, 11).rgb(), background.rgb()); // transparent corner
    EXPECT_EQ(icon.pixelColor(12, 11).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ(Drawn(view.SmallImage(view.ImageIndex(0)), background), QRect(3, 3, 10, 10));
    EXPECT_EQ(Drawn(view.LargeImage(view.ImageIndex(1)), background), QRect());
    EXPECT_EQ(Drawn(view.SmallImage(view.ImageIndex(2)), background), QRect(0, 4, 16, 8));
    EXPECT_EQ(view.Caption(2), QStringLiteral("bitmap"));
}

TEST(BmpListViewTest, ImageListsOnlyGrowUntilCleared) {
    TBmpListView view;
    view.ClearItems();
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.LargeImageCount(), 0);
    for (QColor color : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
        view.AddBitmapItem(color.name(), Solid(32, 32, color));
    view.DeleteItem(0);
    EXPECT_EQ(view.Count(), 2);
    EXPECT_EQ(view.ImageIndex(0), 1); // the rest keep their thumbnails
    EXPECT_EQ(view.LargeImageCount(), 3);
    // A new item shows its own thumbnail even after a deletion.
    view.AddBitmapItem(QStringLiteral("yellow"), Solid(32, 32, Qt::yellow));
    EXPECT_EQ(view.ImageIndex(2), 3);
    EXPECT_EQ(view.LargeImage(view.ImageIndex(2)).pixelColor(5, 5), QColor(Qt::yellow));
    EXPECT_EQ(view.ImageIndex(7), -1);
    EXPECT_TRUE(view.Caption(-1).isEmpty());
    view.ClearItems();
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.LargeImageCount(), 0);
    EXPECT_EQ(view.SmallImageCount(), 0);
    view.AddBitmapItem(QStringLiteral("again"), Solid(4, 4));
    EXPECT_EQ(view.ImageIndex(0), 0);
}

TEST(BmpListViewTest, StyleSwitchesImageListsWithoutRemakingThem) {
    TBmpListView view;
    view.AddBitmapItem(QStringLiteral("a"), Solid(64, 64));
    const QModelIndex item = view.model()->index(0, 0);
    const auto large = item.data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(large.size(), QSize(32, 32));
    view.SetViewStyle(2);
    EXPECT_EQ(view.ViewStyle(), 2);
    const auto small = item.data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(small.size(), QSize(16, 16));
    view.SetViewStyle(1);
    EXPECT_EQ(item.data(Qt::DecorationRole).value<QPixmap>().cacheKey(), small.cacheKey());
    EXPECT_EQ(view.flow(), QListView::LeftToRight);
    view.SetViewStyle(5);
    EXPECT_EQ(view.ViewStyle(), 1);
    view.SetViewStyle(0);
    EXPECT_EQ(item.data(Qt::DecorationRole).value<QPixmap>().cacheKey(), large.cacheKey());
    EXPECT_EQ(view.LargeImageCount(), 1);
}

class BmpListViewShownTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 8; ++i)
            view.AddBitmapItem(QStringLiteral("item %1").arg(i), Solid(20, 20));
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    TBmpListView view;
};

TEST_F(BmpListViewShownTest, SelectionHelpers) {
    EXPECT_EQ(view.SelectedIndex(), -1);
    view.SetSelected(5, true);
    view.SetSelected(2, true);
    EXPECT_EQ(view.SelectedIndex(), 2);
    EXPECT_EQ(view.SelectedCount(), 2);
    view.SetSelected(2, false);
    EXPECT_EQ(view.SelectedIndex(), 5);
    view.SelectAll();
    EXPECT_EQ(view.SelectedCount(), 8);
    EXPECT_EQ(view.SelectedIndex(), 0);
    view.ClearSelection();
    EXPECT_EQ(view.SelectedCount(), 0);
    EXPECT_EQ(view.SelectedIndex(), -1);
    QSignalSpy changes(&view, &TBmpListView::Change);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      view.visualRect(view.model()->index(3, 0)).center());
    EXPECT_EQ(view.SelectedIndex(), 3);
    EXPECT_EQ(view.FocusedIndex(), 3);
    EXPECT_GE(changes.count(), 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      view.visualRect(view.model()->index(6, 0)).center());
    EXPECT_EQ(view.SelectedCount(), 4);
}

TEST_F(BmpListViewShownTest, LargeIconsRunAcrossAfterEveryStyle) {
    for (int previous : {1, 2}) {
        view.SetViewStyle(previous);
        view.SetViewStyle(0);
        view.doItemsLayout();
        const QRect first = view.visualRect(view.model()->index(0, 0));
        const QRect second = view.visualRect(view.model()->index(1, 0));
        EXPECT_EQ(second.top(), first.top()) << "after style " << previous;
        EXPECT_GT(second.left(), first.left()) << "after style " << previous;
    }
}

TEST_F(BmpListViewShownTest, InPlaceEditReportsAndCanBeCancelled) {
    QList<std::pair<int, QString>> edits;
    QObject::connect(&view, &TBmpListView::Edited, [&](int index, QString& text) {
        edits.append({index, text});
        text += QStringLiteral("!");
    });
    view.setFocus();
    view.SetFocusedIndex(4);
    view.SetSelected(4, true);
    QTest::keyClick(view.viewport(), Qt::Key_F2);
    auto* editor = view.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("renamed"));
    // A thumbnail made meanwhile on a worker thread keeps what was typed.
    view.SetThumbnails(4, Solid(32, 32, Qt::red), Solid(16, 16, Qt::red));
    EXPECT_EQ(editor->text(), QStringLiteral("renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits from the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return edits.size() == 1; }));
    EXPECT_EQ(edits[0], std::make_pair(4, QStringLiteral("renamed")));
    EXPECT_EQ(view.Caption(4), QStringLiteral("renamed!"));

    QTest::keyClick(view.viewport(), Qt::Key_F2);
    editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return (editor = view.viewport()->findChild<QLineEdit*>()) && editor->isVisible();
    }));
    QTest::keyClicks(editor, QStringLiteral("dropped"));
    view.CancelEditing();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor || !editor->isVisible(); }));
    view.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edits.size(), 1);
    EXPECT_EQ(view.Caption(4), QStringLiteral("renamed!"));

    // An editing handler can refuse.
    QObject::connect(&view, &TBmpListView::Editing, [](int, bool& allow) { allow = false; });
    QTest::keyClick(view.viewport(), Qt::Key_F2);
    QApplication::processEvents();
    const auto editors = view.viewport()->findChildren<QLineEdit*>();
    EXPECT_TRUE(
        std::none_of(editors.begin(), editors.end(), [](QLineEdit* e) { return e->isVisible(); }));
}

TEST_F(BmpListViewShownTest, DroppedFilesOnceInOrderAfterTheDrop) {
    QList<QStringList> drops;
    QObject::connect(&view, &TBmpListView::DropFiles,
                     [&](QObject*, QPoint, const QStringList& files) { drops.append(files); });
    QMimeData mime;
    const QStringList names = {QStringLiteral("/p/c.bmp"), QStringLiteral("/p/a.ico"),
                               QStringLiteral("/p/b.emf")};
    QList<QUrl> urls;
    for (const QString& name : names)
        urls << QUrl::fromLocalFile(name);
    mime.setUrls(urls);
    auto drop = [&] {
        QDragEnterEvent enter(QPoint(30, 30), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(view.viewport(), &enter);
        QDropEvent event(QPointF(30, 30), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(view.viewport(), &event);
        return enter.isAccepted() && event.isAccepted();
    };
    EXPECT_FALSE(drop()); // not accepting files yet
    view.SetAcceptFiles(true);
    EXPECT_TRUE(drop());
    EXPECT_TRUE(drops.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return drops.size() == 1; }));
    EXPECT_EQ(drops[0], names);
    EXPECT_EQ(view.DropPoint(), QPoint(30, 30));
    EXPECT_EQ(view.Count(), 8);
}

} // namespace
} // namespace tavik

namespace tavik {
namespace {

TEST(BmpListViewDragTest, DragDataCarriesTheSelectedRowsInOrder) {
    TBmpListView view;
    for (int i = 0; i < 6; ++i)
        view.AddBitmapItem(QStringLiteral("p%1").arg(i), Solid(8, 8));
    EXPECT_EQ(view.CreateDragData(), nullptr);
    view.SetSelected(4, true);
    view.SetSelected(1, true);
    const std::unique_ptr<QMimeData> data(view.CreateDragData());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(TBmpListView::DragMimeType()), QByteArray("1,4"));
    EXPECT_FALSE(data->hasUrls()); // never taken for dropped files
}

} // namespace
} // namespace tavik
