// The catalogue lock between programs; the tool's commands against a lock
// held by another process are tested in tests/tools.
#include "support/StorageTestSupport.h"

#include "storage/CatalogLock.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

class CatalogLockTest : public ::testing::Test {
protected:
    test::TempFolder folder;
};

TEST_F(CatalogLockTest, TwoHoldersExcludeEachOtherUntilTheFirstLetsGo) {
    {
        const TCatalogLock first(folder.Path());
        ASSERT_TRUE(first.Held()) << first.Reason();
        const TCatalogLock second(folder.Path());
        EXPECT_EQ(second.LockState(), TCatalogLock::State::HeldElsewhere);
    }
    const TCatalogLock again(folder.Path());
    EXPECT_TRUE(again.Held());
    const TCatalogLock missing(folder / "no-such-folder/");
    EXPECT_EQ(missing.LockState(), TCatalogLock::State::Unsupported);
    EXPECT_NE(missing.Reason().find("no-such-folder"), std::string::npos);
}

} // namespace
} // namespace tavik
