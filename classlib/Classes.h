// The persistent-object and component model: TPersistent (assignment and the form-description
// hook for properties that are not published) and TComponent (ownership, names, state, free
// notification). Lists, string lists and streams have their own headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "classlib/SysUtils.h"

class TFiler;
class TComponent;

// An event handler: the class library's method pointer. Empty means "not assigned".
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
  VGT_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object; a class that cannot take Source asks Source to assign
  // itself to this (AssignTo), and that failing raises EConvertError.
  virtual void Assign(TPersistent* Source);
  // The path of this object for messages: the owner's name path and this name.
  virtual WideString GetNamePath() const;

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Called by the form-description reader for property names that are not published.
  virtual void DefineProperties(TFiler* Filer);
  virtual TPersistent* GetOwner() const { return nullptr; }

  friend class TFiler;
  friend class TReader;
};

enum class TOperation { opInsert, opRemove };

// Component state bits (csLoading while a form description is read into the component, and so on).
enum TComponentStateBit : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
  csInline = 1u << 9,
  csDesignInstance = 1u << 10,
};
using TComponentState = uint32_t;

// A list that may change while it is walked: the walk visits each item that is still in the list
// when its turn comes, in order, and never an item removed meanwhile (freed clients, controls
// removed by a handler); items added meanwhile may or may not be. ForEach answers false when the
// list itself was destroyed by the callback: the caller must then leave its object alone.
template <class T>
class TLiveList {
 public:
  TLiveList() = default;
  TLiveList(const TLiveList&) = delete;
  TLiveList& operator=(const TLiveList&) = delete;
  ~TLiveList() {
    for (Walk* w = FWalks; w; w = w->Outer) w->ListGone = true;
  }

  size_t size() const { return FItems.size(); }
  bool empty() const { return FItems.empty(); }
  T* operator[](size_t Index) const { return FItems[Index]; }
  T* at(size_t Index) const { return FItems.at(Index); }
  T* back() const { return FItems.back(); }
  auto begin() const { return FItems.cbegin(); }
  auto end() const { return FItems.cend(); }
  const std::vector<T*>& Items() const { return FItems; }

  bool Contains(const T* Item) const {
    for (T* i : FItems)
      if (i == Item) return true;
    return false;
  }
  int IndexOf(const T* Item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i] == Item) return static_cast<int>(i);
    return -1;
  }
  void push_back(T* Item) { FItems.push_back(Item); }
  // Places Item at Index (moving it when it is in the list already).
  void Move(T* Item, size_t Index) {
    Remove(Item);
    Index = Index > FItems.size() ? FItems.size() : Index;
    FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(Index), Item);
    for (Walk* w = FWalks; w; w = w->Outer) {
      if (Index < w->Next) ++w->Next;
      if (Index < w->End) ++w->End;
    }
  }
  void Remove(const T* Item) {
    for (size_t i = FItems.size(); i-- > 0;)
      if (FItems[i] == Item) EraseAt(i);
  }

  // Removes Item when the list holds it at most once (lists that never hold an item twice): the
  // search starts at the end, where the item removed is most often found, and stops there.
  void RemoveOnce(const T* Item) {
    for (size_t i = FItems.size(); i-- > 0;) {
      if (FItems[i] != Item) continue;
      EraseAt(i);
      return;
    }
  }

  // Calls Fn for each item, first to last (Backwards: last to first).
  template <class F>
  bool ForEach(F&& Fn, bool Backwards = false) {
    TRunningWalk running(*this);
    Walk& w = running.W;
    while (w.Next < w.End) {
      T* item = Backwards ? FItems[w.End - 1] : FItems[w.Next];
      if (Backwards) --w.End;
      else ++w.Next;
      Fn(item);
      if (w.ListGone) return false;
    }
    return true;
  }
  // Like ForEach, but stops at the first item for which Fn answers true; answers that item.
  template <class F>
  T* FindFirst(F&& Fn, bool* ListGone = nullptr) {
    T* found = nullptr;
    bool gone = !ForEachUntil([&](T* item) {
      if (!Fn(item)) return false;
      found = item;
      return true;
    });
    if (ListGone) *ListGone = gone;
    return found;
  }

 private:
  struct Walk {
    size_t Next;
    size_t End;
    Walk* Outer;
    bool ListGone;
  };
  // A walk known to the list for as long as it runs, on every way out; a list freed during the
  // walk is not touched again. (The compiler cannot see that the destructor takes the walk back
  // on every way out but the one where the list is gone, so it would warn of a dangling walk.)
  class TRunningWalk {
   public:
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
    explicit TRunningWalk(TLiveList& List) : FList(List), W{0, List.FItems.size(), List.FWalks, false} {
      FList.FWalks = &W;
    }
#pragma GCC diagnostic pop
    ~TRunningWalk() {
      if (!W.ListGone) FList.FWalks = W.Outer;
    }
    TRunningWalk(const TRunningWalk&) = delete;
    TRunningWalk& operator=(const TRunningWalk&) = delete;

   private:
    TLiveList& FList;

   public:
    Walk W;
  };
  template <class F>
  bool ForEachUntil(F&& Fn) {
    TRunningWalk running(*this);
    Walk& w = running.W;
    while (w.Next < w.End) {
      T* item = FItems[w.Next++];
      const bool stop = Fn(item);
      if (w.ListGone) return false;
      if (stop) break;
    }
    return true;
  }

  // Erases the item at I and moves every running walk's bounds past it along.
  void EraseAt(size_t I) {
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(I));
    for (Walk* w = FWalks; w; w = w->Outer) {
      if (I < w->Next) --w->Next;
      if (I < w->End) --w->End;
    }
  }

  std::vector<T*> FItems;
  Walk* FWalks = nullptr;
};

