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

#include "classlib/Filer.h"
#include "classlib/Themes.h"
#include "tests/classlib/Screenshot.h"
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
  void ShowAndActivate() {
    F->Show();
    SetForegroundWindow(F->Handle());
    SetActiveWindow(F->Handle());
    Application->ProcessMessages();
  }
  static void SetCtrl(bool Down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = Down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // Types Ch into a window as the message loop hands a character over.
  static void Type(HWND Wnd, wchar_t Ch) {
    if (UnicodePlatform()) SendMessageW(Wnd, WM_CHAR, Ch, 1);
    else SendMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(NarrowText(WideString(1, Ch))[0]), 1);
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

  HWND before = edit->Handle();
  for (TWinControl* c : std::initializer_list<TWinControl*>{edit, memo, entry, languages, ok, panel, pages}) {
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
  // Two lines past the end: nothing.
  const WideString before = memo->Text();
  lines->Insert(lines->Count() + 1, L"never");
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
  // A line index that is none reads empty.
  EXPECT_EQ(memo->Lines()->Strings(99), L"");
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

// ---- Combo box ----

TEST_F(UtxControlsForm, ListStyleSearchesByTypedPrefix) {
  auto* c = F->Find<TUtxTestComboBox>(L"Languages");
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
    c->SetText(L"");
    Type(edit, kGreek[0]);
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
  EXPECT_EQ(c->Text().size(), UnicodePlatform() ? big.size() : c->Text().size());
  EXPECT_FALSE(c->SelectMatchingItem(L"\x0416\x0416\x0416", false, true));
}

}  // namespace
