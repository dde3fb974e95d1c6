#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavik {

class TTopicList;

// Folds UTF-8 text for searching: letters lower-cased and stripped of their
// accents ("Éclair" and "eclair" fold alike, "Ёлка" and "елка" too), the
// ligatures and sharp s spelled out ("Œuvre" as "oeuvre", "Straße" as
// "strasse"). Characters outside Latin and Cyrillic are kept as they are;
// bytes of an invalid sequence are kept too, so that folding never fails.
std::string FoldForSearch(std::string_view utf8);

// A picture of the catalogue found by its name.
struct TNameMatch {
    int topic = 0;
    int image = 0;
    bool operator==(const TNameMatch&) const = default;
};

// The folded names of every picture of a catalogue, kept together so that a
// search runs through them as one block of text. It is a snapshot: after the
// catalogue changes it must be built again (building costs about what folding
// the names costs).
class TNameIndex {
public:
    TNameIndex() = default;
    // Names are bytes in codePage (see CodePage.h).
    TNameIndex(const TTopicList& topics, int codePage);

    // The pictures whose folded name contains the folded text, in catalogue
    // order (topic by topic, pictures in their order). Empty text finds every
    // picture.
    std::vector<TNameMatch> Find(std::string_view utf8Text) const;

    int Count() const { return static_cast<int>(FEntries.size()); }

private:
    struct Entry {
        std::uint32_t start; // of the folded name in FText
        TNameMatch where;
    };
    // Folded names, each followed by a separator that no folded text holds.
    std::string FText;
    std::vector<Entry> FEntries;
};

} // namespace tavik
