#include <gtest/gtest.h>

#include <vector>

#include "classlib/Strings.h"

namespace {

// The message of the exception F raises, or "" when it raises none of type E.
template <class E, class F>
AnsiString RaisedMessage(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

AnsiString IndexText(int Index) {
  // The German text as the ANSI code page stores it.
  return "Listenindex \xFC" "berschreitet das Maximum (" + std::to_string(Index) + ")";
}

std::vector<AnsiString> Items(const TStrings& L) {
  std::vector<AnsiString> v;
  for (int i = 0; i < L.Count(); ++i) v.push_back(L.Strings(i));
  return v;
}

using V = std::vector<AnsiString>;

// A list over its own storage that overrides only the primitives, as a view over another list
// does: every other operation must work through them.
class TPrimitiveList : public TAnsiStrings {
 public:
  AnsiString Get(int Index) const override { Check(Index); return FItems[static_cast<size_t>(Index)].first; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  TObject* GetObject(int Index) const override { Check(Index); return FItems[static_cast<size_t>(Index)].second; }
  void Put(int Index, const AnsiString& S) override { Check(Index); FItems[static_cast<size_t>(Index)].first = S; }
  void PutObject(int Index, TObject* O) override { Check(Index); FItems[static_cast<size_t>(Index)].second = O; }
  void SetUpdateState(bool Updating) override { UpdateStates.push_back(Updating); }
  void Clear() override { FItems.clear(); }
  void Delete(int Index) override { Check(Index); FItems.erase(FItems.begin() + Index); }
  void Insert(int Index, const AnsiString& S) override {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    FItems.insert(FItems.begin() + Index, {S, nullptr});
  }
  std::vector<bool> UpdateStates;

 private:
  void Check(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
  }
  std::vector<std::pair<AnsiString, TObject*>> FItems;
};

}  // namespace

TEST(StringList, IndexErrorsCarryTheIndexAndLeaveTheListAlone) {
  TStringList L;
  L.Add("a");
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Strings(1); }), IndexText(1));
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Delete(-1); }), IndexText(-1));
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.SetObjects(5, nullptr); }), IndexText(5));
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Insert(2, "x"); }), IndexText(2));
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Exchange(-1, 99); }), IndexText(-1));
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Exchange(0, 99); }), IndexText(99));
  // Moving to a bad place must not lose the item on the way.
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { L.Move(0, 3); }), IndexText(3));
  EXPECT_EQ(Items(L), V{"a"});
  L.Insert(1, "b");  // Count itself appends
  EXPECT_EQ(Items(L), (V{"a", "b"}));
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
  TStringList L;
  L.SetText("a\r\nb\r\n");
  EXPECT_EQ(Items(L), (V{"a", "b"}));
  L.SetText("a\r\n\r\nb");
  EXPECT_EQ(Items(L), (V{"a", "", "b"}));
  L.SetText("a\nb\rc");
  EXPECT_EQ(Items(L), (V{"a", "b", "c"}));
  L.SetText("a\n\rb");  // LF then CR ends two lines
  EXPECT_EQ(Items(L), (V{"a", "", "b"}));
  L.SetText(AnsiString("a\0b", 3));
  EXPECT_EQ(Items(L), V{"a"});
  L.SetText("");
  EXPECT_EQ(L.Count(), 0);

  EXPECT_EQ(L.Text(), "");
  L.Add("a");
  EXPECT_EQ(L.Text(), "a\r\n");
  L.Add("");
  EXPECT_EQ(L.Text(), "a\r\n\r\n");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
  TStringList L;
  L.SetCommaText(R"(one, "two words",,"say ""hi""" last)");
  EXPECT_EQ(Items(L), (V{"one", "two words", "", "say \"hi\"", "last"}));
  EXPECT_EQ(L.CommaText(), R"(one,"two words",,"say ""hi""",last)");
  L.Clear();
  L.Add("");
  EXPECT_EQ(L.CommaText(), "\"\"");
}

TEST(StringList, NamesAndValues) {
  TStringList L;
  L.SetText("KEY=1\r\nkey\r\nkeys=2\r\nx=a=b\r\n");
  EXPECT_EQ(L.IndexOfName("key"), 0);
  EXPECT_EQ(L.IndexOfName("nope"), -1);
  EXPECT_EQ(L.Values("key"), "1");
  EXPECT_EQ(L.Values("x"), "a=b");
  EXPECT_EQ(L.Names(1), "");
  EXPECT_EQ(L.Names(3), "x");
  L.SetValues("keys", "3");
  EXPECT_EQ(L.Strings(2), "keys=3");
  L.SetValues("new", "4");
  EXPECT_EQ(L.Strings(4), "new=4");
  L.SetValues("KEY", "");  // an empty value removes the item
  EXPECT_EQ(L.IndexOfName("key"), -1);
  EXPECT_EQ(L.Count(), 4);
}

