// Wide control text on real windows: Unicode windows, the trap between window and control, the
// holders of windowless and not-yet-created controls, and the 8-bit path of the older platform.
#include <gtest/gtest.h>

#include <memory>

#include "unicode/UtxControlBase.h"
#include "unicode/UtxControls.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

namespace {

const WideString kOmega = L"\x03C9mega \x4E2D";  // no form in code page 1252

// A top-level window of our own class, on the Unicode controls' base.
class TUtxTestWindow : public TUtxControlBase<TWinControl> {
  VGT_CLASS(TUtxTestWindow, TWinControl)
 public:
  explicit TUtxTestWindow(TComponent* AOwner) : TUtxControlBase(AOwner) {
    SetBounds(10, 10, 300, 200);
    SetVisible(false);  // a hidden top-level window is re-created without waiting for the display
    SetControlStyle(ControlStyle() | csAcceptsControls);
  }
  int TextChanges = 0;
  int Chars = 0;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    Params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_TEXTCHANGED) ++TextChanges;
    TWinControl::WndProc(Message);
  }
};

// An edit control with a Unicode window over the platform's EDIT class.
class TUtxTestEdit : public TUtxControlBase<TWinControl> {
  VGT_CLASS(TUtxTestEdit, TWinControl)
 public:
  explicit TUtxTestEdit(TComponent* AOwner) : TUtxControlBase(AOwner) {
    SetBounds(5, 5, 200, 24);
    SetTabStop(true);
  }
  std::vector<char> KeysPressed;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    Params.Style |= ES_AUTOHSCROLL;
  }
  WideString PlatformClassName() const override { return L"EDIT"; }
  bool DoKeyPress(char& Key) override {
    KeysPressed.push_back(Key);
    return TWinControl::DoKeyPress(Key);
  }
};

