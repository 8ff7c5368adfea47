// Pointer lists: TList (untyped pointers), TObjectList (objects, optionally owned) and
// TComponentList (components that leave the list by themselves when they are freed).
#pragma once

#include <functional>
#include <vector>

#include "classlib/Classes.h"

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

// The capacity a full list grows to: by a quarter past 64 entries, by 16 past 8, else by 4.
inline int GrowListCapacity(int Capacity) {
  return Capacity + (Capacity > 64 ? Capacity / 4 : (Capacity > 8 ? 16 : 4));
}

using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
  VGT_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Add(void* Item);
  // Index may be Count (appends).
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Deletes the first occurrence of Item; its former index, or -1.
  int Remove(void* Item);
  // Takes the first occurrence of Item out of the list without deleting it (an owning list does
  // not free it); Item, or nullptr when absent.
  void* Extract(void* Item);
  int IndexOf(void* Item) const;
  virtual void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Sort(const TListSortCompare& Compare);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  // Removes the nullptr entries.
  void Pack();

  int Count() const { return static_cast<int>(FList.size()); }
  // Grows with nullptr entries or deletes from the end.
  void SetCount(int NewCount);
  int Capacity() const { return FCapacity; }
  // Below Count raises EListError.
  void SetCapacity(int NewCapacity);
  void* Items(int Index) const { return Get(Index); }
  void SetItems(int Index, void* Item) { Put(Index, Item); }
  void* Get(int Index) const;
  void Put(int Index, void* Item);

 protected:
  // Told of every item entering or leaving the list, after the list has changed.
  virtual void Notify(void* Ptr, TListNotification Action);
  [[noreturn]] static void IndexError(int Index);

 private:
  void CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) IndexError(Index);
  }
  void Grow();

  std::vector<void*> FList;
  int FCapacity = 0;
};

class TObjectList : public TList {
  VGT_CLASS(TObjectList, TList)
 public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;

  int Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
  int Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* AObject) { return static_cast<TObject*>(TList::Extract(AObject)); }
  int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  TObject* Items(int Index) const { return static_cast<TObject*>(Get(Index)); }
  // Replacing an owned entry frees the object it held.
  void SetItems(int Index, TObject* AObject) { Put(Index, AObject); }

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects;
};

class TComponentListNexus;

// A list of components that drops a component as soon as it is freed elsewhere; when it owns its
// components it frees them on Delete/Clear/destruction like any TObjectList.
class TComponentList : public TObjectList {
  VGT_CLASS(TComponentList, TObjectList)
 public:
  explicit TComponentList(bool AOwnsObjects = true);
  ~TComponentList() override;

  int Add(TComponent* AComponent) { return TObjectList::Add(AComponent); }
  void Insert(int Index, TComponent* AComponent) { TObjectList::Insert(Index, AComponent); }
  int Remove(TComponent* AComponent) { return TObjectList::Remove(AComponent); }
  TComponent* Extract(TComponent* AComponent) {
    return static_cast<TComponent*>(TObjectList::Extract(AComponent));
  }
  int IndexOf(TComponent* AComponent) const { return TObjectList::IndexOf(AComponent); }
  TComponent* First() const { return static_cast<TComponent*>(TObjectList::First()); }
  TComponent* Last() const { return static_cast<TComponent*>(TObjectList::Last()); }
  TComponent* Items(int Index) const { return static_cast<TComponent*>(TObjectList::Items(Index)); }
  void SetItems(int Index, TComponent* AComponent) { TObjectList::SetItems(Index, AComponent); }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  friend class TComponentListNexus;
  // Called by the helper component when a listed component is being freed.
  void HandleFreeNotify(TComponent* AComponent);

  TComponentListNexus* FNexus = nullptr;
};
