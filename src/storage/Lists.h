#pragma once

#include "storage/ObjList.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavik {

class TValueReader;
class TValueWriter;

// An image of the catalogue: its name and the position of its picture record
// in the data file (at least 4; 0 means "no stored picture").
class TBmp : public TObject {
public:
    TBmp(std::string name, std::int32_t position) : Name(std::move(name)), Position(position) {}
    // Images come by the hundred thousand: they live in shared slabs rather
    // than in one heap block each.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;

    std::string Name; // single-byte text in the catalogue's code page
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
    int AddBmp(std::string name, std::int32_t position);
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
