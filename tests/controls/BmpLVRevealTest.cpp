#include "controls/BmpLV.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

// A list far longer than its window: every item can still be scrolled into
// view, in each style, however many items come before it.
TEST(BmpListViewRevealTest, AnyItemOfALongListIsScrolledIntoView) {
    TBmpListView view;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int i = 0; i < 1500; ++i)
        view.AddBitmapItem(QStringLiteral("item %1").arg(i), image);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    for (int style : {0, 1, 2}) {
        view.SetViewStyle(style);
        for (int row : {1400, 700, 1499}) {
            view.MakeVisible(row);
            const QRect item = view.visualRect(view.model()->index(row, 0));
            EXPECT_TRUE(view.viewport()->rect().contains(item))
                << "style " << style << ", row " << row << ": " << item.x() << "," << item.y();
        }
    }
}

} // namespace
} // namespace tavik
