#include "StorageTestSupport.h"
#include "ToolRun.h"

#include "storage/CatalogFiles.h"
#include "storage/Records.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>

namespace tavik {
namespace {

using test::Bytes;
using test::RunTavikctl;
using test::ToolRun;

Bytes Emf() {
    Bytes emf(120, 0);
    emf[0] = 1;
    emf[40] = 0x20, emf[41] = 0x45, emf[42] = 0x4D, emf[43] = 0x46;
    return emf;
}

class TavikctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string data = DataFileName(folder.Path());
        CreateDataFile(data);
        bmp = test::FromText("BM");
        const Bytes body = test::PictureLike(40000);
        bmp.insert(bmp.end(), body.begin(), body.end());
        TTopic& first = topics.AddTopic("Cats/Dogs");
        first.AddBmp("\xCF\xF0\xE8\xE2\xE5\xF2",
                     AppendRecordToFile(data, PictureKind::Bitmap, bmp));
        AppendRecordToFile(data, PictureKind::Icon, test::PictureLike(999)); // dead
        first.AddBmp("same", AppendRecordToFile(data, PictureKind::Metafile, Emf()));
        first.AddBmp("same", AppendRecordToFile(data, PictureKind::Icon, Bytes{0, 0, 1, 0}));
        topics.AddTopic("empty");
        SaveCatalog(folder.Path(), topics);
        test::WriteFile(SettingsFileName(folder.Path()), test::FromText("[Lang]\nLang=1\n"));
    }

    test::TempFolder folder;
    TTopicList topics;
    Bytes bmp;
};

TEST_F(TavikctlTest, ListAsJsonConvertsNamesAndReportsKinds) {
    const ToolRun run = RunTavikctl("list " + folder.Path() + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc["topics"].size(), 2u);
    const auto& images = doc["topics"][0]["images"];
    EXPECT_EQ(doc["topics"][0]["name"], "Cats/Dogs");
    EXPECT_EQ(images[0]["name"], "Привет");
    EXPECT_EQ(images[0]["position"], 4);
    EXPECT_EQ(images[0]["kind"], "bitmap");
    EXPECT_EQ(images[0]["size"], bmp.size());
    EXPECT_EQ(images[1]["kind"], "metafile");
    EXPECT_EQ(images[2]["kind"], "icon");
    EXPECT_TRUE(doc["topics"][1]["images"].empty());

    const ToolRun western = RunTavikctl("list " + folder.Path() + " --json --codepage 1252");
    EXPECT_EQ(nlohmann::json::parse(western.out)["topics"][0]["images"][0]["name"], "Ïðèâåò");
}

TEST_F(TavikctlTest, CheckFindsDeadDataAndDamagedRecords) {
    ToolRun run = RunTavikctl("check " + folder.Path());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("1 unreferenced record(s)"), std::string::npos) << run.out;

    // Damage the metafile's record: the check names topic, picture and position.
    Bytes data = test::ReadFile(DataFileName(folder.Path()));
    data[static_cast<std::size_t>(topics.Image(0, 1).Position)] = 'X';
    test::WriteFile(DataFileName(folder.Path()), data);
    run = RunTavikctl("check " + folder.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("topic 0 'Cats/Dogs', picture 1 'same', position " +
                           std::to_string(topics.Image(0, 1).Position) +
                           ": Bad DAT-file insight signature"),
              std::string::npos)
        << run.out;
}

