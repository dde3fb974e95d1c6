#include "storage/ObjList.h"

#include "storage/Exceptions.h"

namespace tavik {

TObjList::~TObjList() {
    Clear();
}

void TObjList::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit)
        throw EListError("List index out of bounds");
}

void TObjList::Insert(int index, std::unique_ptr<TObject> item) {
    CheckIndex(index, Count() + 1);
    FItems.insert(FItems.begin() + index, std::move(item));
}

std::unique_ptr<TObject> TObjList::Delete(int index) {
    CheckIndex(index, Count());
    auto item = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    return item;
}

void TObjList::DeleteAndFree(int index) {
    // The reference leaves the list before the object dies.
    Delete(index).reset();
}

void TObjList::Clear() {
    for (auto& item : FItems)
        item.reset();
    FItems.clear();
}

void TObjList::Move(int from, int to) {
    if (from == to)
        return;
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    auto item = std::move(FItems[static_cast<std::size_t>(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(item));
}

TObject& TObjList::Items(int index) const {
    CheckIndex(index, Count());
    return *FItems[static_cast<std::size_t>(index)];
}

} // namespace tavik