class EComponentNameError;
class TWeakLink;

// How a component dies. Every way of freeing one (Free, the owner's DestroyComponents, a parent
// freeing its children, a plain `delete`, even through a TObject pointer, a std::unique_ptr)
// goes through the component's own operator delete, which first runs BeforeDestruction once,
// while the most derived class is still whole (a form runs OnDestroy and destroys its window
// there), and only then the destructors.
// A component freed while it is busy (inside its own window procedure or Perform, see TBusyScope)
// runs BeforeDestruction at once and is deleted when the outermost busy scope ends: the code
// that called the handler may still touch it, but it is already marked csDestroying, its window
// is gone and nothing should be done with it.
// Destructors must not call user code: whatever a class has to do while it is whole belongs in
// its BeforeDestruction override, which calls the inherited one last.
class TComponent : public TPersistent {
  VGT_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // The single freeing path (see above); never throws. The plain pair below serves only a
  // constructor that throws.
  void operator delete(TComponent* Component, std::destroying_delete_t) noexcept;
  static void* operator new(std::size_t Size);
  static void operator delete(void* Memory) noexcept;
  // Frees the component: `delete this`, spelled the library's way.
  void Free() { delete this; }
  // The step every freeing path runs before the destructors; runs once. Overrides do their own
  // work first and then call the inherited one.
  virtual void BeforeDestruction();
  bool DestructionStarted() const { return FDestructionStarted; }

  // Marks a component busy while code of its own runs user handlers; freeing it meanwhile waits
  // for the outermost scope to end.
  class TBusyScope {
   public:
    explicit TBusyScope(TComponent* Component) : FComponent(Component) {
      if (FComponent) ++FComponent->FBusy;
    }
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

   private:
    TComponent* FComponent;
  };

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const WideString& AName) const;

  const WideString& Name() const { return FName; }
  // Renames the component; a name that is not an identifier or that a sibling already has raises
  // EComponentError.
  virtual void SetName(const WideString& NewName);

  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentStateBit Bit) const { return (FComponentState & Bit) != 0; }

  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Asks to be told (Notification with opRemove) when AComponent is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Frees every owned component, the last first.
  void DestroyComponents();
  // Calls Fn for each owned component (first to last), skipping those freed or removed meanwhile
  // and stopping when Fn frees this component; false then (the caller must leave it alone).
  bool ForEachComponent(const std::function<void(TComponent*)>& Fn);
  // Marks this component and its owned components as being destroyed.
  void Destroying();

  WideString GetNamePath() const override;

  // Called once a form description has been read into the component and its references fixed up.
  virtual void Loaded();
  // State changes used by the form-description reader and designers.
  void SetLoading(bool On);
  void SetReading(bool On);
  void SetDesigning(bool On, bool SetChildren = true);
  void SetInline(bool On);

 protected:
  // Told of components inserted below this one's owner or removed from it, and of freed components
  // this one asked FreeNotification of. An owner hears of its own insertions and removals; of the
  // others it owns, only those that asked (HearOwnerNotifications) and those holding a free
  // notification of the removed component hear of them, so that owning many components costs
  // nothing per insertion and removal. An override that compares AComponent with a field should
  // ask FreeNotification of what the field holds, or HearOwnerNotifications.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Asks to hear every insertion and removal below this component's owner (for components that
  // hold references to others without a free notification).
  void HearOwnerNotifications();
  virtual void ValidateRename(TComponent* AComponent, const WideString& CurName,
                              const WideString& NewName);
  // Owned-components order is creation order; form descriptions rely on it.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
  TPersistent* GetOwner() const override { return FOwner; }

  void SetStateBits(TComponentState Bits, bool On) {
    FComponentState = On ? (FComponentState | Bits) : (FComponentState & ~Bits);
  }

 private:
  friend class TWeakLink;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  // True when this component or one it owns asked to hear owner notifications.
  bool Hears() const { return FHearsOwner || !FHearers.empty(); }
  // Keeps this component in its owner's hearers (and so on upwards) after Hears() may have changed.
  void HearingChanged(bool WasHearing);
  // Tells the components below this owner that hold a free notification of AComponent.
  void NotifyLinkedBelow(TComponent* AComponent);
  // The owned component named Key (upper case; a valid name); nullptr when there is none.
  TComponent* FindByKey(const std::string& Key) const;
  void IndexName(TComponent* AComponent, bool Add);
  // Clears every weak reference to this component.
  void ClearWeakLinks() noexcept;
  // Runs BeforeDestruction once, catching what it throws.
  void StartDestruction() noexcept;

  int FBusy = 0;
  bool FDestructionStarted = false;
  bool FDeletePending = false;
  bool FDestructorRunning = false;
  TWeakLink* FWeakLinks = nullptr;
  TComponent* FOwner = nullptr;
  WideString FName;
  intptr_t FTag = 0;
  TComponentState FComponentState = 0;
  TLiveList<TComponent> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  // The owned components that hear owner notifications, or own one that does.
  TLiveList<TComponent> FHearers;
  bool FHearsOwner = false;
  // Owned components by their names in upper case, for FindComponent and name checks (made once
  // a component owns a named one).
  std::unique_ptr<std::unordered_multimap<std::string, TComponent*>> FNameIndex;
};

