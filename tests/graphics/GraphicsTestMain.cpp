// The graphics tests need a QGuiApplication (fonts, image plugins) but no
// display: the offscreen platform.
#include "support/TestMain.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    return tavik::testing::RunQtTests<QGuiApplication>(argc, argv, "offscreen");
}
