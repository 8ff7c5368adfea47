// The Unicode controls on a form read from its description: texts outside the code page in the
// edit, memo, combo boxes, label, buttons, panel and tabs, read back through the wide platform
// calls and kept across re-created windows; memo lines, combo completion and search, radio
// groups, page switching, the image and the panel's painting, and hostile input. The _win98 copy
// runs the 8-bit path, where what an 8-bit window holds is the text narrowed.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Scope.h"
#include "classlib/Filer.h"
#include "classlib/Themes.h"
#include "tests/support/ControlPixels.h"
#include "tests/support/Input.h"
#include "tools/winshot/Screenshot.h"
#include "unicode/UtxComCtrls.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxStdCtrls.h"
#include "unicode/UtxWindows.h"

namespace {

// The combo box as a form description publishes it.
class TUtxTestComboBox : public TUtxCustomComboBox {
  VGT_CLASS(TUtxTestComboBox, TUtxCustomComboBox)
 public:
  using TUtxCustomComboBox::TUtxCustomComboBox;
  using TUtxCustomComboBox::HandleEditChar;
};
VGT_PUBLISH(TUtxTestComboBox) {
  PublishWideText(P, L"Text")
      .Prop(L"Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle)
      .Prop(L"AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete)
      .Prop(L"AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown)
      .Prop(L"AutoCloseUp", &TCustomComboBox::AutoCloseUp, &TCustomComboBox::SetAutoCloseUp)
      .Prop(L"Items", &TUtxCustomComboBox::Items, &TUtxCustomComboBox::SetItems)
      .Prop(L"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex)
      .Event(L"OnSelect", &TCustomComboBox::OnSelect);
}

class TUtxControlsForm : public TUtxForm {
  VGT_CLASS(TUtxControlsForm, TUtxForm)
 public:
  using TUtxForm::TUtxForm;
  template <class T>
  T* Find(const wchar_t* Name) {
    T* c = dynamic_cast<T*>(FindComponent(Name));
    if (!c) throw std::runtime_error("missing component");
    return c;
  }
  void OkClick(TObject*) { ++OkClicks; }
  void ComboSelect(TObject*) { ++Selects; }
  void RadioClick(TObject* Sender) { Clicked.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void PagesChange(TObject*) { ++Changes; }
  void PagesChanging(TObject*, bool& Allow) {
    ++Changings;
    Allow = AllowChange;
  }
  int OkClicks = 0, Selects = 0, Changes = 0, Changings = 0;
  bool AllowChange = true;
  std::vector<WideString> Clicked;
};
VGT_PUBLISH(TUtxControlsForm) {
  P.Handler(L"OkClick", &TUtxControlsForm::OkClick)
      .Handler(L"ComboSelect", &TUtxControlsForm::ComboSelect)
      .Handler(L"RadioClick", &TUtxControlsForm::RadioClick)
      .Handler(L"PagesChange", &TUtxControlsForm::PagesChange)
      .Handler(L"PagesChanging", &TUtxControlsForm::PagesChanging);
}

const WideString kGreek = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC";
const WideString kJapanese = L"\x65E5\x672C\x8A9E";
const WideString kEditText = kGreek + L" \x4E2D\x6587";
const WideString kLine1 = L"\x0421\x0442\x0440\x043E\x043A\x0430 \x043E\x0434\x0438\x043D";
const WideString kLine2 = L"\x4E2D\x6587 \x7B2C\x4E8C\x884C";
const WideString kTabs[] = {L"\x041E\x0431\x0449\x0438\x0435", L"&\x03A3\x03CD\x03BD\x03B8\x03B5\x03C4\x03B1",
                            L"\x8A73\x7D30"};

// What the older platform's 8-bit windows keep of a text.
WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

WideString WindowText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  WideString s(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(0, got)));
  return s;
}

WideString ComboItemW(HWND h, int Index) {
  const LRESULT n = SendMessageW(h, CB_GETLBTEXTLEN, Index, 0);
  if (n < 0) return L"<error>";
  WideString s(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(h, CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(s.data()));
  // The length answer may exceed the text (it counts as the 8-bit list would).
  s.resize(wcslen(s.c_str()));
  return s;
}

WideString TabTextW(HWND h, int Index) {
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  if (!SendMessageW(h, TCM_GETITEMW, Index, reinterpret_cast<LPARAM>(&item))) return L"<error>";
  return item.pszText;
}

WideString MemoLineW(HWND h, int Index) {
  wchar_t buf[128] = {};
  buf[0] = 127;
  const LRESULT n = SendMessageW(h, EM_GETLINE, Index, reinterpret_cast<LPARAM>(buf));
  return WideString(buf, static_cast<size_t>(n));
}

class UtxControlsForm : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override {
    TThemeServices::SetThemesEnabledOverride(false);
    UtxFormsStart();
    F.reset(TCustomForm::Create<TUtxControlsForm>(nullptr));
  }
  void TearDown() override {
    F.reset();
    Application->ProcessMessages();
    UtxFormsStop();
    TThemeServices::SetThemesEnabledOverride(std::nullopt);
  }
  void ShowAndActivate() { ::ShowAndActivate(F.get()); }
  static void SetCtrl(bool Down) { SetKeyState(VK_CONTROL, Down); }
  // Types Ch into a window as the message loop hands a character over.
  static void Type(HWND Wnd, wchar_t Ch) {
    if (UnicodePlatform()) SendMessageW(Wnd, WM_CHAR, Ch, 1);
    else SendMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(NarrowText(WideString(1, Ch))[0]), 1);
  }
  // The clock the combo boxes' typed search reads, in milliseconds: keys typed by a test arrive
  // at the moments it says, however slowly the test runs.
  DWORD Now = 0;
  void UseTestClock(TCustomComboBox* Combo) {
    Combo->SetSearchClock([this] { return Now; });
  }
  std::unique_ptr<TUtxControlsForm> F;
};

// ---- Texts from the description, read back wide, kept across new windows ----

TEST_F(UtxControlsForm, EveryControlShowsItsWideTextFromTheDescription) {
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  EXPECT_EQ(IsWindowUnicode(edit->Handle()) != 0, UnicodePlatform());
  EXPECT_EQ(WindowText(edit->Handle()), Shown(kEditText));
  EXPECT_EQ(edit->Text(), Shown(kEditText));
  EXPECT_EQ(edit->TControl::Text(), NarrowText(kEditText));
  EXPECT_EQ(GetWideHint(edit), Shown(L"\x0418\x043C\x044F|\x0412\x0432\x0435\x0434\x0438\x0442\x0435 \x0438\x043C\x044F"));

  auto* memo = F->Find<TUtxMemo>(L"Notes");
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(0), Shown(kLine1));
  EXPECT_EQ(memo->Lines()->Strings(1), Shown(kLine2));
  EXPECT_EQ(MemoLineW(memo->Handle(), 1), Shown(kLine2));

  auto* languages = F->Find<TUtxTestComboBox>(L"Languages");
  ASSERT_EQ(languages->Items()->Count(), 6);
  EXPECT_EQ(ComboItemW(languages->Handle(), 4), Shown(kGreek));
  EXPECT_EQ(languages->Items()->Strings(5), Shown(kJapanese));
  auto* entry = F->Find<TUtxTestComboBox>(L"Entry");
  EXPECT_EQ(entry->Text(), Shown(L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439"));
  EXPECT_EQ(WindowText(entry->EditHandle()), Shown(L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439"));

  EXPECT_EQ(GetWideControlText(F->Find<TUtxLabel>(L"Title")), Shown(L"&\x0418\x043C\x044F \x03C9"));
  EXPECT_EQ(WindowText(F->Find<TUtxButton>(L"OkButton")->Handle()), Shown(L"&\x03A9mega"));
  EXPECT_EQ(WindowText(F->Find<TUtxRadioButton>(L"RadioB")->Handle()), Shown(L"&\x0394\x03CD\x03BF"));
  EXPECT_EQ(F->Find<TUtxPanel>(L"Choices")->GetCaption(), Shown(L"\x0412\x044B\x0431\x043E\x0440 \x03C9"));
  EXPECT_EQ(GetWideHint(F->Find<TUtxControlBar>(L"Bar")),
            Shown(L"\x041F\x0430\x043D\x0435\x043B\x044C \x0438\x043D\x0441\x0442\x0440\x0443\x043C\x0435\x043D\x0442\x043E\x0432"));
  EXPECT_EQ(F->Find<TUtxImage>(L"Photo")->GetHint(), Shown(L"\x0424\x043E\x0442\x043E"));

  auto* pages = F->Find<TUtxPageControl>(L"Pages");
  ASSERT_EQ(pages->TabCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(F->Find<TUtxTabSheet>(i == 0 ? L"FirstSheet" : i == 1 ? L"SecondSheet" : L"ThirdSheet")->GetCaption(),
              Shown(kTabs[i]));
    // The tab window itself holds the wide caption.
    if (UnicodePlatform()) {
      EXPECT_EQ(TabTextW(pages->Handle(), i), kTabs[i]) << i;
    }
  }
}

TEST_F(UtxControlsForm, WideTextsSurviveRecreatedWindows) {
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  auto* memo = F->Find<TUtxMemo>(L"Notes");
  auto* entry = F->Find<TUtxTestComboBox>(L"Entry");
  auto* languages = F->Find<TUtxTestComboBox>(L"Languages");
  auto* ok = F->Find<TUtxButton>(L"OkButton");
  auto* panel = F->Find<TUtxPanel>(L"Choices");
  auto* pages = F->Find<TUtxPageControl>(L"Pages");
  TObject tagA, tagB;
  entry->Items()->SetObjects(1, &tagA);
  entry->Items()->SetObjects(2, &tagB);
  entry->SetItemIndex(2);
  entry->SetText(kJapanese + L"!");
  languages->SetItemIndex(4);
  const WideString panelText = L"\x041D\x043E\x0432\x0430\x044F \x4E2D";
  panel->SetCaption(panelText);

  auto* bar = F->Find<TUtxControlBar>(L"Bar");
  auto* sheet = F->Find<TUtxTabSheet>(L"SecondSheet");
  HWND before = edit->Handle();
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{edit, memo, entry, languages, ok, panel, bar, sheet, pages}) {
    c->RecreateWnd();
    c->HandleNeeded();
  }
  EXPECT_NE(edit->Handle(), before);
  EXPECT_EQ(WindowText(edit->Handle()), Shown(kEditText));
  EXPECT_EQ(memo->Lines()->Strings(1), Shown(kLine2));
  EXPECT_EQ(WindowText(ok->Handle()), Shown(L"&\x03A9mega"));
  EXPECT_EQ(WindowText(panel->Handle()), Shown(panelText));
  ASSERT_EQ(entry->Items()->Count(), 3);
  EXPECT_EQ(ComboItemW(entry->Handle(), 1), Shown(kGreek));
  EXPECT_EQ(entry->Items()->Objects(1), &tagA);
  EXPECT_EQ(entry->Items()->Objects(2), &tagB);
  EXPECT_EQ(entry->ItemIndex(), 2);
  EXPECT_EQ(entry->Text(), Shown(kJapanese + L"!"));
  EXPECT_EQ(languages->ItemIndex(), 4);
  EXPECT_EQ(languages->Text(), Shown(kGreek));
  EXPECT_EQ(sheet->GetCaption(), Shown(kTabs[1]));
  EXPECT_EQ(WindowText(sheet->Handle()), Shown(kTabs[1]));
  EXPECT_EQ(IsWindowUnicode(bar->Handle()) != 0, UnicodePlatform());
  EXPECT_EQ(GetWideHint(bar), Shown(L"\x041F\x0430\x043D\x0435\x043B\x044C \x0438\x043D\x0441\x0442\x0440\x0443\x043C\x0435\x043D\x0442\x043E\x0432"));
  if (UnicodePlatform()) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(TabTextW(pages->Handle(), i), kTabs[i]) << i;
  }
}

TEST_F(UtxControlsForm, ExtraDescriptionPropertiesLoadAndChangeNothing) {
  // CaptionW, Caption_UTF7 and TextW were in the description; the published texts stand.
  EXPECT_EQ(GetWideControlText(F->Find<TUtxLabel>(L"Title")), Shown(L"&\x0418\x043C\x044F \x03C9"));
  EXPECT_EQ(F->Find<TUtxEdit>(L"NameEdit")->Text(), Shown(kEditText));
}

// ---- Memo ----

TEST_F(UtxControlsForm, MemoLinesAreAddedChangedAndReadWide) {
  auto* memo = F->Find<TUtxMemo>(L"Notes");
  TUtxStrings* lines = memo->Lines();
  lines->SetText(L"a\r\nb");
  ASSERT_EQ(lines->Count(), 2);
  lines->Add(kJapanese);
  EXPECT_EQ(memo->Text(), Shown(L"a\r\nb\r\n" + kJapanese));
  lines->SetText(L"a\r\nb\r\n");
  EXPECT_EQ(lines->Count(), 2);
  lines->Add(L"c");
  EXPECT_EQ(memo->Text(), L"a\r\nb\r\nc\r\n");
  // Changed and inserted lines keep every character.
  lines->SetStrings(1, kGreek);
  lines->Insert(0, kLine1);
  ASSERT_EQ(lines->Count(), 4);
  EXPECT_EQ(lines->Strings(0), Shown(kLine1));
  EXPECT_EQ(lines->Strings(2), Shown(kGreek));
  EXPECT_EQ(MemoLineW(memo->Handle(), 2), Shown(kGreek));
  lines->Delete(0);
  EXPECT_EQ(lines->Strings(1), Shown(kGreek));
  // Two lines past the end: nothing on a Unicode window; the class library's 8-bit list refuses.
  const WideString before = memo->Text();
  if (UnicodePlatform()) {
    lines->Insert(lines->Count() + 1, L"never");
  } else {
    EXPECT_THROW(lines->Insert(lines->Count() + 1, L"never"), EStringListError);
  }
  EXPECT_EQ(memo->Text(), before);
  // Lone LF and U+2028 are stored as CR LF; the text has no final break added.
  lines->SetText(L"x\ny\x2028z");
  EXPECT_EQ(lines->Text(), L"x\r\ny\r\nz");
  EXPECT_EQ(lines->Count(), 3);
  lines->Clear();
  EXPECT_EQ(lines->Count(), 0);
  EXPECT_EQ(memo->Text(), L"");
}

TEST_F(UtxControlsForm, MemoLinesFromCodeBeforeAndAfterTheWindow) {
  auto* memo = new TUtxMemo(F.get());
  memo->SetParent(F.get());
  memo->Lines()->Add(kLine2);
  memo->Lines()->Add(kGreek);
  memo->RecreateWnd();
  memo->HandleNeeded();
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(0), Shown(kLine2));
  EXPECT_EQ(memo->Lines()->Strings(1), Shown(kGreek));
  // A line index that is none reads empty from a Unicode window; the 8-bit list refuses it.
  if (UnicodePlatform()) {
    EXPECT_EQ(memo->Lines()->Strings(99), L"");
  } else {
    EXPECT_THROW(memo->Lines()->Strings(99), EStringListError);
  }
}

// ---- Edit ----

TEST_F(UtxControlsForm, PasswordCharacterOutsideTheCodePage) {
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  edit->SetPasswordChar(L"\x25CF");
  EXPECT_EQ(edit->TCustomEdit::PasswordChar(), '*');
  EXPECT_EQ(edit->PasswordChar(), L"\x25CF");
  if (UnicodePlatform()) {
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    // Kept for the next window.
    edit->RecreateWnd();
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
  }
  edit->TCustomEdit::SetPasswordChar('#');
  EXPECT_EQ(edit->PasswordChar(), L"#");
  edit->SetPasswordChar(L"xy");
  EXPECT_EQ(edit->PasswordChar(), L"x");
  edit->SetPasswordChar(L"");
  EXPECT_EQ(edit->PasswordChar(), L"");
  EXPECT_EQ(edit->TCustomEdit::PasswordChar(), 0);
}

TEST_F(UtxControlsForm, EditSelectionCountsCharacters) {
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  edit->SetText(kJapanese + L"abc");
  edit->SetSelStart(2);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->SelStart(), 2);
  EXPECT_EQ(edit->SelLength(), 3);
  EXPECT_EQ(edit->SelText(), Shown(kJapanese).substr(2, 1) + L"ab");
}

// The older platform with a double-byte code page: its 8-bit edit windows count bytes, callers
// still see characters.
TEST_F(UtxControlsForm, DoubleByteCodePageSelectionCountsCharacters) {
  TUtxPlatformOverride shiftJis(false, 932);
  auto* edit = new TUtxEdit(F.get());
  edit->SetParent(F.get());
  edit->SetText(kJapanese.substr(0, 2) + L"abc");
  ASSERT_FALSE(IsWindowUnicode(edit->Handle()));
  edit->SetSelStart(3);
  EXPECT_EQ(edit->TCustomEdit::SelStart(), 5) << "two double-byte characters and one more";
  EXPECT_EQ(edit->SelStart(), 3);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->TCustomEdit::SelLength(), 2);
  EXPECT_EQ(edit->SelLength(), 2);
  EXPECT_EQ(edit->SelText(), L"bc");
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->TCustomEdit::SelLength(), 3);
  EXPECT_EQ(edit->SelText(), kJapanese.substr(1, 1) + L"a");
  // A read-only memo is made writable and then read-only by message: it ends read-only.
  auto* memo = new TUtxMemo(F.get());
  memo->SetParent(F.get());
  memo->SetReadOnly(true);
  EXPECT_NE(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_READONLY, 0);
}

