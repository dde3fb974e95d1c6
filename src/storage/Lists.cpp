#include "storage/Lists.h"

#include "storage/ValueStream.h"

#include <cstring>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace tavik {
namespace {

// Slots of sizeof(TBmp) bytes handed out from slabs. Freed slots wait on a
// stack for the next images: taking one reads nothing from the slot itself, so
// loading a catalogue writes its images without waiting for each one's memory.
// Slabs are never given back, so memory stays at the largest number of images
// held at once. Not thread-safe: images are made on one thread.
class TBmpSlots {
public:
    void* Take() {
        if (!FFree.empty()) {
            void* slot = FFree.back();
            FFree.pop_back();
            return slot;
        }
        if (FNext == FEnd)
            AddSlab();
        return FNext++;
    }
    // Never grows the stack: each slab makes room on it for all its slots.
    void Give(void* p) noexcept { FFree.push_back(p); }

private:
    struct Slot {
        alignas(TBmp) unsigned char bytes[sizeof(TBmp)];
    };
    static constexpr std::size_t kSlabSlots = 1024;

    void AddSlab() {
        FFree.reserve((FSlabs.size() + 1) * kSlabSlots);
        FSlabs.push_back(std::make_unique_for_overwrite<Slot[]>(kSlabSlots));
        FNext = FSlabs.back().get();
        FEnd = FNext + kSlabSlots;
    }

    std::vector<std::unique_ptr<Slot[]>> FSlabs;
    Slot* FNext = nullptr; // the unused rest of the last slab
    Slot* FEnd = nullptr;
    std::vector<void*> FFree;
};

// Never destroyed: images in static lists may die after it would. A plain
// pointer, set on first use, costs no check of a guard per image.
TBmpSlots* TheSlots = nullptr;

TBmpSlots& Slots() {
    if (TheSlots == nullptr)
        TheSlots = new TBmpSlots;
    return *TheSlots;
}

// Copies n <= TPictureName::kInline bytes in at most two moves of a fixed
// width each, which the compiler makes inline: a library call per name would
// cost more than the copy.
inline void CopyShort(char* to, const char* from, std::size_t n) noexcept {
    if (n >= 16) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

} // namespace

TPictureName::TPictureName(TPictureName&& other) noexcept : FSize(other.FSize) {
    CopyShort(FBytes, other.FBytes, OnHeap() ? sizeof(char*) : FSize);
    other.FSize = 0;
}

TPictureName& TPictureName::operator=(const TPictureName& other) {
    if (this != &other)
        *this = other.View();
    return *this;
}

TPictureName& TPictureName::operator=(TPictureName&& other) noexcept {
    if (this != &other) {
        Release();
        FSize = other.FSize;
        CopyShort(FBytes, other.FBytes, OnHeap() ? sizeof(char*) : FSize);
        other.FSize = 0;
    }
    return *this;
}

TPictureName& TPictureName::operator=(std::string_view text) {
    // The text may lie inside this very name.
    TPictureName copy(text);
    return *this = std::move(copy);
}

char* TPictureName::HeapBlock() const noexcept {
    char* block;
    std::memcpy(&block, FBytes, sizeof block);
    return block;
}

void TPictureName::Assign(std::string_view text) {
    FSize = static_cast<std::uint32_t>(text.size());
    if (!OnHeap()) {
        CopyShort(FBytes, text.data(), text.size());
        return;
    }
    char* block = new char[text.size()];
    std::memcpy(block, text.data(), text.size());
    std::memcpy(FBytes, &block, sizeof block);
}

void TPictureName::Release() noexcept {
    if (OnHeap())
        delete[] HeapBlock();
    FSize = 0;
}

std::ostream& operator<<(std::ostream& out, const TPictureName& name) {
    return out << name.View();
}

void* TBmp::operator new(std::size_t size) {
    // A derived class of another size gets a heap block of its own.
    if (size != sizeof(TBmp))
        return ::operator new(size);
    return Slots().Take();
}

void TBmp::operator delete(void* p, std::size_t size) noexcept {
    if (p == nullptr)
        return;
    if (size != sizeof(TBmp)) {
        ::operator delete(p);
        return;
    }
    Slots().Give(p);
}

int TTopic::AddBmp(std::string_view name, std::int32_t position) {
    return Bmps.Add(std::make_unique<TBmp>(name, position));
}

TTopic& TTopicList::AddTopic(std::string name) {
    return Items(Add(std::make_unique<TTopic>(std::move(name))));
}

int TTopicList::ImageCount() const {
    int total = 0;
    for (int i = 0; i < Count(); ++i)
        total += Topics(i).Bmps.Count();
    return total;
}

TBmp& TTopicList::Image(int topicIndex, int imageIndex) const {
    return Topics(topicIndex).Bmps.Bmps(imageIndex);
}

void TTopicList::WriteTo(TValueWriter& writer) const {
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i) {
        const TTopic& topic = Topics(i);
        writer.WriteString(topic.Name);
        writer.WriteListBegin();
        for (int j = 0; j < topic.Bmps.Count(); ++j) {
            const TBmp& bmp = topic.Bmps.Bmps(j);
            writer.WriteString(bmp.Name.View());
            writer.WriteInteger(bmp.Position);
        }
        writer.WriteListEnd();
    }
    writer.WriteListEnd();
}

void TTopicList::ReadFrom(TValueReader& reader) {
    reader.ReadListBegin();
    Clear();
    // A topic's images are gathered first, so that its list is allocated once,
    // at its full size; they join the topic also when a read fails.
    std::vector<std::unique_ptr<TBmp>> images;
    while (!reader.EndOfList()) {
        TTopic& topic = AddTopic(reader.ReadString());
        reader.ReadListBegin();
        try {
            while (!reader.EndOfList()) {
                // The name is taken from the reader's buffer before the next
                // read moves it.
                auto image = std::make_unique<TBmp>(reader.ReadStringView(), 0);
                image->Position = reader.ReadInteger();
                images.push_back(std::move(image));
            }
        } catch (...) {
            topic.Bmps.AddAll(images);
            throw;
        }
        topic.Bmps.AddAll(images);
        reader.ReadListEnd();
    }
    reader.ReadListEnd();
}

} // namespace tavik
