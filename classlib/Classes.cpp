#include "classlib/Classes.h"

#include <algorithm>

#include "base/Scope.h"
#include "classlib/ResStrings.h"

// ---- TPersistent ----

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignTo(this);  // nil source: report as the class library does
}

void TPersistent::AssignTo(TPersistent* Dest) {
  const WideString source = ClassName();
  const WideString dest = Dest ? Dest->ClassName() : WideString(L"nil");
  throw EConvertError(FmtResStringA(SAssignError, {source, dest}));
}

void TPersistent::DefineProperties(TFiler*) {}

WideString TPersistent::GetNamePath() const {
  return ClassName();
}

// ---- TComponent ----

bool IsValidIdent(const WideString& Name) {
  if (Name.empty()) return false;
  auto alpha = [](wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'; };
  if (!alpha(Name[0])) return false;
  return std::all_of(Name.begin() + 1, Name.end(),
                     [&](wchar_t c) { return alpha(c) || (c >= L'0' && c <= L'9'); });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::operator delete(TComponent* Component, std::destroying_delete_t) noexcept {
  if (!Component || Component->FDestructorRunning) return;
  Component->StartDestruction();
  if (Component->FBusy > 0) {
    Component->FDeletePending = true;
    return;
  }
  Component->FDeletePending = false;
  Component->FDestructorRunning = true;
  void* memory = dynamic_cast<void*>(Component);
  Component->~TComponent();
  ::operator delete(memory);
}

void* TComponent::operator new(std::size_t Size) { return ::operator new(Size); }

void TComponent::operator delete(void* Memory) noexcept { ::operator delete(Memory); }

void TComponent::StartDestruction() noexcept {
  if (FDestructionStarted) return;
  FDestructionStarted = true;
  try {
    BeforeDestruction();
  } catch (...) {
    // Freeing goes on: what failed has been told where exceptions are told (the overrides
    // catch their own); nothing may leave a delete.
  }
}

void TComponent::BeforeDestruction() {
  Destroying();
  ClearWeakLinks();
}

TComponent::TBusyScope::~TBusyScope() {
  if (!FComponent) return;
  if (--FComponent->FBusy == 0 && FComponent->FDeletePending && !FComponent->FDestructorRunning) delete FComponent;
}

void TComponent::ClearWeakLinks() noexcept {
  while (FWeakLinks) FWeakLinks->Set(nullptr);
}

void TWeakLink::Set(TComponent* Target) {
  if (Target == FTarget) return;
  if (FTarget) {
    if (FPrev) FPrev->FNext = FNext;
    else FTarget->FWeakLinks = FNext;
    if (FNext) FNext->FPrev = FPrev;
    FPrev = FNext = nullptr;
  }
  // A component already being freed is never referenced anew.
  FTarget = Target && !Target->FDestructionStarted ? Target : nullptr;
  if (FTarget) {
    FNext = FTarget->FWeakLinks;
    if (FNext) FNext->FPrev = this;
    FTarget->FWeakLinks = this;
  }
}

TComponent::~TComponent() {
  // Components that never went through delete (members, locals) end here.
  FDestructionStarted = true;
  Destroying();
  ClearWeakLinks();
  // Tell everyone who asked; each may remove itself from our list while we walk it.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(FmtResStringA(SListIndexError, {Index}));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  return FOwner->FComponents.IndexOf(this);
}

namespace {

// The key of a valid name in the name index: its letters in upper case. Empty for anything that
// is not a valid name (such a name is compared the platform's way, one by one).
std::string NameKey(const WideString& Name) {
  if (!IsValidIdent(Name)) return {};
  std::string key(Name.size(), '\0');
  for (size_t i = 0; i < Name.size(); ++i) {
    const wchar_t c = Name[i];
    key[i] = static_cast<char>(c >= L'a' && c <= L'z' ? c - (L'a' - L'A') : c);
  }
  return key;
}

}  // namespace

void TComponent::IndexName(TComponent* AComponent, bool Add) {
  const std::string key = NameKey(AComponent->FName);
  if (key.empty()) return;
  if (Add) {
    if (!FNameIndex) FNameIndex = std::make_unique<std::unordered_multimap<std::string, TComponent*>>();
    FNameIndex->emplace(key, AComponent);
    return;
  }
  if (!FNameIndex) return;
  auto [from, to] = FNameIndex->equal_range(key);
  for (auto it = from; it != to; ++it)
    if (it->second == AComponent) {
      FNameIndex->erase(it);
      return;
    }
}

TComponent* TComponent::FindByKey(const std::string& Key) const {
  if (!FNameIndex) return nullptr;
  auto [from, to] = FNameIndex->equal_range(Key);
  if (from == to) return nullptr;
  TComponent* found = from->second;
  // Two of one name (only ever by a rename that skipped the checks): the first owned, as a walk
  // through the list would find.
  if (std::next(from) != to) {
    int first = FComponents.IndexOf(found);
    for (auto it = std::next(from); it != to; ++it)
      if (const int i = FComponents.IndexOf(it->second); i >= 0 && (first < 0 || i < first)) {
        first = i;
        found = it->second;
      }
  }
  return found;
}

TComponent* TComponent::FindComponent(const WideString& AName) const {
  if (AName.empty()) return nullptr;
  if (const std::string key = NameKey(AName); !key.empty()) return FindByKey(key);
  for (TComponent* c : FComponents)
    if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, c->FName.c_str(), -1, AName.c_str(), -1) ==
        CSTR_EQUAL)
      return c;
  return nullptr;
}

