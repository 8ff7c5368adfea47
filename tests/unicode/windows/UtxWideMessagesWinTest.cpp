// Messages with text between the 8-bit class library and Unicode windows of the platform's
// controls: what the library sends (Perform, 8-bit) reaches the window converted, what came in
// wide stays wide, and the replies are measured in the library's 8-bit units. The _win98 copy
// runs the same on the older platform's 8-bit windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "classlib/StdCtrls.h"
#include "unicode/UtxControlBase.h"
#include "unicode/UtxWindows.h"

namespace {

const WideString kWide = L"\x03C9\x03BC\x03AD\x03B3\x03B1 \x4E2D\x6587";  // not in code page 1252
const char kCafe[] = "caf\xE9";                                             // "café" in 1252
const WideString kCafeWide = L"caf\x00E9";

// What a window shows of a text: the text itself in a Unicode window, its 8-bit form elsewhere.
WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

// A hidden top-level window holding the controls.
class TUtxTestHost : public TUtxControlBase<TWinControl> {
  VGT_CLASS(TUtxTestHost, TWinControl)
 public:
  explicit TUtxTestHost(TComponent* AOwner) : TUtxControlBase(AOwner) {
    SetBounds(10, 10, 400, 300);
    SetVisible(false);
    SetControlStyle(ControlStyle() | csAcceptsControls);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    Params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

class TUtxTestEdit : public TUtxControlBase<TEdit> {
  VGT_CLASS(TUtxTestEdit, TEdit)
 public:
  using TUtxControlBase::TUtxControlBase;
  bool Multiline = false;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TEdit::CreateParams(Params);
    if (Multiline) Params.Style |= ES_MULTILINE;
  }
  WideString PlatformClassName() const override { return L"EDIT"; }
};

// A control over any platform class, made as the Unicode controls make theirs.
class TUtxTestPlatformControl : public TUtxControlBase<TWinControl> {
  VGT_CLASS(TUtxTestPlatformControl, TWinControl)
 public:
  TUtxTestPlatformControl(TComponent* AOwner, const char* AClass, DWORD AStyle)
      : TUtxControlBase(AOwner), FClass(AClass), FStyle(AStyle) {
    SetBounds(5, 5, 200, 150);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, FClass);
    Params.Style |= FStyle;
  }
  WideString PlatformClassName() const override { return WidenText(FClass); }

 private:
  const char* FClass;
  DWORD FStyle;
};

// A tool tip: a popup owned by the host window.
class TUtxTestToolTip : public TUtxTestPlatformControl {
  VGT_CLASS(TUtxTestToolTip, TUtxTestPlatformControl)
 public:
  TUtxTestToolTip(TComponent* AOwner, HWND AOwnerWindow)
      : TUtxTestPlatformControl(AOwner, TOOLTIPS_CLASSA, TTS_ALWAYSTIP), FOwnerWindow(AOwnerWindow) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TUtxTestPlatformControl::CreateParams(Params);
    Params.Style = WS_POPUP | TTS_ALWAYSTIP;
    Params.WndParent = FOwnerWindow;
  }

 private:
  HWND FOwnerWindow;
};

WideString WindowTextW(HWND h) {
  wchar_t buf[256] = {};
  GetWindowTextW(h, buf, 256);
  return buf;
}

// An 8-bit buffer with guard bytes behind the room the caller hands out.
struct TGuardedBuffer {
  explicit TGuardedBuffer(size_t Room) : Room(Room), Bytes(Room + 16, '#') {}
  char* Data() { return Bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = Room; i < Bytes.size(); ++i)
      if (Bytes[i] != '#') return false;
    return true;
  }
  size_t Room;
  std::vector<char> Bytes;
};

class UtxWideMessages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    UtxControlsStart();
    Host.reset(new TUtxTestHost(nullptr));
  }
  void TearDown() override {
    Host.reset();
    UtxControlsStop();
  }
  template <class T>
  T* Adopt(T* Control) {
    Control->SetParent(Host.get());
    Control->HandleNeeded();
    EXPECT_EQ(IsWindowUnicode(Control->WindowHandle()) != 0, UnicodePlatform());
    return Control;
  }
  TUtxTestEdit* MakeEdit(bool Multiline = false) {
    auto* edit = new TUtxTestEdit(Host.get());
    edit->Multiline = Multiline;
    if (Multiline) edit->SetBounds(5, 5, 300, 120);
    return Adopt(edit);
  }
  TUtxTestPlatformControl* MakeControl(const char* Class, DWORD Style) {
    return Adopt(new TUtxTestPlatformControl(Host.get(), Class, Style));
  }
  std::unique_ptr<TUtxTestHost> Host;
};

