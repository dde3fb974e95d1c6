// The main window on a scaled screen (run with QT_SCALE_FACTOR=2 by its own
// test entry; skipped on an unscaled one): what it draws has the screen's own
// pixels.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/explbtn.h"

#include <QApplication>

namespace tavik::testing {
namespace {

class ScaledScreenTest : public MainFormTest {
protected:
    void SetUp() override {
        if (qApp->devicePixelRatio() < 2)
            GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
        MainFormTest::SetUp();
    }
};

TEST_F(ScaledScreenTest, ToolbarAndThumbnailsAreDrawnAtDevicePixels) {
    MakeCatalog({{"A", 1}});
    TMainForm& form = Open();
    auto* add = Child<TOfficeButton>("tAddBtn");
    EXPECT_EQ(add->Bitmap().size(), QSize(32, 32));
    EXPECT_EQ(add->Bitmap().devicePixelRatio(), 2.0);
    const QImage button = add->Render();
    EXPECT_EQ(button.size(), QSize(50, 50));
    // The picture covers 16 x 16 points in the middle of the 25-point button.
    EXPECT_EQ(button.devicePixelRatio(), 2.0);
    WaitForFill();
    const QImage large = form.ImageList()->LargeImage(0);
    EXPECT_EQ(large.size(), QSize(64, 64));
    EXPECT_EQ(large.devicePixelRatio(), 2.0);
    EXPECT_EQ(form.ImageList()->SmallImage(0).size(), QSize(32, 32));
}

} // namespace
} // namespace tavik::testing
