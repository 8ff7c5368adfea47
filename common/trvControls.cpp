#include "common/trvControls.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include <shlwapi.h>

#include "base/DeviceContext.h"
#include "common/trvAPI.h"
#include "common/trvTools.h"
#include "unicode/UtxGraphics.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

// ---- TtrvForm ----

void TtrvForm::InitInstance() {
  // The empty form's own design-font step (AfterConstruction) is left to this one.
  FCreatedThroughCreate = true;
  TUtxForm::InitInstance();
  ApplyDefaultDesignFont();
  SetKeyPreview(true);
}

void TtrvForm::AfterConstruction() {
  if (!FCreatedThroughCreate) ApplyDefaultDesignFont();
  TUtxForm::AfterConstruction();
}

// The class library runs the create event during construction with OldCreateOrder and after it
// without. Swallowing the early call (and clearing the flag) makes the late one run always, so the
// event sees the whole constructor's work.
void TtrvForm::DoCreate() {
  if (OldCreateOrder()) {
    SetOldCreateOrder(false);
    return;
  }
  TUtxForm::DoCreate();
}

void TtrvForm::Loaded() {
  TUtxForm::Loaded();
  SetKeyPreview(true);
}

void TtrvForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_QUERYENDSESSION) {
    // The form never holds up a log-off or shutdown; its close query is not asked.
    Message.Result = 1;
    return;
  }
  TUtxForm::Dispatch(Message);
}

void TtrvForm::ChangeScale(int M, int D) {
  const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
  TUtxForm::ChangeScale(M, D);
  SetClientSize(MulDiv(std::abs(clientWidth), M, D), MulDiv(std::abs(clientHeight), M, D));
  TSizeConstraints* limits = Constraints();
  if (limits->MinWidth() != 0) limits->SetMinWidth(MulDiv(limits->MinWidth(), M, D));
  if (limits->MinHeight() != 0) limits->SetMinHeight(MulDiv(limits->MinHeight(), M, D));
  if (limits->MaxWidth() != 0) limits->SetMaxWidth(MulDiv(limits->MaxWidth(), M, D));
  if (limits->MaxHeight() != 0) limits->SetMaxHeight(MulDiv(limits->MaxHeight(), M, D));
}

void TtrvForm::CenterOnWindow(HWND Wnd) {
  RECT reference{};
  // The handle may come from another process through a COM call: it may never have been a
  // window, or may be gone by now. Such a handle counts as none.
  const bool overWindow = Wnd && IsWindow(Wnd) && GetWindowRect(Wnd, &reference);
  if (!overWindow) reference = GetPrimaryMonitor()->WorkareaRect();
  const int width = Width(), height = Height();
  const int left = (reference.left + reference.right - width) / 2;
  const int top = (reference.top + reference.bottom - height) / 2;
  SetBoundsRect(FitRectIntoWorkArea(RECT{left, top, left + width, top + height}));
}

void TtrvForm::ApplyDesignFont(const LOGFONTW* LogFont, int D, int M, int ButtonHeight) {
  if (FDesignFontApplied || !LogFont) return;
  FDesignFontApplied = true;
  // A scale of zero or less would leave the form with no size, or a negative one.
  if (M > 0 && D > 0) ChangeScale(M, D);
  // The form's font owns the handle from here on and deletes it with its next change.
  if (HFONT font = ApiCreateFontIndirect(LogFont)) Font()->SetHandle(font);
  AdjustControlsToFont(this, D, M, ButtonHeight);
}

void TtrvForm::AdjustControlsToFont(TWinControl* Parent, int D, int M, int ButtonHeight) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* control = Parent->Controls(i);
    if (auto* bar = dynamic_cast<TToolBar*>(control)) {
      ResizeToolBarButtons(bar, D, M, ButtonHeight);
    } else if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
      AdjustControlsToFont(windowed, D, M, ButtonHeight);
      if (auto* controlBar = dynamic_cast<TUtxControlBar*>(windowed)) AdjustControlBarRowSize(controlBar);
    }
  }
}

void TtrvForm::ResizeToolBarButtons(TToolBar* Bar, int D, int M, int ButtonHeight) {
  if (!Bar->AutoSize()) return;
  const int oldHeight = Bar->ButtonHeight();
  // Without a height to go from, or to, the buttons keep their width.
  if (oldHeight > 0 && ButtonHeight > 0) Bar->SetButtonWidth(MulDiv(Bar->ButtonWidth(), ButtonHeight, oldHeight));
  if (ButtonHeight > 0) Bar->SetButtonHeight(ButtonHeight);
  if (M <= 0 || D <= 0) return;
  for (int i = 0; i < Bar->ControlCount(); ++i) {
    TControl* control = Bar->Controls(i);
    control->SetWidth(MulDiv(control->Width(), M, D));
  }
}

