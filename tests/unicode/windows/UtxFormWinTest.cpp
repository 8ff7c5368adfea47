// Unicode forms read from a description in this program's resources: wide captions in Unicode
// windows, typed characters above $FF past the 8-bit message loop, wide actions on a linked
// control, the wide form-description properties, wide hints, and the 8-bit path of the older
// platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/Filer.h"
#include "classlib/StdCtrls.h"
#include "tests/support/ControlPixels.h"
#include "tools/winshot/Screenshot.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxStdCtrls.h"
#include "unicode/UtxWindows.h"

namespace {

const WideString kCaption = L"Zone \x03C9 \x4E2D \x0416";
const WideString kActionCaption = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C \x958B\x304F";

class TUtxTestForm : public TUtxForm {
  VGT_CLASS(TUtxTestForm, TUtxForm)
 public:
  using TUtxForm::TUtxForm;
  void FormKeyPress(TObject*, char& Key) {
    Keys.push_back(Key);
    if (Key == '!') throw Exception("Taste abgelehnt");
  }
  std::vector<char> Keys;
  template <class T>
  T* Find(const wchar_t* Name) {
    return dynamic_cast<T*>(FindComponent(Name));
  }
};
VGT_PUBLISH(TUtxTestForm) { P.Handler(L"FormKeyPress", &TUtxTestForm::FormKeyPress); }

class TUtxNoDescriptionForm : public TUtxForm {
  VGT_CLASS(TUtxNoDescriptionForm, TUtxForm)
 public:
  using TUtxForm::TUtxForm;
};
VGT_PUBLISH(TUtxNoDescriptionForm) {}


WideString WindowText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  WideString s(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

// What the older platform's 8-bit windows show of a text.
WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

class UtxForm : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override {
    UtxFormsStart();
    Form = TCustomForm::Create<TUtxTestForm>(Application);
  }
  void TearDown() override {
    delete Form;
    Application->ProcessMessages();
    UtxApplyWideFormProperties = false;
    UtxFormsStop();
  }
  TUtxTestForm* Form = nullptr;
};

TEST_F(UtxForm, DescriptionGivesWideCaptionsAndTheExtraPropertiesChangeNothing) {
  EXPECT_EQ(Form->Caption(), Shown(kCaption));
  EXPECT_EQ(GetWideHint(Form), L"Open|Opens a file");
  auto* action = Form->Find<TUtxAction>(L"OpenAction");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->Caption(), kActionCaption);
  EXPECT_EQ(action->Hint(), L"\x00D6" L"ffnen|\x00D6" L"ffnet eine Datei");
  ASSERT_NE(Form->Find<TUtxActionList>(L"Actions"), nullptr);
  auto* box = Form->Find<TUtxScrollBox>(L"Box");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Hint(), Shown(L"\x041F\x043E\x043B\x0435"));
}

