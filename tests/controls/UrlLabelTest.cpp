#include "controls/UrlLabel.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

// Stands in for the browser and the mail program: records what they were asked
// to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~OpenedUrls() override {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class UrlLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        label.resize(200, 20);
        label.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    }
    void ClickLabel() { QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5)); }
    OpenedUrls opened;
    TUrlLabel label;
};

TEST_F(UrlLabelTest, ClickOpensTheUrlOrElseTheCaption) {
    label.setText("Tavik home");
    label.SetURL("https://tavik.example.org/");
    ClickLabel();
    label.SetURL("   ");
    label.setText("mailto:someone@example.org");
    ClickLabel();
    label.setText("  ");
    ClickLabel();
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0], QUrl("https://tavik.example.org/"));
    EXPECT_EQ(opened.urls[1], QUrl("mailto:someone@example.org"));
}

TEST_F(UrlLabelTest, ActiveColourOnlyWhileTheButtonIsDown) {
    label.setText("x");
    const QColor normal = label.palette().color(QPalette::WindowText);
    EXPECT_EQ(normal, QColor(0, 0, 255));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(128, 0, 128));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(500, 5));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), normal);
    EXPECT_TRUE(opened.urls.isEmpty()) << "released outside: nothing opens";
}

TEST_F(UrlLabelTest, CopyPutsTheCaptionOnTheClipboard) {
    label.setText("tavik.example.org");
    QGuiApplication::clipboard()->setText("before");
    ASSERT_EQ(label.CopyMenu()->actions().size(), 1);
    EXPECT_EQ(label.CopyMenu()->actions().first()->text(), "Copy");
    label.CopyMenu()->actions().first()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "tavik.example.org");
}

} // namespace
} // namespace tavik

#include "UrlLabelTest.moc"
