// The wide string list, its 8-bit view, the wide file stream and the sorted-component search.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/ResStrings.h"
#include "tests/unicode/UtxTestSupport.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxSysUtils.h"

namespace {

std::vector<WideString> Items(const TUtxStrings& list) {
  std::vector<WideString> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Strings(i));
  return v;
}

// Counts the notifications of a list.
struct TEvents {
  explicit TEvents(TUtxStringList& list) {
    list.OnChanging = [this](TObject*) { ++Changing; };
    list.OnChange = [this](TObject*) { ++Changed; };
  }
  int Changing = 0;
  int Changed = 0;
};

TEST(UtxStringList, TextSplitsAtEveryKindOfLineBreak) {
  TUtxStringList list;
  using V = std::vector<WideString>;
  list.SetText(L"a\r\nb\r\n");
  EXPECT_EQ(Items(list), (V{L"a", L"b"}));
  list.SetText(L"a\r\n\r\nb");
  EXPECT_EQ(Items(list), (V{L"a", L"", L"b"}));
  list.SetText(L"a\n\rb");
  EXPECT_EQ(Items(list), (V{L"a", L"", L"b"}));
  list.SetText(L"a\r\n\u2028b");
  EXPECT_EQ(Items(list), (V{L"a", L"b"}));
  list.SetText(L"a\rb\nc");
  EXPECT_EQ(Items(list), (V{L"a", L"b", L"c"}));
  list.SetText(WideString(L"a\nb\0c\nd", 7));
  EXPECT_EQ(Items(list), (V{L"a", L"b"}));
  list.SetText(L"");
  EXPECT_EQ(list.Count(), 0);
  list.SetText(L"x");
  list.SetText(WideString(L"\0abc", 4));
  EXPECT_EQ(list.Count(), 0);
}

TEST(UtxStringList, TextOfTheItems) {
  TUtxStringList list;
  EXPECT_EQ(list.Text(), L"");
  list.Add(L"a");
  EXPECT_EQ(list.Text(), L"a\r\n");
  list.Add(L"\u03C9");
  EXPECT_EQ(list.Text(), L"a\r\n\u03C9\r\n");
  wchar_t* buffer = list.GetTextBuffer();
  EXPECT_STREQ(buffer, L"a\r\n\u03C9\r\n");
  WideStrDispose(buffer);
  list.SetTextBuffer(L"x\ny");
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"x", L"y"}));
}

TEST(UtxStringList, LookupsIgnoreCaseAndKeepOrder) {
  TUtxStringList list;
  list.Add(L"zeta.org");
  list.Add(L"example.com");
  list.Add(L"Example.COM");
  list.Add(L"\u00E9t\u00E9.fr");
  // Items stay in the order they came; the lower of two equal items is found.
  EXPECT_EQ(list.IndexOf(L"EXAMPLE.COM"), 1);
  EXPECT_EQ(list.IndexOf(L"\u00C9T\u00C9.FR"), 3);
  EXPECT_EQ(list.IndexOf(L"example.co"), -1);
  EXPECT_EQ(list.Strings(0), L"zeta.org");
  // Embedded NULs take part in the comparison.
  list.Add(WideString(L"a\0b", 3));
  EXPECT_EQ(list.IndexOf(WideString(L"A\0B", 3)), 4);
  EXPECT_EQ(list.IndexOf(L"a"), -1);
  EXPECT_EQ(list.CompareStrings(L"a", L"B"), -1);
  EXPECT_EQ(list.CompareStrings(L"b", L"A"), 1);
  EXPECT_EQ(list.CompareStrings(L"abc", L"ABC"), 0);

  TObject marker;
  list.SetObjects(2, &marker);
  EXPECT_EQ(list.IndexOfObject(&marker), 2);
  EXPECT_EQ(list.IndexOfObject(nullptr), 0);
}

TEST(UtxStringList, IndexOfNameNeedsTheSeparator) {
  TUtxStringList list;
  list.Add(L"key");
  list.Add(L"keys=1");
  list.Add(L"KEY=1");
  EXPECT_EQ(list.NameValueSeparator(), L'=');
  EXPECT_EQ(list.IndexOfName(L"key"), 2);
  EXPECT_EQ(list.IndexOfName(L"ke"), -1);
  list.SetNameValueSeparator(L':');
  list.Add(L"key:2");
  EXPECT_EQ(list.IndexOfName(L"key"), 3);
}