class TUtxTestLabel : public TGraphicControl {
  VGT_CLASS(TUtxTestLabel, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

WideString WindowText(HWND h) {
  wchar_t buf[256] = {};
  GetWindowTextW(h, buf, 256);
  return buf;
}

WideString ClassNameOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return buf;
}

class UtxWindow : public ::testing::Test {
 protected:
  void SetUp() override { UtxControlsStart(); }
  void TearDown() override {
    Window.reset();
    UtxControlsStop();
  }
  TUtxTestWindow* MakeWindow() {
    Window.reset(new TUtxTestWindow(nullptr));
    return Window.get();
  }
  std::unique_ptr<TUtxTestWindow> Window;
};

TEST_F(UtxWindow, CaptionSetBeforeAndAfterTheWindowExistsReadsBackWhole) {
  TUtxTestWindow* w = MakeWindow();
  SetWideControlText(w, kOmega);
  EXPECT_EQ(GetWideControlText(w), UnicodePlatform() ? kOmega : L"?mega ?");
  HWND h = w->Handle();
  ASSERT_NE(h, nullptr);
  if (!UnicodePlatform()) {
    // The older platform has 8-bit windows only: the window shows the converted text.
    EXPECT_FALSE(IsWindowUnicode(h));
    EXPECT_EQ(WindowText(h), L"?mega ?");
    EXPECT_EQ(GetWideControlText(w), L"?mega ?");
    return;
  }
  EXPECT_TRUE(IsWindowUnicode(h));
  EXPECT_EQ(WindowText(h), kOmega);
  EXPECT_EQ(w->GetText(), "?mega ?");  // the 8-bit property is the converted text

  const WideString other = L"\x0416 \x03B1\x03B2";
  SetWideControlText(w, other);
  EXPECT_EQ(WindowText(h), other);
  EXPECT_EQ(GetWideControlText(w), other);
}

TEST_F(UtxWindow, TextSurvivesRecreatingTheWindow) {
  TUtxTestWindow* w = MakeWindow();
  w->HandleNeeded();
  SetWideControlText(w, kOmega);
  HWND before = w->WindowHandle();
  w->RecreateWnd();
  w->HandleNeeded();
  ASSERT_NE(w->WindowHandle(), nullptr);
  EXPECT_NE(w->WindowHandle(), before);
  const WideString expected = UnicodePlatform() ? kOmega : L"?mega ?";
  EXPECT_EQ(WindowText(w->WindowHandle()), expected);
  EXPECT_EQ(GetWideControlText(w), expected);
  // And again, with the trap parked and reused in between.
  w->RecreateWnd();
  w->HandleNeeded();
  EXPECT_EQ(WindowText(w->WindowHandle()), expected);
  // The library's own text messages still reach the window (through the 8-bit call).
  w->SetText("plain");
  EXPECT_EQ(WindowText(w->WindowHandle()), L"plain");
}

TEST_F(UtxWindow, WindowClassIsNamedAfterTheLibraryClass) {
  TUtxTestWindow* w = MakeWindow();
  HWND h = w->Handle();
  if (UnicodePlatform())
    EXPECT_EQ(ClassNameOf(h), L"TUtxTestWindow.UnicodeClass");
  else
    EXPECT_EQ(ClassNameOf(h), L"TUtxTestWindow");
}

TEST_F(UtxWindow, SameTextAgainChangesNothing) {
  if (!UnicodePlatform()) GTEST_SKIP() << "Unicode windows only";
  TUtxTestWindow* w = MakeWindow();
  w->HandleNeeded();
  SetWideControlText(w, kOmega);
  const int changes = w->TextChanges;
  SetWideControlText(w, kOmega);
  EXPECT_EQ(w->TextChanges, changes);
  SetWideControlText(w, L"x");
  EXPECT_EQ(w->TextChanges, changes + 1);
}

TEST_F(UtxWindow, CharAboveFFReachesTheEditWholeAndTheLibraryAsFF) {
  TUtxTestWindow* w = MakeWindow();
  auto* edit = new TUtxTestEdit(w);
  edit->SetParent(w);
  HWND h = edit->Handle();
  ASSERT_NE(h, nullptr);
  if (UnicodePlatform()) {
    EXPECT_EQ(ClassNameOf(h), L"TUtxTestEdit.UnicodeClass");
  }
  SendMessageW(h, WM_CHAR, 0x4E2D, 1);
  SendMessageW(h, WM_CHAR, L'a', 1);
  ASSERT_EQ(edit->KeysPressed.size(), 2u);
  EXPECT_EQ(edit->KeysPressed[1], 'a');
  if (!UnicodePlatform()) return;
  EXPECT_EQ(static_cast<unsigned char>(edit->KeysPressed[0]), 0xFF);
  EXPECT_EQ(WindowText(h), L"\x4E2D" L"a");
  EXPECT_EQ(GetWideControlText(edit), L"\x4E2D" L"a");
}

TEST_F(UtxWindow, ImeCharBeforeXPArrivesAsATypedChar) {
  if (!UnicodePlatform() || PlatformIsXPOrLater()) GTEST_SKIP() << "Windows 2000 only";
  TUtxTestWindow* w = MakeWindow();
  auto* edit = new TUtxTestEdit(w);
  edit->SetParent(w);
  HWND h = edit->Handle();
  SendMessageW(h, WM_IME_CHAR, 0x4E2D, 1);
  ASSERT_EQ(edit->KeysPressed.size(), 1u);
  EXPECT_EQ(static_cast<unsigned char>(edit->KeysPressed[0]), 0xFF);
  EXPECT_EQ(WindowText(h), L"\x4E2D");
}

TEST_F(UtxWindow, EditTextSetBeforeTheWindowShowsInIt) {
  TUtxTestWindow* w = MakeWindow();
  auto* edit = new TUtxTestEdit(w);
  edit->SetParent(w);
  SetWideControlText(edit, kOmega);
  HWND h = edit->Handle();
  EXPECT_EQ(WindowText(h), UnicodePlatform() ? kOmega : L"?mega ?");
  EXPECT_EQ(edit->GetText(), "?mega ?");
}

TEST_F(UtxWindow, GraphicControlKeepsItsWideCaptionUntilThe8BitOneChanges) {
  TUtxTestLabel label(nullptr);
  SetWideControlText(&label, L"\x03B1lpha");
  EXPECT_EQ(label.Caption(), "alpha");  // best fit
  EXPECT_EQ(GetWideControlText(&label), UnicodePlatform() ? L"\x03B1lpha" : L"alpha");
  label.SetCaption("abc");
  EXPECT_EQ(GetWideControlText(&label), L"abc");
  if (UnicodePlatform()) {
    ASSERT_NE(WideCaptionHolderOf(&label, false), nullptr);
    EXPECT_EQ(WideCaptionHolderOf(&label, false)->Caption, L"abc");
  }
}

TEST_F(UtxWindow, HoldersGoWithTheirControls) {
  if (!UnicodePlatform()) GTEST_SKIP() << "no holders off the Unicode platform";
  std::vector<std::unique_ptr<TUtxTestLabel>> labels;
  for (int i = 0; i < 5; ++i) {
    labels.emplace_back(new TUtxTestLabel(nullptr));
    SetWideControlText(labels.back().get(), WideString(1, static_cast<wchar_t>(0x3B1 + i)));
  }
  labels.erase(labels.begin() + 2);
  labels.erase(labels.begin());
  for (size_t i = 0; i < labels.size(); ++i) {
    TWideCaptionHolder* h = WideCaptionHolderOf(labels[i].get(), false);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->Control(), labels[i].get());
  }
  EXPECT_EQ(GetWideControlText(labels[0].get()), L"\x3B2");
  EXPECT_EQ(GetWideControlText(labels[2].get()), L"\x3B5");
}

