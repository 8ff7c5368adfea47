// How components, controls and forms die: one path whoever frees them, handlers that free other
// components (or their own) while the library walks its lists, weak references, the end of the
// program. Runs on the poisoning heap: a read of freed memory faults instead of passing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "classlib/ActnList.h"
#include "classlib/Forms.h"
#include "classlib/ResStrings.h"
#include "classlib/StdCtrls.h"
#include "tests/support/PoisonHeap.h"

namespace {

using Log = std::vector<std::string>;

// ---------------------------------------------------------------- live lists and weak references

TEST(LiveList, AWalkSkipsItemsRemovedMeanwhileAndSurvivesItsListsEnd) {
  int items[5] = {};
  TLiveList<int> list;
  for (int& i : items) list.push_back(&i);
  std::vector<int*> seen;
  // Removing the current item, one ahead and one behind.
  EXPECT_TRUE(list.ForEach([&](int* i) {
    seen.push_back(i);
    if (i == &items[1]) {
      list.Remove(&items[1]);
      list.Remove(&items[3]);
      list.Remove(&items[0]);
    }
  }));
  EXPECT_EQ(seen, (std::vector<int*>{&items[0], &items[1], &items[2], &items[4]}));
  EXPECT_EQ(list.Items(), (std::vector<int*>{&items[2], &items[4]}));

  // Backwards, and a nested walk that removes what the outer one has still to visit.
  seen.clear();
  list.push_back(&items[0]);
  list.ForEach(
      [&](int* i) {
        seen.push_back(i);
        list.ForEach([&](int* j) {
          if (j == &items[2] && i == &items[0]) list.Remove(j);
        });
      },
      true);
  EXPECT_EQ(seen, (std::vector<int*>{&items[0], &items[4]}));

  // The list freed by a callback: the walk ends and says so.
  auto* doomed = new TLiveList<int>;
  for (int& i : items) doomed->push_back(&i);
  int calls = 0;
  EXPECT_FALSE(doomed->ForEach([&](int*) {
    ++calls;
    delete doomed;
  }));
  EXPECT_EQ(calls, 1);
}

TEST(WeakRef, ClearsWhenTheComponentStartsBeingFreedWhoeverFreesIt) {
  auto* owner = new TComponent(nullptr);
  auto* owned = new TComponent(owner);
  auto* alone = new TComponent(nullptr);
  TWeakRef<TComponent> toOwned = owned, toAlone = alone, copy;
  copy = toOwned;
  EXPECT_EQ(copy.Get(), owned);
  delete alone;
  EXPECT_EQ(toAlone.Get(), nullptr);
  EXPECT_EQ(copy.Get(), owned);
  delete owner;
  EXPECT_EQ(toOwned.Get(), nullptr);
  EXPECT_EQ(copy.Get(), nullptr);
}

// ---------------------------------------------------------------- who hears of insertions and removals

// Records the notifications it gets, as "name+other" (insertion) or "name-other" (removal).
class TNotified : public TComponent {
  VGT_CLASS(TNotified, TComponent)
 public:
  TNotified(TComponent* AOwner, const wchar_t* AName, Log& L, bool Hears = false) : TComponent(AOwner), FLog(L) {
    SetName(AName);
    if (Hears) HearOwnerNotifications();
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    const WideString a = Name(), b = AComponent ? AComponent->Name() : L"?";
    FLog.push_back(std::string(a.begin(), a.end()) + (Operation == TOperation::opInsert ? "+" : "-") +
                   std::string(b.begin(), b.end()));
  }

