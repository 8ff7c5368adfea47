#include "classlib/Lists.h"

#include <algorithm>

#include "classlib/ResStrings.h"

// ---- TList ----

TList::~TList() {
  Clear();
}

void TList::IndexError(int Index) {
  throw EListError(FmtResStringA(SListIndexError, {Index}));
}

void TList::Grow() {
  SetCapacity(GrowListCapacity(FCapacity));
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) throw EListError(FmtResStringA(SListCapacityError, {NewCapacity}));
  if (static_cast<size_t>(NewCapacity) > FList.capacity())
    FList.reserve(static_cast<size_t>(NewCapacity));
  else if (NewCapacity == 0)
    FList.shrink_to_fit();
  FCapacity = NewCapacity;
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) IndexError(NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > Count())
    FList.resize(static_cast<size_t>(NewCount), nullptr);
  else
    while (Count() > NewCount) Delete(Count() - 1);
}

void* TList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
  CheckIndex(Index);
  void* old = FList[static_cast<size_t>(Index)];
  if (old == Item) return;
  FList[static_cast<size_t>(Index)] = Item;
  if (old) Notify(old, TListNotification::lnDeleted);
  if (Item) Notify(Item, TListNotification::lnAdded);
}

int TList::Add(void* Item) {
  const int index = Count();
  Insert(index, Item);
  return index;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  if (Count() == FCapacity) Grow();
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, TListNotification::lnAdded);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  void* item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  // The entry is gone before anyone hears of it, so an owner freeing the item (which may touch
  // this list again) sees a consistent list.
  if (item) Notify(item, TListNotification::lnDeleted);
}

int TList::Remove(void* Item) {
  const int index = IndexOf(Item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* Item) {
  const int index = IndexOf(Item);
  if (index < 0) return nullptr;
  FList.erase(FList.begin() + index);
  Notify(Item, TListNotification::lnExtracted);
  return Item;
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Clear() {
  // From the end, one at a time: freeing an owned item may remove others from the list.
  while (!FList.empty()) Delete(Count() - 1);
  SetCapacity(0);
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  void* item = FList[static_cast<size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Sort(const TListSortCompare& Compare) {
  if (!Compare || FList.size() < 2) return;
  // Merge sort: a comparison that is not a strict order cannot make it run past the ends.
  std::stable_sort(FList.begin(), FList.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Pack() {
  FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Notify(void*, TListNotification) {}

// ---- TObjectList ----

TObjectList::~TObjectList() {
  // Here, not in the base destructor, so Notify still frees owned objects.
  Clear();
}

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == TListNotification::lnDeleted) delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

// ---- TComponentList ----

// Receives the free notifications of the listed components on the list's behalf.
class TComponentListNexus : public TComponent {
  VGT_CLASS(TComponentListNexus, TComponent)
 public:
  explicit TComponentListNexus(TComponentList* List) : TComponent(nullptr), FList(List) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && FList && AComponent) FList->HandleFreeNotify(AComponent);
  }

 private:
  TComponentList* FList;
};

TComponentList::TComponentList(bool AOwnsObjects) : TObjectList(AOwnsObjects) {}

TComponentList::~TComponentList() {
  Clear();
  delete FNexus;
  FNexus = nullptr;
}

void TComponentList::HandleFreeNotify(TComponent* AComponent) {
  // The component is being freed by someone else: take out every entry without freeing it.
  while (IndexOf(AComponent) >= 0) Extract(AComponent);
}

void TComponentList::Notify(void* Ptr, TListNotification Action) {
  auto* component = static_cast<TComponent*>(static_cast<TObject*>(Ptr));
  if (Action == TListNotification::lnAdded) {
    if (!FNexus) FNexus = new TComponentListNexus(this);
    FNexus->FreeNotification(component);
  } else if (FNexus && IndexOf(component) < 0) {
    // Only when no other entry holds the component; before an owned one is freed, so freeing it
    // does not call back into the list.
    FNexus->RemoveFreeNotification(component);
  }
  TObjectList::Notify(Ptr, Action);
}
