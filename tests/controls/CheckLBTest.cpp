#include "controls/CheckLB.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

// Counts the box repaints the list asks for.
class CountingCheckListBox : public TbCheckListBox {
public:
    using TbCheckListBox::TbCheckListBox;
    void InvalidateCheck(int index) override {
        ++invalidations;
        TbCheckListBox::InvalidateCheck(index);
    }
    int invalidations = 0;
};

class CheckListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(200, 120);
        list.addItems({QStringLiteral("Birds"), QStringLiteral("Fish"), QStringLiteral("Cats")});
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint InRow(int row, int x) const {
        const QRect rect = list.visualItemRect(list.item(row));
        return {rect.left() + x, rect.center().y()};
    }
    QImage Grab() { return list.viewport()->grab().toImage(); }

    CountingCheckListBox list;
};

QImage Solid(QColor color, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

TEST_F(CheckListBoxTest, StatesStayConsistentAndRepaintOnlyOnChange) {
    EXPECT_FALSE(list.IsChecked(0));
    EXPECT_EQ(list.GetState(0), cbUnchecked);
    list.SetChecked(1, true);
    list.SetChecked(1, true);
    EXPECT_EQ(list.invalidations, 1);
    EXPECT_EQ(list.GetState(1), cbChecked);
    list.SetState(1, cbGrayed);
    EXPECT_FALSE(list.IsChecked(1));
    EXPECT_EQ(list.invalidations, 2);
    list.SetChecked(1, false); // already not checked: nothing
    EXPECT_EQ(list.GetState(1), cbGrayed);
    EXPECT_EQ(list.invalidations, 2);
    list.SetState(2, cbChecked);
    EXPECT_TRUE(list.IsChecked(2));
    // Out of range: ignored, no repaint.
    list.SetChecked(3, true);
    list.SetState(-1, cbChecked);
    list.EnsureItemState(7);
    EXPECT_FALSE(list.IsChecked(3));
    EXPECT_EQ(list.GetState(-1), cbUnchecked);
    EXPECT_EQ(list.invalidations, 3);
    // A state follows its item when items are taken out.
    delete list.takeItem(0);
    EXPECT_EQ(list.GetState(0), cbGrayed);
}

TEST_F(CheckListBoxTest, MouseTogglesOnlyInTheBoxArea) {
    QSignalSpy clicks(&list, &TbCustomCheckListBox::Click);
    const int offset = list.Offset();
    const int height = list.ItemHeight();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(1, offset + height + 20));
    EXPECT_EQ(list.GetState(1), cbUnchecked);
    EXPECT_EQ(list.currentRow(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(2, offset));
    EXPECT_EQ(list.GetState(2), cbChecked);
    EXPECT_EQ(list.currentRow(), 2);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(2, offset + height - 3));
    EXPECT_EQ(list.GetState(2), cbUnchecked);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(2, offset + height - 2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(2, offset - 1));
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, InRow(2, offset + 1));
    EXPECT_EQ(list.GetState(2), cbUnchecked);
    EXPECT_EQ(clicks.count(), 5);
}

TEST_F(CheckListBoxTest, AdvancingPassesThroughGrayedOnlyWhenAllowed) {
    list.setCurrentRow(0);
    const std::vector<TCheckState> plain = {cbChecked, cbUnchecked, cbChecked};
    for (TCheckState expected : plain) {
        QTest::keyClick(&list, Qt::Key_Space);
        EXPECT_EQ(list.GetState(0), expected);
    }
    list.SetState(0, cbUnchecked);
    list.SetAllowGrayed(true);
    const std::vector<TCheckState> grayed = {cbGrayed, cbChecked, cbUnchecked};
    for (TCheckState expected : grayed) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, InRow(0, list.Offset() + 1));
        EXPECT_EQ(list.GetState(0), expected);
    }
}

TEST_F(CheckListBoxTest, ItemHeightFollowsFontSizeAndBitmaps) {
    QFont big = list.font();
    big.setPixelSize(30);
    list.setFont(big);
    EXPECT_EQ(list.ItemHeight(), QFontMetrics(big).height());
    QFont small = big;
    small.setPixelSize(6);
    list.setFont(small);
    EXPECT_EQ(list.ItemHeight(), 15);
    list.SetFixedSize(false);
    EXPECT_EQ(list.ItemHeight(), QFontMetrics(small).height());
    list.SetBmpChecked(Solid(Qt::red, 20));
    list.SetBmpGrayed(Solid(Qt::green, 20));
    EXPECT_EQ(list.ItemHeight(), QFontMetrics(small).height());
    list.SetBmpUnchecked(Solid(Qt::blue, 20));
    EXPECT_EQ(list.ItemHeight(), 22);
    EXPECT_EQ(list.visualItemRect(list.item(1)).top(), 22);
}

TEST_F(CheckListBoxTest, BitmapsReplaceTheBoxOnlyWhenAllThreeAreSet) {
    list.SetBmpChecked(Solid(Qt::red, 11));
    list.SetBmpGrayed(Solid(Qt::green, 11));
    list.SetState(0, cbChecked);
    const int h = list.ItemHeight();
    const QPoint inBox(list.Offset() + 5, (h - 11) / 2 + 5);
    EXPECT_NE(Grab().pixelColor(inBox), QColor(Qt::red)); // the drawn box
    list.SetBmpUnchecked(Solid(Qt::blue, 11));
    list.SetState(1, cbGrayed);
    const int h2 = list.ItemHeight();
    const QImage image = Grab();
    const int top = (h2 - 11) / 2;
    EXPECT_EQ(image.pixelColor(list.Offset(), top), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(list.Offset() + 10, top + 10), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(list.Offset() - 1, top), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(list.Offset() + 11, top), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(list.Offset() + 3, h2 + top + 3), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(list.Offset() + 3, 2 * h2 + top + 3), QColor(Qt::blue));
}

TEST_F(CheckListBoxTest, DrawItemHandlerDrawsAlone) {
    list.SetDrawItemHandler([](QPainter& painter, int, const QRect& rect, bool) {
        painter.fillRect(rect, Qt::magenta);
    });
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(list.Offset() + 3, list.ItemHeight() / 2), QColor(Qt::magenta));
    EXPECT_EQ(image.pixelColor(150, 2 * list.ItemHeight() + 2), QColor(Qt::magenta));
}

} // namespace
} // namespace tavik
