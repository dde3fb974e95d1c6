#include "StorageTestSupport.h"

#include "storage/CodePage.h"
#include "storage/DataFolder.h"
#include "storage/Exceptions.h"
#include "storage/IniFile.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

struct IntegerText {
    const char* text;
    bool parses;
    std::int32_t value;
};

class IniIntegers : public ::testing::TestWithParam<IntegerText> {};

TEST_P(IniIntegers, DecimalAndHexadecimalRules) {
    std::int32_t value = -777;
    EXPECT_EQ(TIniFile::ParseInteger(GetParam().text, value), GetParam().parses);
    if (GetParam().parses) {
        EXPECT_EQ(value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniIntegers,
    ::testing::Values(
        IntegerText{"150", true, 150}, IntegerText{"0x96", true, 150},
        IntegerText{"0X96", true, 150}, IntegerText{"$96", true, 150}, IntegerText{"$f", true, 15},
        IntegerText{"0x", false, 0}, IntegerText{"$", false, 0}, IntegerText{"-12", true, -12},
        IntegerText{"+7", true, 7}, IntegerText{"0xFFFFFFFF", true, -1},
        IntegerText{"0x1FFFFFFFF", false, 0}, IntegerText{"2147483647", true, 2147483647},
        IntegerText{"-2147483648", true, -2147483647 - 1}, IntegerText{"2147483648", false, 0},
        IntegerText{"12a", false, 0}, IntegerText{"0xG1", false, 0}, IntegerText{"", false, 0},
        IntegerText{"  42 ", true, 42}, IntegerText{"-", false, 0}));

TEST(IniFile, ReadsCrlfAndLfAlike) {
    test::TempFolder folder;
    for (const char* text : {"[Options]\r\nWDiv=0x96\r\nFitPreviewImage=1\r\n; note\r\n[Lang]\r\n"
                             "Language=1\r\nName = spaced value \r\n",
                             "[options]\nwdiv=0x96\nFitPreviewImage=1\n\n[Lang]\nLanguage=1\n"
                             "Name=spaced value\nName=second\n"}) {
        test::WriteFile(folder / "tavik.ini", test::FromText(text));
        TIniFile ini(folder / "tavik.ini");
        EXPECT_EQ(ini.ReadInteger("Options", "WDiv", 0), 150);
        EXPECT_TRUE(ini.ReadBool("Options", "FitPreviewImage", false));
        EXPECT_TRUE(ini.ReadBool("Options", "Missing", true));
        EXPECT_EQ(ini.ReadInteger("Lang", "Language", 0), 1);
        EXPECT_EQ(ini.ReadString("Lang", "Name", ""), "spaced value");
        EXPECT_EQ(ini.ReadString("Lang", "Missing", "dflt"), "dflt");
        EXPECT_TRUE(ini.SectionExists("OPTIONS"));
        EXPECT_FALSE(ini.SectionExists("Placement"));
        EXPECT_TRUE(ini.ValueExists("lang", "language"));
        EXPECT_FALSE(ini.ValueExists("Lang", "WDiv"));
    }
}

TEST(IniFile, WritesLfAndReadsItBack) {
    test::TempFolder folder;
    test::WriteFile(folder / "tavik.ini", test::FromText("[Options]\r\nKeep=x\r\n"));
    TIniFile ini(folder / "tavik.ini");
    ini.WriteInteger("Options", "WDiv", -5);
    ini.WriteBool("Options", "Keep", false);
    ini.WriteString("Placement", "NormPos", "1,2,3,4");
    ini.UpdateFile();
    EXPECT_EQ(test::ReadFile(folder / "tavik.ini"),
              test::FromText("[Options]\nKeep=0\nWDiv=-5\n\n[Placement]\nNormPos=1,2,3,4\n"));
    TIniFile again(folder / "tavik.ini");
    EXPECT_EQ(again.ReadInteger("Options", "WDiv", 0), -5);
    EXPECT_FALSE(again.ReadBool("Options", "Keep", true));
}

TEST(IniFile, CommentLinesStayWhereTheyWereWritten) {
    test::TempFolder folder;
    test::WriteFile(folder / "tavik.ini",
                    test::FromText("; written by hand\r\n[Options]\r\n# Keep=no key\r\n"
                                   "Keep=x\r\n; Keep=y\r\n"));
    TIniFile ini(folder / "tavik.ini");
    EXPECT_FALSE(ini.ValueExists("Options", "# Keep"));
    ini.WriteString("Options", "Keep", "z");
    ini.WriteString("Options", "New", "1");
    ini.UpdateFile();
    EXPECT_EQ(test::ReadFile(folder / "tavik.ini"),
              test::FromText("; written by hand\n\n[Options]\n# Keep=no key\nKeep=z\n"
                             "; Keep=y\nNew=1\n"));
}

TEST(IniFile, UnwritableFolderReportsTheFileName) {
    test::TempFolder folder;
    const std::string name = folder / "gone/tavik.ini";
    TIniFile ini(name);
    ini.WriteInteger("Options", "X", 1);
    try {
        ini.UpdateFile();
        ADD_FAILURE();
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + name);
    }
}

TEST(IniFile, SettingsFileThatIsAFolderReportsTheFileName) {
    test::TempFolder folder;
    const std::string name = folder / "tavik.ini";
    std::filesystem::create_directory(name);
    try {
        TIniFile ini(name);
        ini.WriteInteger("Options", "WDiv", 150);
        ini.UpdateFile();
        ADD_FAILURE() << "written";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.what(), "Unable to write to " + name);
    }
}

