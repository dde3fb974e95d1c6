// The main of the X11 suite: the xcb platform whatever the environment asks
// for (make test runs every other suite offscreen), on the display that
// xvfb-run provides.
#include "support/TestMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    return tavik::testing::RunQtTests<QApplication>(argc, argv, "xcb", true);
}
