#include "storage/ObjList.h"
#include "storage/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavik {
namespace {

// Records its destruction so that ownership and order can be checked.
class Probe : public TObject {
public:
    Probe(char name, std::string* log) : FName(name), FLog(log) {}
    ~Probe() override { *FLog += FName; }
    char FName;

private:
    std::string* FLog;
};

class ObjListTest : public ::testing::Test {
protected:
    void Fill(const std::string& names) {
        for (char c : names)
            list.Add(std::make_unique<Probe>(c, &log));
    }
    std::string Order() const {
        std::string out;
        for (int i = 0; i < list.Count(); ++i)
            out += list.Items(i).FName;
        return out;
    }

    std::string log;
    TObjListOf<Probe> list;
};

TEST_F(ObjListTest, AddReturnsIndexAndKeepsOrder) {
    EXPECT_EQ(list.Add(std::make_unique<Probe>('a', &log)), 0);
    EXPECT_EQ(list.Add(std::make_unique<Probe>('b', &log)), 1);
    list.Insert(0, std::make_unique<Probe>('c', &log));
    list.Insert(list.Count(), std::make_unique<Probe>('d', &log));
    EXPECT_EQ(Order(), "cabd");
}

TEST_F(ObjListTest, MoveReinsertsAtTarget) {
    Fill("abc");
    list.Move(2, 0);
    EXPECT_EQ(Order(), "cab");
    list.Move(0, 2);
    EXPECT_EQ(Order(), "abc");
    list.Move(0, 2);
    EXPECT_EQ(Order(), "bca");
    list.Move(1, 1);
    EXPECT_EQ(Order(), "bca");
}

TEST_F(ObjListTest, ClearDestroysFromFirstToLast) {
    list.Clear();
    EXPECT_EQ(log, "");
    Fill("abc");
    list.Clear();
    EXPECT_EQ(log, "abc");
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ObjListTest, DeleteHandsOverDeleteAndFreeDestroys) {
    Fill("abc");
    std::unique_ptr<Probe> taken = list.Delete(1);
    EXPECT_EQ(log, "");
    EXPECT_EQ(taken->FName, 'b');
    EXPECT_EQ(Order(), "ac");
    list.DeleteAndFree(0);
    EXPECT_EQ(log, "a");
    EXPECT_EQ(Order(), "c");
    taken.reset();
    EXPECT_EQ(log, "ab");
}

TEST_F(ObjListTest, BadIndicesFailAndLeaveTheListAlone) {
    Fill("abc");
    auto expectOutOfBounds = [&](auto&& call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EListError& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds");
        }
        EXPECT_EQ(Order(), "abc");
        EXPECT_EQ(log, "");
    };
    expectOutOfBounds([&] { list.Items(3); });
    expectOutOfBounds([&] { list.Items(-1); });
    expectOutOfBounds([&] { list.Delete(3); });
    expectOutOfBounds([&] { list.DeleteAndFree(-1); });
    std::string rejectedLog;
    expectOutOfBounds([&] { list.Insert(4, std::make_unique<Probe>('x', &rejectedLog)); });
    expectOutOfBounds([&] { list.Move(0, 3); });
    expectOutOfBounds([&] { list.Move(3, 0); });
}

TEST_F(ObjListTest, DestroyingTheListDestroysItsItems) {
    std::string localLog;
    {
        TObjListOf<Probe> local;
        local.Add(std::make_unique<Probe>('x', &localLog));
        local.Add(std::make_unique<Probe>('y', &localLog));
    }
    EXPECT_EQ(localLog, "xy");
}

} // namespace
} // namespace tavik