TEST(UtxStringList, NotificationsOnePairPerChangeOrBatch) {
  TUtxStringList list;
  TEvents events(list);
  list.Clear();
  EXPECT_EQ(events.Changing, 0);
  EXPECT_EQ(events.Changed, 0);

  TUtxStringList source;
  source.Add(L"a");
  source.Add(L"b");
  source.Add(L"c");
  list.AddStrings(&source);
  EXPECT_EQ(events.Changing, 1);
  EXPECT_EQ(events.Changed, 1);

  list.Clear();
  EXPECT_EQ(events.Changing, 2);
  EXPECT_EQ(events.Changed, 2);

  list.Add(L"x");
  list.SetStrings(0, L"y");
  list.Delete(0);
  EXPECT_EQ(events.Changing, 5);
  EXPECT_EQ(events.Changed, 5);

  list.Assign(&source);
  EXPECT_EQ(events.Changing, 6);
  EXPECT_EQ(events.Changed, 6);

  // The order of the pair: OnChanging sees the old items, OnChange the new.
  std::vector<int> seen;
  list.OnChanging = [&](TObject*) { seen.push_back(list.Count()); };
  list.OnChange = [&](TObject*) { seen.push_back(list.Count()); };
  list.Add(L"d");
  EXPECT_EQ(seen, (std::vector<int>{3, 4}));
}

TEST(UtxStringList, NoNotificationWhileBeingDestroyed) {
  int calls = 0;
  {
    TUtxStringList list;
    list.Add(L"a");
    list.OnChange = [&](TObject*) { ++calls; };
    list.OnChanging = [&](TObject*) { ++calls; };
  }
  EXPECT_EQ(calls, 0);
}

TEST(UtxStringList, IndexErrorsNameTheOffendingIndex) {
  TUtxStringList list;
  list.Add(L"a");
  list.Insert(1, L"b");  // at Count: appends
  EXPECT_EQ(list.Strings(1), L"b");
  auto message = [&](auto&& call) -> AnsiString {
    try {
      call();
    } catch (const EStringListError& e) {
      return e.Message();
    }
    return "(no error)";
  };
  EXPECT_EQ(message([&] { list.Insert(3, L"c"); }), "Listenindex \xFC" "berschreitet das Maximum (3)");
  EXPECT_EQ(message([&] { list.Strings(2); }), "Listenindex \xFC" "berschreitet das Maximum (2)");
  EXPECT_EQ(message([&] { list.Delete(-1); }), "Listenindex \xFC" "berschreitet das Maximum (-1)");
  EXPECT_EQ(message([&] { list.SetObjects(5, nullptr); }),
            "Listenindex \xFC" "berschreitet das Maximum (5)");
  EXPECT_EQ(message([&] { list.Exchange(-1, 99); }),
            "Listenindex \xFC" "berschreitet das Maximum (-1)");
  TUtxStringList one;
  one.Add(L"x");
  EXPECT_EQ(message([&] { one.Exchange(0, 99); }),
            "Listenindex \xFC" "berschreitet das Maximum (99)");
  // A move to a place out of range reports it and keeps the item where it was.
  TObject marker;
  list.SetObjects(0, &marker);
  EXPECT_EQ(message([&] { list.MoveItem(0, 5); }),
            "Listenindex \xFC" "berschreitet das Maximum (5)");
  EXPECT_EQ(message([&] { list.MoveItem(7, 0); }),
            "Listenindex \xFC" "berschreitet das Maximum (7)");
  EXPECT_EQ(list.Objects(0), &marker);
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"a", L"b"}));
}

TEST(UtxStringList, ListErrorsAreNotTranslated) {
  SetResStringTranslator([](const WideString&) { return WideString(L"translated"); });
  TUtxStringList list;
  try {
    list.Delete(0);
    ADD_FAILURE() << "no error";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "Listenindex \xFC" "berschreitet das Maximum (0)");
  }
  SetResStringTranslator({});
}

