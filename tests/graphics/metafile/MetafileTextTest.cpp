#include "graphics/metafile/Text.h"

#include <gtest/gtest.h>

namespace tavik::metafile {
namespace {

struct CodePageCase {
    const char* name;
    QString text;
    int charset;      // what CharsetFor picks
    QByteArray bytes; // the text in that code page
};

class CodePages : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePages, EncodeDecodeAndChooseTheCharacterSet) {
    const CodePageCase& c = GetParam();
    EXPECT_EQ(CharsetFor(c.text), c.charset);
    const QByteArray bytes = EncodeAnsi(c.text, c.charset);
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(DecodeAnsi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())),
                         c.charset),
              c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, CodePages,
    ::testing::Values(CodePageCase{"ascii", "Abc", 0, "Abc"},
                      CodePageCase{"western", QString::fromUtf8("caf\u00e9 \u20ac"), 0,
                                   "caf\xe9 \x80"},
                      CodePageCase{"cyrillic", QString::fromUtf8("\u0410\u0411"), 204, "\xc0\xc1"},
                      CodePageCase{"central", QString::fromUtf8("\u0141\u00f3d\u017a"), 238,
                                   "\xa3\xf3"
                                   "d\x9f"},
                      CodePageCase{"greek", QString::fromUtf8("\u03a9"), 161, "\xd9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MetafileText, MissingCharactersBecomeOneQuestionMarkEach) {
    EXPECT_EQ(EncodeAnsi(QString::fromUtf8("a\u0410b\U0001F600"), 0), QByteArray("a?b?"));
}

} // namespace
} // namespace tavik::metafile
