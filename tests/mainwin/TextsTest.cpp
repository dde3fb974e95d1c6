#include "mainwin/Texts.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

class TextsTest : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageBase(kEnglishBase); }
};

struct TextRow {
    const char* name;
    int language;
    int offset;
    const char16_t* text;
};

class TextTableTest : public ::testing::TestWithParam<TextRow> {
protected:
    void TearDown() override { SetLanguageBase(kEnglishBase); }
};

TEST_P(TextTableTest, LooksUpTheLanguageEntry) {
    const TextRow& row = GetParam();
    SetLanguageBase(LanguageBaseFor(row.language));
    EXPECT_EQ(LoadText(row.offset), QString::fromUtf16(row.text));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TextTableTest,
    ::testing::Values(
        TextRow{"AddHintEnglish", 0, 53, u"Add"}, TextRow{"AddHintRussian", 1, 53, u"Добавить"},
        TextRow{"AddHintPortuguese", 2, 53, u"Incluir"},
        TextRow{"AnyOtherLanguageIsEnglish", 7, 53, u"Add"},
        // Two blanks between the words, exactly as in the table.
        TextRow{"RussianAddTopicTwoBlanks", 1, 2, u"Добавление  раздела"},
        // No closing full stop in Russian, one in the two others.
        TextRow{"RussianLoadErrorNoStop", 1, 19, u"Ошибка загрузки файла картинки: '%s'"},
        TextRow{"EnglishLoadErrorStop", 0, 19, u"Error loading image file: '%s'."},
        TextRow{"PortugueseLoadErrorStop", 2, 19, u"Erro carregando arquivo de imagem: '%s'."},
        TextRow{"LineBreaks", 0, 20,
                u"Error loading image file: '%s'.\n\nContinue loading images?"},
        TextRow{"FirstEntry", 2, 1, u"Arquivo de dados danificado"},
        TextRow{"LastEntry", 1, 65, u"Версия %s"},
        TextRow{"PortugueseAccents", 2, 25, u"Salva alterações"},
        TextRow{"UnknownOffset", 0, 80, u""}, TextRow{"GapInTable", 1, 10, u""},
        TextRow{"NegativeOffset", 0, -1, u""}),
    [](const ::testing::TestParamInfo<TextRow>& info) { return std::string(info.param.name); });

TEST_F(TextsTest, EveryLanguageHasTheSameOffsets) {
    int english = 0;
    for (int offset = 0; offset < 100; ++offset) {
        const bool present = !LoadTextEntry(kEnglishBase + offset).isEmpty();
        english += present;
        EXPECT_EQ(present, !LoadTextEntry(kRussianBase + offset).isEmpty()) << offset;
        EXPECT_EQ(present, !LoadTextEntry(kPortugueseBase + offset).isEmpty()) << offset;
    }
    EXPECT_EQ(english, 46);
}

TEST_F(TextsTest, FormatSubstitutesInOrder) {
    SetLanguageBase(kEnglishBase);
    EXPECT_EQ(FormatText(LoadText(23), {2, QStringLiteral("Birds")}),
              QStringLiteral("Add 2 image(s) to 'Birds'?"));
    EXPECT_EQ(FormatText(LoadText(38), {QStringLiteral("owl"), QStringLiteral("Birds")}),
              QStringLiteral("Do you really want to move the selected image 'owl' to 'Birds'?"));
    SetLanguageBase(kRussianBase);
    EXPECT_EQ(FormatText(LoadText(39), {3, QStringLiteral("Птицы")}),
              QString::fromUtf16(u"Переместить 3 картинки(ок) в раздел 'Птицы'?"));
}

TEST_F(TextsTest, FormatEdgeCases) {
    // An argument that itself holds a marker is not substituted again.
    EXPECT_EQ(FormatText(QStringLiteral("'%s' and %d"), {QStringLiteral("%d"), 5}),
              QStringLiteral("'%d' and 5"));
    EXPECT_EQ(FormatText(QStringLiteral("%d%% of %s"), {50}), QStringLiteral("50% of %s"));
    EXPECT_EQ(FormatText(QStringLiteral("Topics (%d):"), {-3, 9}), QStringLiteral("Topics (-3):"));
    EXPECT_EQ(FormatText(QStringLiteral("100%"), {1}), QStringLiteral("100%"));
    EXPECT_EQ(FormatText(QStringLiteral("%x %s"), {"a"}), QStringLiteral("%x a"));
}

} // namespace
} // namespace tavik