// True when Name is a valid component name: a letter or underscore, then letters, digits or
// underscores (ASCII), or empty.
bool IsValidIdent(const WideString& Name);

// A reference to a component that becomes nullptr as soon as the component starts being freed.
// For fields that point at components the holder does not own (the control under the mouse, the
// hint's control, an action's clients' controls) where a free notification would be a detour.
class TWeakLink {
 public:
  TWeakLink() = default;
  explicit TWeakLink(TComponent* Target) { Set(Target); }
  TWeakLink(const TWeakLink& Other) { Set(Other.FTarget); }
  TWeakLink& operator=(const TWeakLink& Other) {
    Set(Other.FTarget);
    return *this;
  }
  ~TWeakLink() { Set(nullptr); }

  TComponent* Get() const { return FTarget; }
  void Set(TComponent* Target);

 private:
  friend class TComponent;
  TComponent* FTarget = nullptr;
  TWeakLink* FPrev = nullptr;
  TWeakLink* FNext = nullptr;
};

// The typed form of TWeakLink: reads as a T*.
template <class T>
class TWeakRef {
 public:
  TWeakRef() = default;
  TWeakRef(T* Target) : FLink(Target) {}  // NOLINT: reads like the pointer it replaces
  TWeakRef& operator=(T* Target) {
    FLink.Set(Target);
    return *this;
  }
  T* Get() const { return static_cast<T*>(FLink.Get()); }
  operator T*() const { return Get(); }  // NOLINT
  T* operator->() const { return Get(); }

 private:
  TWeakLink FLink;
};


// ---- Collections: lists of persistent items that a form description writes inline ----

class TCollection;

// One item of a collection. Made by its collection (Add, Insert), which owns it; freeing an item
// takes it out of its collection.
class TCollectionItem : public TPersistent {
  VGT_CLASS(TCollectionItem, TPersistent)
 public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  // The item's place in its collection; moving it tells the collection.
  int Index() const;
  void SetIndex(int Value);
  // A number unique in the collection for the item's life (a later item never gets it again).
  int ID() const { return FID; }
  WideString GetNamePath() const override;

 protected:
  // Tells the collection that this item changed (AllItems: that every item did).
  void Changed(bool AllItems);
  TPersistent* GetOwner() const override;

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

using TCollectionItemFactory = std::function<TCollectionItem*(TCollection* Collection)>;

class TCollection : public TPersistent {
  VGT_CLASS(TCollection, TPersistent)
 public:
  // Items are made by ItemFactory, which hands the collection to the item's constructor.
  explicit TCollection(TCollectionItemFactory ItemFactory);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;
  template <class T>
  static TCollectionItemFactory FactoryOf() {
    return [](TCollection* C) -> TCollectionItem* { return new T(C); };
  }

  int Count() const { return static_cast<int>(FItems.size()); }
  // Outside 0 to Count - 1 raises EListError.
  TCollectionItem* Items(int Index) const;
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  // Changes between the two are told once, at the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  // Item changed (nullptr: the collection as a whole: added, removed or moved items, an update).
  virtual void Update(TCollectionItem* /*Item*/) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  std::vector<TCollectionItem*> FItems;
  TCollectionItemFactory FItemFactory;
  int FNextID = 0;
  int FUpdateCount = 0;
};

// A collection that names an owner (a component's property): messages and name paths go through it.
class TOwnedCollection : public TCollection {
  VGT_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* Owner, TCollectionItemFactory ItemFactory)
      : TCollection(std::move(ItemFactory)), FOwner(Owner) {}

 protected:
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};