// ---- Combo box ----

TEST_F(UtxControlsForm, ListStyleSearchesByTypedPrefix) {
  auto* c = F->Find<TUtxTestComboBox>(L"Languages");
  UseTestClock(c);
  HWND h = c->Handle();
  Type(h, L'g');
  EXPECT_EQ(c->ItemIndex(), 2) << "Georgian";
  Type(h, L'e');
  Type(h, L'r');
  EXPECT_EQ(c->ItemIndex(), 3) << "German";
  EXPECT_EQ(F->Selects, 2);
  // Backspace shortens the filter and leaves the selection.
  Type(h, L'\b');
  EXPECT_EQ(c->ItemIndex(), 3);
  Type(h, L'x');  // "gex" matches nothing: the key goes on, the selection stays
  EXPECT_EQ(c->ItemIndex(), 3);
  EXPECT_EQ(F->Selects, 2);
  if (UnicodePlatform()) {
    // Characters outside the code page search too (after a pause the filter would restart;
    // here the unmatched filter keeps it from matching, so the index shows the search ran).
    c->SetItemIndex(-1);
    Type(h, L'\b');
    Type(h, L'\b');
    Type(h, L'\b');
    Type(h, kJapanese[0]);
    EXPECT_EQ(c->ItemIndex(), 5);
    EXPECT_EQ(c->Text(), kJapanese);
  }
}