void TComponent::SetName(const WideString& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(FmtResStringA(SInvalidName, {NewName}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  if (FOwner) FOwner->IndexName(this, false);
  FName = NewName;
  if (FOwner) FOwner->IndexName(this, true);
}

void TComponent::ValidateRename(TComponent* AComponent, const WideString&, const WideString& NewName) {
  if (!AComponent || NewName.empty()) return;
  TComponent* other = FindComponent(NewName);
  if (other && other != AComponent)
    throw EComponentError(FmtResStringA(SDuplicateName, {NewName}));
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent) return;
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  ValidateRename(AComponent, WideString(), AComponent->FName);
  Insert(AComponent);
  if (HasState(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, TOperation::opRemove);
  NotifyLinkedBelow(AComponent);
  Remove(AComponent);
}

void TComponent::NotifyLinkedBelow(TComponent* AComponent) {
  if (AComponent->FFreeNotifies.empty()) return;
  // A handler may free either; one already being freed stays whole until this call is over.
  const bool watchSelf = !FDestructionStarted, watchRemoved = !AComponent->FDestructionStarted;
  TWeakRef<TComponent> self(this), removed(AComponent);
  const std::vector<TComponent*> linked = AComponent->FFreeNotifies;
  for (TComponent* d : linked) {
    if ((watchSelf && !self) || (watchRemoved && !removed)) return;
    // Each may unlink or free others meanwhile; a freed one has left the list.
    auto& now = AComponent->FFreeNotifies;
    if (std::find(now.begin(), now.end(), d) == now.end()) continue;
    bool below = false;
    for (TComponent* o = d->FOwner; o && !below; o = o->FOwner) below = o == this;
    if (below) d->Notification(AComponent, TOperation::opRemove);
  }
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  IndexName(AComponent, true);
  if (AComponent->Hears()) {
    const bool was = Hears();
    FHearers.push_back(AComponent);
    HearingChanged(was);
  }
}

void TComponent::Remove(TComponent* AComponent) {
  FComponents.RemoveOnce(AComponent);  // Insert never adds a component twice
  IndexName(AComponent, false);
  AComponent->FOwner = nullptr;
  if (FHearers.Contains(AComponent)) {
    const bool was = Hears();
    FHearers.RemoveOnce(AComponent);
    HearingChanged(was);
  }
}

void TComponent::HearOwnerNotifications() {
  const bool was = Hears();
  FHearsOwner = true;
  HearingChanged(was);
}

void TComponent::HearingChanged(bool WasHearing) {
  const bool now = Hears();
  if (now == WasHearing || !FOwner) return;
  TComponent* owner = FOwner;
  const bool ownerWas = owner->Hears();
  if (now) owner->FHearers.push_back(this);
  else owner->FHearers.RemoveOnce(this);
  owner->HearingChanged(ownerWas);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  auto& theirs = AComponent->FFreeNotifies;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
  SetStateBits(csFreeNotification, true);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
  auto& theirs = AComponent->FFreeNotifies;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == TOperation::opRemove && AComponent)
    RemoveFreeNotification(AComponent);
  // Owned components that asked hear of every insertion and removal below their owner (the
  // others holding a free notification of a removed component are told by RemoveComponent).
  if (!FHearers.empty()) FHearers.ForEach([&](TComponent* c) { c->Notification(AComponent, Operation); }, true);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    // Freed while still owned, so that it and its handlers see their owner whole.
    c->StartDestruction();
    if (FComponents.empty() || FComponents.back() != c) continue;  // it left by itself
    Remove(c);
    delete c;
  }
}

bool TComponent::ForEachComponent(const std::function<void(TComponent*)>& Fn) {
  // Busy, so that Fn freeing this component leaves it readable until the walk is over; the
  // walk stops once this component has started being freed.
  TBusyScope busy(this);
  TWeakRef<TComponent> self(this);
  bool listGone = false;
  FComponents.FindFirst(
      [&](TComponent* c) {
        Fn(c);
        return !self;
      },
      &listGone);
  return !listGone && self;
}

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  SetStateBits(csDestroying, true);
  for (TComponent* c : FComponents) c->Destroying();
}

WideString TComponent::GetNamePath() const {
  return FName;
}

void TComponent::Loaded() {
  SetStateBits(csLoading, false);
}

void TComponent::SetLoading(bool On) {
  SetStateBits(csLoading, On);
}

void TComponent::SetReading(bool On) {
  SetStateBits(csReading, On);
}

void TComponent::SetDesigning(bool On, bool SetChildren) {
  SetStateBits(csDesigning, On);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(On, true);
}

void TComponent::SetInline(bool On) {
  SetStateBits(csInline, On);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

// ======================= TCollection =======================

TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  const int current = Index();
  if (current < 0 || Value == current) return;
  auto& items = FCollection->FItems;
  Value = std::clamp(Value, 0, static_cast<int>(items.size()) - 1);
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  FCollection->Changed();
}

WideString TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + L"[" + std::to_wstring(Index()) + L"]";
}

void TCollectionItem::Changed(bool AllItems) {
  if (!FCollection || FCollection->FUpdateCount > 0) return;
  FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

TCollection::TCollection(TCollectionItemFactory ItemFactory) : FItemFactory(std::move(ItemFactory)) {}

TCollection::~TCollection() {
  // No updates are told while the collection goes.
  ++FUpdateCount;
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(FmtResStringA(SListIndexError, {Index}));
  return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FItemFactory(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  TUpdateBracket<TCollection> update(this);
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateBracket<TCollection> update(this);
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
  Item->FCollection = nullptr;
  Changed();
}