// ---- The table ----

TEST(UtxWideMessageTable, ControlMessagesBelongToTheirFamilyAlone) {
  using F = TUtxWindowFamily;
  EXPECT_EQ(WindowFamilyOfClass(L"ComboBox"), F::wfComboBox);
  EXPECT_EQ(WindowFamilyOfClass(L"edit"), F::wfEdit);
  EXPECT_EQ(WindowFamilyOfClass(L"systabcontrol32"), F::wfTabControl);
  EXPECT_EQ(WindowFamilyOfClass(L""), F::wfOther);
  EXPECT_EQ(WindowFamilyOfClass(L"BUTTON"), F::wfOther);
  // The window text messages mean the same to every window.
  for (F f : {F::wfOther, F::wfEdit, F::wfStatusBar}) {
    ASSERT_NE(FindWideMessage(WM_SETTEXT, f), nullptr);
    EXPECT_EQ(FindWideMessage(WM_SETTEXT, f)->WideMsg, static_cast<UINT>(WM_SETTEXT));
  }
  // WM_USER + 1 is SB_SETTEXTA to a status bar, TTM_ACTIVATE to a tool tip, and the window's own
  // message anywhere else.
  ASSERT_NE(FindWideMessage(SB_SETTEXTA, F::wfStatusBar), nullptr);
  EXPECT_EQ(FindWideMessage(SB_SETTEXTA, F::wfStatusBar)->WideMsg, static_cast<UINT>(SB_SETTEXTW));
  EXPECT_EQ(FindWideMessage(WM_USER + 1, F::wfToolTip), nullptr);
  EXPECT_EQ(FindWideMessage(WM_USER + 1, F::wfOther), nullptr);
  EXPECT_EQ(FindWideMessage(CB_ADDSTRING, F::wfEdit), nullptr);
  EXPECT_EQ(FindWideMessage(EM_REPLACESEL, F::wfComboBox), nullptr);
  ASSERT_NE(FindWideMessage(TCM_GETITEMA, F::wfTabControl), nullptr);
  EXPECT_EQ(FindWideMessage(TCM_GETITEMA, F::wfTabControl)->WideMsg, static_cast<UINT>(TCM_GETITEMW));
  // The wide forms are the window's own: never converted again.
  EXPECT_EQ(FindWideMessage(TCM_GETITEMW, F::wfTabControl), nullptr);
  EXPECT_EQ(FindWideMessage(SB_SETTEXTW, F::wfStatusBar), nullptr);
}

// ---- Edit ----

TEST_F(UtxWideMessages, SelTextReplacesTheSelectionWithTheLibrarysText) {
  TUtxTestEdit* edit = MakeEdit();
  const HWND h = edit->WindowHandle();
  edit->SetText("abc");
  edit->SetSelStart(3);
  edit->SetSelText("XYZ");
  EXPECT_EQ(WindowTextW(h), L"abcXYZ");
  // Into a text that came in wide: what is outside the code page stays.
  SetWindowTextW(h, kWide.c_str());
  edit->SetSelStart(2);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->SelText(), NarrowText(kWide.substr(2, 3)));
  edit->SetSelText(kCafe);
  EXPECT_EQ(WindowTextW(h), Shown(kWide.substr(0, 2) + kCafeWide + kWide.substr(5)));
  // An empty replacement deletes the selection.
  edit->SelectAll();
  edit->SetSelText("");
  EXPECT_EQ(WindowTextW(h), L"");
}