 private:
  Log& FLog;
};

bool Heard(const Log& L, const std::string& Entry) { return std::find(L.begin(), L.end(), Entry) != L.end(); }

// An owner tells its own insertions and removals to itself, to the components below it that asked
// to hear them (however deep), and to those below it holding a free notification of the removed
// one; nobody else, so that many owned components cost nothing per insertion.
TEST(Notifications, ReachTheOwnerThoseWhoAskedAndThoseLinkedBelowIt) {
  Log log;
  auto* owner = new TNotified(nullptr, L"O", log);
  auto* plain = new TNotified(owner, L"P", log);
  auto* hearing = new TNotified(owner, L"H", log, true);
  auto* deepHearing = new TNotified(plain, L"D", log, true);  // below P: P now passes notices on
  auto* linkedBelow = new TNotified(plain, L"L", log);
  auto* outside = new TNotified(nullptr, L"X", log);
  auto* moved = new TNotified(owner, L"M", log);
  moved->FreeNotification(linkedBelow);
  moved->FreeNotification(outside);
  log.clear();

  owner->RemoveComponent(moved);  // not freed: only taken out
  for (const char* e : {"O-M", "H-M", "P-M", "D-M", "L-M"}) EXPECT_TRUE(Heard(log, e)) << e;
  EXPECT_FALSE(Heard(log, "X-M")) << "a free notification above the owner is for the freeing only";
  log.clear();
  delete moved;
  EXPECT_EQ(log, Log{"X-M"}) << "L's link went with the removal; X's stays until the freeing";

  // Insertions reach the askers only, and an asker that is freed no longer draws notices.
  auto* added = new TNotified(nullptr, L"A", log);
  log.clear();
  owner->InsertComponent(added);
  for (const char* e : {"O+A", "H+A", "P+A", "D+A"}) EXPECT_TRUE(Heard(log, e)) << e;
  EXPECT_FALSE(Heard(log, "L+A"));
  delete deepHearing;
  delete hearing;
  log.clear();
  delete added;
  EXPECT_EQ(log, Log{"O-A"}) << "nobody below the owner is left who asked";
  delete owner;
  delete outside;
}

// Owned components are found by name without regard to case, through renames and removals.
TEST(Notifications, OwnedComponentsAreFoundByNameThroughRenamesAndRemovals) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(L"FirstOne");
  b->SetName(L"Second_2");
  EXPECT_EQ(owner.FindComponent(L"firstone"), a);
  EXPECT_EQ(owner.FindComponent(L"SECOND_2"), b);
  EXPECT_THROW(b->SetName(L"FIRSTONE"), EComponentError);
  a->SetName(L"Renamed");
  EXPECT_EQ(owner.FindComponent(L"FirstOne"), nullptr);
  EXPECT_EQ(owner.FindComponent(L"renamed"), a);
  b->SetName(L"FirstOne");  // the old name is free again
  EXPECT_EQ(owner.FindComponent(L"firstONE"), b);
  EXPECT_EQ(owner.FindComponent(L"First One"), nullptr);
  EXPECT_EQ(owner.FindComponent(L""), nullptr);
  owner.RemoveComponent(b);
  EXPECT_EQ(owner.FindComponent(L"FirstOne"), nullptr);
  TComponent other(nullptr);
  other.InsertComponent(b);
  EXPECT_EQ(other.FindComponent(L"firstone"), b);
  a->SetName(L"");
  EXPECT_EQ(owner.FindComponent(L"Renamed"), nullptr);
}

// ---------------------------------------------------------------- one destruction path

// Records its before-destruction step and its destructor; Whole answers through the vtable, so a
// call made after the derived destructor would see the base class's answer.
class TRecorded : public TComponent {
  VGT_CLASS(TRecorded, TComponent)
 public:
  TRecorded(TComponent* AOwner, Log& L) : TComponent(AOwner), FLog(L) {}
  ~TRecorded() override { FLog.push_back("~TRecorded"); }
  void BeforeDestruction() override {
    FLog.push_back(WholeAnswer() ? "before, whole" : "before, half");
    TComponent::BeforeDestruction();
  }
  virtual bool WholeAnswer() { return true; }

 private:
  Log& FLog;
};

TEST(Destruction, EveryFreeingPathRunsBeforeDestructionOnceOnAWholeObject) {
  const Log expected{"before, whole", "~TRecorded"};
  Log direct, owned, unique, freed, twice;
  delete new TRecorded(nullptr, direct);
  EXPECT_EQ(direct, expected);

  auto* owner = new TComponent(nullptr);
  new TRecorded(owner, owned);
  delete owner;
  EXPECT_EQ(owned, expected);

  { std::unique_ptr<TComponent> p(new TRecorded(nullptr, unique)); }
  EXPECT_EQ(unique, expected);

  (new TRecorded(nullptr, freed))->Free();
  EXPECT_EQ(freed, expected);

  // An owner freeing a component that frees itself meanwhile.
  auto* owner2 = new TComponent(nullptr);
  auto* r = new TRecorded(owner2, twice);
  {
    TComponent::TBusyScope busy(r);
    delete owner2;
    EXPECT_EQ(twice, Log{"before, whole"}) << "a busy component is deleted when it is no longer busy";
    EXPECT_TRUE(r->HasState(csDestroying));
    EXPECT_EQ(r->Owner(), nullptr);
  }
  EXPECT_EQ(twice, expected);
}