void TtrvForm::AdjustControlBarRowSize(TCustomControlBar* Bar) {
  int tallest = 0;
  for (int i = 0; i < Bar->ControlCount(); ++i)
    if (auto* tools = dynamic_cast<TToolBar*>(Bar->Controls(i))) tallest = std::max(tallest, tools->Height());
  Bar->SetRowSize(std::max(Bar->RowSize(), tallest) + 4);
}

void TtrvForm::KeyDown(WORD& Key, TShiftState Shift) {
  TUtxForm::KeyDown(Key, Shift);
  if (!Shift.Contains(TShiftStateBit::ssCtrl) || (Key != VK_PRIOR && Key != VK_NEXT)) return;
  TPageControl* pages = FindParentPageControl(ActiveControl());
  if (!pages) return;
  pages->SelectNextPage(Key == VK_NEXT);
  Key = 0;
}

TPageControl* FindParentPageControl(TControl* Control) {
  // The page control itself holds the focus while its tabs have it.
  for (TControl* c = Control; c; c = c->Parent())
    if (auto* pages = dynamic_cast<TPageControl*>(c)) return pages;
  return nullptr;
}

void TtrvForm::ApplyDefaultDesignFont() {
  ApplyDesignFont(DefaultDesignLogFont, DefaultDesignFontD, DefaultDesignFontM, DefaultToolButtonHeight);
}

TComponent* FindDesignedComponent(TComponent* Root, const wchar_t* Name, TClass Class) {
  TComponent* c = Root->FindComponent(Name);
  if (!c || !c->InheritsFrom(Class))
    throw EComponentError(NarrowText(WideString(Root->ClassName()) + L": " + Name + L" (" +
                                     WideString(Class->Name) + L") fehlt"));
  return c;
}

void TtrvOwnedForm::CreateParams(TCreateParams& Params) {
  TtrvForm::CreateParams(Params);
  if (auto* owner = dynamic_cast<TWinControl*>(Owner())) Params.WndParent = owner->Handle();
}

VGT_PUBLISH(TtrvForm) {}
VGT_PUBLISH(TtrvNoResourceForm) {}
VGT_PUBLISH(TtrvOwnedForm) {}

// ---- Work areas ----

RECT FitRectIntoWorkArea(const RECT& R) {
  RECT result = R;
  TMonitor* monitor = Screen->MonitorFromRect(R, TMonitorDefaultTo::mdNearest);
  if (!monitor) return result;
  const RECT area = monitor->WorkareaRect();
  if (result.right > area.right) OffsetRect(&result, area.right - result.right, 0);
  if (result.bottom > area.bottom) OffsetRect(&result, 0, area.bottom - result.bottom);
  if (result.top < area.top) OffsetRect(&result, 0, area.top - result.top);
  if (result.left < area.left) OffsetRect(&result, area.left - result.left, 0);
  return result;
}

TMonitor* GetPrimaryMonitor() {
  const int count = Screen->MonitorCount();
  for (int i = 0; i < count; ++i)
    if (Screen->Monitors(i)->Primary()) return Screen->Monitors(i);
  return Screen->Monitors(0);
}

// ---- The screen-cursor stack ----

TCursorDelay::TCursorDelay() : FTimer(new TTimer(nullptr)) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(DelayMilliseconds);
  FTimer->SetOnTimer([this](TObject* Sender) { Tick(Sender); });
}

TCursorDelay::~TCursorDelay() = default;

void TCursorDelay::Start() { FTimer->SetEnabled(true); }
void TCursorDelay::Stop() { FTimer->SetEnabled(false); }
bool TCursorDelay::Running() const { return FTimer->Enabled(); }

void TCursorDelay::Tick(TObject*) {
  FTimer->SetEnabled(false);
  Screen->SetCursor(crDefault);
}

