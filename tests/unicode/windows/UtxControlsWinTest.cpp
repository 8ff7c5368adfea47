// Wide control text: message adaptation, held texts, hints and accelerators.
#include <gtest/gtest.h>

#include <vector>

#include "unicode/UtxControls.h"
#include "unicode/UtxWindows.h"

namespace {

TEST(UtxCharMessage, CharAboveFFTravelsAsFFWithTheRealCharInTheHighWord) {
  WPARAM w = 0x4E2D;
  MakeCharParam8BitSafe(w);
  EXPECT_EQ(w, static_cast<WPARAM>(0x4E2D00FF));
  EXPECT_EQ(WideCharOfCharParam(w), L'\x4E2D');
  RestoreCharParam(w);
  EXPECT_EQ(w, static_cast<WPARAM>(0x4E2D));
  // A character of $8000 and up leaves the rest of a 64-bit parameter empty.
  w = 0xAC00;
  MakeCharParam8BitSafe(w);
  EXPECT_EQ(w, static_cast<WPARAM>(0xAC0000FFu));
  EXPECT_EQ(WideCharOfCharParam(w), L'\xAC00');
}

TEST(UtxCharMessage, CharsUpToFFAndStrayHighWordsPassAsTheyAre) {
  WPARAM w = 0xE9;
  MakeCharParam8BitSafe(w);
  EXPECT_EQ(w, static_cast<WPARAM>(0xE9));
  w = 0xFF;  // y with diaeresis itself: no high word, stays
  MakeCharParam8BitSafe(w);
  RestoreCharParam(w);
  EXPECT_EQ(w, static_cast<WPARAM>(0xFF));
  // A high word beside a character other than $FF is not ours: restoring drops it.
  w = MAKELONG(L'a', 0x1234);
  EXPECT_EQ(WideCharOfCharParam(w), L'a');
  RestoreCharParam(w);
  EXPECT_EQ(w, static_cast<WPARAM>(L'a'));
  PutWideCharInCharParam(w, L'\x03C9');
  EXPECT_EQ(w, static_cast<WPARAM>(0x03C900FF));
  PutWideCharInCharParam(w, L'b');
  EXPECT_EQ(w, static_cast<WPARAM>(L'b'));
}

struct AnsiProperty {
  AnsiString value;
  std::vector<AnsiString> calls;
  TAnsiTextSetter Setter() {
    return [this](const AnsiString& s) {
      calls.push_back(s);
      value = s;
    };
  }
};

TEST(UtxHeldText, HeldTextCountsOnlyWhileItsNarrowFormIsTheProperty) {
  WideString held = L"\x03C9mega";
  EXPECT_EQ(SyncHeldWideText(held, "?mega"), L"\x03C9mega");
  // Somebody set the 8-bit property directly.
  EXPECT_EQ(SyncHeldWideText(held, "abc"), L"abc");
  EXPECT_EQ(held, L"abc");
}

TEST(UtxHeldText, StoreSetsThe8BitFormAndKeepsTheWideOne) {
  AnsiProperty p;
  WideString held;
  StoreHeldWideText(L"\x4E2D x", held, p.value, p.Setter());
  EXPECT_EQ(held, L"\x4E2D x");
  EXPECT_EQ(p.value, "? x");
  ASSERT_EQ(p.calls.size(), 1u);
  // The same text again: nothing happens.
  StoreHeldWideText(L"\x4E2D x", held, p.value, p.Setter());
  EXPECT_EQ(p.calls.size(), 1u);
}

TEST(UtxHeldText, TwoTextsWithTheSameNarrowFormStillMakeTheLibraryNotify) {
  AnsiProperty p;
  WideString held;
  StoreHeldWideText(L"\x03C9", held, p.value, p.Setter());
  StoreHeldWideText(L"\x4E2D", held, p.value, p.Setter());
  EXPECT_EQ(held, L"\x4E2D");
  ASSERT_EQ(p.calls.size(), 3u);
  EXPECT_EQ(p.calls[1], "");  // the empty text in between
  EXPECT_EQ(p.calls[2], "?");
}

TEST(UtxHints, ShortAndLongParts) {
  EXPECT_EQ(WideShortHint(L"Open|Opens a file"), L"Open");
  EXPECT_EQ(WideLongHint(L"Open|Opens a file"), L"Opens a file");
  EXPECT_EQ(WideShortHint(L"\x03C9 only"), L"\x03C9 only");
  EXPECT_EQ(WideLongHint(L"\x03C9 only"), L"\x03C9 only");
  EXPECT_EQ(WideLongHint(L"a|b|c"), L"b|c");
  EXPECT_EQ(WideShortHint(L""), L"");
}

TEST(UtxAccel, AmpersandRules) {
  EXPECT_TRUE(IsWideAccelChar('a', L"Save &As"));
  EXPECT_TRUE(IsWideAccelChar('A', L"Save &As"));
  EXPECT_FALSE(IsWideAccelChar('S', L"Save &As"));
  EXPECT_FALSE(IsWideAccelChar('C', L"Fish && Chips"));
  EXPECT_FALSE(IsWideAccelChar('&', L"Fish && Chips"));
  EXPECT_TRUE(IsWideAccelChar('c', L"&Open && &Close"));
  EXPECT_FALSE(IsWideAccelChar('o', L"&Open && &Close"));
  EXPECT_FALSE(IsWideAccelChar('&', L"Trailing&"));
  EXPECT_FALSE(IsWideAccelChar(0, L"Trailing&"));
  EXPECT_FALSE(IsWideAccelChar('x', L""));
}

TEST(UtxAccel, CharactersAboveFFMatchWithoutTheKeyboard) {
  EXPECT_TRUE(IsWideAccelChar(0x03C9, L"&\x03C9mega"));
  // Upper-casing outside the code page needs the wide platform.
  if (UnicodePlatform()) {
    EXPECT_TRUE(IsWideAccelChar(0x03A9, L"&\x03C9mega"));
  }
  EXPECT_TRUE(IsWideAccelChar(0x4E2D, L"x&\x4E2D"));
  EXPECT_FALSE(IsWideAccelChar(0x4E2E, L"x&\x4E2D"));
}

// Two list controls as the combo box meets them: one keeps wide items, one only 8-bit ones.
struct TAnsiList {
  virtual ~TAnsiList() = default;
  void AddItem(const AnsiString& Item, TObject* AObject) {
    Items.push_back(Item);
    Objects.push_back(AObject);
  }
  std::vector<AnsiString> Items;
  std::vector<TObject*> Objects;
};
struct TWideList : TAnsiList, IWideListControl {
  void AddWideItem(const WideString& Item, TObject* AObject) override {
    WideItems.push_back(Item);
    Objects.push_back(AObject);
  }
  std::vector<WideString> WideItems;
};

TEST(UtxWideList, ItemsGoWholeToWideListsAndConvertedToOthers) {
  TObject tag;
  TWideList wide;
  WideListControlAddItem<TAnsiList>(&wide, L"\x03C9 \x4E2D", &tag);
  ASSERT_EQ(wide.WideItems.size(), 1u);
  EXPECT_EQ(wide.WideItems[0], L"\x03C9 \x4E2D");
  EXPECT_TRUE(wide.Items.empty());
  EXPECT_EQ(wide.Objects[0], &tag);
  TAnsiList plain;
  WideListControlAddItem(&plain, L"\x00E9t\x00E9 \x4E2D", &tag);
  ASSERT_EQ(plain.Items.size(), 1u);
  EXPECT_EQ(plain.Items[0], "\xE9t\xE9 ?");
  EXPECT_EQ(plain.Objects[0], &tag);
}

}  // namespace
