#include "storage/Lists.h"

#include "storage/ValueStream.h"

#include <cstring>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace tavik {
namespace {

// Slots of sizeof(TBmp) bytes handed out from slabs. A freed slot goes on a
// free list for the next image; slabs are never given back, so memory stays
// at the largest number of images held at once. Not thread-safe: the
// program is single-threaded.
class TBmpSlots {
public:
    void* Take() {
        if (FFree != nullptr) {
            Slot* slot = FFree;
            FFree = slot->next;
            return slot;
        }
        if (FUsed == kSlabSlots) {
            FSlabs.push_back(std::make_unique<Slot[]>(kSlabSlots));
            FUsed = 0;
        }
        return &FSlabs.back()[FUsed++];
    }
    void Give(void* p) noexcept {
        auto* slot = static_cast<Slot*>(p);
        slot->next = FFree;
        FFree = slot;
    }

private:
    union Slot {
        Slot* next;
        alignas(TBmp) unsigned char bytes[sizeof(TBmp)];
    };
    static constexpr std::size_t kSlabSlots = 1024;
    std::vector<std::unique_ptr<Slot[]>> FSlabs;
    std::size_t FUsed = kSlabSlots;
    Slot* FFree = nullptr;
};

TBmpSlots& Slots() {
    // Never destroyed: images in static lists may die after it would.
    static TBmpSlots* const slots = new TBmpSlots;
    return *slots;
}

} // namespace

TPictureName::TPictureName(TPictureName&& other) noexcept : FSize(other.FSize) {
    std::memcpy(FBytes, other.FBytes, OnHeap() ? sizeof(char*) : FSize);
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
        std::memcpy(FBytes, other.FBytes, OnHeap() ? sizeof(char*) : FSize);
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
        std::memcpy(FBytes, text.data(), text.size());
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

int TTopic::AddBmp(TPictureName name, std::int32_t position) {
    return Bmps.Add(std::make_unique<TBmp>(std::move(name), position));
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
    while (!reader.EndOfList()) {
        TTopic& topic = AddTopic(reader.ReadString());
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            // Taken from the reader's buffer before the next read moves it.
            TPictureName name(reader.ReadStringView());
            const std::int32_t position = reader.ReadInteger();
            topic.AddBmp(std::move(name), position);
        }
        reader.ReadListEnd();
    }
    reader.ReadListEnd();
}

} // namespace tavik