TEST_F(UtxWideMessages, LibraryTextReadsAreMeasuredIn8BitUnitsAndKeepToTheirRoom) {
  TUtxTestEdit* edit = MakeEdit();
  const HWND h = edit->WindowHandle();
  SetWindowTextW(h, kWide.c_str());
  const AnsiString narrow = NarrowText(kWide);
  EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(narrow.size()));
  EXPECT_EQ(edit->GetText(), narrow);
  TGuardedBuffer small(4);
  EXPECT_EQ(edit->Perform(WM_GETTEXT, small.Room, reinterpret_cast<LPARAM>(small.Data())), 3);
  EXPECT_STREQ(small.Data(), narrow.substr(0, 3).c_str());
  EXPECT_TRUE(small.GuardIntact());
  // No room at all: nothing written, nothing copied.
  TGuardedBuffer none(0);
  EXPECT_EQ(edit->Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(none.Data())), 0);
  EXPECT_TRUE(none.GuardIntact());
  // The library's WM_SETTEXT arrives as text in the window.
  edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kCafe));
  EXPECT_EQ(WindowTextW(h), kCafeWide);
  EXPECT_EQ(GetWideControlText(edit), kCafeWide);
}

TEST_F(UtxWideMessages, DoubleByteCodePageCountsBytesAndNeverCutsACharacter) {
  if (!UnicodePlatform()) GTEST_SKIP() << "the platform's own conversion off the Unicode platform";
  TUtxPlatformOverride japanese(true, 932);
  TUtxTestEdit* edit = MakeEdit();
  const WideString text = L"\x4E2D\x6587" L"abc";  // two double-byte characters in code page 932
  SetWindowTextW(edit->WindowHandle(), text.c_str());
  const AnsiString narrow = NarrowText(text);
  ASSERT_EQ(narrow.size(), 7u);
  EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH, 0, 0), 7);
  EXPECT_EQ(edit->GetText(), narrow);
  // Room for three bytes: the second character would be cut, so only the first one comes.
  TGuardedBuffer buf(4);
  EXPECT_EQ(edit->Perform(WM_GETTEXT, buf.Room, reinterpret_cast<LPARAM>(buf.Data())), 2);
  EXPECT_STREQ(buf.Data(), narrow.substr(0, 2).c_str());
  EXPECT_TRUE(buf.GuardIntact());
  // What the library writes in the code page arrives as the characters it meant.
  edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(narrow.c_str()));
  EXPECT_EQ(WindowTextW(edit->WindowHandle()), text);
}

TEST_F(UtxWideMessages, GetLineCopiesTheLineWithinTheCallersRoom) {
  TUtxTestEdit* edit = MakeEdit(true);
  const WideString line1 = kWide + L" line";
  SetWindowTextW(edit->WindowHandle(), (L"first\r\n" + line1 + L"\r\nthird").c_str());
  const AnsiString narrow = NarrowText(line1);
  TGuardedBuffer buf(64);
  WORD room = 64;
  std::memcpy(buf.Data(), &room, sizeof room);
  const LRESULT n = edit->Perform(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buf.Data()));
  ASSERT_EQ(n, static_cast<LRESULT>(narrow.size()));
  EXPECT_EQ(AnsiString(buf.Data(), static_cast<size_t>(n)), narrow);
  EXPECT_TRUE(buf.GuardIntact());
  // A short buffer gets what fits and not a byte more (a line has no terminator).
  TGuardedBuffer shortBuf(4);
  room = 4;
  std::memcpy(shortBuf.Data(), &room, sizeof room);
  EXPECT_EQ(edit->Perform(EM_GETLINE, 1, reinterpret_cast<LPARAM>(shortBuf.Data())), 4);
  EXPECT_EQ(AnsiString(shortBuf.Data(), 4), narrow.substr(0, 4));
  EXPECT_TRUE(shortBuf.GuardIntact());
  room = 16;
  std::memcpy(buf.Data(), &room, sizeof room);
  EXPECT_EQ(edit->Perform(EM_GETLINE, 2, reinterpret_cast<LPARAM>(buf.Data())), 5);
  EXPECT_EQ(AnsiString(buf.Data(), 5), "third");
}

// ---- Combo box and list box ----

// The error value is a message result: kept as one, it reads -1 in either build (as an unsigned
// 32-bit number it would widen to 4294967295 in the 64-bit one).
struct TItemMessages {
  UINT Add, Insert, Find, FindExact, Select, GetText, GetTextLen, GetCount, GetSel, GetData;
  LRESULT Err;
};
const TItemMessages kCombo{CB_ADDSTRING,  CB_INSERTSTRING,  CB_FINDSTRING, CB_FINDSTRINGEXACT,
                           CB_SELECTSTRING, CB_GETLBTEXT,   CB_GETLBTEXTLEN, CB_GETCOUNT,
                           CB_GETCURSEL,  CB_GETITEMDATA,   CB_ERR};
