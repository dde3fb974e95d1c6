#include "storage/NameSearch.h"

#include "storage/CodePage.h"
#include "storage/Lists.h"

#include <algorithm>
#include <array>

namespace tavik {
namespace {

// Base letters of Latin Extended-A, U+0100 to U+017F, in order; the ligatures
// among them are spelled out before this table is consulted.
constexpr std::string_view kLatinExtendedA = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJ"
                                             "jKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSs"
                                             "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinExtendedA.size() == 0x80);

// Base letters of U+00C0 to U+00FF; '*' marks the two signs that are not
// letters, which stay as they are, and the letters spelled out in FoldCharacter.
constexpr std::string_view kLatin1 =
    "aaaaaa*ceeeeiiiidnooooo*ouuuuyt*aaaaaa*ceeeeiiiidnooooo*ouuuuyty";
static_assert(kLatin1.size() == 0x40);

// Appends the folded form of one character.
void FoldCharacter(char32_t c, std::string& out) {
    if (c >= 'A' && c <= 'Z') {
        out += static_cast<char>(c - 'A' + 'a');
        return;
    }
    switch (c) {
    case 0xC6: // Æ
    case 0xE6:
        out += "ae";
        return;
    case 0xDF: // ß
        out += "ss";
        return;
    case 0xDE: // Þ
    case 0xFE:
        out += "th";
        return;
    case 0x132: // Ĳ
    case 0x133:
        out += "ij";
        return;
    case 0x152: // Œ
    case 0x153:
        out += "oe";
        return;
    case 0x401: // Ё, ё: searched as Е
    case 0x451:
        AppendUtf8(out, 0x435);
        return;
    default:
        break;
    }
    if (c >= 0xC0 && c <= 0xFF && kLatin1[c - 0xC0] != '*') {
        out += kLatin1[c - 0xC0];
    } else if (c >= 0x100 && c <= 0x17F) {
        const char base = kLatinExtendedA[c - 0x100];
        out += static_cast<char>(base >= 'A' && base <= 'Z' ? base - 'A' + 'a' : base);
    } else if (c >= 0x410 && c <= 0x42F) {
        AppendUtf8(out, c + 0x20);
    } else if (c >= 0x400 && c <= 0x40F) {
        AppendUtf8(out, c + 0x50);
    } else if (c >= 0x490 && c <= 0x4BF) { // Ґ and the other paired letters
        AppendUtf8(out, c | 1);
    } else {
        AppendUtf8(out, c);
    }
}

// Decodes one UTF-8 sequence at text[at]; an invalid one yields its first
// byte alone, as a character outside every table (kept unchanged).
char32_t NextCharacter(std::string_view text, std::size_t& at, bool& valid) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead < 0x80       ? 1
                 : lead >> 5 == 6  ? 2
                 : lead >> 4 == 14 ? 3
                 : lead >> 3 == 30 ? 4
                                   : 0;
    valid = length > 0 && at + length <= text.size();
    char32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1F
                 : length == 3 ? lead & 0x0F
                               : lead & 0x07;
    for (int i = 1; valid && i < length; ++i) {
        valid = (byte(at + i) & 0xC0) == 0x80;
        c = c << 6 | (byte(at + i) & 0x3F);
    }
    if (!valid) {
        ++at;
        return lead;
    }
    at += length;
    return c;
}

void FoldInto(std::string_view utf8, std::string& out) {
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t from = at;
        bool valid = false;
        const char32_t c = NextCharacter(utf8, at, valid);
        if (valid)
            FoldCharacter(c, out);
        else
            out.append(utf8.substr(from, 1));
    }
}

} // namespace

std::string FoldForSearch(std::string_view utf8) {
    std::string folded;
    folded.reserve(utf8.size());
    FoldInto(utf8, folded);
    return folded;
}

TNameIndex::TNameIndex(const TTopicList& topics, int codePage) {
    std::size_t pictures = 0, bytes = 0;
    for (int t = 0; t < topics.Count(); ++t) {
        const TBmpList& bmps = topics.Topics(t).Bmps;
        pictures += static_cast<std::size_t>(bmps.Count());
        for (int i = 0; i < bmps.Count(); ++i)
            bytes += bmps.Bmps(i).Name.size() + 1;
    }
    FEntries.reserve(pictures);
    FText.reserve(bytes + bytes / 4);

    // A single-byte page folds byte by byte through a table made once; no
    // byte folds to more than four bytes of UTF-8.
    struct ByteFold {
        char text[4];
        std::uint8_t size;
    };
    const bool byBytes = codePage != kCodePageUtf8;
    std::array<ByteFold, 256> byteFolds{};
    for (int b = 0; byBytes && b < 256; ++b) {
        const std::string folded =
            b == 0 ? std::string(1, '\0')
                   : FoldForSearch(ToUtf8(std::string(1, static_cast<char>(b)), codePage));
        byteFolds[b].size = static_cast<std::uint8_t>(folded.copy(byteFolds[b].text, 4));
    }
    for (int t = 0; t < topics.Count(); ++t) {
        const TBmpList& bmps = topics.Topics(t).Bmps;
        for (int i = 0; i < bmps.Count(); ++i) {
            FEntries.push_back({static_cast<std::uint32_t>(FText.size()), {t, i}});
            const std::string_view name = bmps.Bmps(i).Name;
            if (byBytes) {
                for (const unsigned char b : name)
                    FText.append(byteFolds[b].text, byteFolds[b].size);
            } else {
                FoldInto(ToUtf8(std::string(name), codePage), FText);
            }
            FText += '\0';
        }
    }
}

std::vector<TNameMatch> TNameIndex::Find(std::string_view utf8Text) const {
    std::vector<TNameMatch> found;
    const std::string text = FoldForSearch(utf8Text);
    // The separator never belongs to what is searched for: a match stays
    // inside one name.
    if (text.find('\0') != std::string::npos)
        return found;
    const std::string_view all(FText);
    std::size_t from = 0;
    while (from < all.size()) {
        const std::size_t hit = all.find(text, from);
        if (hit == std::string_view::npos)
            break;
        const auto next =
            std::upper_bound(FEntries.begin(), FEntries.end(), hit,
                             [](std::size_t at, const Entry& entry) { return at < entry.start; });
        found.push_back(std::prev(next)->where);
        // The rest of this name cannot add a second match of it.
        from = next == FEntries.end() ? all.size() : next->start;
    }
    return found;
}

} // namespace tavik