// ---------------------------------------------------------------- alignment on rectangles

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

TEST(AlignRects, EdgesStackInTheirOrderAndTheClientTakesTheRest) {
  std::vector<TAlignSlot> slots{
      {TAlign::alClient, R(0, 0, 5, 5), false}, {TAlign::alLeft, R(0, 0, 40, 1), false},
      {TAlign::alBottom, R(0, 0, 1, 30), false}, {TAlign::alTop, R(0, 0, 1, 20), false},
      {TAlign::alRight, R(0, 0, 10, 1), false},
  };
  RECT client = R(0, 0, 300, 200);
  AlignRects(slots, client, nullptr);
  EXPECT_TRUE(slots[3].Bounds == R(0, 0, 300, 20));
  EXPECT_TRUE(slots[2].Bounds == R(0, 170, 300, 200));
  EXPECT_TRUE(slots[1].Bounds == R(0, 20, 40, 170));
  EXPECT_TRUE(slots[4].Bounds == R(290, 20, 300, 170));
  EXPECT_TRUE(slots[0].Bounds == R(40, 20, 290, 170));
  EXPECT_TRUE(client == R(40, 20, 290, 170));
}

TEST(AlignRects, OrderOnAnEdgeFollowsPositionAndTheMovedControlGoesBeforeItsEquals) {
  std::vector<TAlignSlot> slots{
      {TAlign::alTop, R(0, 50, 1, 60), false},   // lower: second
      {TAlign::alTop, R(0, 10, 1, 20), false},   // at 10: third, after the moved one
      {TAlign::alTop, R(0, 10, 1, 15), true},    // moved to 10: first among equals
  };
  RECT client = R(0, 0, 100, 100);
  AlignRects(slots, client, nullptr);
  EXPECT_EQ(slots[2].Bounds.top, 0);
  EXPECT_EQ(slots[1].Bounds.top, 5);
  EXPECT_EQ(slots[0].Bounds.top, 15);
  EXPECT_EQ(client.top, 25);
}

TEST(AlignRects, WhatAnItemTakesDecidesTheRestAndNothingGoesNegative) {
  std::vector<TAlignSlot> slots{{TAlign::alLeft, R(0, 0, 30, 1), false},
                                {TAlign::alClient, R(0, 0, 1, 1), false}};
  RECT client = R(0, 0, 100, 50);
  // The left item is limited to 20 wide whatever it is offered.
  AlignRects(slots, client, [](size_t i, const RECT& want) {
    RECT took = want;
    if (i == 0) took.right = took.left + 20;
    return took;
  });
  EXPECT_TRUE(slots[0].Bounds == R(0, 0, 20, 50));
  EXPECT_TRUE(slots[1].Bounds == R(20, 0, 100, 50));

  // Edges wider than the client leave the client item empty, not inverted.
  std::vector<TAlignSlot> tight{{TAlign::alLeft, R(0, 0, 80, 1), false},
                                {TAlign::alRight, R(0, 0, 80, 1), false},
                                {TAlign::alClient, R(0, 0, 1, 1), false}};
  RECT small = R(0, 0, 100, 10);
  AlignRects(tight, small, nullptr);
  EXPECT_EQ(tight[2].Bounds.right - tight[2].Bounds.left, 0);
}

TEST(AnchorRect, RightAndBottomAnchorsFollowTheParentsEdges) {
  const RECT b = R(10, 10, 60, 40);
  using K = TAnchorKind;
  EXPECT_TRUE(AnchorRect(b, TAnchors{K::akLeft, K::akTop}, 20, 10) == b);
  EXPECT_TRUE(AnchorRect(b, TAnchors{K::akRight, K::akBottom}, 20, 10) == R(30, 20, 80, 50));
  EXPECT_TRUE(AnchorRect(b, TAnchors{K::akLeft, K::akRight, K::akTop}, 20, 10) == R(10, 10, 80, 40));
  // Shrinking past the control's size leaves it empty, never inverted.
  EXPECT_TRUE(AnchorRect(b, TAnchors{K::akLeft, K::akRight, K::akTop, K::akBottom}, -100, -100) ==
              R(10, 10, 10, 10));
}

// ---------------------------------------------------------------- fonts

bool IsGdiObject(HGDIOBJ H) { return GetObjectType(H) != 0; }