struct CodePageCase {
    const char* name;
    int codePage;
    std::string bytes;
    std::string utf8;
};

class CodePages : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePages, ConvertBothWays) {
    EXPECT_EQ(ToUtf8(GetParam().bytes, GetParam().codePage), GetParam().utf8);
    EXPECT_EQ(FromUtf8(GetParam().utf8, GetParam().codePage), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CodePages,
    ::testing::Values(CodePageCase{"Ascii1251", 1251, "Topic 1", "Topic 1"},
                      CodePageCase{"Russian", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
                      CodePageCase{"YoAndEuro1251", 1251, "\xA8\xB8\x88", "Ёё€"},
                      CodePageCase{"Western", 1252, "Caf\xE9 \x80\x9F", "Café €Ÿ"},
                      CodePageCase{"UndefinedByteRoundTrips", 1252, "\x81", "\xC2\x81"},
                      CodePageCase{"Utf8", 65001, "Ação", "Ação"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePages, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(FromUtf8("Привет", 1252), "??????");
    EXPECT_EQ(FromUtf8("é日", 1251), "??");
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b",
                       1252),
              "a?b");
    EXPECT_EQ(ToUtf8("a\xC3", 65001), "a?");
    EXPECT_EQ(ToUtf8("\xED\xA0\x80", 65001), "???");
}

TEST(CodePages, LanguageChoosesThePageUnlessASettingNamesOne) {
    EXPECT_EQ(CodePageFor(1, 0), 1251);
    EXPECT_EQ(CodePageFor(2, 0), 1252);
    EXPECT_EQ(CodePageFor(0, 65001), 65001);
    EXPECT_EQ(CodePageFor(1, 437), 1251);
}

TEST(DataFolder, FolderOfTheProgramEndsInASeparator) {
    EXPECT_EQ(DataFolderOf("/opt/tavik/tavik"), "/opt/tavik/");
    EXPECT_EQ(DataFolderOf("/tavik"), "/");
    EXPECT_EQ(DataFolderOf("tavik"), "");
    EXPECT_EQ(WithTrailingSeparator("/home/u"), "/home/u/");
    EXPECT_EQ(WithTrailingSeparator("/home/u/"), "/home/u/");
    const std::string own = ProgramDataFolder();
    EXPECT_EQ(own.back(), '/');
    EXPECT_TRUE(test::ReadFile(own + "tavik_storage_tests").size() > 0);
}

} // namespace
} // namespace tavik