const TItemMessages kList{LB_ADDSTRING,  LB_INSERTSTRING, LB_FINDSTRING, LB_FINDSTRINGEXACT,
                          LB_SELECTSTRING, LB_GETTEXT,     LB_GETTEXTLEN, LB_GETCOUNT,
                          LB_GETCURSEL,  LB_GETITEMDATA,  LB_ERR};

LPARAM Text(const char* S) { return reinterpret_cast<LPARAM>(S); }

WideString ItemW(HWND h, const TItemMessages& M, int Index) {
  const LRESULT len = SendMessageW(h, M.GetTextLen, Index, 0);
  if (len < 0) return L"<error>";
  WideString s(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT n = SendMessageW(h, M.GetText, Index, reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(n < 0 ? 0 : n));
  return s;
}

class UtxWideItemMessages : public UtxWideMessages, public ::testing::WithParamInterface<bool> {
 protected:
  bool IsCombo() const { return GetParam(); }
  const TItemMessages& M() const { return IsCombo() ? kCombo : kList; }
  TUtxTestPlatformControl* MakeBox(DWORD ExtraStyle = 0) {
    return IsCombo() ? MakeControl("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | ExtraStyle)
                     : MakeControl("LISTBOX", WS_VSCROLL | ExtraStyle);
  }
};

TEST_P(UtxWideItemMessages, ItemsFromTheLibraryReadBackWholeThroughTheWideCalls) {
  TUtxTestPlatformControl* box = MakeBox();
  const HWND h = box->WindowHandle();
  EXPECT_EQ(box->Perform(M().Add, 0, Text(kCafe)), 0);
  EXPECT_EQ(box->Perform(M().Insert, 0, Text("XYZ")), 0);
  EXPECT_EQ(SendMessageW(h, M().GetCount, 0, 0), 2);
  EXPECT_EQ(ItemW(h, M(), 0), L"XYZ");
  EXPECT_EQ(ItemW(h, M(), 1), kCafeWide);
  EXPECT_EQ(box->Perform(M().FindExact, static_cast<WPARAM>(-1), Text("CAF\xC9")), 1);  // no regard to case
  EXPECT_EQ(box->Perform(M().Find, static_cast<WPARAM>(-1), Text("xy")), 0);
  EXPECT_EQ(box->Perform(M().FindExact, static_cast<WPARAM>(-1), Text("nothing")), M().Err);
  EXPECT_EQ(box->Perform(M().Select, static_cast<WPARAM>(-1), Text("ca")), 1);
  EXPECT_EQ(SendMessageW(h, M().GetSel, 0, 0), 1);
}

TEST_P(UtxWideItemMessages, WideItemsStayWideAndTheLibraryReadsTheir8BitForm) {
  TUtxTestPlatformControl* box = MakeBox();
  const HWND h = box->WindowHandle();
  ASSERT_EQ(SendMessageW(h, M().Add, 0, reinterpret_cast<LPARAM>(kWide.c_str())), 0);
  EXPECT_EQ(ItemW(h, M(), 0), Shown(kWide));
  const AnsiString narrow = NarrowText(kWide);
  const LRESULT len = box->Perform(M().GetTextLen, 0, 0);
  ASSERT_EQ(len, static_cast<LRESULT>(narrow.size()));
  // The buffer is exactly as large as the length said.
  TGuardedBuffer buf(static_cast<size_t>(len) + 1);
  EXPECT_EQ(box->Perform(M().GetText, 0, reinterpret_cast<LPARAM>(buf.Data())), len);
  EXPECT_STREQ(buf.Data(), narrow.c_str());
  EXPECT_TRUE(buf.GuardIntact());
  // Errors pass through as the box gives them.
  EXPECT_EQ(box->Perform(M().GetTextLen, 5, 0), M().Err);
  EXPECT_EQ(box->Perform(M().GetText, 5, reinterpret_cast<LPARAM>(buf.Data())), M().Err);
  // The wide item is still found by the library's own 8-bit text.
  EXPECT_EQ(box->Perform(M().FindExact, static_cast<WPARAM>(-1), Text(narrow.c_str())),
            UnicodePlatform() ? M().Err : 0);
}

TEST_P(UtxWideItemMessages, OwnerDrawnBoxWithoutStringsKeepsTheValuesAsGiven) {
  TUtxTestPlatformControl* box = MakeBox(IsCombo() ? CBS_OWNERDRAWFIXED : LBS_OWNERDRAWFIXED);
  const HWND h = box->WindowHandle();
  // Every bit of the parameter's width: an item value is pointer-sized.
  const LPARAM value = static_cast<LPARAM>(~ULONG_PTR{0} / 3);
  ASSERT_EQ(box->Perform(M().Add, 0, value), 0);
  EXPECT_EQ(SendMessageW(h, M().GetData, 0, 0), value);
  LPARAM back = 0;
  box->Perform(M().GetText, 0, reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(back, value);
}

INSTANTIATE_TEST_SUITE_P(ComboAndList, UtxWideItemMessages, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& I) {
                           return I.param ? "ComboBox" : "ListBox";
                         });

// ---- Tab control, status bar, tool tip ----

TEST_F(UtxWideMessages, TabItemsTravelInTheWindowsOwnForm) {
  TUtxTestPlatformControl* tabs = MakeControl("SysTabControl32", 0);
  const HWND h = tabs->WindowHandle();
  char cafe[] = "caf\xE9";
  TCITEMA a{};
  a.mask = TCIF_TEXT | TCIF_PARAM;
  a.pszText = cafe;
  a.lParam = 77;
  ASSERT_EQ(tabs->Perform(TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&a)), 0);
  wchar_t wbuf[64] = {};
  TCITEMW w{};
  w.mask = TCIF_TEXT | TCIF_PARAM;
  w.pszText = wbuf;
  w.cchTextMax = 64;
  ASSERT_TRUE(SendMessageW(h, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&w)));
  EXPECT_EQ(WideString(wbuf), kCafeWide);
  EXPECT_EQ(w.lParam, 77);

  TCITEMW wide{};
  wide.mask = TCIF_TEXT;
  wide.pszText = const_cast<wchar_t*>(kWide.c_str());
  ASSERT_EQ(SendMessageW(h, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&wide)), 1);
  TGuardedBuffer buf(4);
  TCITEMA out{};
  out.mask = TCIF_TEXT | TCIF_PARAM;
  out.pszText = buf.Data();
  out.cchTextMax = 4;
  ASSERT_TRUE(tabs->Perform(TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&out)));
  EXPECT_EQ(out.pszText, buf.Data());
  EXPECT_STREQ(buf.Data(), NarrowText(kWide).substr(0, 3).c_str());
  EXPECT_TRUE(buf.GuardIntact());

  char xyz[] = "XYZ";
  a.mask = TCIF_TEXT;
  a.pszText = xyz;
  ASSERT_TRUE(tabs->Perform(TCM_SETITEMA, 1, reinterpret_cast<LPARAM>(&a)));
  w.mask = TCIF_TEXT;
  ASSERT_TRUE(SendMessageW(h, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&w)));
  EXPECT_EQ(WideString(wbuf), L"XYZ");
}