TEST(UtxStringList, CapacityGrowsInSteps) {
  TUtxStringList list;
  std::vector<int> capacities;
  for (int i = 0; i < 150; ++i) {
    list.Add(L"x");
    if (capacities.empty() || capacities.back() != list.Capacity())
      capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183}));
  EXPECT_THROW(list.SetCapacity(10), EStringListError);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(UtxStringList, EditingKeepsObjectsWithTheirTexts) {
  TUtxStringList list;
  TObject a, b, c;
  list.AddObject(L"a", &a);
  list.AddObject(L"b", &b);
  list.InsertObject(0, L"c", &c);
  list.Exchange(0, 2);
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"b", L"a", L"c"}));
  EXPECT_EQ(list.Objects(0), &b);
  list.MoveItem(0, 2);
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"a", L"c", L"b"}));
  EXPECT_EQ(list.Objects(2), &b);
  list.SetStrings(2, L"B");
  EXPECT_EQ(list.Objects(2), &b);
  list.Delete(0);
  EXPECT_EQ(list.Objects(0), &c);
}

TEST(UtxStringList, AssignToItselfKeepsTheItems) {
  TUtxStringList list;
  TObject marker;
  list.AddObject(L"one", &marker);
  list.Add(L"two");
  list.Assign(&list);
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"one", L"two"}));
  EXPECT_EQ(list.Objects(0), &marker);
  list.Assign(list.AnsiStrings());
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"one", L"two"}));
  list.AnsiStrings()->Assign(&list);
  EXPECT_EQ(Items(list), (std::vector<WideString>{L"one", L"two"}));
}

TEST(UtxStringList, AssignCopiesTheSeparator) {
  TUtxStringList a, b;
  a.SetNameValueSeparator(L':');
  a.Add(L"k:v");
  b.Add(L"old");
  b.Assign(&a);
  EXPECT_EQ(b.NameValueSeparator(), L':');
  EXPECT_EQ(b.IndexOfName(L"K"), 0);
  EXPECT_EQ(b.Count(), 1);
}

// ---- through the 8-bit view, on both paths ----

class UtxView : public ::testing::TestWithParam<bool> {
 protected:
  UtxView() : FForce(GetParam(), GetParam() ? CP_THREAD_ACP : 1252) {}
  TUtxPlatformOverride FForce;
};

TEST_P(UtxView, AssignBothWaysWithEightBitLists) {
  TStringList ansi;
  TObject marker;
  ansi.AddObject("caf\xE9", &marker);
  ansi.Add("plain");
  TUtxStringList wide;
  wide.Add(L"gone");
  wide.Assign(&ansi);
  EXPECT_EQ(Items(wide), (std::vector<WideString>{L"caf\u00E9", L"plain"}));
  EXPECT_EQ(wide.Objects(0), &marker);

  wide.Add(L"\u03C9");
  TStringList back;
  back.Add("gone");
  back.Assign(&wide);  // through the wide list's AssignTo
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Strings(0), "caf\xE9");
  EXPECT_EQ(back.Objects(0), &marker);
  EXPECT_EQ(back.Strings(2), "?");

  // The view of another wide list stands for that list: nothing is narrowed on the way.
  TUtxStringList copy, copyBack;
  copy.Assign(wide.AnsiStrings());
  EXPECT_EQ(Items(copy), Items(wide));
  EXPECT_EQ(copy.Objects(0), &marker);
  copyBack.AnsiStrings()->Assign(&wide);
  EXPECT_EQ(Items(copyBack), Items(wide));

  // Something that is no string list cannot be assigned.
  TPersistent other;
  EXPECT_THROW(wide.Assign(&other), EConvertError);
}