namespace {

// Made on first use, on the user-interface thread, and gone before the class library's globals.
struct TCursorStack {
  std::vector<TCursor> Saved;
  TCursorDelay Delay;
};

TCursorStack& CursorStack() {
  static TCursorStack stack;
  return stack;
}

void PushCursor(TCursor Shown) {
  TCursorStack& stack = CursorStack();
  stack.Delay.Stop();
  stack.Saved.push_back(Screen->Cursor());
  Screen->SetCursor(Shown);
}

}  // namespace

void PushHourGlassCursor() { PushCursor(crHourGlass); }
void PushDefaultCursor() { PushCursor(crDefault); }

void PopCursor() {
  TCursorStack& stack = CursorStack();
  if (stack.Saved.empty()) return;
  // The last pop leaves the cursor for a moment: a push right after it then does not flicker, and
  // the cursor finally shown is crDefault, not the one the first push found.
  const bool last = stack.Saved.size() == 1;
  const TCursor saved = stack.Saved.back();
  stack.Saved.pop_back();
  if (last) stack.Delay.Start();
  else Screen->SetCursor(saved);
}

int CursorStackDepth() { return static_cast<int>(CursorStack().Saved.size()); }

TPushedCursor::TPushedCursor(TKind Kind) {
  if (Kind == TKind::HourGlass) PushHourGlassCursor();
  else PushDefaultCursor();
}

TPushedCursor::~TPushedCursor() {
  try {
    PopCursor();
  } catch (...) {
    // No timer to be had: the cursor stays as it is rather than the unwinding stop here.
  }
}

// ======================= TtrvPanel =======================

TtrvPanel::TtrvPanel(TComponent* AOwner) : TUtxPanel(AOwner) {
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
  SetWideControlText(this, L"");
  SetParentBackground(true);
}

void TtrvPanel::Paint() {
  TCanvas* c = Canvas();
  c->RequiredState(csHandleValid);
  const TSavedDCState saved(c->Handle());
  if (!saved) RaiseLastOSErrorW();
  if (!UnicodePlatform()) {
    TUtxPanel::Paint();
  } else {
    RECT r = PaintFrame();
    const WideString caption = GetWideControlText(this);
    if (!caption.empty()) {
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Font()->Assign(Font());
      const int h = WideCanvasTextHeight(c, L"W");
      r.top = (r.top + r.bottom - h) / 2;
      r.bottom = r.top + h;
      static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
      UINT flags = align[static_cast<int>(FAlignment)] | DT_VCENTER | DT_SINGLELINE;
      if (UseRightToLeftReading()) {
        // Right-to-left reading mirrors the alignment as the class library does.
        flags |= DT_RTLREADING;
        if (FAlignment == TAlignment::taLeftJustify) flags = (flags & ~DT_LEFT) | DT_RIGHT;
        else if (FAlignment == TAlignment::taRightJustify) flags &= ~DT_RIGHT;
      }
      c->RequiredState(csHandleValid | csFontValid | csBrushValid);
      SetBkMode(c->Handle(), TRANSPARENT);
      SetTextColor(c->Handle(), ColorToRGB(Font()->Color()));
      WideDrawText(c->Handle(), caption.c_str(), -1, &r, flags);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
    }
  }
}

// ======================= TtrvWindowsIcon =======================

namespace {

// The identifiers of the system's icons and OEM bitmaps, by image value.
bool WindowsImageResource(TtrvWindowsImageIndex Value, UINT& Id, bool& IsIcon) {
  static const UINT icons[] = {0,     32512, 32513, 32514, 32515, 32516, 32517, 32515, 32513, 32516};
  const int v = static_cast<int>(Value);
  if (v <= 0) return false;
  if (v < 10) {
    Id = icons[v];
    IsIcon = true;
    return true;
  }
  IsIcon = false;
  if (v <= 30) Id = 32754 - (v - 10);  // OBM_CLOSE down to OBM_LFARROWI
  else if (v <= 43) Id = 32767 - (v - 31);  // OBM_OLD_CLOSE down to OBM_OLD_RESTORE
  else return false;
  return true;
}

}  // namespace

TtrvWindowsIcon::TtrvWindowsIcon(TComponent* AOwner) : TImage(AOwner) {}

TtrvWindowsIcon::~TtrvWindowsIcon() { ReleaseImage(false); }

void TtrvWindowsIcon::ReleaseImage(bool Clear) {
  if (FWindowsImage == TtrvWindowsImageIndex::wiNothing) return;
  // The handle is the system's shared one: the picture gives it up without destroying it.
  if (TGraphic* g = Picture()->Graphic()) {
    if (auto* icon = dynamic_cast<TIcon*>(g)) icon->SetHandle(nullptr, true);
    else if (auto* bitmap = dynamic_cast<TBitmap*>(g)) bitmap->ReleaseHandle();
  }
  // Nothing is left to destroy: the empty picture goes, and the image repaints.
  if (Clear) Picture()->SetGraphic(nullptr);
}

