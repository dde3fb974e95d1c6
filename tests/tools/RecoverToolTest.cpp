// tavikctl recover on a damaged data file without a list file.
#include "ToolRun.h"
#include "support/RecoverFixture.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::RecoverTest;

TEST_F(RecoverTest, TheToolReportsWhatItFoundAndTheProgramReadsTheResult) {
    const test::ToolRun run = test::RunTavikctl("recover " + folder.Path());
    const std::string& out = run.out;
    EXPECT_EQ(run.status, 0) << out << run.err;
    EXPECT_NE(out.find("7 record(s), 5 readable, 2 damaged"), std::string::npos) << out;
    EXPECT_NE(out.find("list file: missing"), std::string::npos) << out;
    ExpectRecovered(LoadList()->Topics(0), {0, 1, 2, 3, 4});
}

} // namespace
} // namespace tavik