// The typed search starts again after a pause of 1,250 ms, and not a millisecond sooner; the
// pause is measured across the clock's wrap as well.
TEST_F(UtxControlsForm, TypedSearchRestartsAfterThePauseAndNotSooner) {
  auto* c = F->Find<TUtxTestComboBox>(L"Languages");
  UseTestClock(c);
  HWND h = c->Handle();
  Now = 5000;
  Type(h, L'g');
  EXPECT_EQ(c->ItemIndex(), 2) << "Georgian";
  Now += TCustomComboBox::SearchRestartPause - 1;
  Type(h, L'e');
  Now += TCustomComboBox::SearchRestartPause - 1;
  Type(h, L'r');
  EXPECT_EQ(c->ItemIndex(), 3) << "German: \"ger\", one search";
  Now += TCustomComboBox::SearchRestartPause;
  Type(h, L'e');
  EXPECT_EQ(c->ItemIndex(), 1) << "English: \"e\", a new search";
  Now = 0xFFFFFF00u;
  Type(h, L'd');
  EXPECT_EQ(c->ItemIndex(), 0) << "Deutsch: \"d\", a new search";
  Now = 0x100u;  // 512 ms later
  Type(h, L'e');
  EXPECT_EQ(c->ItemIndex(), 0) << "Deutsch: \"de\", still one search";
}