void TtrvWindowsIcon::SetWindowsImage(TtrvWindowsImageIndex Value) {
  ReleaseImage(true);
  FWindowsImage = Value;
  UINT id = 0;
  bool isIcon = false;
  if (!WindowsImageResource(Value, id, isIcon)) return;
  // An icon at the system's icon size: asked for at its "own" size, the platform may hand out its
  // largest image (256 pixels), which the image would show cut to a corner.
  const HANDLE h = LoadImageA(nullptr, MAKEINTRESOURCEA(id), isIcon ? IMAGE_ICON : IMAGE_BITMAP, 0, 0,
                              isIcon ? LR_SHARED | LR_DEFAULTSIZE : LR_SHARED);
  FIsIcon = isIcon;
  if (!h) return;
  if (isIcon) Picture()->Icon()->SetHandle(static_cast<HICON>(h), true);
  else Picture()->Bitmap()->SetHandle(static_cast<HBITMAP>(h));
}

// ======================= TtrvURLLabel =======================

namespace {

void OpenWithShell(const WideString& URL) {
  // What the shell answers is of no use to the user: nothing is shown for a failure.
  WideShellExecute(nullptr, L"open", URL.c_str(), L"", L"", SW_SHOW);
}

TShellOpenURL& ShellOpenURL() {
  static TShellOpenURL open = OpenWithShell;
  return open;
}

}  // namespace

TShellOpenURL SetShellOpenURL(TShellOpenURL Open) {
  TShellOpenURL old = std::move(ShellOpenURL());
  ShellOpenURL() = Open ? std::move(Open) : TShellOpenURL(OpenWithShell);
  return old;
}

TtrvURLLabel::TtrvURLLabel(TComponent* AOwner) : TUtxLabel(AOwner) {
  SetCursor(FLinkCursor);
}

void TtrvURLLabel::SetURLToLaunch(const WideString& Value) {
  if (Value == FURLToLaunch) return;
  FURLToLaunch = Value;
  SetCursor(FURLToLaunch.empty() ? FEmptyCursor : FLinkCursor);
}

void TtrvURLLabel::SetLinkCursor(TCursor Value) {
  FLinkCursor = Value;
  if (Enabled() && !FURLToLaunch.empty()) SetCursor(Value);
}

void TtrvURLLabel::SetDisabledCursor(TCursor Value) {
  FDisabledCursor = Value;
  if (!Enabled()) SetCursor(Value);
}

void TtrvURLLabel::SetEmptyCursor(TCursor Value) {
  FEmptyCursor = Value;
  if (Enabled() && FURLToLaunch.empty()) SetCursor(Value);
}

void TtrvURLLabel::Click() {
  TUtxLabel::Click();
  if (!FURLToLaunch.empty()) ShellOpenURL()(FURLToLaunch);
}

void TtrvURLLabel::Dispatch(TMessage& Message) {
  TUtxLabel::Dispatch(Message);
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED: SetCursor(Enabled() ? FLinkCursor : FDisabledCursor); break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (!FURLToLaunch.empty() && !HasState(csDesigning)) {
        TFontStyles style = Font()->Style();
        if (Message.Msg == CM_MOUSEENTER) style.Include(TFontStyle::fsUnderline);
        else style.Exclude(TFontStyle::fsUnderline);
        Font()->SetStyle(style);
      }
      break;
    default: break;
  }
}

// ======================= TtrvLine =======================

TtrvLine::TtrvLine(TComponent* AOwner) : TGraphicControl(AOwner) {
  FColor = clWindow;
  FParentColor = true;
}

void TtrvLine::SetLinePosition(TtrvLinePosition Value) {
  if (static_cast<int>(Value) > static_cast<int>(TtrvLinePosition::trvlpBottom))
    throw ETRVException(L"TtrvLine.SetLinePosition: Value is not valid");
  FLinePosition = Value;
  Invalidate();
}

