#pragma once

#include <iterator>
#include <memory>
#include <vector>

namespace tavik {

// Base of everything a TObjList can own.
class TObject {
public:
    virtual ~TObject() = default;
};

// An ordered list that owns its objects. Order is exactly the order of Add,
// Insert and Move; nothing sorts or checks for duplicates. Every index outside
// its range throws EListError "List index out of bounds" and leaves the list
// unchanged. Descendants add typed access (TObjListOf).
class TObjList {
public:
    TObjList() = default;
    virtual ~TObjList();
    TObjList(const TObjList&) = delete;
    TObjList& operator=(const TObjList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Appends; returns the new item's index.
    int Add(std::unique_ptr<TObject> item) {
        FItems.push_back(std::move(item));
        return Count() - 1;
    }

    // Inserts before index; index == Count appends.
    void Insert(int index, std::unique_ptr<TObject> item);
    // Removes the item and hands it back alive to the caller.
    std::unique_ptr<TObject> Delete(int index);
    // Removes the item from the list first, then destroys it.
    void DeleteAndFree(int index);
    // Destroys every item, from index 0 upward, then empties the list.
    void Clear();
    // Removes the item at from and re-inserts it at to (both valid indices).
    void Move(int from, int to);
    TObject& Items(int index) const;

protected:
    // Appends the items in their order, in one allocation at most; leaves
    // items empty.
    template <class T> void AddAllOf(std::vector<std::unique_ptr<T>>& items) {
        FItems.insert(FItems.end(), std::make_move_iterator(items.begin()),
                      std::make_move_iterator(items.end()));
        items.clear();
    }

private:
    void CheckIndex(int index, int limit) const;
    std::vector<std::unique_ptr<TObject>> FItems;
};

// Typed view of TObjList for lists that hold only T.
template <class T> class TObjListOf : public TObjList {
public:
    int Add(std::unique_ptr<T> item) { return TObjList::Add(std::move(item)); }
    // Appends the items in their order, in one allocation at most; leaves
    // items empty.
    void AddAll(std::vector<std::unique_ptr<T>>& items) { AddAllOf(items); }
    void Insert(int index, std::unique_ptr<T> item) { TObjList::Insert(index, std::move(item)); }
    std::unique_ptr<T> Delete(int index) {
        return std::unique_ptr<T>(static_cast<T*>(TObjList::Delete(index).release()));
    }
    T& Items(int index) const { return static_cast<T&>(TObjList::Items(index)); }
};

} // namespace tavik