TEST_F(UtxControlsForm, EditStyleCompletesTypedPrefixKeepingItsCase) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  ShowAndActivate();
  c->SetText(L"");
  HWND edit = c->EditHandle();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(IsWindowUnicode(edit) != 0, UnicodePlatform());
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  Type(edit, L'e');
  Type(edit, L'n');
  EXPECT_EQ(c->Text(), L"english") << "the typed part keeps its case";
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->SelStart(), 2);
  EXPECT_EQ(c->SelText(), L"glish");
  EXPECT_EQ(clicks, 1) << "the second match is the same item";
  // Typed in another case, the typed part stays as typed.
  c->SetText(L"");
  Type(edit, L'E');
  Type(edit, L'N');
  EXPECT_EQ(c->Text(), L"ENglish");
  // No item begins with the text: the key reaches the field unchanged.
  c->SetText(L"");
  Type(edit, L'x');
  EXPECT_EQ(c->Text(), L"x");
  if (UnicodePlatform()) {
    // A character above $FF reaches OnKeyPress as $FF and the field as itself.
    std::vector<unsigned char> keys;
    c->OnKeyPress = [&](TObject*, char& Key) { keys.push_back(static_cast<unsigned char>(Key)); };
    c->SetText(L"");
    Type(edit, kGreek[0]);
    EXPECT_EQ(keys, (std::vector<unsigned char>{0xFF}));
    EXPECT_EQ(c->Text(), kGreek);
    EXPECT_EQ(c->SelText(), kGreek.substr(1));
    EXPECT_EQ(c->ItemIndex(), 1);
  }
}

// The match text was left unset when the caret stood inside the text: a character typed there is
// an ordinary character and completes nothing.
TEST_F(UtxControlsForm, CharacterTypedInsideTheTextCompletesNothing) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  ShowAndActivate();
  c->SetItemIndex(-1);
  c->SetText(L"Eg");
  c->SetSelStart(1);
  c->SetSelLength(0);
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  TMessage m{WM_CHAR, L'n', 1, 0};
  c->HandleEditChar(m);
  EXPECT_EQ(WideCharOfCharMessage(m), L'n') << "the character goes on";
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(clicks, 0);
  Type(c->EditHandle(), L'n');
  EXPECT_EQ(c->Text(), L"Eng");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(clicks, 0);
}

TEST_F(UtxControlsForm, EnterOrEscapeClosesTheDroppedListAndGoesNoFurther) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  ShowAndActivate();
  c->SetText(L"ab");
  c->SetDroppedDown(true);
  ASSERT_TRUE(c->DroppedDown());
  Type(c->EditHandle(), L'\x1B');
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->Text(), L"ab");
}

TEST_F(UtxControlsForm, SelectionByKeyboardGivesTheWideItemText) {
  auto* c = F->Find<TUtxTestComboBox>(L"Languages");
  ShowAndActivate();
  c->SetItemIndex(3);
  SendMessageW(c->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), Shown(kGreek));
  EXPECT_EQ(F->Selects, 1);
  SendMessageW(c->Handle(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(c->Text(), Shown(kJapanese));
  // A selection change to no item empties the text.
  c->SetItemIndex(-1);
  c->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
  EXPECT_EQ(c->Text(), L"");
}

TEST_F(UtxControlsForm, ItemsCarryObjectsAndCopyWideToAnotherList) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  TObject tag;
  const int i = c->Items()->AddObject(kLine1, &tag);
  EXPECT_EQ(c->Items()->Objects(i), &tag);
  EXPECT_EQ(c->Items()->IndexOf(kLine1), i);
  c->SetItemIndex(i);
  auto* target = new TUtxTestComboBox(F.get());
  target->SetParent(F.get());
  c->CopySelection(target);
  ASSERT_EQ(target->Items()->Count(), 1);
  EXPECT_EQ(target->Items()->Strings(0), Shown(kLine1));
  EXPECT_EQ(target->Items()->Objects(0), &tag);
  // A plain combo box gets the item converted.
  auto* plain = new TComboBox(F.get());
  plain->SetParent(F.get());
  c->CopySelection(plain);
  EXPECT_EQ(plain->Items()->Get(0), NarrowText(kLine1));
  EXPECT_EQ(plain->Items()->GetObject(0), &tag);
  // Clearing keeps the edit field's text.
  c->SetText(kGreek);
  c->Items()->Clear();
  EXPECT_EQ(c->Items()->Count(), 0);
  EXPECT_EQ(c->Text(), Shown(kGreek));
}

