// The standard and common controls on a form read from its description: memo lines, combo items
// and keys, radio groups, pages and their tabs, pictures from resources and from the
// description, panel bevels and the control bar's bands.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Filer.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/Themes.h"
#include "tests/classlib/DescribedFormTest.h"
#include "tests/support/ControlPixels.h"
#include "tests/support/Input.h"
#include "tools/winshot/Screenshot.h"

namespace {

class TControlsForm : public TForm, public TComponentFinder<TControlsForm> {
  VGT_CLASS(TControlsForm, TForm)
 public:
  using TForm::TForm;
  void PagesChange(TObject*) { ++Changes; }
  void PagesChanging(TObject*, bool& Allow) {
    ++Changings;
    Allow = AllowChange;
  }
  void ChoiceSelect(TObject*) { ++Selects; }
  void RadioClick(TObject* Sender) { Clicked.push_back(static_cast<TComponent*>(Sender)->Name()); }

  int Changes = 0, Changings = 0, Selects = 0;
  bool AllowChange = true;
  std::vector<std::wstring> Clicked;
};

VGT_PUBLISH(TControlsForm) {
  P.Handler(L"PagesChange", &TControlsForm::PagesChange)
      .Handler(L"PagesChanging", &TControlsForm::PagesChanging)
      .Handler(L"ChoiceSelect", &TControlsForm::ChoiceSelect)
      .Handler(L"RadioClick", &TControlsForm::RadioClick);
}

class Controls : public TDescribedFormTest<TControlsForm> {
 protected:
  void SetUp() override {
    TThemeServices::SetThemesEnabledOverride(false);
    TDescribedFormTest::SetUp();
  }
  void TearDown() override {
    TDescribedFormTest::TearDown();
    TThemeServices::SetThemesEnabledOverride(std::nullopt);
  }
  void ShowAndActivate() { ::ShowAndActivate(F.get()); }
  static void SetCtrl(bool Down) { SetKeyState(VK_CONTROL, Down); }
};

// The list error of the class library, with the bad index.
void ExpectListError(const std::function<void()>& Action, int Index) {
  try {
    Action();
    ADD_FAILURE() << "no error for index " << Index;
  } catch (const EStringListError& e) {
    EXPECT_EQ(std::string(e.what()), "Listenindex \xFC" "berschreitet das Maximum (" + std::to_string(Index) + ")");
  }
}

TEST_F(Controls, EveryControlIsCreatedFromItsDescription) {
  auto* pages = F->Find<TPageControl>(L"Pages");
  EXPECT_EQ(pages->PageCount(), 4);
  EXPECT_EQ(pages->ActivePage(), F->Find<TTabSheet>(L"FirstSheet"));
  EXPECT_EQ(F->Find<TTabSheet>(L"ThirdSheet")->PageIndex(), 3);
  EXPECT_FALSE(F->Find<TTabSheet>(L"HiddenSheet")->TabVisible());
  auto* notes = F->Find<TMemo>(L"Notes");
  EXPECT_EQ(notes->ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_EQ(notes->Lines()->Count(), 2);
  EXPECT_EQ(notes->Lines()->Strings(1), "zwei");
  auto* choice = F->Find<TComboBox>(L"Choice");
  EXPECT_EQ(choice->Style(), TComboBoxStyle::csDropDownList);
  EXPECT_EQ(choice->Items()->Count(), 3);
  EXPECT_EQ(choice->ItemIndex(), 1);
  EXPECT_TRUE(F->Find<TCheckBox>(L"Agree")->Checked());
  EXPECT_EQ(F->Find<TGroupBox>(L"Zones")->Caption(), "Zone");
  EXPECT_TRUE(F->Find<TRadioButton>(L"RadioA")->Checked());
  EXPECT_TRUE(F->Clicked.empty()) << "reading a description clicks nothing";
  auto* panel = F->Find<TPanel>(L"LeftPanel");
  EXPECT_EQ(panel->BevelInner(), TBevelCut::bvLowered);
  EXPECT_EQ(panel->BorderWidth(), 3);
  // The picture stored inside the description.
  auto* photo = F->Find<TImage>(L"Photo");
  ASSERT_TRUE(dynamic_cast<TJPEGImage*>(photo->Picture()->Graphic()));
  EXPECT_EQ(photo->Picture()->Width(), 16);
  EXPECT_EQ(photo->Picture()->Height(), 8);

  // The windows keep what was read.
  ShowAndActivate();
  EXPECT_EQ(choice->Text(), "Beta");
  EXPECT_EQ(notes->Text(), "eins\r\nzwei\r\n");
  EXPECT_EQ(SendMessageA(F->Find<TCheckBox>(L"Agree")->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(pages->TabCount(), 3);
  EXPECT_EQ(pages->TabIndex(), 0);
  EXPECT_EQ(F->Find<TComboBox>(L"Entry")->Text(), "frei");
  SaveScreenshotOnRequest(F->Handle(), L"ClasslibControlsForm");
  pages->SetActivePageIndex(1);
  SaveScreenshotOnRequest(F->Handle(), L"ClasslibControlsFormGroupBox");
}

TEST_F(Controls, MemoLinesAreAddedChangedAndReadThroughTheWindow) {
  auto* memo = F->Find<TMemo>(L"Notes");
  for (bool window : {false, true}) {
    SCOPED_TRACE(window ? "window" : "no window");
    if (window) ShowAndActivate();
    TStrings* lines = memo->Lines();
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
    EXPECT_EQ(memo->Text(), "");
    lines->Add("a");
    lines->Add("b");
    lines->Insert(0, "null");
    lines->SetStrings(2, "B");
    EXPECT_EQ(lines->Count(), 3);
    EXPECT_EQ(lines->Strings(0), "null");
    EXPECT_EQ(lines->Strings(2), "B");
    lines->Delete(1);
    EXPECT_EQ(memo->Text(), "null\r\nB\r\n");
    // A text without a final break: the next line is added behind a new one.
    memo->SetText("x\r\ny");
    EXPECT_EQ(lines->Count(), 2);
    lines->Add("z");
    EXPECT_EQ(memo->Text(), "x\r\ny\r\nz");
    // Any line break is stored as CR LF.
    lines->SetText("1\n2\r3");
    EXPECT_EQ(memo->Text(), "1\r\n2\r\n3");
    ExpectListError([&] { (void)lines->Strings(3); }, 3);
    ExpectListError([&] { lines->Delete(-1); }, -1);
    ExpectListError([&] { lines->Insert(5, "x"); }, 5);
    EXPECT_EQ(memo->Text(), "1\r\n2\r\n3");
  }
}

TEST_F(Controls, MemoTakesEnterAndTabOnlyWhenAskedAndCanBeReadOnly) {
  auto* memo = F->Find<TMemo>(L"Notes");
  ShowAndActivate();
  memo->SetText("");
  SendMessageA(memo->Handle(), WM_CHAR, '\r', 1);
  EXPECT_EQ(memo->Text(), "\r\n");
  EXPECT_NE(memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
  // Without WantReturns Enter is the form's (its default button's), not a new line.
  memo->SetWantReturns(false);
  memo->SetWantTabs(true);
  memo->SetText("");
  SendMessageA(memo->Handle(), WM_CHAR, '\r', 1);
  EXPECT_EQ(memo->Text(), "");
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  EXPECT_NE(memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
  memo->SetReadOnly(true);
  EXPECT_NE(GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_READONLY, 0);
  SendMessageA(memo->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(memo->Text(), "");
  // Read-only survives a new window; the lines can still be set by the program.
  memo->SetScrollBars(TScrollStyle::ssBoth);
  EXPECT_NE(GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_READONLY, 0);
  memo->Lines()->Add("vom Programm");
  EXPECT_EQ(memo->Lines()->Strings(0), "vom Programm");
}

TEST_F(Controls, MemoKeepsEmptyAndLongTexts) {
  auto* memo = F->Find<TMemo>(L"Notes");
  memo->SetWordWrap(false);  // one line stays one line
  // 40,000 characters given before the window exists: more than a window title may hold.
  std::string longText(40000, 'w');
  memo->SetText(longText);
  ShowAndActivate();
  ASSERT_TRUE(memo->HandleAllocated());
  EXPECT_EQ(memo->Text().size(), longText.size());
  // One line of 64 KB is read whole, beyond what EM_GETLINE's size word can ask for.
  std::string line(65536, 'q');
  line[65535] = 'e';
  memo->SetText(line);
  ASSERT_EQ(memo->Lines()->Count(), 1);
  EXPECT_EQ(memo->Lines()->Strings(0), line);
  memo->SetText("");
  EXPECT_EQ(memo->Lines()->Count(), 0);
  EXPECT_EQ(memo->Lines()->Text(), "");
  // A single-line edit and a combo box's edit field take 64 KB as well, given before and after
  // their windows exist.
  auto* edit = new TEdit(F.get());
  edit->SetParent(F->Find<TTabSheet>(L"FirstSheet"));
  edit->SetText(line);
  auto* entry = F->Find<TComboBox>(L"Entry");
  entry->SetText(longText);
  EXPECT_EQ(entry->Handle() != nullptr && entry->Text() == longText, true);
  entry->RecreateWnd();
  ASSERT_TRUE(entry->Handle());  // a new window made with the long text
  EXPECT_EQ(entry->Text(), longText);
  entry->SetText(line);
  EXPECT_EQ(edit->Handle() != nullptr && entry->Handle() != nullptr, true);
  EXPECT_EQ(edit->Text(), line);
  EXPECT_EQ(entry->Text(), line);
  edit->SetText("");
  entry->SetText("");
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(entry->Text(), "");
  edit->SetText(line);
  EXPECT_EQ(edit->Text(), line);
}

TEST_F(Controls, OwnerDrawnComboBoxDrawsItsItemsThroughOnDrawItem) {
  auto* combo = F->Find<TComboBox>(L"Choice");
  combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
  combo->SetItemHeight(18);
  std::vector<int> drawn;
  combo->OnDrawItem = [&](TWinControl* Control, int Index, const RECT& Rect, UINT) {
    EXPECT_EQ(Control, combo);
    EXPECT_GT(Rect.right, Rect.left);
    drawn.push_back(Index);
  };
  ShowAndActivate();
  combo->Repaint();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), 1);
  EXPECT_EQ(combo->Text(), "Beta");
}

TEST_F(Controls, ComboItemsKeepTheirObjectsAndSelectionAcrossANewWindow) {
  auto* combo = F->Find<TComboBox>(L"Choice");
  TObject a, b;
  combo->Items()->Clear();
  combo->Items()->AddObject("Deutsch", &a);
  combo->Items()->AddObject("English", &b);
  combo->SetItemIndex(1);
  ShowAndActivate();
  EXPECT_EQ(combo->Items()->Objects(0), &a);
  EXPECT_EQ(combo->Items()->Objects(1), &b);
  EXPECT_EQ(combo->Text(), "English");
  combo->SetStyle(TComboBoxStyle::csDropDown);  // a new window
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(combo->Items()->Objects(1), &b);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "English");
  combo->SetText("frei getippt");
  EXPECT_EQ(combo->Text(), "frei getippt");
  EXPECT_EQ(combo->Items()->IndexOf("ENGLISH"), 1);
  ExpectListError([&] { combo->SetItemIndex(2); }, 2);
  ExpectListError([&] { (void)combo->Items()->Strings(-2); }, -2);
  combo->SetItemIndex(-1);
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(Controls, ComboSelectionByKeyboard) {
  auto* combo = F->Find<TComboBox>(L"Choice");
  ShowAndActivate();
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  SendMessageA(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "Gamma");
  EXPECT_EQ(F->Selects, 1);
  EXPECT_EQ(changes, 0) << "OnSelect is assigned, so OnChange is not fired for a selection";
  SendMessageA(combo->Handle(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(combo->Text(), "Alpha");
  // Typing searches by prefix in a list style.
  SendMessageA(combo->Handle(), WM_CHAR, 'g', 0);
  EXPECT_EQ(combo->Text(), "Gamma");
  // The auto-complete hook of the edit field completes the typed text.
  auto* entry = F->Find<TComboBox>(L"Entry");
  entry->Items()->Add("Internet");
  entry->Items()->Add("Intranet");
  entry->SetText("");
  entry->Handle();
  ASSERT_NE(entry->EditHandle(), nullptr);
  SendMessageA(entry->EditHandle(), WM_CHAR, 'i', 0);
  SendMessageA(entry->EditHandle(), WM_CHAR, 'n', 0);
  SendMessageA(entry->EditHandle(), WM_CHAR, 't', 0);
  SendMessageA(entry->EditHandle(), WM_CHAR, 'r', 0);
  EXPECT_EQ(entry->Text(), "intranet");
  EXPECT_EQ(entry->ItemIndex(), 1);
  EXPECT_EQ(entry->SelText(), "anet");
}

TEST_F(Controls, RadioButtonsOfOneParentAreOneGroup) {
  auto* a = F->Find<TRadioButton>(L"RadioA");
  auto* b = F->Find<TRadioButton>(L"RadioB");
  auto* c = F->Find<TRadioButton>(L"RadioC");
  // A radio button elsewhere is not in the group.
  auto* other = new TRadioButton(F.get());
  other->SetParent(F->Find<TTabSheet>(L"ThirdSheet"));
  other->SetChecked(true);
  F->Clicked.clear();
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(a->TabStop());
  b->SetChecked(true);  // no change, no click
  EXPECT_EQ(F->Clicked, (std::vector<std::wstring>{L"RadioB"}));

  // A click in the window checks the button and tells once.
  F->Find<TPageControl>(L"Pages")->SetActivePage(F->Find<TTabSheet>(L"SecondSheet"));
  ShowAndActivate();
  EXPECT_EQ(SendMessageA(b->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(c->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(SendMessageA(b->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(c->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(F->Clicked, (std::vector<std::wstring>{L"RadioB", L"RadioC"}));

  // The arrow keys move within the group and check the button they reach. (A key that lost the
  // focus to another program on the display before it arrived is pressed again.)
  for (int attempt = 0; attempt < 20 && c->Checked(); ++attempt) {
    ShowAndActivate();
    c->SetFocus();
    ASSERT_EQ(GetFocus(), c->Handle());
    PostMessageA(c->Handle(), WM_KEYDOWN, VK_UP, 1);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(F->ActiveControl(), b);
}

TEST_F(Controls, PagesSwitchByTheTabWindowAndOnChangingCanRefuse) {
  auto* pages = F->Find<TPageControl>(L"Pages");
  auto* first = F->Find<TTabSheet>(L"FirstSheet");
  auto* second = F->Find<TTabSheet>(L"SecondSheet");
  auto* third = F->Find<TTabSheet>(L"ThirdSheet");
  ShowAndActivate();
  EXPECT_TRUE(first->Visible());
  EXPECT_FALSE(second->Visible());
  // The tab window notifies as for a user's choice.
  pages->Perform(TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_TRUE(second->Visible());
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(F->Changings, 1);
  EXPECT_EQ(F->Changes, 1);
  // The hidden sheet has no tab: tab 2 is the third sheet.
  EXPECT_EQ(pages->TabSheetOfTab(2), third);
  F->AllowChange = false;
  pages->Perform(TCM_SETCURFOCUS, 2, 0);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(F->Changes, 1);
  // A sheet's caption is its tab's text.
  third->SetCaption("Letzte");
  char text[32] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(pages->Handle(), TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "Letzte");
  // Setting the active page in code fires nothing.
  F->AllowChange = true;
  pages->SetActivePageIndex(0);
  EXPECT_EQ(pages->TabIndex(), 0);
  EXPECT_EQ(F->Changes, 1);
  // Alt and a tab's accelerator choose its page; a refused change still takes the key.
  third->SetCaption("&Letzte");
  EXPECT_EQ(pages->Perform(CM_DIALOGCHAR, 'l', 0), 1);
  EXPECT_EQ(pages->ActivePage(), third);
  EXPECT_EQ(F->Changes, 2);
  F->AllowChange = false;
  second->SetCaption("&Zweite");
  EXPECT_EQ(pages->Perform(CM_DIALOGCHAR, 'z', 0), 1);
  EXPECT_EQ(pages->ActivePage(), third);
}

TEST_F(Controls, CtrlTabTurnsThePagesOfThePageControlWithTheFocus) {
  auto* pages = F->Find<TPageControl>(L"Pages");
  auto* notes = F->Find<TMemo>(L"Notes");
  ShowAndActivate();
  // Ctrl+Tab, pressed while Control has the focus (taken again each time: the test does not
  // rely on keeping it).
  // Another program on the same display may take the focus away before the key arrives: such a
  // key reached no page control (OnChanging was not asked) and is pressed again.
  auto ctrlTab = [&](TWinControl* Control) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      ShowAndActivate();
      Control->SetFocus();
      ASSERT_EQ(GetFocus(), Control->Handle());
      const int asked = F->Changings;
      SetCtrl(true);
      PostMessageA(Control->Handle(), WM_KEYDOWN, VK_TAB, 1);
      Application->ProcessMessages();
      SetCtrl(false);
      if (F->Changings != asked || GetFocus() == Control->Handle()) return;
    }
  };
  ctrlTab(notes);
  EXPECT_EQ(pages->ActivePage(), F->Find<TTabSheet>(L"SecondSheet"));
  // The page with the hidden tab is passed over; a refused change stays.
  ctrlTab(pages);
  EXPECT_EQ(pages->ActivePage(), F->Find<TTabSheet>(L"ThirdSheet"));
  F->AllowChange = false;
  ctrlTab(pages);
  EXPECT_EQ(pages->ActivePage(), F->Find<TTabSheet>(L"ThirdSheet"));
  EXPECT_EQ(F->Changes, 2);
  EXPECT_EQ(F->Changings, 3);
}

TEST_F(Controls, ImageFromAJpegResourceIsPaintedStretchedCentredOrProportional) {
  auto* image = new TImage(F.get());
  image->SetParent(F.get());
  image->SetBounds(0, 0, 64, 40);
  image->Picture()->LoadFromResourceName(GetModuleHandleA(nullptr), L"REDBLUE");
  ASSERT_EQ(image->Picture()->Width(), 16);
  {
    TPixels p(image);
    EXPECT_TRUE(Reddish(p.At(2, 2))) << std::hex << p.At(2, 2);
    EXPECT_TRUE(Bluish(p.At(13, 5))) << std::hex << p.At(13, 5);
    EXPECT_EQ(p.At(30, 20), RGB(255, 255, 255)) << "drawn at its own size";
  }
  image->SetStretch(true);
  {
    TPixels p(image);
    EXPECT_TRUE(Reddish(p.At(5, 35)));
    EXPECT_TRUE(Bluish(p.At(60, 35)));
  }
  image->SetProportional(true);
  image->SetCenter(true);
  RECT r = image->DestRect();
  EXPECT_EQ(r.right - r.left, 64);
  EXPECT_EQ(r.bottom - r.top, 32);
  EXPECT_EQ(r.top, 4);
  {
    TPixels p(image);
    EXPECT_EQ(p.At(30, 1), RGB(255, 255, 255)) << "above the centred picture";
    EXPECT_TRUE(Reddish(p.At(10, 20)));
    EXPECT_TRUE(Bluish(p.At(50, 20)));
  }
}

TEST_F(Controls, MissingPictureResourceIsNamedInTheError) {
  TPicture picture;
  try {
    picture.LoadFromResourceName(GetModuleHandleA(nullptr), L"NOSUCHPICTURE");
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource NOSUCHPICTURE wurde nicht gefunden");
  }
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromResourceData(GetModuleHandleA(nullptr), L"MISSINGJPEG");
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource MISSINGJPEG wurde nicht gefunden");
  }
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(Controls, DamagedPictureDataInADescriptionIsRefused) {
  struct Case {
    const wchar_t* Data;
    const char* Expected;
  } cases[] = {
      {L"{FFD}", "Ung\xFCltige Bin\xE4rdaten"},
      {L"{FFXX}", "Ung\xFCltige Bin\xE4rdaten"},
      {L"{FFD8", "'}' fehlt"},
      {L"{00112233}", "Unbekannter Bildtyp"},
      {L"{FFD8FF00}", "JPEG-Fehler"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TControlsForm> f(TCustomForm::CreateNew<TControlsForm>(nullptr));
    std::wstring text = L"object F: TControlsForm\n  object I: TImage\n    Picture.Data = ";
    text += c.Data;
    // A block left open runs to the end of the text.
    if (std::wstring(c.Data).find(L'}') != std::wstring::npos) text += L"\n  end\nend";
    try {
      ReadComponentText(f.get(), text, L"TControlsForm");
      ADD_FAILURE() << "accepted: " << c.Expected;
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Expected), std::string::npos) << e.what();
    }
  }
}

TEST_F(Controls, PanelPaintsItsBevelsAndAlignsChildrenInside) {
  auto* panel = F->Find<TPanel>(L"LeftPanel");
  ShowAndActivate();
  // Outer bevel 2, border 3, inner bevel 2: children start 7 pixels in.
  auto* photo = F->Find<TImage>(L"Photo");
  EXPECT_EQ(photo->Left(), 7);
  EXPECT_EQ(photo->Top(), 7);
  EXPECT_EQ(photo->Width(), panel->ClientWidth() - 14);
  auto* edge = F->Find<TPanel>(L"Edge");
  EXPECT_EQ(edge->Top() + edge->Height(), panel->ClientHeight() - 7);
  TPixels p(panel);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW),
                 face = GetSysColor(COLOR_BTNFACE);
  const int w = panel->ClientWidth(), h = panel->ClientHeight();
  // From the outside in: the raised outer bevel, the border in the panel's colour, the lowered
  // inner bevel.
  EXPECT_EQ(p.At(0, h / 2), light);
  EXPECT_EQ(p.At(1, h / 2), light);
  EXPECT_EQ(p.At(w - 1, h / 2), dark);
  EXPECT_EQ(p.At(2, h / 2), face);
  EXPECT_EQ(p.At(4, h / 2), face);
  EXPECT_EQ(p.At(5, h / 2), dark);
  EXPECT_EQ(p.At(6, h / 2), dark);
  EXPECT_EQ(p.At(w - 6, h / 2), light);
}

TEST_F(Controls, ControlBarPutsEachControlInABandOfItsRow) {
  auto* bar = F->Find<TControlBar>(L"Bar");
  auto* edit = F->Find<TEdit>(L"BarEdit");
  auto* button = F->Find<TButton>(L"BarButton");
  ShowAndActivate();
  EXPECT_EQ(bar->Top(), 0);
  EXPECT_EQ(bar->Width(), F->ClientWidth());
  // The button was placed over the edit: it moves behind the edit's band.
  EXPECT_GE(edit->Left(), TCustomControlBar::GripWidth);
  EXPECT_GE(button->Left(), edit->Left() + edit->Width() + TCustomControlBar::GripWidth);
  EXPECT_EQ(edit->Top(), (26 - edit->Height()) / 2);
  RECT band = bar->BandRect(button);
  EXPECT_EQ(band.left, button->Left() - TCustomControlBar::GripWidth);
  EXPECT_EQ(band.top, 0);
  // A control put into the second row gets a band there.
  auto* second = new TButton(F.get());
  second->SetBounds(0, 30, 60, 20);
  second->SetParent(bar);
  bar->Realign();
  EXPECT_EQ(second->Top(), 26 + 3);
  EXPECT_EQ(second->Left(), TCustomControlBar::GripWidth);
}

}  // namespace