TEST(Font, OwnsTheHandleItIsGivenAndDeletesTheOneItHad) {
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lstrcpyA(lf.lfFaceName, "Arial");
  HFONT first = CreateFontIndirectA(&lf);
  lf.lfHeight = -20;
  HFONT second = CreateFontIndirectA(&lf);
  auto* font = new TFont;
  font->SetHandle(first);
  EXPECT_EQ(font->Handle(), first);
  EXPECT_EQ(font->Height(), -12);
  font->SetHandle(first);  // the same handle again is kept, not deleted
  EXPECT_TRUE(IsGdiObject(first));
  font->SetHandle(second);
  EXPECT_FALSE(IsGdiObject(first));
  EXPECT_EQ(font->Handle(), second);
  EXPECT_EQ(font->Height(), -20);
  delete font;
  EXPECT_FALSE(IsGdiObject(second));
}

// ---------------------------------------------------------------- windows

class Windows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override {
    Handled = 0;
    Application->OnException = [this](TObject*, const std::exception*, const AnsiString&) { ++Handled; };
    Host = TCustomForm::CreateNew<TForm>(nullptr);
    Host->SetBounds(40, 40, 320, 240);
  }
  void TearDown() override {
    delete Host;
    Application->OnException = nullptr;
    Application->ProcessMessages();
  }
  TEdit* MakeEdit(int Top) {
    auto* e = new TEdit(Host);
    e->SetBounds(10, Top, 100, 22);
    e->SetParent(Host);
    e->HandleNeeded();
    return e;
  }
  TForm* Host = nullptr;
  int Handled = 0;
};

TEST_F(Windows, ActionClientsThatFreeEachOtherAreNotReached) {
  auto* list = new TActionList(Host);
  auto* action = new TAction(list);
  action->SetActionList(list);
  TEdit* a = MakeEdit(10);
  TEdit* b = MakeEdit(40);
  TEdit* c = MakeEdit(70);
  a->SetAction(action);
  b->SetAction(action);
  c->SetAction(action);
  ASSERT_EQ(action->ClientCount(), 3);
  // The first client's change frees the second while the action tells its clients.
  int changes = 0;
  a->OnChange = [&](TObject*) {
    ++changes;
    delete std::exchange(b, nullptr);
  };
  action->SetCaption("Neu");
  EXPECT_EQ(b, nullptr);
  EXPECT_GE(changes, 1);
  EXPECT_EQ(action->ClientCount(), 2);
  EXPECT_EQ(a->Text(), "Neu");
  EXPECT_EQ(c->Text(), "Neu");

  // A client's change that frees the action itself: the setter stops there.
  a->OnChange = [&](TObject*) { delete std::exchange(action, nullptr); };
  TAction* target = action;
  target->SetCaption("Weg");
  EXPECT_EQ(action, nullptr);
  EXPECT_EQ(a->Action(), nullptr);
  EXPECT_EQ(c->Action(), nullptr);

  // An update handler that frees another action of the list while the list updates them all.
  auto* first = new TAction(list);
  auto* second = new TAction(list);
  first->SetActionList(list);
  second->SetActionList(list);
  int updates = 0;
  first->OnUpdate = [&](TObject*) {
    ++updates;
    delete std::exchange(second, nullptr);
  };
  list->UpdateActions();
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(list->ActionCount(), 1);
  EXPECT_EQ(Handled, 0);
}

// A windowless control that tells when it is destroyed.
class TMarked : public TGraphicControl {
  VGT_CLASS(TMarked, TGraphicControl)
 public:
  TMarked(TComponent* AOwner, int& Alive) : TGraphicControl(AOwner), FAlive(Alive) { ++FAlive; }
  ~TMarked() override { --FAlive; }

 private:
  int& FAlive;
};

TEST_F(Windows, AlignmentGoesOnWhenAChildsResizeFreesItsSiblings) {
  Host->HandleNeeded();
  int alive = 0;
  std::vector<TMarked*> bars;
  for (int i = 0; i < 4; ++i) {
    auto* bar = new TMarked(Host, alive);
    bar->SetBounds(0, i * 20, 50, 20);
    bar->SetAlign(TAlign::alTop);
    bar->SetParent(Host);
    bars.push_back(bar);
  }
  // The first bar's resize frees the two after it; the last still takes its place.
  bars[0]->OnResize = [&](TObject*) {
    delete std::exchange(bars[1], nullptr);
    delete std::exchange(bars[2], nullptr);
  };
  Host->SetBounds(40, 40, 400, 240);
  EXPECT_EQ(alive, 2);
  EXPECT_EQ(Host->ControlCount(), 2);
  EXPECT_EQ(bars[3]->Top(), 20);
  EXPECT_EQ(bars[3]->Width(), Host->ClientWidth());
  EXPECT_EQ(Handled, 0);
}