TEST_P(UtxView, ViewReadsAndWritesTheWideList) {
  TUtxStringList wide;
  TAnsiStrings* view = wide.AnsiStrings();
  EXPECT_EQ(view->Count(), 0);
  view->Add("caf\xE9");
  EXPECT_EQ(Items(wide), (std::vector<WideString>{L"caf\u00E9"}));
  view->Insert(0, "first");
  view->SetStrings(1, "second");
  EXPECT_EQ(Items(wide), (std::vector<WideString>{L"first", L"second"}));
  TObject marker;
  view->SetObjects(0, &marker);
  EXPECT_EQ(wide.Objects(0), &marker);
  EXPECT_EQ(view->IndexOf("SECOND"), 1);
  view->Delete(0);
  EXPECT_EQ(view->Text(), "second\r\n");
  view->Clear();
  EXPECT_EQ(wide.Count(), 0);

  TStringList source;
  source.Add("x");
  wide.SetAnsiStrings(&source);
  EXPECT_EQ(Items(wide), (std::vector<WideString>{L"x"}));
  EXPECT_THROW(view->Strings(4), EStringListError);
}

INSTANTIATE_TEST_SUITE_P(Paths, UtxView, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "EightBit"; });

// ---- file stream ----

class UtxStream : public ::testing::TestWithParam<bool> {
 protected:
  UtxStream() : FForce(GetParam(), GetParam() ? CP_THREAD_ACP : 1252) {}
  TUtxPlatformOverride FForce;
};

TEST_P(UtxStream, CreateWriteAndReadBack) {
  TTempFolder dir;
  const WideString name = dir.File(GetParam() ? L"\u03C9\u4E2D.bin" : L"caf\u00E9.bin");
  {
    TUtxFileStream out(name, fmCreate);
    out.WriteBuffer("hello", 5);
  }
  TUtxFileStream in(name, fmOpenRead | fmShareDenyNone);
  // Deny-none: a second reader gets in.
  TUtxFileStream second(name, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(in.Size(), 5);
  char buffer[6] = {};
  in.ReadBuffer(buffer, 5);
  EXPECT_STREQ(buffer, "hello");
}

TEST_P(UtxStream, FailuresNameTheFile) {
  TTempFolder dir;
  const WideString missing = dir.File(L"missing.mo");
  try {
    TUtxFileStream s(missing, fmOpenRead | fmShareDenyNone);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Datei " + NarrowText(missing) + " kann nicht ge\xF6" "ffnet werden");
  }
  const WideString nowhere = dir.File(L"no\\such\\dir.bin");
  try {
    TUtxFileStream s(nowhere, fmCreate);
    ADD_FAILURE() << "created in a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Datei " + NarrowText(nowhere) + " kann nicht erstellt werden");
  }
  // Held exclusively: a second open is refused.
  const WideString held = dir.File(L"held.bin");
  TUtxFileStream owner(held, fmCreate);
  EXPECT_THROW(TUtxFileStream(held, fmOpenRead | fmShareDenyNone), EFOpenError);
}

TEST_P(UtxStream, FileErrorsPassThroughTheTranslator) {
  SetResStringTranslator([](const WideString& s) {
    return s == L"Datei %s kann nicht ge\u00F6ffnet werden" ? WideString(L"Cannot open %s") : s;
  });
  try {
    TUtxFileStream s(L"c:\\no\\such.mo", fmOpenRead);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open c:\\no\\such.mo");
  }
  SetResStringTranslator({});
}

INSTANTIATE_TEST_SUITE_P(Paths, UtxStream, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "EightBit"; });

// ---- sorted-component search ----

TEST(UtxSortedComponents, FindsOrGivesTheInsertionPoint) {
  TComponent owner(nullptr);
  TComponentList list(false);
  for (const wchar_t* name : {L"b", L"d", L"f", L"h"}) {
    auto* c = new TComponent(&owner);
    c->SetName(name);
    list.Add(c);
  }
  const TComponentKeyCompare byName = [](TComponent* item, const void* key) {
    return item->Name().compare(static_cast<const wchar_t*>(key));
  };
  int index = -5;
  EXPECT_TRUE(FindInSortedComponentList(&list, byName, L"b", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(FindInSortedComponentList(&list, byName, L"h", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(FindInSortedComponentList(&list, byName, L"e", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(FindInSortedComponentList(&list, byName, L"a", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(FindInSortedComponentList(&list, byName, L"z", index));
  EXPECT_EQ(index, 4);
  TComponentList empty(false);
  EXPECT_FALSE(FindInSortedComponentList(&empty, byName, L"a", index));
  EXPECT_EQ(index, 0);
}

}  // namespace
