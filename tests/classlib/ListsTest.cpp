#include <gtest/gtest.h>

#include <thread>

#include "classlib/Lists.h"
#include "classlib/SyncObjs.h"

namespace {

// Counts its live instances so tests can see who freed what.
struct TCounted : TObject {
  explicit TCounted(int& Live) : FLive(Live) { ++FLive; }
  ~TCounted() override { --FLive; }
  int& FLive;
};

struct TCountedComponent : TComponent {
  TCountedComponent(TComponent* Owner, int& Live) : TComponent(Owner), FLive(Live) { ++FLive; }
  ~TCountedComponent() override { --FLive; }
  int& FLive;
};

}  // namespace

TEST(List, IndexErrorsAndOrderOperations) {
  TList L;
  int a = 1, b = 2, c = 3;
  L.Add(&a);
  L.Add(&b);
  L.Insert(0, &c);  // c a b
  EXPECT_EQ(L.First(), &c);
  EXPECT_EQ(L.Last(), &b);
  try {
    L.Items(3);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "Listenindex \xFC" "berschreitet das Maximum (3)");
  }
  EXPECT_THROW(L.Insert(4, &a), EListError);
  EXPECT_THROW(L.Move(0, 3), EListError);
  EXPECT_EQ(L.Count(), 3);
  L.Move(0, 2);  // a b c
  EXPECT_EQ(L.Items(2), &c);
  L.Exchange(0, 1);  // b a c
  EXPECT_EQ(L.IndexOf(&a), 1);
  EXPECT_EQ(L.Remove(&a), 1);
  EXPECT_EQ(L.Remove(&a), -1);
  EXPECT_EQ(L.Extract(&b), &b);
  EXPECT_EQ(L.Extract(&b), nullptr);
  EXPECT_EQ(L.Count(), 1);

  TList E;
  EXPECT_THROW(E.First(), EListError);
  E.Add(&c);
  E.Add(&a);
  E.Add(&b);
  E.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(E.Items(0), &a);
  EXPECT_EQ(E.Items(2), &c);
}

TEST(ObjectList, OwnedEntriesAreFreedExtractedOnesAreNot) {
  int live = 0;
  {
    TObjectList L;
    auto* kept = new TCounted(live);
    L.Add(new TCounted(live));
    L.Add(kept);
    L.Add(new TCounted(live));
    L.Add(new TCounted(live));
    EXPECT_EQ(live, 4);
    L.Delete(0);
    EXPECT_EQ(live, 3);
    EXPECT_EQ(L.Extract(kept), kept);
    EXPECT_EQ(live, 3);
    delete kept;
    L.SetItems(0, new TCounted(live));  // the replaced one is freed
    EXPECT_EQ(live, 2);
    L.Remove(L.Items(0));
    EXPECT_EQ(live, 1);
    L.Add(new TCounted(live));
    L.Clear();
    EXPECT_EQ(live, 0);
    L.Add(new TCounted(live));
    L.Add(new TCounted(live));
  }
  EXPECT_EQ(live, 0);  // destruction frees the rest

  TCounted outside(live);
  {
    TObjectList NotOwning(false);
    NotOwning.Add(&outside);
    NotOwning.Delete(0);
    NotOwning.Add(&outside);
  }
  EXPECT_EQ(live, 1);
}

TEST(ComponentList, AFreedComponentLeavesTheList) {
  int live = 0;
  TComponentList L(false);
  auto* a = new TCountedComponent(nullptr, live);
  auto* b = new TCountedComponent(nullptr, live);
  L.Add(a);
  L.Add(b);
  L.Add(a);
  delete a;  // both entries go
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.Items(0), b);
  L.Remove(b);
  delete b;  // no longer listed: nothing calls back
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(live, 0);
}

TEST(ComponentList, OwningListFreesItsComponentsOnceEvenWhenTheyOwnEachOther) {
  int live = 0;
  {
    TComponentList L(true);
    auto* parent = new TCountedComponent(nullptr, live);
    auto* child = new TCountedComponent(parent, live);
    auto* solo = new TCountedComponent(nullptr, live);
    L.Add(child);
    L.Add(parent);
    L.Add(solo);
    L.Delete(1);  // frees parent, which frees child: child leaves by itself
    EXPECT_EQ(live, 1);
    ASSERT_EQ(L.Count(), 1);
    EXPECT_EQ(L.Items(0), solo);
    delete solo;  // freed from outside an owning list: dropped, not freed again
    EXPECT_EQ(L.Count(), 0);
    L.Add(new TCountedComponent(nullptr, live));
  }
  EXPECT_EQ(live, 0);
}

TEST(CriticalSection, GuardSerialisesAndReleases) {
  TCriticalSection cs;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      TCriticalSectionGuard g(cs);
      counter = counter + 1;
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(counter, 40000);
}