TEST_F(Windows, AFormFreedByAnUpdateHandlerIsDeletedWhenItsUpdateIsDone) {
  int alive = 0;
  auto* form = TCustomForm::CreateNew<TForm>(nullptr);
  auto* list = new TActionList(form);
  auto* action = new TAction(list);
  action->SetActionList(list);
  auto* first = new TMarked(form, alive);
  auto* second = new TMarked(form, alive);
  first->SetParent(form);
  second->SetParent(form);
  first->SetAction(action);
  second->SetAction(action);
  int updates = 0, aliveInTheHandler = -1;
  action->OnUpdate = [&](TObject*) {
    if (++updates > 1) return;
    delete form;
    aliveInTheHandler = alive;
  };
  form->UpdateActions();
  EXPECT_EQ(updates, 1) << "the walk went on over a form being freed";
  EXPECT_EQ(aliveInTheHandler, 2) << "the form was deleted under its own update";
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(Handled, 0);
}

// A windowless control that counts the idle update's visits.
class TVisited : public TGraphicControl {
  VGT_CLASS(TVisited, TGraphicControl)
 public:
  TVisited(TComponent* AOwner, int& Visits) : TGraphicControl(AOwner), FVisits(Visits) {}
  void InitiateAction() override {
    ++FVisits;
    TGraphicControl::InitiateAction();
  }

 private:
  int& FVisits;
};

// A form of many rows owns thousands of controls, of which a few have an action link; the idle
// update runs after every burst of messages and must not cost the rows each time.
TEST_F(Windows, TheIdleUpdateVisitsTheLinkedControlsOnly) {
  int unlinkedVisits = 0, linkedVisits = 0;
  for (int i = 0; i < 40; ++i) (new TVisited(Host, unlinkedVisits))->SetParent(Host);
  auto* list = new TActionList(Host);
  std::vector<TVisited*> linked;
  std::vector<int> updates(5, 0);
  for (int i = 0; i < 5; ++i) {
    auto* action = new TAction(list);
    action->SetActionList(list);
    action->OnUpdate = [&updates, i](TObject*) { ++updates[i]; };
    auto* c = new TVisited(Host, linkedVisits);
    c->SetParent(Host);
    c->SetAction(action);
    linked.push_back(c);
  }
  Host->UpdateActions();
  EXPECT_EQ(unlinkedVisits, 0);
  EXPECT_EQ(updates, (std::vector<int>{1, 1, 1, 1, 1}));

  // One's update frees the next linked control: that one is passed over, the others are not.
  static_cast<TAction*>(linked[0]->Action())->OnUpdate = [&](TObject*) {
    ++updates[0];
    delete std::exchange(linked[1], nullptr);
  };
  // A control that lost its link, and one that is hidden, have nothing to update.
  linked[2]->SetAction(nullptr);
  linked[3]->SetVisible(false);
  updates.assign(5, 0);
  Host->UpdateActions();
  EXPECT_EQ(updates, (std::vector<int>{1, 0, 0, 0, 1}));
  updates.assign(5, 0);
  Host->UpdateActions();
  EXPECT_EQ(updates, (std::vector<int>{1, 0, 0, 0, 1}));

  // A linked control given to another form is updated by that form only.
  std::unique_ptr<TForm> other(TCustomForm::CreateNew<TForm>(nullptr));
  Host->RemoveComponent(linked[4]);
  other->InsertComponent(linked[4]);
  updates.assign(5, 0);
  Host->UpdateActions();
  EXPECT_EQ(updates, (std::vector<int>{1, 0, 0, 0, 0}));
  other->UpdateActions();
  EXPECT_EQ(updates, (std::vector<int>{1, 0, 0, 0, 1}));
  EXPECT_EQ(unlinkedVisits, 0);
  EXPECT_EQ(Handled, 0);
}

