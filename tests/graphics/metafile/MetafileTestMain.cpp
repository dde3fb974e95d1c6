#include <QGuiApplication>
#include <gtest/gtest.h>

// Main of the standalone metafile test program: fonts need a GUI
// application, and no window system is wanted.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
