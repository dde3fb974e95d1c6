// The main of every GUI test executable: one QApplication on the offscreen
// platform, so the tests run without a display.
#include "support/TestMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    return tavik::testing::RunQtTests<QApplication>(argc, argv, "offscreen");
}