// An action updated or executed by nobody is offered the form's controls only when it acts on
// targets; the others would cost a walk over every control and find none.
class TTargetedAction : public TAction {
  VGT_CLASS(TTargetedAction, TAction)
 public:
  TTargetedAction(TComponent* AOwner, bool Targets) : TAction(AOwner), FTargets(Targets) {}
  bool HasTargets() const override { return FTargets; }
  bool HandlesTarget(TObject* Target) override {
    ++Asked;
    return Target == Wanted;
  }
  void UpdateTarget(TObject* Target) override { Updated = Target; }
  int Asked = 0;
  TObject* Wanted = nullptr;
  TObject* Updated = nullptr;

 private:
  bool FTargets;
};

TEST_F(Windows, OnlyAnActionWithTargetsIsOfferedTheFormsControls) {
  std::vector<TEdit*> edits;
  for (int i = 0; i < 6; ++i) edits.push_back(MakeEdit(10 + 25 * i));
  TTargetedAction plain(nullptr, false), targeted(nullptr, true);
  plain.Wanted = targeted.Wanted = edits[4];
  EXPECT_FALSE(Host->DispatchAction(CM_ACTIONUPDATE, &plain));
  EXPECT_EQ(plain.Asked, 0);
  EXPECT_EQ(plain.Updated, nullptr);
  EXPECT_TRUE(Host->DispatchAction(CM_ACTIONUPDATE, &targeted));
  EXPECT_GE(targeted.Asked, 1);
  EXPECT_EQ(targeted.Updated, edits[4]);
  EXPECT_EQ(Handled, 0);
}

// A control whose window will not go.
class TStubborn : public TWinControl {
  VGT_CLASS(TStubborn, TWinControl)
 public:
  using TWinControl::TWinControl;

 protected:
  void DestroyWindowHandle() override { throw EOSError("Fenster bleibt", ERROR_ACCESS_DENIED); }
};

TEST_F(Windows, AWindowThatCannotBeDestroyedIsReportedAndCutLooseFromItsFreedControl) {
  Host->HandleNeeded();
  auto* stubborn = new TStubborn(Host);
  stubborn->SetParent(Host);
  stubborn->SetBounds(0, 0, 50, 20);
  HWND h = stubborn->Handle();
  delete stubborn;  // once failed to terminate the program
  EXPECT_EQ(Handled, 1);
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(FindControl(h), nullptr);
  // The window's messages no longer reach the freed control.
  SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("noch da"));
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  DestroyWindow(h);
  EXPECT_EQ(Handled, 1);
}

// A windowless control that runs a handler on a dialog key.
class TKeyed : public TMarked {
  VGT_CLASS(TKeyed, TMarked)
 public:
  using TMarked::TMarked;
  std::function<void()> OnDialogKey;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_DIALOGKEY && OnDialogKey) OnDialogKey();
    TMarked::Dispatch(Message);
  }
};

TEST_F(Windows, ABroadcastSkipsChildrenFreedByAnEarlierChild) {
  int alive = 0;
  std::vector<TKeyed*> keyed;
  for (int i = 0; i < 3; ++i) {
    keyed.push_back(new TKeyed(Host, alive));
    keyed.back()->SetParent(Host);
  }
  int asked = 0;
  for (TKeyed* k : keyed) k->OnDialogKey = [&] { ++asked; };
  keyed[0]->OnDialogKey = [&] {
    ++asked;
    delete std::exchange(keyed[1], nullptr);
  };
  Host->Perform(CM_DIALOGKEY, 'X', 0);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(alive, 2);
}

// A hook on the application window, as the Unicode layer installs one.
struct THookOwner {
  int* Calls;
  std::function<void()> Then;
  bool Hook(TMessage& Message) {
    if (Message.Msg != WM_APP + 7) return false;
    ++*Calls;
    if (Then) Then();
    return false;
  }
  TWindowHook Method() { return TWindowHook::Of<THookOwner, &THookOwner::Hook>(this); }
};

TEST_F(Windows, AnApplicationHookThatUnhooksAndFreesAnotherIsNotFollowedByIt) {
  int calls = 0;
  auto* first = new THookOwner{&calls, nullptr};
  auto* second = new THookOwner{&calls, nullptr};
  Application->HookMainWindow(first->Method());
  Application->HookMainWindow(second->Method());
  first->Then = [&] {
    Application->UnhookMainWindow(second->Method());
    delete std::exchange(second, nullptr);
  };
  SendMessageA(Application->Handle(), WM_APP + 7, 0, 0);
  EXPECT_EQ(calls, 1);
  Application->UnhookMainWindow(first->Method());
  delete first;
}

