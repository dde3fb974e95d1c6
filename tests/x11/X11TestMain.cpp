// The main of the X11 suite: the xcb platform whatever the environment asks
// for (make test runs every other suite offscreen), on the display that
// xvfb-run provides.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