TEST(StringList, AssignCopiesItemsAndObjectsAndKeepsItselfOnSelfAssign) {
  TStringList A;
  TObject o1, o2;
  A.AddObject("x", &o1);
  A.AddObject("y", &o2);
  TStringList B;
  B.Add("old");
  B.Assign(&A);
  EXPECT_EQ(Items(B), (V{"x", "y"}));
  EXPECT_EQ(B.Objects(1), &o2);

  A.Assign(&A);
  EXPECT_EQ(Items(A), (V{"x", "y"}));
  B.AddStrings(&B);  // doubles once, does not run forever
  EXPECT_EQ(Items(B), (V{"x", "y", "x", "y"}));
  B.Assign(&A);

  // Through the primitives only, in both directions.
  TPrimitiveList P;
  P.Assign(&A);
  EXPECT_EQ(Items(P), (V{"x", "y"}));
  EXPECT_EQ(P.Objects(0), &o1);
  EXPECT_EQ(P.UpdateStates, (std::vector<bool>{true, false}));
  TStringList C;
  P.AssignTo(&C);
  EXPECT_EQ(Items(C), (V{"x", "y"}));
  P.Add("z");
  P.Exchange(0, 2);
  EXPECT_EQ(Items(P), (V{"z", "y", "x"}));
  EXPECT_EQ(P.Objects(2), &o1);
  P.Move(0, 2);
  EXPECT_EQ(Items(P), (V{"y", "x", "z"}));
  EXPECT_EQ(P.IndexOf("X"), 1);
  EXPECT_EQ(P.IndexOfObject(&o2), 0);

  // A TStrings cannot take an unrelated object.
  TPersistent other;
  EXPECT_THROW(B.Assign(&other), EConvertError);
  EXPECT_EQ(Items(B), (V{"x", "y"}));
}

TEST(StringList, NotificationsOncePerChangeOrBatch) {
  TStringList L;
  int changing = 0, changed = 0;
  L.OnChanging = [&](TObject* Sender) { EXPECT_EQ(Sender, &L); ++changing; };
  L.OnChange = [&](TObject*) { ++changed; };
  L.Clear();
  EXPECT_EQ(changing + changed, 0);
  TStringList src;
  src.SetText("a\r\nb\r\nc");
  L.AddStrings(&src);
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  L.Clear();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  // A raising operation inside a batch still closes the batch.
  L.SetSorted(true);
  L.SetDuplicates(TDuplicates::dupError);
  EXPECT_THROW(L.SetText("a\r\na"), EStringListError);
  EXPECT_EQ(L.UpdateCount(), 0);

  // A listener that raises when the batch closes: its error reaches the caller (the program goes
  // on), and when the batch closes on the way out of another error, that first error is the one
  // the caller sees.
  TStringList M;
  M.SetSorted(true);
  M.SetDuplicates(TDuplicates::dupError);
  M.OnChange = [](TObject*) { throw EStringListError("listener"); };
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { M.AddStrings(&src); }), "listener");
  EXPECT_EQ(M.UpdateCount(), 0);
  EXPECT_EQ(M.Count(), 3);
  EXPECT_NE(RaisedMessage<EStringListError>([&] { M.SetText("a\r\na"); }), "listener");
  EXPECT_EQ(M.UpdateCount(), 0);
}

TEST(StringList, SortedFindAndDuplicates) {
  TStringList L;
  L.SetText("pear\r\nApple\r\nfig\r\napple");
  L.SetSorted(true);
  EXPECT_EQ(Items(L), (V{"Apple", "apple", "fig", "pear"}));
  int index = -1;
  EXPECT_TRUE(L.Find("FIG", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(L.Find("grape", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(L.IndexOf("PEAR"), 3);
  EXPECT_EQ(L.Add("grape"), 3);
  EXPECT_EQ(L.Add("FIG"), 2);  // dupIgnore: the existing index
  EXPECT_EQ(L.Count(), 5);
  EXPECT_THROW(L.Insert(0, "x"), EStringListError);
  EXPECT_THROW(L.Move(0, 1), EStringListError);
  EXPECT_EQ(L.Count(), 5);

  // A case-sensitive sorted list is re-sorted, so Find keeps working.
  TStringList C;
  C.SetText("b\r\nB\r\na\r\nA");
  C.SetSorted(true);
  C.SetCaseSensitive(true);
  for (int i = 0; i < C.Count(); ++i) {
    EXPECT_TRUE(C.Find(C.Strings(i), index)) << C.Strings(i);
    EXPECT_EQ(index, i);
  }
  EXPECT_FALSE(C.Find("c", index));
}

TEST(StringList, CapacityGrowsInSteps) {
  TStringList L;
  for (int i = 0; i < 4; ++i) L.Add("x");
  EXPECT_EQ(L.Capacity(), 4);
  L.Add("x");
  EXPECT_EQ(L.Capacity(), 8);
  while (L.Count() < 76) L.Add("x");
  EXPECT_EQ(L.Capacity(), 76);
  L.Add("x");
  EXPECT_EQ(L.Capacity(), 95);
  EXPECT_THROW(L.SetCapacity(10), EStringListError);
  L.Clear();
  EXPECT_EQ(L.Capacity(), 0);
}