TEST_F(UtxForm, WideCaptionReadsBackBeforeAndAfterTheWindowAndSurvivesRecreation) {
  HWND h = Form->Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(IsWindowUnicode(h) != 0, UnicodePlatform());
  EXPECT_EQ(WindowText(h), Shown(kCaption));
  const WideString later = L"\x0391\x03B8\x03AE\x03BD\x03B1 \x6771\x4EAC";
  Form->SetCaption(later);
  EXPECT_EQ(WindowText(h), Shown(later));
  Form->RecreateWnd();
  Form->HandleNeeded();
  EXPECT_NE(Form->WindowHandle(), h);
  EXPECT_EQ(WindowText(Form->WindowHandle()), Shown(later));
  auto* edit = Form->Find<TUtxEdit>(L"NameEdit");
  EXPECT_EQ(WindowText(edit->Handle()), Shown(L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC"));
}

TEST_F(UtxForm, WindowClassIsNamedAfterTheFormClass) {
  wchar_t name[128] = {};
  GetClassNameW(Form->Handle(), name, 128);
  EXPECT_EQ(WideString(name), UnicodePlatform() ? L"TUtxTestForm.UnicodeClass" : L"TUtxTestForm");
  GetClassNameW(Form->Find<TUtxEdit>(L"NameEdit")->Handle(), name, 128);
  EXPECT_EQ(WideString(name), UnicodePlatform() ? L"TUtxEdit.UnicodeClass" : L"TUtxEdit");
}

TEST_F(UtxForm, PostedCharAboveFFReachesTheEditWholeAndTheFormAsFF) {
  auto* edit = Form->Find<TUtxEdit>(L"NameEdit");
  HWND h = edit->Handle();
  SetWideControlText(edit, L"");
  if (UnicodePlatform()) {
    PostMessageW(h, WM_CHAR, 0x4E2D, 1);
    PostMessageW(h, WM_CHAR, 0x00E9, 1);  // at or below $FF: the library's loop as usual
    Application->ProcessMessages();
    EXPECT_EQ(WindowText(h), L"\x4E2D\x00E9");
    ASSERT_EQ(Form->Keys.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(Form->Keys[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(Form->Keys[1]), 0xE9);
  } else {
    // The older platform: 8-bit windows and no hook; characters of the code page go through.
    PostMessageA(h, WM_CHAR, 0xE9, 1);
    Application->ProcessMessages();
    EXPECT_EQ(WindowText(h), L"\x00E9");
    ASSERT_EQ(Form->Keys.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(Form->Keys[0]), 0xE9);
  }
}

TEST_F(UtxForm, ExceptionInAHandlerBehindTheTrapReachesTheApplication) {
  std::string reported;
  Application->OnException = [&](TObject*, const std::exception*, const AnsiString& Message) { reported = Message; };
  auto* edit = Form->Find<TUtxEdit>(L"NameEdit");
  HWND h = edit->Handle();
  SetWideControlText(edit, L"");
  PostMessageW(h, WM_CHAR, L'!', 1);
  PostMessageW(h, WM_CHAR, L'x', 1);
  Application->ProcessMessages();
  Application->OnException = nullptr;
  EXPECT_EQ(reported, "Taste abgelehnt");
  EXPECT_EQ(WindowText(h), L"x");  // the program went on
}

TEST_F(UtxForm, WideActionCaptionReachesTheLinkedControl) {
  auto* button = Form->Find<TUtxButton>(L"OpenButton");
  auto* action = Form->Find<TUtxAction>(L"OpenAction");
  HWND h = button->Handle();
  EXPECT_EQ(WindowText(h), Shown(kActionCaption));
  const WideString next = L"\x03C9 \x0436";
  action->SetCaption(next);
  EXPECT_EQ(WindowText(h), Shown(next));
  EXPECT_EQ(button->TControl::Caption(), NarrowText(next));
  // The linked caption is not written into descriptions (on the older platform the control
  // holds only the 8-bit form, so it no longer counts as linked).
  if (UnicodePlatform()) {
    EXPECT_FALSE(IsWideCaptionStored(button));
  }
}

// The wide half of an action change runs first: the library's 8-bit half, with CheckDefaults,
// then finds a caption and a hint already there and leaves the wide ones alone.
TEST_F(UtxForm, ActionChangeWithDefaultsKeepsTheWideTexts) {
  auto* action = new TUtxAction(Form);
  action->SetCaption(kActionCaption);
  action->SetHint(L"\x03C9|lang \x03C9");
  auto* box = new TUtxScrollBox(Form);
  box->ActionChange(action, true);
  EXPECT_EQ(GetWideControlText(box), Shown(kActionCaption));
  EXPECT_EQ(GetWideHint(box), Shown(L"\x03C9|lang \x03C9"));
  SetWideHint(Form, L"");
  Form->SetCaption(Form->Name());
  Form->ActionChange(action, true);
  EXPECT_EQ(Form->Caption(), Shown(kActionCaption));
  EXPECT_EQ(Form->Hint(), Shown(L"\x03C9|lang \x03C9"));
}

// The click and the keys travel through the traps of the Unicode windows.
TEST_F(UtxForm, ShowModalReturnsTheResultOfAUnicodeButtonClickedByMessage) {
  auto* close = Form->Find<TUtxButton>(L"CloseButton");
  close->SetModalResult(mrCancel);
  PostMessageW(close->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_FALSE(Form->Visible());
  close->SetCancel(true);
  PostMessageW(Form->Find<TUtxEdit>(L"NameEdit")->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(Form->ShowModal(), mrCancel);
}

TEST_F(UtxForm, FormWithoutDescriptionIsRefusedByName) {
  try {
    delete TCustomForm::Create<TUtxNoDescriptionForm>(nullptr);
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource TUtxNoDescriptionForm wurde nicht gefunden");
  }
  // The root class itself reads none.
  delete TCustomForm::Create<TUtxForm>(nullptr);
}

// Records the names a component defines for the description reader.
class TRecordingFiler : public TFiler {
 public:
  void DefineProperty(const WideString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool) override {
    Names.push_back(Name);
    EXPECT_TRUE(ReadData);
    EXPECT_FALSE(WriteData);
  }
  std::vector<WideString> Names;
};

TEST_F(UtxForm, EveryWideStringPropertyGetsAUtf8AndAUtf7Name) {
  TRecordingFiler filer;
  TUtxAction action(nullptr);
  DefineWideStringProperties(&filer, &action);
  EXPECT_EQ(filer.Names, (std::vector<WideString>{L"CaptionW", L"Caption_UTF7", L"HintW", L"Hint_UTF7"}));
  TRecordingFiler none;
  TComponent plain(nullptr);
  DefineWideStringProperties(&none, &plain);
  EXPECT_TRUE(none.Names.empty());
}

TEST_F(UtxForm, ExtraPropertiesAreAppliedOnlyWhenAllowed) {
  const WideString text =
      L"object A: TUtxAction\n  Caption = 'plain'\n  CaptionW = #$CF#$89'x'\n  Hint_UTF7 = '+BBY-'\nend\n";
  TUtxAction runTime(nullptr);
  ReadComponentText(&runTime, text, L"TUtxAction");
  EXPECT_EQ(runTime.Caption(), L"plain");
  EXPECT_EQ(runTime.Hint(), L"");

  UtxApplyWideFormProperties = true;
  TUtxAction applied(nullptr);
  ReadComponentText(&applied, text, L"TUtxAction");
  EXPECT_EQ(applied.Caption(), L"\x03C9x");
  EXPECT_EQ(applied.Hint(), L"\x0416");
  TUtxAction bad(nullptr);
  try {
    ReadComponentText(&bad, L"object A: TUtxAction\n  Caption_UTF7 = '+!'\nend\n", L"TUtxAction");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("Invalid UTF7"), std::string::npos) << e.what();
  }
}

TEST_F(UtxForm, WideHintReachesTheHintWindowAndTheStatusLine) {
  if (!UnicodePlatform()) GTEST_SKIP() << "wide hints need the Unicode platform";
  auto* box = Form->Find<TUtxScrollBox>(L"Box");
  SetWideHint(box, L"\x03C9pen|Opens \x03C9");
  THintInfo info;
  info.HintControl = box;
  info.HintWindowClass = THintWindow::StaticClass();
  TMessage m{CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info), 0};
  PrepareWideHintShow(m);
  EXPECT_EQ(info.HintWindowClass, TUtxHintWindow::StaticClass());
  EXPECT_EQ(info.HintStr, "?pen");
  EXPECT_EQ(WideHintFromHintData(&info), L"\x03C9pen");
  TUtxHintWindow hint(nullptr);
  RECT r = hint.CalcHintRect(400, info.HintStr, &info);
  EXPECT_GT(r.right, 6);
  hint.ActivateHintData(RECT{0, 0, 1, 1}, info.HintStr, &info);
  EXPECT_EQ(WindowText(hint.WindowHandle()), L"\x03C9pen");
  hint.ReleaseHandle();

  // The long part becomes the application's wide hint; a status line gets it through a
  // Unicode hint action.
  WideString status;
  Application->OnActionExecute = [&](TBasicAction* a, bool& Handled) {
    if (auto* u = dynamic_cast<TUtxHintAction*>(a)) {
      status = u->Hint();
      Handled = true;
    }
  };
  SetApplicationWideHint(WideLongHint(WideHintFromParents(box)));
  Application->OnActionExecute = nullptr;
  EXPECT_EQ(ApplicationWideHint(), L"Opens \x03C9");
  EXPECT_EQ(Application->Hint(), "Opens ?");
  EXPECT_EQ(status, L"Opens \x03C9");
  SetApplicationWideHint(L"");
}

TEST_F(UtxForm, CharAboveFFForADialogWindowKeepsItsCharacter) {
  if (!UnicodePlatform()) GTEST_SKIP() << "no message hook on the older platform";
  // A window outside the library that gets dialog-message handling in the loop.
  HWND dialog = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP, 0, 0, 200, 60, nullptr,
                                nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 150, 24, dialog,
                              nullptr, nullptr, nullptr);
  Application->SetDialogHandle(dialog);
  PostMessageW(edit, WM_CHAR, 0x4E2D, 1);
  Application->ProcessMessages();
  Application->SetDialogHandle(nullptr);
  EXPECT_EQ(WindowText(edit), L"\x4E2D");
  DestroyWindow(dialog);
}

// A scroll box whose size handling re-enters itself, as changing scroll bars can make it.
class TReenteringBox : public TUtxScrollBox {
  VGT_CLASS(TReenteringBox, TUtxScrollBox)
 public:
  using TUtxScrollBox::TUtxScrollBox;
  int Depth = 0, MaxDepth = 0;

 protected:
  void Resize() override {
    ++Depth;
    if (Depth > MaxDepth) MaxDepth = Depth;
    Perform(WM_SIZE, 0, 0);
    --Depth;
  }
};

TEST_F(UtxForm, ApplicationShowsTheWideShortHintInAUnicodeHintWindow) {
  if (!UnicodePlatform()) GTEST_SKIP() << "wide hints need the Unicode platform";
  auto* box = Form->Find<TUtxScrollBox>(L"Box");
  box->SetShowHint(true);
  Form->Show();
  Application->ActivateHint(box->ClientToScreen(POINT{5, 5}));
  THintWindow* hint = Application->HintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->ClassName(), L"TUtxHintWindow");
  EXPECT_EQ(WindowText(hint->Handle()), L"\x041F\x043E\x043B\x0435");
  Application->CancelHint();
}

TEST_F(UtxForm, PlainMainFormGetsTheIdleControlForTheWideHint) {
  if (!UnicodePlatform()) GTEST_SKIP() << "no message hook on the older platform";
  TCustomForm* previous = Application->MainForm();
  auto* main = TCustomForm::CreateNew<TForm>(nullptr);
  Application->SetMainForm(main);
  PostMessageW(main->Handle(), WM_NULL, 0, 0);
  Application->ProcessMessages();
  TUtxAppIdleEventControl* idle = nullptr;
  for (int i = 0; i < main->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TUtxAppIdleEventControl*>(main->Components(i))) idle = c;
  ASSERT_NE(idle, nullptr);
  EXPECT_EQ(idle->Parent(), main);
  ASSERT_NE(dynamic_cast<TUtxAction*>(idle->Action()), nullptr);
  // Its action's update brings the wide hint up to date; the control goes with the form.
  idle->InitiateAction();
  Application->SetMainForm(previous);
  delete main;
}

TEST_F(UtxForm, ScrollBoxSizeHandlingStopsReenteringAtDepth32) {
  auto* box = new TReenteringBox(Form);
  box->SetParent(Form);
  box->HandleNeeded();
  box->MaxDepth = 0;
  box->Perform(WM_SIZE, 0, 0);
  EXPECT_EQ(box->MaxDepth, 31);
  EXPECT_EQ(box->Depth, 0);
}

TEST_F(UtxForm, UnicodeFormIsErasedWithItsColour) {
  // Erased into a bitmap of our own, as the platform erases before painting.
  const TScreenBitmap bitmap(Form->ClientWidth(), Form->ClientHeight());
  EXPECT_NE(SendMessageW(Form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bitmap.DC()), 0), 0);
  EXPECT_EQ(bitmap.At(Form->ClientWidth() - 5, Form->ClientHeight() - 5), ColorToRGB(Form->Color()));
}

TEST_F(UtxForm, ScreenshotOnRequest) {
  if (ScreenshotDir().empty()) GTEST_SKIP() << "set VGT_SCREENSHOT_DIR to make one";
  Form->Show();
  // The display maps the window in its own time: let its messages arrive for a moment.
  const DWORD until = GetTickCount() + 500;
  while (GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(SaveScreenshotOnRequest(Form->Handle(), UnicodePlatform() ? L"UtxTestForm" : L"UtxTestForm_win98"));
}

}  // namespace
