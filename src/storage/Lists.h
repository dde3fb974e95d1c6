#pragma once

#include "storage/ObjList.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tavik {

class TValueReader;
class TValueWriter;

// The name of an image: single-byte text in the catalogue's code page. Names of
// up to kInline bytes, nearly every file name, are kept inside the object, so
// that a catalogue of 100,000 pictures loads without a heap block per name;
// longer ones get a block of their own. It reads as a std::string wherever one
// is expected, and compares and prints as one.
class TPictureName {
public:
    static constexpr std::size_t kInline = 32;

    TPictureName() noexcept = default;
    TPictureName(std::string_view text) { Assign(text); }
    TPictureName(const std::string& text) : TPictureName(std::string_view(text)) {}
    TPictureName(const char* text) : TPictureName(std::string_view(text)) {}
    TPictureName(const TPictureName& other) : TPictureName(other.View()) {}
    TPictureName(TPictureName&& other) noexcept;
    ~TPictureName() { Release(); }

    TPictureName& operator=(const TPictureName& other);
    TPictureName& operator=(TPictureName&& other) noexcept;
    TPictureName& operator=(std::string_view text);
    TPictureName& operator=(const std::string& text) { return *this = std::string_view(text); }
    TPictureName& operator=(const char* text) { return *this = std::string_view(text); }

    std::size_t size() const noexcept { return FSize; }
    bool empty() const noexcept { return FSize == 0; }
    const char* data() const noexcept { return OnHeap() ? HeapBlock() : FBytes; }
    std::string_view View() const noexcept { return {data(), FSize}; }
    operator std::string_view() const noexcept { return View(); }
    operator std::string() const { return std::string(View()); }

    friend bool operator==(const TPictureName& a, std::string_view b) noexcept {
        return a.View() == b;
    }

private:
    bool OnHeap() const noexcept { return FSize > kInline; }
    // A name on the heap keeps the block's address in its first bytes.
    char* HeapBlock() const noexcept;
    void Assign(std::string_view text);
    void Release() noexcept;

    std::uint32_t FSize = 0;
    char FBytes[kInline];
};

std::ostream& operator<<(std::ostream& out, const TPictureName& name);

// An image of the catalogue: its name and the position of its picture record
// in the data file (at least 4; 0 means "no stored picture").
class TBmp : public TObject {
public:
    TBmp(std::string_view name, std::int32_t position) : Name(name), Position(position) {}
    // Images come by the hundred thousand: they live in shared slabs rather
    // than in one heap block each.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;

    TPictureName Name;
    std::int32_t Position;
};

class TBmpList : public TObjListOf<TBmp> {
public:
    TBmp& Bmps(int index) const { return Items(index); }
};

// A topic: a name and its images, which it owns.
class TTopic : public TObject {
public:
    explicit TTopic(std::string name) : Name(std::move(name)) {}
    // Appends an image; returns its index.
    int AddBmp(std::string_view name, std::int32_t position);
    void DeleteBmp(int index) { Bmps.DeleteAndFree(index); }

    std::string Name;
    TBmpList Bmps;
};

// The catalogue in memory: topics in list-file order.
class TTopicList : public TObjListOf<TTopic> {
public:
    TTopic& Topics(int index) const { return Items(index); }
    // Appends a new empty topic; returns it.
    TTopic& AddTopic(std::string name);
    // Images over all topics (0 for an empty list).
    int ImageCount() const;
    // Topics(topicIndex).Bmps.Bmps(imageIndex); EListError for either index.
    TBmp& Image(int topicIndex, int imageIndex) const;

    // The catalogue stream: 01, per topic its name, 01, per image its name and
    // position, 00; then 00. Errors of the writer pass through.
    void WriteTo(TValueWriter& writer) const;
    // Replaces the contents with the catalogue stream. Each topic joins the
    // list before its images are read, so on an error (EReadError "Invalid
    // property value" / "Stream read error") the topics read so far stay, the
    // last possibly with only some of its images.
    void ReadFrom(TValueReader& reader);
};

} // namespace tavik