void TtrvLine::LinePoints(TtrvLinePosition Position, int Width, int Height, POINT& From, POINT& To) {
  switch (Position) {
    case TtrvLinePosition::trvlpLeft: From = {0, 0}; To = {0, Height}; return;
    case TtrvLinePosition::trvlpRight: From = {Width - 1, 0}; To = {Width - 1, Height}; return;
    case TtrvLinePosition::trvlpTop: From = {0, 0}; To = {Width, 0}; return;
    case TtrvLinePosition::trvlpBottom: From = {0, Height - 1}; To = {Width, Height - 1}; return;
  }
  throw EMustNotHappen(L"TtrvLine.Paint");
}

void TtrvLine::Paint() {
  POINT from{}, to{};
  LinePoints(FLinePosition, ClientWidth(), ClientHeight(), from, to);
  TCanvas* c = Canvas();
  c->Pen()->SetColor(FColor);
  c->MoveTo(from.x, from.y);
  c->LineTo(to.x, to.y);
}

// ======================= TtrvToolBar =======================

namespace {

// Common controls 5.80 and later know the whole-drop-down style.
bool HasWholeDropDown() {
  static const bool known = [] {
    using TDllGetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    auto get = module ? reinterpret_cast<TDllGetVersion>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")))
                      : nullptr;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (!get || FAILED(get(&info))) return false;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion) >= 0x00050050;
  }();
  return known;
}

TtrvToolButton* TrvButtonOf(DWORD_PTR Data) {
  return dynamic_cast<TtrvToolButton*>(reinterpret_cast<TToolButton*>(Data));
}

}  // namespace

void TtrvToolBar::FilterWideCaption(TMessage& Message) {
  if (Message.Msg == TB_INSERTBUTTONA && Message.LParam) {
    auto* b = reinterpret_cast<TBBUTTON*>(Message.LParam);
    TtrvToolButton* button = TrvButtonOf(b->dwData);
    if (!button) return;
    if (button->WholeDropDown() && HasWholeDropDown()) b->fsStyle |= BTNS_WHOLEDROPDOWN;
    if (ShowCaptions() && b->iString != -1 && UnicodePlatform()) {
      FWideCaption = button->Caption();
      if (WidenText(NarrowText(FWideCaption)) != FWideCaption) {
        // A list of strings: the caption's own NUL and the list's.
        FWideCaption.push_back(L'\0');
        b->iString = SendMessageW(WindowHandle(), TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(FWideCaption.c_str()));
      }
    }
  } else if (Message.Msg == TB_SETBUTTONINFOA && Message.LParam) {
    auto* info = reinterpret_cast<TBBUTTONINFOA*>(Message.LParam);
    if (!(info->dwMask & TBIF_LPARAM)) return;
    TtrvToolButton* button = TrvButtonOf(info->lParam);
    if (!button) return;
    if (button->WholeDropDown() && HasWholeDropDown()) info->fsStyle |= BTNS_WHOLEDROPDOWN;
    if (ShowCaptions() && info->cchText > 0 && UnicodePlatform()) {
      const WideString narrow = info->pszText ? WidenText(info->pszText) : WideString();
      FWideCaption = button->Caption();
      if (narrow != FWideCaption) {
        // The structures differ only in the type of the text pointer.
        Message.Msg = TB_SETBUTTONINFOW;
        info->cchText = static_cast<int>(FWideCaption.size());
        info->pszText = reinterpret_cast<LPSTR>(FWideCaption.data());
      }
    }
  }
}

void TtrvToolBar::WndProc(TMessage& Message) {
  FilterWideCaption(Message);
  TToolBar::WndProc(Message);
}

void TtrvToolBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
  TToolBar::Dispatch(Message);
}

void TtrvToolBar::DefineProperties(TFiler* Filer) {
  TToolBar::DefineProperties(Filer);
  DefineWideStringProperties(Filer, this);
}

// ======================= TtrvToolButton =======================

void TtrvToolButton::RefreshButton() {
  if (ToolBar()) ToolBar()->RecreateButtons();
}

void TtrvToolButton::SetWholeDropDown(bool Value) {
  if (Value == FWholeDropDown) return;
  FWholeDropDown = Value;
  RefreshButton();
}

void TtrvToolButton::SetShowText(bool Value) {
  if (Value == FShowText) return;
  FShowText = Value;
  RefreshButton();
}

void TtrvToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TToolButton::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TUtxAction*>(Sender);
  if (!action) return;
  const WideString caption = Caption();
  if (!CheckDefaults || caption.empty() || caption == Name()) SetCaption(action->Caption());
  if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
}

void TtrvToolButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
  TToolButton::Dispatch(Message);
}

