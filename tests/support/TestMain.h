#pragma once
// The body of every Qt test executable's main: the platform plugin, one
// application object of the kind the layer needs, then GoogleTest.
#include <cstdlib>
#include <gtest/gtest.h>

namespace tavik::testing {

// platform is used unless the environment names another; force uses it
// whatever the environment asks for.
template <class Application>
int RunQtTests(int argc, char** argv, const char* platform, bool force = false) {
    setenv("QT_QPA_PLATFORM", platform, force ? 1 : 0);
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace tavik::testing