// The 8-bit item read gave the list a buffer of the item's length for a text and its terminator.
TEST_F(UtxControlsForm, EightBitItemReadGetsWholeItemsAndEmptyForBadIndexes) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  TStrings* ansi = c->TCustomComboBox::Items();
  ASSERT_NE(dynamic_cast<TD7PatchedComboBoxStrings*>(ansi), nullptr);
  c->Items()->Clear();
  for (int n = 1; n <= 40; ++n) c->Items()->Add(WideString(static_cast<size_t>(n), static_cast<wchar_t>(L'a' + n % 26)));
  for (int n = 1; n <= 40; ++n)
    ASSERT_EQ(ansi->Get(n - 1), AnsiString(static_cast<size_t>(n), static_cast<char>('a' + n % 26))) << n;
  EXPECT_NE(HeapValidate(GetProcessHeap(), 0, nullptr), FALSE);
  EXPECT_EQ(ansi->Get(40), "");
  EXPECT_EQ(ansi->Get(-1), "");
  EXPECT_EQ(c->Items()->Strings(99), L"");
}

TEST_F(UtxControlsForm, HostileComboInputIsRefusedOrReadEmpty) {
  auto* c = F->Find<TUtxTestComboBox>(L"Entry");
  EXPECT_THROW(c->SetItemIndex(99), EStringListError);
  EXPECT_EQ(c->Items()->Strings(-5), L"");
  c->Items()->Add(L"");
  EXPECT_EQ(c->Items()->Strings(c->Items()->Count() - 1), L"");
  const WideString big(65536, L'\x4E2D');
  c->SetText(big);
  // The 8-bit window holds the text in the code page, where these characters have no place.
  EXPECT_EQ(c->Text(), UnicodePlatform() ? big : WideString(big.size(), L'?'));
  EXPECT_FALSE(c->SelectMatchingItem(L"\x0416zz", false, true));
}

// ---- Label, buttons, radio buttons ----

TEST_F(UtxControlsForm, RadioButtonsOfOneParentAreOneGroupAndTellOnlyChanges) {
  auto* a = F->Find<TUtxRadioButton>(L"RadioA");
  auto* b = F->Find<TUtxRadioButton>(L"RadioB");
  auto* c = F->Find<TUtxRadioButton>(L"RadioC");
  EXPECT_TRUE(a->Checked());
  auto* elsewhere = new TUtxRadioButton(F.get());
  elsewhere->SetParent(F.get());
  elsewhere->SetChecked(true);
  F->Clicked.clear();
  b->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(elsewhere->Checked());
  EXPECT_EQ(F->Clicked, (std::vector<WideString>{L"RadioB"}));
  ShowAndActivate();
  SendMessageW(c->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  SendMessageW(c->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(SendMessageW(b->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(F->Clicked, (std::vector<WideString>{L"RadioB", L"RadioC"}));
  // The wide caption survives the checked state's new window.
  c->RecreateWnd();
  EXPECT_EQ(WindowText(c->Handle()), Shown(L"\x4E09\x3064"));
  EXPECT_EQ(SendMessageW(c->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(UtxControlsForm, AcceleratorsMatchTheWideCaptions) {
  auto* ok = F->Find<TUtxButton>(L"OkButton");
  auto* b = F->Find<TUtxRadioButton>(L"RadioB");
  auto* title = F->Find<TUtxLabel>(L"Title");
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  // The characters of the accelerators, upper and lower case: outside the code page only where
  // the captions keep them.
  struct TAccel {
    wchar_t Lower, Upper;
  };
  TAccel okKey{0x03C9, 0x03A9}, radioKey{0x03B4, 0x0394}, titleKey{0x0438, 0x0418};
  if (!UnicodePlatform()) {
    ok->SetCaption(L"&Omega");
    b->SetCaption(L"&Delta");
    title->SetCaption(L"&Name");
    okKey = {L'o', L'O'};
    radioKey = {L'd', L'D'};
    titleKey = {L'n', L'N'};
  }
  ShowAndActivate();
  // '&Ωmega': the character ω clicks it, whatever its case.
  EXPECT_EQ(ok->Perform(CM_DIALOGCHAR, okKey.Lower, 0), 1);
  EXPECT_EQ(ok->Perform(CM_DIALOGCHAR, okKey.Upper, 0), 1);
  EXPECT_EQ(F->OkClicks, 2);
  EXPECT_EQ(ok->Perform(CM_DIALOGCHAR, L'm', 0), 0);
  EXPECT_EQ(F->OkClicks, 2);
  // The radio button takes the focus instead; disabled it lets the message go on unanswered.
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, radioKey.Lower, 0), 1);
  EXPECT_EQ(GetFocus(), b->Handle());
  EXPECT_TRUE(b->Checked());
  b->SetEnabled(false);
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, radioKey.Upper, 0), 0);
  // The label focuses its control; without one, or with ShowAccelChar off, it does nothing.
  EXPECT_EQ(title->Perform(CM_DIALOGCHAR, titleKey.Lower, 0), 1);
  EXPECT_EQ(GetFocus(), edit->Handle());
  title->SetShowAccelChar(false);
  EXPECT_EQ(title->Perform(CM_DIALOGCHAR, titleKey.Upper, 0), 0);
  title->SetShowAccelChar(true);
  title->SetFocusControl(nullptr);
  EXPECT_EQ(title->Perform(CM_DIALOGCHAR, titleKey.Upper, 0), 0);
}

TEST_F(UtxControlsForm, LabelWithoutVisibleTextIsOneLineHigh) {
  auto* title = F->Find<TUtxLabel>(L"Title");
  const int lineHeight = title->Height();
  ASSERT_GT(lineHeight, 0);
  title->SetCaption(L"");
  EXPECT_EQ(title->Height(), lineHeight);
  EXPECT_GT(title->Width(), 0);
  title->SetCaption(L"&");
  EXPECT_EQ(title->Height(), lineHeight);
  // Wider text, wider label; "&&" shows one ampersand.
  title->SetCaption(kLine1 + kLine1);
  const int wide = title->Width();
  title->SetCaption(kLine1);
  EXPECT_LT(title->Width(), wide);
  title->SetCaption(L"Fish && Chips");
  const int shown = title->Width();
  title->SetShowAccelChar(false);
  title->SetCaption(L"");
  title->SetCaption(L"Fish && Chips");
  EXPECT_GT(title->Width(), shown) << "with both ampersands shown";
}

TEST_F(UtxControlsForm, LinkClassesFollowTheControlClass) {
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxButton>(L"OkButton"))->Class, TUtxButtonActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxRadioButton>(L"RadioA"))->Class, TUtxButtonActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxLabel>(L"Title"))->Class, TUtxControlActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxImage>(L"Photo"))->Class, TUtxControlActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxEdit>(L"NameEdit"))->Class, TUtxWinControlActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(F->Find<TUtxTabSheet>(L"FirstSheet"))->Class,
            TUtxWinControlActionLink::StaticClass());
}

