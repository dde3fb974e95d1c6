#include "controls/MarkLB.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace tavik {
namespace {

class MarkListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(200, 150);
        list.addItems({QStringLiteral("Birds"), QStringLiteral("Fish"), QStringLiteral("Cats"),
                       QStringLiteral("Dogs")});
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    // Sends a drag of urls entering, then dropping at point. Returns whether
    // the drop was accepted.
    bool DropUrls(const QList<QUrl>& urls, QPoint point) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &enter);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    TMarkListBox list;
};

TEST_F(MarkListBoxTest, MarksCountAndToggle) {
    EXPECT_EQ(list.MarkedCount(), 0);
    list.ToggleMark(1);
    list.SetState(2, cbGrayed);
    EXPECT_EQ(list.MarkedCount(), 1);
    list.ToggleMark(2); // grayed -> marked
    list.ToggleMark(1); // marked -> unmarked
    list.ToggleMark(9);
    EXPECT_EQ(list.GetState(2), cbChecked);
    EXPECT_EQ(list.GetState(1), cbUnchecked);
    list.MarkAll(true);
    EXPECT_EQ(list.MarkedCount(), 4);
    list.MarkAll(false);
    EXPECT_EQ(list.MarkedCount(), 0);
}

TEST_F(MarkListBoxTest, TickIsSevenColumnsOfThreePixels) {
    list.SetOffset(1);
    list.setStyleSheet(QString()); // plain palette
    list.ToggleMark(1);
    const int h = list.ItemHeight();
    const QImage image = list.viewport()->grab().toImage();
    const QColor ink = list.palette().color(QPalette::Text);
    const QColor paper = list.palette().color(QPalette::Base);
    const int x0 = 1 + 2;
    const int y0 = h + (h - 11) / 2 + 3;
    const int columnTop[7] = {1, 2, 3, 2, 1, 0, -1};
    for (int x = 0; x < x0 + 10; ++x) {
        for (int y = h; y < 2 * h; ++y) {
            const int i = x - x0 - 1;
            const bool inTick =
                i >= 0 && i < 7 && y >= y0 + columnTop[i] && y < y0 + columnTop[i] + 3;
            EXPECT_EQ(image.pixelColor(x, y), inTick ? ink : paper) << x << "," << y;
        }
    }
    // An unmarked row has no tick (row 0, the current one, is highlighted).
    for (int x = 0; x < x0 + 10; ++x)
        EXPECT_EQ(image.pixelColor(x, 2 * h + (h - 11) / 2 + 5), paper) << x;
}

TEST_F(MarkListBoxTest, InsertTogglesMovesDownAndClicks) {
    QSignalSpy clicks(&list, &TbCustomCheckListBox::Click);
    list.setCurrentRow(2);
    QTest::keyClick(&list, Qt::Key_Insert);
    EXPECT_TRUE(list.IsChecked(2));
    EXPECT_EQ(list.currentRow(), 3);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(&list, Qt::Key_Insert);
    QTest::keyClick(&list, Qt::Key_Insert);
    EXPECT_EQ(list.currentRow(), 3);
    EXPECT_FALSE(list.IsChecked(3));
    EXPECT_EQ(clicks.count(), 3);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.IsChecked(3));
}

TEST_F(MarkListBoxTest, KeypadPlusAndMinus) {
    list.setCurrentRow(-1);
    ASSERT_EQ(list.currentRow(), -1);
    QTest::keyClick(&list, Qt::Key_Plus, Qt::KeypadModifier); // no current item
    EXPECT_EQ(list.MarkedCount(), 0);
    list.setCurrentRow(0);
    QTest::keyClick(&list, Qt::Key_Plus); // not the keypad
    EXPECT_EQ(list.MarkedCount(), 0);
    QTest::keyClick(&list, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(list.MarkedCount(), 4);
    QTest::keyClick(&list, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(list.MarkedCount(), 0);
    TMarkListBox empty;
    QTest::keyClick(&empty, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(empty.MarkedCount(), 0);
}

TEST_F(MarkListBoxTest, DroppedFilesArriveAfterTheDropReturns) {
    list.SetAcceptFiles(true);
    QStringList received;
    QPoint point;
    int calls = 0;
    QObject::connect(&list, &TMarkListBox::DropFiles,
                     [&](QObject* sender, QPoint p, const QStringList& files) {
                         EXPECT_EQ(sender, &list);
                         received = files;
                         point = p;
                         ++calls;
                     });
    EXPECT_TRUE(DropUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.bmp")),
                          QUrl(QStringLiteral("https://example.org/x.bmp")),
                          QUrl::fromLocalFile(QStringLiteral("/tmp/b c.ico"))},
                         QPoint(10, 20)));
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }));
    EXPECT_EQ(received,
              QStringList({QStringLiteral("/tmp/a.bmp"), QStringLiteral("/tmp/b c.ico")}));
    EXPECT_EQ(point, QPoint(10, 20));

    EXPECT_TRUE(DropUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/z.wmf"))}, QPoint(5, 6)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }));
    EXPECT_EQ(list.DroppedFiles(), QStringList({QStringLiteral("/tmp/z.wmf")}));

    list.SetAcceptFiles(false);
    EXPECT_FALSE(DropUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/q.bmp"))}, QPoint(5, 6)));
    EXPECT_FALSE(DropUrls({QUrl(QStringLiteral("https://example.org/x.bmp"))}, QPoint(5, 6)));
    QApplication::processEvents();
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace tavik