TEST_F(TavikctlTest, ExtractAndExportWritePictureFiles) {
    ToolRun run = RunTavikctl("extract " + folder.Path() + " 0 0 -o " + (folder / "out.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFile(folder / "out.bmp"), bmp);

    run = RunTavikctl("extract " + folder.Path() + " 0 7 -o " + (folder / "x"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no picture 7"), std::string::npos);

    run = RunTavikctl("export " + folder.Path() + " " + (folder / "export"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string topicDir = folder / "export/Cats_Dogs/";
    EXPECT_EQ(test::ReadFile(topicDir + "Привет.bmp"), bmp);
    EXPECT_EQ(test::ReadFile(topicDir + "same.emf"), Emf());
    EXPECT_EQ(test::ReadFile(topicDir + "same.ico"), (Bytes{0, 0, 1, 0}));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "export/empty"));
}

TEST_F(TavikctlTest, CompactDropsDeadRecords) {
    const auto before = std::filesystem::file_size(DataFileName(folder.Path()));
    const ToolRun run = RunTavikctl("compact " + folder.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LT(std::filesystem::file_size(DataFileName(folder.Path())), before);
    EXPECT_NE(RunTavikctl("check " + folder.Path()).out.find("0 unreferenced"), std::string::npos);
    EXPECT_EQ(RunTavikctl("extract " + folder.Path() + " 0 0 -o " + (folder / "a.bmp")).status, 0);
    EXPECT_EQ(test::ReadFile(folder / "a.bmp"), bmp);
}

TEST_F(TavikctlTest, DamagedPicturesAreNamedAndNeverTakenForDeadData) {
    topics.Topics(0).AddBmp("broken",
                            test::AppendToFile(DataFileName(folder.Path()), test::DamagedRecord()));
    SaveCatalog(folder.Path(), topics);
    ToolRun run = RunTavikctl("check " + folder.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("1 unreferenced record(s), "), std::string::npos) << run.out;

    run = RunTavikctl("compact " + folder.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("topic 0 'Cats/Dogs', picture 3 'broken' is damaged"), std::string::npos)
        << run.err;

    // A list with bytes after its end is damaged, not whole.
    Bytes list = test::ReadFile(ListFileName(folder.Path()));
    list.push_back(0x01);
    test::WriteFile(ListFileName(folder.Path()), list);
    run = RunTavikctl("check " + folder.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("after the end of its list"), std::string::npos) << run.err;
}

TEST_F(TavikctlTest, ExportCutsLongNamesBetweenCharacters) {
    // One ASCII letter, then Cyrillic letters of two bytes each in UTF-8: the
    // 200th byte is the first half of a letter.
    topics.Topics(0).Bmps.Bmps(0).Name = "a" + std::string(150, '\xE0');
    SaveCatalog(folder.Path(), topics);
    ASSERT_EQ(RunTavikctl("export " + folder.Path() + " " + (folder / "export")).status, 0);
    std::string expected = "a";
    for (int i = 0; i < 99; ++i)
        expected += "\xD0\xB0";
    EXPECT_EQ(test::ReadFile(folder / ("export/Cats_Dogs/" + expected + ".bmp")), bmp);
}

TEST_F(TavikctlTest, BadInputGivesOneMessageAndAnExitStatus) {
    struct Case {
        std::string arguments;
        int status;
        std::string message;
    };
    test::TempFolder damaged;
    test::WriteFile(ListFileName(damaged.Path()), test::FromText("TVL1\x01\x06\x09zz"));
    test::WriteFile(DataFileName(damaged.Path()), test::FromText("TVD1"));
    test::TempFolder wrong;
    test::WriteFile(ListFileName(wrong.Path()), test::FromText("JUNK"));
    const std::vector<Case> cases = {
        {"", 2, "usage"},
        {"frobnicate x", 2, "unknown command"},
        {"list " + (folder / "missing"), 1, "no such folder"},
        {"list " + folder.Path() + " --codepage 437", 2, "--codepage"},
        {"list " + damaged.Path(), 1, "damaged list file (Stream read error)"},
        {"check " + wrong.Path(), 1, "bad signature"},
        {"extract " + folder.Path() + " a 0 -o x", 2, "TOPIC must be a number"},
        {"extract " + folder.Path() + " 0 0", 2, "-o FILE is required"},
        {"compact " + damaged.Path(), 1, "damaged list file"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTavikctl(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
    // The damaged list is never rewritten by a refused compaction.
    EXPECT_EQ(test::ReadFile(ListFileName(damaged.Path())), test::FromText("TVL1\x01\x06\x09zz"));
}

TEST_F(TavikctlTest, FindMatchesNamesInEveryTopicIgnoringCaseAndAccents) {
    // The names are Windows-1251 (the folder's language is Russian): "ПРИВЕТ"
    // finds "Привет", and a damaged head is reported with the match.
    topics.Topics(1).AddBmp("\xCF\xF0\xE8\xE2\xE5\xF2 2", 4000000);
    SaveCatalog(folder.Path(), topics);
    ToolRun run = RunTavikctl("find " + folder.Path() + " ПРИВЕТ --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto matches = nlohmann::json::parse(run.out)["matches"];
    ASSERT_EQ(matches.size(), 2u) << run.out;
    EXPECT_EQ(matches[0]["topic"], 0);
    EXPECT_EQ(matches[0]["image"], 0);
    EXPECT_EQ(matches[0]["kind"], "bitmap");
    EXPECT_EQ(matches[0]["size"], bmp.size());
    EXPECT_EQ(matches[1]["topicName"], "empty");
    EXPECT_EQ(matches[1]["name"], "Привет 2");
    EXPECT_TRUE(matches[1].contains("error"));

    run = RunTavikctl("find " + folder.Path() + " SAME");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("[0] Cats/Dogs  [1] same  metafile  120 bytes"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[2] same  icon  4 bytes"), std::string::npos) << run.out;
    EXPECT_EQ(RunTavikctl("find " + folder.Path()).status, 2);
}

} // namespace
} // namespace tavik