// A form class that logs what happens to it; the log shows whether anything ran on it after its
// own destructor.
class TLoggingForm : public TForm {
  VGT_CLASS(TLoggingForm, TForm)
 public:
  explicit TLoggingForm(TComponent* AOwner) : TForm(AOwner) {}
  ~TLoggingForm() override { FLog->push_back("~TLoggingForm"); }
  void Attach(Log* L) {
    FLog = L;
    OnDestroy = [this](TObject*) { FLog->push_back(Label("OnDestroy")); };
    OnDeactivate = [this](TObject*) { FLog->push_back(Label("OnDeactivate")); };
    OnHide = [this](TObject*) { FLog->push_back(Label("OnHide")); };
  }
  virtual std::string Label(const char* What) { return What; }

 protected:
  void DestroyWindowHandle() override {
    FLog->push_back(Label("DestroyWindowHandle"));
    TForm::DestroyWindowHandle();
  }

 private:
  Log* FLog = nullptr;
};

// A form with its window (not shown: the tests do not take the focus from other programs on the
// display).
TLoggingForm* FormWithWindow(TComponent* Owner, Log& L) {
  auto* f = TCustomForm::CreateNew<TLoggingForm>(Owner);
  f->Attach(&L);
  f->SetBounds(60, 60, 200, 150);
  f->HandleNeeded();
  Application->ProcessMessages();
  return f;
}

// What the log shows from OnDestroy on (window events before it depend on the display).
Log FromOnDestroy(const Log& L) {
  auto it = std::find(L.begin(), L.end(), "OnDestroy");
  return Log(it, L.end());
}

const Log& ExpectedEnd() {
  static const Log end{"OnDestroy", "DestroyWindowHandle", "~TLoggingForm"};
  return end;
}

TEST_F(Windows, AFormDiesWholeWhetherDeletedFreedOrFreedByItsOwner) {
  Log direct;
  delete FormWithWindow(nullptr, direct);
  EXPECT_EQ(FromOnDestroy(direct), ExpectedEnd()) << ::testing::PrintToString(direct);

  Log freed;
  FormWithWindow(nullptr, freed)->Free();
  EXPECT_EQ(FromOnDestroy(freed), ExpectedEnd()) << ::testing::PrintToString(freed);

  Log owned;
  auto* owner = new TComponent(nullptr);
  FormWithWindow(owner, owned);
  delete owner;
  EXPECT_EQ(FromOnDestroy(owned), ExpectedEnd()) << ::testing::PrintToString(owned);

  Log unique;
  { std::unique_ptr<TForm> p(FormWithWindow(nullptr, unique)); }
  EXPECT_EQ(FromOnDestroy(unique), ExpectedEnd()) << ::testing::PrintToString(unique);
  EXPECT_EQ(Handled, 0);
}

TEST_F(Windows, AFormFreedFromItsOwnButtonsClickIsDeletedWhenTheClickIsDone) {
  Log l;
  TLoggingForm* f = FormWithWindow(nullptr, l);
  auto* button = new TButton(f);
  button->SetParent(f);
  button->SetBounds(10, 10, 80, 24);
  Log seenInTheHandler;
  button->OnClick = [&](TObject*) {
    delete f;
    seenInTheHandler = l;
  };
  HWND bh = button->Handle();
  HWND fh = f->Handle();
  SendMessageA(bh, BM_CLICK, 0, 0);
  // Inside the handler the form had run its before-destruction step but was not yet deleted.
  EXPECT_EQ(FromOnDestroy(seenInTheHandler), (Log{"OnDestroy", "DestroyWindowHandle"}));
  EXPECT_EQ(FromOnDestroy(l), ExpectedEnd()) << ::testing::PrintToString(l);
  EXPECT_FALSE(IsWindow(bh));
  EXPECT_FALSE(IsWindow(fh));
  EXPECT_EQ(Handled, 0);
}