TEST_F(UtxWideMessages, StatusPartsKeepWideTextAndReportTheirTypeBeside8BitLengths) {
  TUtxTestPlatformControl* bar = MakeControl(STATUSCLASSNAMEA, 0);
  const HWND h = bar->WindowHandle();
  ASSERT_TRUE(bar->Perform(SB_SETTEXTA, 0, Text(kCafe)));
  wchar_t wbuf[64] = {};
  EXPECT_EQ(LOWORD(SendMessageW(h, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(wbuf))), 4);
  EXPECT_EQ(WideString(wbuf), kCafeWide);

  ASSERT_TRUE(SendMessageW(h, SB_SETTEXTW, SBT_NOBORDERS, reinterpret_cast<LPARAM>(kWide.c_str())));
  const AnsiString narrow = NarrowText(kWide);
  const LRESULT info = bar->Perform(SB_GETTEXTLENGTHA, 0, 0);
  EXPECT_EQ(LOWORD(info), narrow.size());
  EXPECT_EQ(HIWORD(info), SBT_NOBORDERS);
  TGuardedBuffer buf(narrow.size() + 1);
  EXPECT_EQ(LOWORD(bar->Perform(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buf.Data()))), narrow.size());
  EXPECT_STREQ(buf.Data(), narrow.c_str());
  EXPECT_TRUE(buf.GuardIntact());
  wbuf[0] = 0;
  SendMessageW(h, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(wbuf));
  EXPECT_EQ(WideString(wbuf), kWide);  // the common controls keep wide text in any window
}