TEST_F(UtxControlsForm, WideActionCaptionReachesLinkedControls) {
  auto* action = new TUtxAction(F.get());
  const WideString caption = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C \x958B";
  action->SetCaption(caption);
  action->SetHint(L"\x03C9|\x03C9 long");
  auto* ok = F->Find<TUtxButton>(L"OkButton");
  auto* title = F->Find<TUtxLabel>(L"Title");
  auto* panel = F->Find<TUtxPanel>(L"Choices");
  for (TControl* c : std::initializer_list<TControl*>{ok, title, panel}) c->SetAction(action);
  EXPECT_EQ(WindowText(ok->Handle()), Shown(caption));
  EXPECT_EQ(GetWideControlText(title), Shown(caption));
  EXPECT_EQ(panel->GetCaption(), Shown(caption));
  EXPECT_EQ(GetWideHint(ok), Shown(L"\x03C9|\x03C9 long"));
  const WideString next = L"\x4E2D \x0436";
  action->SetCaption(next);
  EXPECT_EQ(WindowText(ok->Handle()), Shown(next));
  EXPECT_EQ(GetWideControlText(title), Shown(next));
  EXPECT_EQ(panel->GetCaption(), Shown(next));
}

// A tool button as the maker's tool button takes part in wide actions.
class TUtxTestToolButton : public TToolButton {
  VGT_CLASS(TUtxTestToolButton, TToolButton)
 public:
  using TToolButton::TToolButton;
  TControlActionLinkClass GetActionLinkClass() override { return GetUtxActionLinkClass(this); }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    ApplyWideActionChange(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
    TToolButton::ActionChange(Sender, CheckDefaults);
  }
};

TEST_F(UtxControlsForm, ToolButtonLinkKeepsTheToolButtonsOwnLinking) {
  auto* bar = new TToolBar(F.get());
  bar->SetParent(F.get());
  auto* button = new TUtxTestToolButton(F.get());
  button->SetParent(bar);
  button->SetStyle(TToolButtonStyle::tbsCheck);
  auto* action = new TUtxAction(F.get());
  action->SetCaption(kGreek);
  button->SetAction(action);
  ASSERT_NE(button->ActionLink(), nullptr);
  EXPECT_EQ(button->ActionLink()->ClassType(), TUtxToolButtonActionLink::StaticClass());
  EXPECT_EQ(GetWideControlText(button), Shown(kGreek));
  action->SetCaption(kJapanese);
  EXPECT_EQ(GetWideControlText(button), Shown(kJapanese));
  // What the class library's tool button link carries still arrives: the checked state.
  action->SetChecked(true);
  EXPECT_TRUE(button->Down());
  action->SetChecked(false);
  EXPECT_FALSE(button->Down());
}

// Records the names a component defines for the description reader.
class TRecordingFiler : public TFiler {
 public:
  void DefineProperty(const WideString& Name, const TReaderProc&, const TWriterProc&, bool) override {
    Names.push_back(Name);
  }
  std::vector<WideString> Names;
};

TEST_F(UtxControlsForm, EveryWideTextPropertyHasItsDescriptionNames) {
  auto names = [](TPersistent* Instance) {
    TRecordingFiler filer;
    DefineWideStringProperties(&filer, Instance);
    return filer.Names;
  };
  using V = std::vector<WideString>;
  EXPECT_EQ(names(F->Find<TUtxEdit>(L"NameEdit")),
            (V{L"HintW", L"Hint_UTF7", L"TextW", L"Text_UTF7", L"PasswordCharW", L"PasswordChar_UTF7"}));
  EXPECT_EQ(names(F->Find<TUtxLabel>(L"Title")), (V{L"HintW", L"Hint_UTF7", L"CaptionW", L"Caption_UTF7"}));
  // In the order of the published list: a property published again keeps its inherited place.
  EXPECT_EQ(names(F->Find<TUtxButton>(L"OkButton")), (V{L"HintW", L"Hint_UTF7", L"CaptionW", L"Caption_UTF7"}));
  EXPECT_EQ(names(F->Find<TUtxMemo>(L"Notes")), (V{L"HintW", L"Hint_UTF7"}));
  EXPECT_EQ(names(F->Find<TUtxImage>(L"Photo")), (V{L"HintW", L"Hint_UTF7"}));
  EXPECT_EQ(names(F->Find<TUtxTabSheet>(L"FirstSheet")), (V{L"HintW", L"Hint_UTF7", L"CaptionW", L"Caption_UTF7"}));
  EXPECT_EQ(names(F->Find<TUtxPageControl>(L"Pages")), (V{L"HintW", L"Hint_UTF7"}));
}