void TtrvToolButton::DefineProperties(TFiler* Filer) {
  TToolButton::DefineProperties(Filer);
  DefineWideStringProperties(Filer, this);
}

// ======================= Application title and dialog font =======================

void SetApplicationTitle(const WideString& Title) {
  Application->SetTitle(NarrowText(Title));
  if (UnicodePlatform() && Application->HandleAllocated())
    DefWindowProcW(Application->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Title.c_str()));
}

void SetDialogFont(TFont* Font) { Font->SetName(NarrowText(GetDialogFontName())); }

namespace {

// The dark pixels of a sample drawn in Face at Height and Weight.
int InkOfSample(const AnsiString& Face, int Height, int Weight) {
  static const char sample[] = "Www.Bold-Ink.example";
  const int width = 40 * (std::abs(Height) + 1), height = 2 * (std::abs(Height) + 1);
  TPixelCanvas canvas(width, height);
  const HDC dc = canvas.DC();
  if (!dc || !canvas.Valid()) return 0;
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  LOGFONTA lf{};
  lf.lfHeight = Height;
  lf.lfWeight = Weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, Face.c_str(), LF_FACESIZE);
  const TGdiObject<HFONT> font(CreateFontIndirectA(&lf));
  const TSelectedObject selectedFont(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 0, 0, sample, static_cast<int>(sizeof sample - 1));
  GdiFlush();
  int ink = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const DWORD pixel = canvas.Pixel(x, y);
      if ((pixel & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && ((pixel >> 16) & 0xFF) < 0x80) ++ink;
    }
  return ink;
}

}  // namespace

bool FaceDrawsBold(const AnsiString& Face, int Height) {
  // Drawn once per face and size: the answer does not change while the program runs.
  static std::map<std::pair<AnsiString, int>, bool> known;
  const auto key = std::make_pair(Face, Height);
  if (auto it = known.find(key); it != known.end()) return it->second;
  const int regular = InkOfSample(Face, Height, FW_NORMAL), bold = InkOfSample(Face, Height, FW_BOLD);
  // A real bold puts down a good deal more ink; a regular drawn at bold widths does not.
  const bool draws = bold > regular + regular / 8;
  known.emplace(key, draws);
  return draws;
}

void UseFaceThatDrawsBold(TFont* Font) {
  if (!Font->Style().Contains(TFontStyle::fsBold) || FaceDrawsBold(Font->Name(), Font->Height())) return;
  for (const char* face : {"Arial", "MS Sans Serif", "Verdana"})
    if (FaceDrawsBold(face, Font->Height())) {
      Font->SetName(face);
      return;
    }
}

// ======================= Published properties =======================

VGT_PUBLISH(TtrvPanel) { P.Prop(L"BevelKind", &TCustomPanel::BevelKind, &TCustomPanel::SetBevelKind); }

VGT_PUBLISH(TtrvWindowsIcon) {
  P.Prop(L"WindowsImage", &TtrvWindowsIcon::WindowsImage, &TtrvWindowsIcon::SetWindowsImage);
}

VGT_PUBLISH(TtrvURLLabel) {
  P.Prop(L"URLToLaunch", &TtrvURLLabel::URLToLaunch, &TtrvURLLabel::SetURLToLaunch)
      .Prop(L"Cursor", &TtrvURLLabel::LinkCursor, &TtrvURLLabel::SetLinkCursor)
      .Prop(L"DisabledCursor", &TtrvURLLabel::DisabledCursor, &TtrvURLLabel::SetDisabledCursor)
      .Prop(L"EmptyCursor", &TtrvURLLabel::EmptyCursor, &TtrvURLLabel::SetEmptyCursor);
}

VGT_PUBLISH(TtrvLine) {
  P.Prop(L"LinePosition", &TtrvLine::LinePosition, &TtrvLine::SetLinePosition)
      .Prop(L"Color", &TControl::Color, &TControl::SetColor)
      .Prop(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
}

VGT_PUBLISH(TtrvToolBar) { PublishWideHint(PublishWideText(P)); }

VGT_PUBLISH(TtrvToolButton) {
  PublishWideHint(PublishWideText(P))
      .Prop(L"ShowText", &TtrvToolButton::ShowText, &TtrvToolButton::SetShowText)
      .Prop(L"WholeDropDown", &TtrvToolButton::WholeDropDown, &TtrvToolButton::SetWholeDropDown);
}