TEST_F(Windows, AControlFreedWhileItsHintShowsTakesTheHintWithIt) {
  TEdit* e = MakeEdit(10);
  e->SetHint("Kurz|Lang");
  e->SetShowHint(true);
  // Visible but not active, and away from where other test programs put their windows: the
  // focus and the windows of other programs on the display are left alone.
  Host->SetBounds(900, 740, 320, 240);
  SetWindowPos(Host->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ShowWindow(e->Handle(), SW_SHOWNA);
  Application->ProcessMessages();
  const POINT p = e->ClientToScreen(POINT{5, 5});
  Application->CancelHint();
  Application->ActivateHint(p);
  ASSERT_NE(Application->HintWindow(), nullptr) << "no control found at the cursor position";
  ASSERT_TRUE(Application->HintWindow()->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->WindowHandle()));

  delete e;
  EXPECT_FALSE(Application->HintWindow()->HandleAllocated()) << "the hint of a freed control stays";
  // The next hint asks for the control under the cursor anew (the form, which shows no hint).
  Application->ActivateHint(p);
  EXPECT_FALSE(Application->HintWindow()->HandleAllocated());
  EXPECT_EQ(Handled, 0);
}

// ---------------------------------------------------------------- the end of the program

// The names InitControls gives the atoms of a process whose main thread is ThreadId.
std::vector<std::string> AtomNames(DWORD ProcessId, DWORD ThreadId) {
  char control[64], window[64];
  // The module's address in all its digits (16 in a 64-bit process).
  std::snprintf(control, sizeof control, "ControlOfs%.*llX%.8lX", static_cast<int>(2 * sizeof(uintptr_t)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ClassLibInstance())),
                static_cast<unsigned long>(ThreadId));
  std::snprintf(window, sizeof window, "VgtWindowOf%.8lX", static_cast<unsigned long>(ProcessId));
  return {control, window};
}

constexpr const char* kChildVariable = "VGT_LIFETIME_CHILD_MARK";

// The part run in a child process: a program with a form it never frees. At its end, the form's
// OnDestroy writes the mark file and the atoms go.
TEST(ProgramEnd, ChildPart) {
  char mark[MAX_PATH] = {};
  if (!GetEnvironmentVariableA(kChildVariable, mark, MAX_PATH)) GTEST_SKIP() << "run by ProgramEnd.*";
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->HandleNeeded();
  for (const std::string& name : AtomNames(GetCurrentProcessId(), GetCurrentThreadId()))
    ASSERT_NE(GlobalFindAtomA(name.c_str()), 0) << name;
  const std::string path = mark;
  form->OnDestroy = [path](TObject*) {
    if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
  };
}

TEST(ProgramEnd, FreesTheFormsAndLeavesNoAtomBehind) {
  char exe[MAX_PATH] = {}, temp[MAX_PATH] = {}, mark[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  GetTempFileNameA(temp, "vgl", 0, mark);
  DeleteFileA(mark);
  std::string command = std::string("\"") + exe + "\" --gtest_filter=ProgramEnd.ChildPart";
  SetEnvironmentVariableA(kChildVariable, mark);
  SetEnvironmentVariableA("VGT_TEST_NORMAL_EXIT", "1");  // the end is what the child shows
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                      nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kChildVariable, nullptr);
  SetEnvironmentVariableA("VGT_TEST_NORMAL_EXIT", nullptr);
  ASSERT_TRUE(started) << GetLastError();
  // Global atoms belong to the wineserver, and thread and process ids come again soon: an atom of
  // the child's names that is there before the child runs was left by a thread or process of the
  // same id that is gone (one ended by TerminateProcess keeps its atoms). Only what the child
  // makes is looked at.
  for (const std::string& name : AtomNames(pi.dwProcessId, pi.dwThreadId))
    for (int i = 0; i < 64 && GlobalFindAtomA(name.c_str()); ++i)
      GlobalDeleteAtom(GlobalFindAtomA(name.c_str()));
  ResumeThread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "the child's own checks failed";
  EXPECT_NE(GetFileAttributesA(mark), INVALID_FILE_ATTRIBUTES) << "the form's OnDestroy did not run at the end";
  DeleteFileA(mark);
  // The names hold the child's process and thread ids, which a program started meanwhile (the
  // suite runs side by side) may have been given again: its atoms are its own.
  auto reused = [](HANDLE H) {
    if (H) CloseHandle(H);
    return H != nullptr;
  };
  const bool idsTaken = reused(OpenProcess(SYNCHRONIZE, FALSE, pi.dwProcessId)) ||
                        reused(OpenThread(SYNCHRONIZE, FALSE, pi.dwThreadId));
  for (const std::string& name : AtomNames(pi.dwProcessId, pi.dwThreadId))
    if (GlobalFindAtomA(name.c_str()) != 0 && !idsTaken) ADD_FAILURE() << name << " outlived its process";
}

}  // namespace