TEST_F(UtxWideMessages, ToolTipTextsGoInWideAndComeBackIn8BitForm) {
  auto* tip = new TUtxTestToolTip(Host.get(), Host->Handle());
  tip->HandleNeeded();  // a popup of its own: no parent control
  const HWND h = tip->WindowHandle();
  ASSERT_NE(h, nullptr);
  char cafe[] = "caf\xE9";
  TTTOOLINFOA a{};
  a.cbSize = TTTOOLINFOA_V2_SIZE;
  a.hwnd = Host->WindowHandle();
  a.uId = 7;
  a.rect = {0, 0, 50, 50};
  a.lpszText = cafe;
  ASSERT_TRUE(tip->Perform(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&a)));
  wchar_t wbuf[INFOTIPSIZE] = {};
  TTTOOLINFOW w{};
  w.cbSize = TTTOOLINFOW_V2_SIZE;
  w.hwnd = a.hwnd;
  w.uId = 7;
  w.lpszText = wbuf;
  SendMessageW(h, TTM_GETTEXTW, INFOTIPSIZE, reinterpret_cast<LPARAM>(&w));
  EXPECT_EQ(WideString(wbuf), kCafeWide);

  w.lpszText = const_cast<wchar_t*>(kWide.c_str());
  SendMessageW(h, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&w));
  TGuardedBuffer buf(INFOTIPSIZE);
  TTTOOLINFOA out{};
  out.cbSize = TTTOOLINFOA_V2_SIZE;
  out.hwnd = a.hwnd;
  out.uId = 7;
  out.lpszText = buf.Data();
  ASSERT_TRUE(tip->Perform(TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&out)));
  EXPECT_EQ(out.lpszText, buf.Data());
  EXPECT_STREQ(buf.Data(), NarrowText(kWide).c_str());
  EXPECT_EQ(out.rect.right, 50);
  EXPECT_EQ(SendMessageW(h, TTM_GETTOOLCOUNT, 0, 0), 1);
  tip->Perform(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&a));
  EXPECT_EQ(SendMessageW(h, TTM_GETTOOLCOUNT, 0, 0), 0);
}

// ---- The base ----

class TUtxTestLabel : public TUtxControlBase<TLabel> {
  VGT_CLASS(TUtxTestLabel, TLabel)
 public:
  using TUtxControlBase::TUtxControlBase;
};
VGT_PUBLISH(TUtxTestLabel) {
  PublishWideText(P);
  PublishWideHint(P);
}

TEST_F(UtxWideMessages, GraphicControlOnTheBaseShowsItsWideHint) {
  auto* label = new TUtxTestLabel(Host.get());
  label->SetParent(Host.get());
  label->SetHint(L"\x03C9pen|Opens \x03C9");
  THintInfo info;
  info.HintControl = label;
  info.HintWindowClass = THintWindow::StaticClass();
  info.HintStr = label->TLabel::Hint();
  label->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  if (!UnicodePlatform()) {
    EXPECT_EQ(info.HintWindowClass, THintWindow::StaticClass());
    return;
  }
  EXPECT_EQ(info.HintWindowClass, TUtxHintWindow::StaticClass());
  EXPECT_EQ(WideHintFromHintData(&info), L"\x03C9pen");
}

TEST_F(UtxWideMessages, BasePublishesWideTextsAndTheirDescriptionForms) {
  const TPropInfo* caption = GetPropInfo(TUtxTestLabel::StaticClass(), L"Caption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->Kind, TTypeKind::tkWString);
  TUtxTestLabel label(nullptr);
  SetWideStrProp(&label, caption, kWide);
  EXPECT_EQ(GetWideStrProp(&label, caption), Shown(kWide));
  EXPECT_EQ(label.Caption(), Shown(kWide));
  EXPECT_EQ(label.GetActionLinkClass()->Class, TUtxControlActionLink::StaticClass());
}

}  // namespace