TEST_F(UtxControlsForm, WideDescriptionPropertiesApplyOnlyWhenAllowed) {
  const WideString text = L"object L: TUtxLabel\n  Caption = 'plain'\n  CaptionW = #$CF#$89'x'\n"
                          L"  Hint_UTF7 = '+BBY-'\nend\n";
  TUtxLabel runTime(nullptr);
  ReadComponentText(&runTime, text, L"TUtxLabel");
  EXPECT_EQ(runTime.GetCaption(), L"plain");
  EXPECT_EQ(GetWideHint(&runTime), L"");
  TUtxLabel applied(nullptr);
  TUtxEdit edit(nullptr);
  {
    const TFlagGuard apply(UtxApplyWideFormProperties);
    ReadComponentText(&applied, text, L"TUtxLabel");
    ReadComponentText(&edit, L"object E: TUtxEdit\n  Text_UTF7 = '+A8k-'\nend\n", L"TUtxEdit");
  }
  EXPECT_EQ(applied.GetCaption(), Shown(L"\x03C9x"));
  EXPECT_EQ(GetWideHint(&applied), Shown(L"\x0416"));
  EXPECT_EQ(edit.Text(), Shown(L"\x03C9"));
}

// ---- Page control ----

TEST_F(UtxControlsForm, PagesSwitchByTabMessagesKeysAndAccelerators) {
  auto* pages = F->Find<TUtxPageControl>(L"Pages");
  auto* first = F->Find<TUtxTabSheet>(L"FirstSheet");
  auto* second = F->Find<TUtxTabSheet>(L"SecondSheet");
  auto* third = F->Find<TUtxTabSheet>(L"ThirdSheet");
  ShowAndActivate();
  pages->Perform(TCM_SETCURFOCUS, 2, 0);
  EXPECT_EQ(pages->ActivePage(), third);
  EXPECT_EQ(F->Changes, 1);
  // Ctrl+Tab turns to the next page (wrapping), with the page control focused.
  pages->SetFocus();
  SetCtrl(true);
  PostMessageW(pages->Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  SetCtrl(false);
  EXPECT_EQ(pages->ActivePage(), first);
  EXPECT_EQ(F->Changes, 2);
  // Alt and the accelerator of a wide caption ('&Σύνθετα': σ).
  EXPECT_EQ(pages->Perform(CM_DIALOGCHAR, 0x03C3, 0), 1);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(F->Changes, 3);
  // A refused change still counts as handled, and nothing moves.
  F->AllowChange = false;
  pages->Perform(TCM_SETCURFOCUS, 0, 0);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(pages->Perform(CM_DIALOGCHAR, 0x03C3, 0), 1);
  SetCtrl(true);
  PostMessageW(pages->Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  SetCtrl(false);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(F->Changes, 3);
  // No page has the character: the message goes on unanswered.
  F->AllowChange = true;
  EXPECT_EQ(pages->Perform(CM_DIALOGCHAR, L'q', 0), 0);
}

TEST_F(UtxControlsForm, TabCaptionsFollowTheSheetsWideCaptions) {
  auto* pages = F->Find<TUtxPageControl>(L"Pages");
  auto* third = F->Find<TUtxTabSheet>(L"ThirdSheet");
  third->SetCaption(kGreek);
  EXPECT_EQ(third->GetCaption(), Shown(kGreek));
  if (UnicodePlatform()) {
    EXPECT_EQ(TabTextW(pages->Handle(), 2), kGreek);
  }
  // A new sheet's caption set before its window exists shows on its tab.
  auto* fourth = new TUtxTabSheet(F.get());
  fourth->SetCaption(kJapanese);
  fourth->SetPageControl(pages);
  ASSERT_EQ(pages->TabCount(), 4);
  if (UnicodePlatform()) {
    EXPECT_EQ(TabTextW(pages->Handle(), 3), kJapanese);
  }
  // The 8-bit caption set while the sheet has no window replaces the held wide one; the same
  // text again changes nothing.
  auto* loose = new TUtxTabSheet(F.get());
  loose->SetCaption(kGreek);
  loose->TControl::SetCaption("Plain");
  EXPECT_EQ(loose->GetCaption(), L"Plain");
  loose->TControl::SetCaption("Plain");
  EXPECT_EQ(loose->GetCaption(), L"Plain");
  // A text item for a tab that is none sets nothing and harms nothing.
  char text[] = "ghost";
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  EXPECT_EQ(pages->Perform(TCM_SETITEMA, 99, reinterpret_cast<LPARAM>(&item)), 0);
  EXPECT_EQ(pages->TabCount(), 4);
  if (UnicodePlatform()) {
    // Item data that is none of the control's sheets is not taken for one: no text is set.
    TObject stranger;
    char other[] = "other";
    TCITEMA data{};
    data.mask = TCIF_PARAM | TCIF_TEXT;
    data.pszText = other;
    data.lParam = reinterpret_cast<LPARAM>(&stranger);
    pages->Perform(TCM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(TabTextW(pages->Handle(), 0), kTabs[0]);
    // The class library's own update puts the sheet back as the item's data.
    pages->Pages(0)->SetTabVisible(false);
    pages->Pages(0)->SetTabVisible(true);
    EXPECT_EQ(TabTextW(pages->Handle(), 0), kTabs[0]);
  }
}

// ---- Image and panel ----

TEST_F(UtxControlsForm, ImagePaintsAJpegResourceThroughItsUnicodePicture) {
  auto* photo = F->Find<TUtxImage>(L"Photo");
  ASSERT_NE(photo->GetPicture(), nullptr);
  EXPECT_EQ(photo->Picture(), photo->GetPicture());
  photo->Picture()->LoadFromResourceName(GetModuleHandleW(nullptr), L"REDBLUE");
  ASSERT_EQ(photo->Picture()->Width(), 16);
  {
    TPixels p(photo);
    EXPECT_TRUE(Reddish(p.At(5, 20))) << std::hex << p.At(5, 20);
    EXPECT_TRUE(Bluish(p.At(58, 20))) << std::hex << p.At(58, 20);
  }
  // The image still hears of its picture's changes (an automatic size follows the picture).
  photo->SetStretch(false);
  photo->SetAutoSize(true);
  TUtxPicture other;
  other.LoadFromResourceName(GetModuleHandleW(nullptr), L"REDBLUE");
  photo->SetPicture(&other);
  EXPECT_EQ(photo->Width(), 16);
  EXPECT_EQ(photo->Height(), 8);
}

TEST_F(UtxControlsForm, PanelPaintsBevelsBorderFaceAndItsWideCaption) {
  auto* panel = F->Find<TUtxPanel>(L"Choices");
  // The children would cover the face.
  for (const wchar_t* n : {L"RadioA", L"RadioB", L"RadioC"}) F->Find<TUtxRadioButton>(n)->SetVisible(false);
  TPixels p(panel);
  const COLORREF lit = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow), face = ColorToRGB(panel->Color());
  // From the outside in: 2 lit lines (raised), 3 lines of the face colour, 2 shadow lines
  // (lowered) at top and left, then the face.
  EXPECT_EQ(p.At(0, 50), lit);
  EXPECT_EQ(p.At(1, 50), lit);
  EXPECT_EQ(p.At(p.W - 1, 50), shadow);
  EXPECT_EQ(p.At(3, 50), face);
  EXPECT_EQ(p.At(5, 50), shadow);
  EXPECT_EQ(p.At(6, 50), shadow);
  EXPECT_EQ(p.At(p.W - 6, 50), lit);
  EXPECT_EQ(p.At(10, 10), face);
  // The caption is right-aligned on the vertical middle: something other than the face there.
  bool text = false;
  for (int x = p.W / 2; x < p.W - 8 && !text; ++x)
    for (int y = p.H / 2 - 4; y <= p.H / 2 + 4 && !text; ++y) text = p.At(x, y) != face;
  EXPECT_TRUE(text);
  bool left = false;
  for (int x = 10; x < 40 && !left; ++x)
    for (int y = p.H / 2 - 4; y <= p.H / 2 + 4 && !left; ++y) left = p.At(x, y) != face;
  EXPECT_FALSE(left) << "right-aligned: the left of the middle line stays empty";
}

TEST_F(UtxControlsForm, DisabledLabelDrawsAHighlightCopyBelowRightUnderTheShadow) {
  auto* title = F->Find<TUtxLabel>(L"Title");
  title->SetCaption(L"\x0428\x0416");
  title->Font()->SetColor(clBlack);
  // Where the enabled label puts its text.
  std::vector<POINT> glyph;
  {
    TPixels p(title);
    for (int y = 0; y < p.H; ++y)
      for (int x = 0; x < p.W; ++x)
        if (p.At(x, y) == RGB(0, 0, 0)) glyph.push_back(POINT{x, y});
  }
  ASSERT_FALSE(glyph.empty());
  title->SetEnabled(false);
  TPixels p(title);
  const COLORREF lit = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
  // The shadow copy lies where the text lies and is drawn last: it shows whole. The highlight
  // copy, one pixel right and down, shows where the shadow leaves room.
  int shadowShown = 0, litBelowRight = 0;
  for (POINT g : glyph) {
    if (p.At(g.x, g.y) == shadow) ++shadowShown;
    if (p.At(g.x + 1, g.y + 1) == lit) ++litBelowRight;
  }
  EXPECT_EQ(shadowShown, static_cast<int>(glyph.size()));
  EXPECT_GT(litBelowRight, 0);
}

// ---- Hostile input ----

TEST_F(UtxControlsForm, EmptyAndLongTextsSurviveEveryWay) {
  auto* edit = F->Find<TUtxEdit>(L"NameEdit");
  auto* memo = F->Find<TUtxMemo>(L"Notes");
  edit->SetText(L"");
  EXPECT_EQ(edit->Text(), L"");
  edit->RecreateWnd();
  EXPECT_EQ(WindowText(edit->Handle()), L"");
  WideString big;
  for (int i = 0; i < 65536 / 4; ++i) big += L"a\x03C9\x4E2D\x0416";
  edit->SetText(big);
  EXPECT_TRUE(edit->Text() == Shown(big)) << edit->Text().size();
  edit->RecreateWnd();
  edit->HandleNeeded();
  EXPECT_TRUE(edit->Text() == Shown(big)) << "the long text goes to the new window whole";
  memo->SetWordWrap(false);  // lines as the text has them, not as they wrap
  memo->Lines()->SetText(big + L"\r\n" + kGreek);
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_TRUE(memo->Lines()->Strings(0) == Shown(big)) << memo->Lines()->Strings(0).substr(0, 8);
  EXPECT_EQ(memo->Lines()->Strings(1), Shown(kGreek));
  memo->RecreateWnd();
  memo->HandleNeeded();
  EXPECT_EQ(memo->Lines()->Strings(1), Shown(kGreek));
  auto* label = F->Find<TUtxLabel>(L"Title");
  label->SetCaption(big);
  EXPECT_TRUE(GetWideControlText(label) == Shown(big));
  label->SetCaption(L"");
  EXPECT_EQ(GetWideControlText(label), L"");
}

TEST_F(UtxControlsForm, ScreenshotOnRequest) {
  if (ScreenshotDir().empty()) GTEST_SKIP() << "set VGT_SCREENSHOT_DIR to make one";
  F->Find<TUtxImage>(L"Photo")->Picture()->LoadFromResourceName(GetModuleHandleW(nullptr), L"REDBLUE");
  ShowAndActivate();
  // The display maps the window in its own time: let its messages arrive for a moment.
  const DWORD until = GetTickCount() + 500;
  while (GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(SaveScreenshotOnRequest(F->Handle(), UnicodePlatform() ? L"UtxControlsForm" : L"UtxControlsForm_win98"));
}

}  // namespace