TEST_F(UtxWindow, WideHintsAndTheirParents) {
  TUtxTestWindow* w = MakeWindow();
  auto* label = new TUtxTestLabel(w);
  label->SetParent(w);
  SetWideHint(w, L"\x03C9pen|Opens \x03C9");
  EXPECT_EQ(w->TWinControl::Hint(), "?pen|Opens ?");
  EXPECT_EQ(WideHintFromParents(label), UnicodePlatform() ? L"\x03C9pen|Opens \x03C9" : L"?pen|Opens ?");
  SetWideHint(label, L"own");
  EXPECT_EQ(WideHintFromParents(label), L"own");
  // The 8-bit hint set directly wins over the held one.
  w->TWinControl::SetHint("direct");  // the 8-bit property
  EXPECT_EQ(GetWideHint(w), L"direct");
}

TEST_F(UtxWindow, ControlFreedWithItsWindowLeavesNothingBehind) {
  TUtxTestWindow* w = MakeWindow();
  auto* edit = new TUtxTestEdit(w);
  edit->SetParent(w);
  SetWideControlText(edit, kOmega);
  HWND h = edit->Handle();
  delete edit;
  EXPECT_FALSE(IsWindow(h));
  // The parent still works and its text is intact.
  SetWideControlText(w, L"after");
  EXPECT_EQ(GetWideControlText(w), L"after");
}

// A window of the library's 8-bit path.
class TAnsiTestWindow : public TWinControl {
  VGT_CLASS(TAnsiTestWindow, TWinControl)
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.WndParent = nullptr;
  }
};

TEST_F(UtxWindow, NotifyFormatFollowsTheAskingWindowAndOnly8BitWindowsAreRefused) {
  if (!UnicodePlatform()) GTEST_SKIP() << "no Unicode windows on the older platform";
  TUtxTestWindow* w = MakeWindow();
  auto* edit = new TUtxTestEdit(w);
  edit->SetParent(w);
  TAnsiTestWindow ansi(nullptr);
  EXPECT_EQ(SendMessageW(w->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(edit->Handle()), NF_QUERY),
            NFR_UNICODE);
  EXPECT_EQ(SendMessageW(w->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(ansi.Handle()), NF_QUERY),
            NFR_ANSI);
  try {
    SubClassUnicodeControl(&ansi, "");
    FAIL() << "no error";
  } catch (const EUtxInternalError& e) {
    EXPECT_STREQ(e.what(), "Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  }
  EXPECT_TRUE(IsWindow(ansi.WindowHandle()));  // the control keeps its window
}

TEST_F(UtxWindow, AfterTheLastStopLateMessagesReachNoObject) {
  if (!UnicodePlatform()) GTEST_SKIP() << "no traps on the older platform";
  TUtxTestWindow* w = MakeWindow();
  SetWideControlText(w, kOmega);
  HWND h = w->Handle();
  UtxControlsStop();
  EXPECT_EQ(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0), 0);
  Window.reset();  // its window goes without reaching the freed layer
  EXPECT_FALSE(IsWindow(h));
  UtxControlsStart();
}

}  // namespace
