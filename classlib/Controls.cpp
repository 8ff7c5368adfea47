#include "classlib/Controls.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "classlib/ActnList.h"
#include "classlib/Themes.h"

TWinControl* CreationControl = nullptr;
ATOM ControlAtom = 0;
ATOM WindowAtom = 0;
TCursor ScreenCursor = crDefault;
void (*ApplicationHandleException)(TObject* Sender) = nullptr;

namespace {

TControl* CaptureControl = nullptr;

HINSTANCE ThisModule() { return LibraryInstance(); }

bool IsGraphic(const TControl* c) { return dynamic_cast<const TWinControl*>(c) == nullptr; }

}  // namespace

// The module the library is linked into: the allocation base of its own code (works on every
// Windows version, unlike the module-from-address call of XP).
HINSTANCE LibraryInstance() {
  static HINSTANCE instance = [] {
    MEMORY_BASIC_INFORMATION mbi{};
    VirtualQuery(reinterpret_cast<const void*>(&LibraryInstance), &mbi, sizeof mbi);
    return static_cast<HINSTANCE>(mbi.AllocationBase);
  }();
  return instance;
}

void HandleCurrentException(TObject* Sender) noexcept {
  if (!std::current_exception()) return;
  try {
    if (ApplicationHandleException) {
      ApplicationHandleException(Sender);
      return;
    }
    try {
      throw;
    } catch (const std::exception& e) {
      OutputDebugStringA(e.what());
    } catch (...) {
      OutputDebugStringA("unknown exception");
    }
  } catch (...) {
    // The handler itself failed: nothing may leave a window procedure.
  }
}

void InitControls() {
  if (ControlAtom) return;
  char name[64];
  std::snprintf(name, sizeof name, "ControlOfs%.8lX%.8lX",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(ThisModule())),
                static_cast<unsigned long>(GetCurrentThreadId()));
  ControlAtom = GlobalAddAtomA(name);
  std::snprintf(name, sizeof name, "VgtWindowOf%.8lX", static_cast<unsigned long>(GetCurrentProcessId()));
  WindowAtom = GlobalAddAtomA(name);
}

void DoneControls() {
  if (ControlAtom) GlobalDeleteAtom(ControlAtom);
  if (WindowAtom) GlobalDeleteAtom(WindowAtom);
  ControlAtom = WindowAtom = 0;
}

namespace {

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  try {
    (*method)(m);
  } catch (...) {
    HandleCurrentException(nullptr);
  }
  return m.Result;
}

}  // namespace

HWND AllocateHWnd(const TWndMethod& Method) {
  static const char* cls = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilWndProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = "VgtUtilWindow";
    RegisterClassA(&wc);
    return "VgtUtilWindow";
  }();
  HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, cls, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ThisModule(), nullptr);
  if (!h) throw EOSError("Fenster kann nicht erstellt werden", GetLastError());
  SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(Method)));
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  if (!Wnd) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  delete method;
}

bool IsAccel(WORD CharCode, const AnsiString& Caption) {
  char accel = 0;
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    accel = Caption[i + 1];
  }
  if (!accel || CharCode > 0xFF) return false;
  char a[2] = {accel, 0}, b[2] = {static_cast<char>(CharCode), 0};
  CharUpperA(a);
  CharUpperA(b);
  return a[0] == b[0];
}

AnsiString GetShortHint(const AnsiString& Hint) {
  size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& Hint) {
  size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(bar + 1);
}

AnsiString GetHint(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return {};
}

TWinControl* FindControl(HWND Wnd) {
  if (!Wnd || !ControlAtom) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Wnd, MAKEINTATOM(ControlAtom)));
}

TWinControl* TopLevelParent(TControl* Control) {
  if (!Control) return nullptr;
  TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TWinControl*>(c);
}

TControl* FindDragTarget(POINT Pos, bool AllowDisabled) {
  HWND wnd = WindowFromPoint(Pos);
  TWinControl* w = nullptr;
  while (wnd && !(w = FindControl(wnd))) wnd = GetParent(wnd);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
  return c ? c : w;
}

TControl* GetCaptureControl() {
  if (CaptureControl) return CaptureControl;
  return FindControl(GetCapture());
}

void SetCaptureControl(TControl* Control) {
  CaptureControl = nullptr;
  if (!Control) {
    ReleaseCapture();
    return;
  }
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    SetCapture(w->Handle());
    return;
  }
  if (Control->Parent()) {
    SetCapture(Control->Parent()->Handle());
    CaptureControl = Control;
  }
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(TShiftStateBit::ssShift);
  if (Keys & MK_CONTROL) s.Include(TShiftStateBit::ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(TShiftStateBit::ssLeft);
  if (Keys & MK_RBUTTON) s.Include(TShiftStateBit::ssRight);
  if (Keys & MK_MBUTTON) s.Include(TShiftStateBit::ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftStateBit::ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(TShiftStateBit::ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(TShiftStateBit::ssCtrl);
  if (KeyData & 0x20000000) s.Include(TShiftStateBit::ssAlt);
  return s;
}

const TIdentInfo& CursorIdents() {
  static const TIdentInfo info{{
      {L"crDefault", crDefault}, {L"crNone", crNone}, {L"crArrow", crArrow}, {L"crCross", crCross},
      {L"crIBeam", crIBeam}, {L"crSizeNESW", crSizeNESW}, {L"crSizeNS", crSizeNS}, {L"crSizeNWSE", crSizeNWSE},
      {L"crSizeWE", crSizeWE}, {L"crUpArrow", crUpArrow}, {L"crHourGlass", crHourGlass}, {L"crNo", crNo},
      {L"crAppStart", crAppStart}, {L"crHelp", crHelp}, {L"crHandPoint", crHandPoint}, {L"crSizeAll", crSizeAll},
  }};
  return info;
}

HCURSOR CursorHandle(TCursor Cursor) {
  LPCSTR id = IDC_ARROW;
  switch (Cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* c = FindControl(Wnd);
  if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  c->MainWndProc(m);
  return m.Result;
}

LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* c = CreationControl;
  if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  CreationControl = nullptr;
  c->FHandle = Wnd;
  SetPropA(Wnd, MAKEINTATOM(ControlAtom), c);
  SetPropA(Wnd, MAKEINTATOM(WindowAtom), c);
  SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc));
  if ((GetWindowLongA(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongA(Wnd, GWL_ID) == 0)
    SetWindowLongPtrA(Wnd, GWL_ID, reinterpret_cast<LONG_PTR>(Wnd));
  return StdWndProc(Wnd, Msg, WParam, LParam);
}

// ======================= TControl =======================

namespace {
thread_local TFreeWatch* Watches = nullptr;
}

TFreeWatch::TFreeWatch(const TControl* Control) : FControl(Control), FOuter(Watches) { Watches = this; }

TFreeWatch::~TFreeWatch() { Watches = FOuter; }

void TFreeWatch::ControlFreed(const TControl* Control) noexcept {
  for (TFreeWatch* w = Watches; w; w = w->FOuter)
    if (w->FControl == Control) w->FFreed = true;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont), FConstraints(new TSizeConstraints) {
  FWindowProc = OwnWndProc();
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FConstraints->OnChange = [this](TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); };
}

void TSizeConstraints::Set(int& Field, int Value) {
  if (Value < 0) Value = 0;
  if (Field == Value) return;
  Field = Value;
  if (OnChange) OnChange(this);
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (FMaxWidth > 0 && Width > FMaxWidth) Width = FMaxWidth;
  if (FMinWidth > 0 && Width < FMinWidth) Width = FMinWidth;
  if (FMaxHeight > 0 && Height > FMaxHeight) Height = FMaxHeight;
  if (FMinHeight > 0 && Height < FMinHeight) Height = FMinHeight;
}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TSizeConstraints*>(Source)) {
    FMinWidth = c->FMinWidth;
    FMinHeight = c->FMinHeight;
    FMaxWidth = c->FMaxWidth;
    FMaxHeight = c->FMaxHeight;
    if (OnChange) OnChange(this);
    return;
  }
  TPersistent::Assign(Source);
}

void TControl::ScaleBy(int M, int D) {
  if (M == D || D == 0) return;
  ChangeScale(M, D);
}

void TControl::ChangeScale(int M, int D) {
  SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FLeft + FWidth, M, D) - MulDiv(FLeft, M, D),
            MulDiv(FTop + FHeight, M, D) - MulDiv(FTop, M, D));
  if (!FParentFont) FFont->SetSize(MulDiv(FFont->Size(), M, D));
}

void TWinControl::ChangeScale(int M, int D) {
  DisableAlign();
  try {
    for (TControl* c : std::vector<TControl*>(FControls)) c->ChangeScale(M, D);
    if (FParent) TControl::ChangeScale(M, D);
    else if (!FParentFont) FFont->SetSize(MulDiv(FFont->Size(), M, D));
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

TControl::~TControl() {
  TFreeWatch::ControlFreed(this);
  Destroying();
  if (CaptureControl == this) CaptureControl = nullptr;
  delete FActionLink;
  FActionLink = nullptr;
  if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  FWindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
    if (FControlStyle & csCaptureMouse) SetCaptureControl(this);
  } else if (Message.Msg == WM_LBUTTONUP) {
    // Only a capture of our own: platform controls release theirs themselves.
    if ((FControlStyle & csCaptureMouse) && GetCaptureControl() == this) SetCaptureControl(nullptr);
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      WMMouse(Message);
      break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    default: DefaultHandler(Message); break;
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char*>(Message.LParam);
      size_t room = Message.WParam;
      if (!buf || room == 0) {
        Message.Result = 0;
        break;
      }
      size_t n = std::min(room - 1, FText.size());
      std::copy_n(FText.data(), n, buf);
      buf[n] = '\0';
      Message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(FText.size()); break;
    case WM_SETTEXT:
      FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      Message.Result = 1;
      break;
    default: break;
  }
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperationControl("Ein Steuerelement kann nicht sein eigenes übergeordnetes Element sein");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FConstraints->Apply(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  RequestAlign();
  Resize();
}

RECT TControl::ClientRect() { return RECT{0, 0, FWidth, FHeight}; }

void TControl::SetClientSize(int W, int H) { SetBounds(FLeft, FTop, W, H); }

POINT TControl::ClientOrigin() {
  if (!FParent) throw EInvalidOperationControl("Steuerelement hat kein übergeordnetes Fenster");
  POINT p = FParent->ClientOrigin();
  return POINT{p.x + FLeft, p.y + FTop};
}

POINT TControl::ClientToScreen(POINT P) {
  POINT o = ClientOrigin();
  return POINT{P.x + o.x, P.y + o.y};
}

POINT TControl::ScreenToClient(POINT P) {
  POINT o = ClientOrigin();
  return POINT{P.x - o.x, P.y - o.y};
}

void TControl::SetAlign(TAlign Value) {
  if (ChangeField(FAlign, Value)) RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::BringToFront() {
  if (FParent) FParent->SetZOrderOf(this, true);
}

void TControl::SendToBack() {
  if (FParent) FParent->SetZOrderOf(this, false);
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

AnsiString TControl::GetText() {
  int len = GetTextLen();
  if (len <= 0) return {};
  AnsiString s(static_cast<size_t>(len) + 1, '\0');
  LRESULT n = Perform(WM_GETTEXT, static_cast<WPARAM>(len + 1), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(n, 0, len)));
  return s;
}

void TControl::SetText(const AnsiString& Value) {
  if (GetText() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  ChangeAndNotify(FShowHint, Value, CM_SHOWHINTCHANGED);
}

void TControl::SetParentFlag(bool& Flag, bool Value, UINT Msg) {
  if (Flag == Value) return;
  Flag = Value;
  if (Value && FParent) Perform(Msg, 0, 0);
}

void TControl::SetParentShowHint(bool Value) { SetParentFlag(FParentShowHint, Value, CM_PARENTSHOWHINTCHANGED); }

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value, 0);
  RequestAlign();
}

void TControl::Show() {
  if (FParent) FParent->Show();
  SetVisible(true);
}

void TControl::SetEnabled(bool Value) { ChangeAndNotify(FEnabled, Value, CM_ENABLEDCHANGED); }

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetParentFont(bool Value) { SetParentFlag(FParentFont, Value, CM_PARENTFONTCHANGED); }

void TControl::SetColor(TColor Value) {
  FParentColor = false;
  ChangeAndNotify(FColor, Value, CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) { SetParentFlag(FParentColor, Value, CM_PARENTCOLORCHANGED); }

void TControl::SetCursor(TCursor Value) { ChangeAndNotify(FCursor, Value, CM_CURSORCHANGED); }

void TControl::SetBiDiMode(TBiDiMode Value) { ChangeAndNotify(FBiDiMode, Value, CM_BIDIMODECHANGED); }

void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated()) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->WindowHandle(), &r, !(FControlStyle & csOpaque));
  }
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

// Fonts: a control that uses its parent's font takes it whenever it changes; setting the font
// itself ends that.
static thread_local bool TakingParentFont = false;

void TControl::FontChanged() {
  if (!TakingParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) { Invalidate(); }
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
  if (!FParentFont || !FParent) return;
  TakingParentFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    TakingParentFont = false;
    throw;
  }
  TakingParentFont = false;
}

void TControl::CMParentColorChanged(TMessage&) {
  if (FParent) TakeFromParent(FParentColor, FColor, FParent->Color(), CM_COLORCHANGED);
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (FParent) TakeFromParent(FParentShowHint, FShowHint, FParent->ShowHint(), CM_SHOWHINTCHANGED);
}

void TControl::CMHintShow(TMessage&) {}

void TControl::WMMouse(TMessage& Message) {
  TWMMouse m{Message};
  TShiftState shift = KeysToShiftState(m.Keys());
  TFreeWatch watch(this);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Message.Msg == WM_LBUTTONDBLCLK && (FControlStyle & csDoubleClicks)) {
        shift.Include(TShiftStateBit::ssDouble);
        DblClick();
        if (watch.Freed()) return;
      }
      if (FControlStyle & csClickEvents) FControlState |= csClicked;
      FControlState |= csLButtonDown;
      MouseDown(TMouseButton::mbLeft, shift, m.X(), m.Y());
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: MouseDown(TMouseButton::mbRight, shift, m.X(), m.Y()); break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: MouseDown(TMouseButton::mbMiddle, shift, m.X(), m.Y()); break;
    case WM_LBUTTONUP: {
      bool clicked = (FControlState & csClicked) != 0;
      FControlState &= ~(csClicked | csLButtonDown);
      if (clicked) {
        RECT r = ClientRect();
        POINT p = m.Pos();
        if (PtInRect(&r, p)) Click();
        if (watch.Freed()) return;
      }
      MouseUp(TMouseButton::mbLeft, shift, m.X(), m.Y());
      break;
    }
    case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, shift, m.X(), m.Y()); break;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, shift, m.X(), m.Y()); break;
    case WM_MOUSEMOVE: MouseMove(shift, m.X(), m.Y()); break;
    default: break;
  }
  if (!watch.Freed()) DefaultHandler(Message);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
  else if (FActionLink) FActionLink->Execute(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (!FActionLink) FActionLink = GetActionLinkClass()->Create(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = [this](TObject* Sender) { DoActionChange(Sender); };
  ActionChange(Value, HasState(csLoading));
  Value->FreeNotification(this);
}

TControlActionLinkClass TControl::GetActionLinkClass() { return ActionLinkClassOf<TControlActionLink>(); }

void TControl::DoActionChange(TObject* Sender) {
  if (Sender == Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == NarrowAcp(Name())) SetCaption(a->Caption());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // An action being freed has already emptied its links.
  if (Operation == TOperation::opRemove && FActionLink &&
      (AComponent == FActionLink->Action() || !FActionLink->Action()))
    SetAction(nullptr);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* a = Action()) ActionChange(a, true);
  RequestAlign();
}

// ======================= TWinControl =======================

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
  FBrush->SetColor(FColor);
  FDefWndProc = DefWindowProcA;
}

TWinControl::~TWinControl() {
  Destroying();
  if (FParent) FParent->RemoveControl(this);
  DestroyHandle();
  // Children go with their parent, whoever owns them.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  if (!FHandle) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = FText.c_str();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle & csAcceptsControls) Params.Style |= WS_CLIPCHILDREN;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->FHandle : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WindowClass.hInstance = ThisModule();
  lstrcpynA(Params.WinClassName, NarrowAcp(ClassName()).c_str(), sizeof Params.WinClassName);
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, ControlClassName, &wc) && !GetClassInfoA(ThisModule(), ControlClassName, &wc))
    throw EOSError("Fensterklasse nicht gefunden", GetLastError());
  HINSTANCE inst = Params.WindowClass.hInstance;
  Params.WindowClass = wc;
  Params.WindowClass.hInstance = inst;
  Params.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
}

void TWinControl::CreateWnd() {
  InitControls();
  TCreateParams p;
  CreateParams(p);
  if (!p.WndParent && (p.Style & WS_CHILD))
    throw EInvalidOperationControl("Element '" + NarrowAcp(Name()) + "' hat kein übergeordnetes Fenster");
  FDefWndProc = p.WindowClass.lpfnWndProc;
  FPlatformClass = FDefWndProc != &DefWindowProcA;
  WNDCLASSA existing{};
  bool registered = GetClassInfoA(p.WindowClass.hInstance, p.WinClassName, &existing) != 0;
  if (!registered || existing.lpfnWndProc != &InitWndProc) {
    if (registered) UnregisterClassA(p.WinClassName, p.WindowClass.hInstance);
    WNDCLASSA wc = p.WindowClass;
    wc.lpfnWndProc = &InitWndProc;
    wc.lpszClassName = p.WinClassName;
    if (!RegisterClassA(&wc)) throw EOSError("Fensterklasse kann nicht registriert werden", GetLastError());
  }
  CreationControl = this;
  try {
    CreateWindowHandle(p);
  } catch (...) {
    CreationControl = nullptr;
    throw;
  }
  CreationControl = nullptr;
  if (!FHandle) throw EOSError("Fenster kann nicht erstellt werden", GetLastError());
  // The window holds the text now.
  FText.clear();
  FText.shrink_to_fit();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
  FAnchorWidth = FAnchorHeight = -1;
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X, Params.Y,
                           Params.Width, Params.Height, Params.WndParent, nullptr, Params.WindowClass.hInstance,
                           Params.Param);
  if (h) FHandle = h;
}

void TWinControl::DestroyWnd() {
  // Keep the text for the next window.
  if (!HasState(csDestroying)) FText = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  FControlState |= csDestroyingHandle;
  HWND h = FHandle;
  if (h && !DestroyWindow(h)) {
    FControlState &= ~csDestroyingHandle;
    throw EOSError("Fenster kann nicht zerstört werden", GetLastError());
  }
  FControlState &= ~csDestroyingHandle;
  FHandle = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  bool wasFocused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (wasFocused && FHandle) ::SetFocus(FHandle);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  DestroyHandle();
  FParentWindow = Value;
  UpdateControlState();
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WindowProc()(Message);
  } catch (...) {
    HandleCurrentException(this);
  }
}

void TWinControl::WndProc(TMessage& Message) {
  const UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL) {
    // Mouse input over a graphic child (or captured by one) belongs to it.
    TControl* target = nullptr;
    TControl* cap = GetCaptureControl();
    if (cap && cap != this && IsGraphic(cap) && cap->Parent() == this) target = cap;
    else if (!cap || cap == this) {
      TWMMouse m{Message};
      TControl* c = ControlAtPos(m.Pos(), false);
      if (c && IsGraphic(c)) target = c;
    }
    if (target) {
      TWMMouse m{Message};
      POINT p{m.X() - target->Left(), m.Y() - target->Top()};
      Message.Result = target->Perform(msg, Message.WParam, PointToLParam(p));
      return;
    }
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_NOTIFY: WMNotify(Message); break;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORDLG: case WM_CTLCOLORMSGBOX:
      WMCtlColor(Message);
      break;
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM: case WM_COMPAREITEM: {
      // Owner-drawn items: the item's control answers.
      HWND item = nullptr;
      if (Message.Msg == WM_DRAWITEM) item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem;
      else if (Message.Msg == WM_DELETEITEM) item = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam)->hwndItem;
      else if (Message.Msg == WM_COMPAREITEM) item = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam)->hwndItem;
      else if (FHandle) item = GetDlgItem(FHandle, static_cast<int>(Message.WParam));
      if (TWinControl* c = FindControl(item)) Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      else DefaultHandler(Message);
      break;
    }
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_CAPTURECHANGED:
      CaptureControl = nullptr;
      DefaultHandler(Message);
      break;
    case CN_KEYDOWN: case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    // Down to every control, however deep: a button in a panel must learn it has the focus.
    case CM_FOCUSCHANGED: Broadcast(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_VISIBLECHANGED: UpdateControlState(); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case CM_ENABLEDCHANGED:
      if (FHandle) EnableWindow(FHandle, FEnabled);
      break;
    case CM_FONTCHANGED:
      if (FHandle) {
        Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
        Invalidate();
      }
      {
        TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
        for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc()(m);
      }
      break;
    case CM_COLORCHANGED: {
      FBrush->SetColor(FColor);
      Invalidate();
      TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
      for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc()(m);
      break;
    }
    case CM_CTL3DCHANGED: {
      if (FHandle) RecreateWnd();
      TMessage m{CM_PARENTCTL3DCHANGED, 0, 0, 0};
      for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc()(m);
      break;
    }
    case CM_PARENTCTL3DCHANGED:
      if (FParentCtl3D && FParent && FCtl3D != FParent->FCtl3D) {
        FCtl3D = FParent->FCtl3D;
        Perform(CM_CTL3DCHANGED, 0, 0);
      }
      break;
    case CM_SHOWHINTCHANGED: {
      TMessage m{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
      for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc()(m);
      break;
    }
    case CM_TABSTOPCHANGED:
      if (FHandle) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE);
        SetWindowLongA(FHandle, GWL_STYLE, FTabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
      }
      break;
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTSHOWHINTCHANGED:
      TControl::Dispatch(Message);
      break;
    default: TControl::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    TControl::DefaultHandler(Message);
    return;
  }
  Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && !IsGraphic(c)) continue;
    if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, P)) return c;
  }
  return nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) FTabList.push_back(w);
  if (AControl->FParentFont) AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  if (AControl->FParentColor) AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  if (AControl->FParentShowHint) AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->FParentCtl3D) w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) w->UpdateControlState();
  else AControl->Invalidate();
  AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->HandleAllocated() && w->Focused()) {
      if (TWinControl* top = TopLevelParent(this)) top->SetFocusedControl(nullptr);
    }
    w->DestroyHandle();
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    AControl->Invalidate();
  }
  if (CaptureControl == AControl) CaptureControl = nullptr;
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  AControl->FParent = nullptr;
  if (AControl->Align() != TAlign::alNone && !HasState(csDestroying)) Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->WindowProc()(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
}

// ---- Alignment ----

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && (FControlState & csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::AlignControl(TControl* AControl) {
  if (HasState(csDestroying)) return;
  if (AlignDisabled() || HasState(csLoading)) {
    FControlState |= csAlignmentNeeded;
    return;
  }
  DisableAlign();
  try {
    RECT r = ClientRect();
    AlignControls(AControl, r);
  } catch (...) {
    --FAlignLevel;
    FControlState &= ~csAlignmentNeeded;
    throw;
  }
  --FAlignLevel;
  FControlState &= ~csAlignmentNeeded;
}

// Controls anchored to the right or bottom follow those edges when the parent's size changes.
void TWinControl::AnchorChildren(int NewWidth, int NewHeight) {
  if (FAnchorWidth >= 0 && FAnchorHeight >= 0 && (NewWidth != FAnchorWidth || NewHeight != FAnchorHeight)) {
    const int dw = NewWidth - FAnchorWidth, dh = NewHeight - FAnchorHeight;
    for (TControl* c : FControls) {
      if (c->Align() != TAlign::alNone) continue;
      TAnchors a = c->Anchors();
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      if (a.Contains(TAnchorKind::akRight)) {
        if (a.Contains(TAnchorKind::akLeft)) w += dw;
        else l += dw;
      }
      if (a.Contains(TAnchorKind::akBottom)) {
        if (a.Contains(TAnchorKind::akTop)) h += dh;
        else t += dh;
      }
      c->SetBounds(l, t, std::max(w, 0), std::max(h, 0));
    }
  }
  FAnchorWidth = NewWidth;
  FAnchorHeight = NewHeight;
}

void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  AnchorChildren(Rect.right - Rect.left, Rect.bottom - Rect.top);
  AdjustClientRect(Rect);
  static const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
  for (TAlign align : order) {
    std::vector<TControl*> list;
    for (TControl* c : FControls) {
      if (c->Align() != align || !c->Visible()) continue;
      // Order within one edge by position; the control being moved goes before its equals.
      auto key = [align](TControl* x) {
        switch (align) {
          case TAlign::alTop: return x->Top();
          case TAlign::alBottom: return -(x->Top() + x->Height());
          case TAlign::alLeft: return x->Left();
          case TAlign::alRight: return -(x->Left() + x->Width());
          default: return 0;
        }
      };
      auto pos = list.begin();
      while (pos != list.end() &&
             (key(*pos) < key(c) || (key(*pos) == key(c) && *pos == AControl)))
        ++pos;
      list.insert(pos, c);
    }
    for (TControl* c : list) {
      int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
      switch (align) {
        case TAlign::alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->Height());
          Rect.top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(Rect.left, Rect.bottom - c->Height(), w, c->Height());
          Rect.bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(Rect.left, Rect.top, c->Width(), h);
          Rect.left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(Rect.right - c->Width(), Rect.top, c->Width(), h);
          Rect.right -= c->Width();
          break;
        case TAlign::alClient: c->SetBounds(Rect.left, Rect.top, std::max(w, 0), std::max(h, 0)); break;
        default: break;
      }
    }
  }
}

// ---- Bounds ----

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FConstraints->Apply(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (resized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

RECT TWinControl::ClientRect() {
  RECT r{0, 0, FWidth, FHeight};
  if (FHandle) {
    GetClientRect(FHandle, &r);
    return r;
  }
  // No window yet: the borders the window will have.
  TCreateParams p;
  CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  r.right = std::max(0L, static_cast<LONG>(FWidth) - (frame.right - frame.left));
  r.bottom = std::max(0L, static_cast<LONG>(FHeight) - (frame.bottom - frame.top));
  return r;
}

void TWinControl::SetClientSize(int W, int H) {
  RECT c = ClientRect();
  SetBounds(FLeft, FTop, FWidth - (c.right - c.left) + W, FHeight - (c.bottom - c.top) + H);
}

POINT TWinControl::ClientOrigin() {
  POINT p{0, 0};
  if (FHandle) {
    ::ClientToScreen(FHandle, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::UpdateBounds() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  HWND parent = GetParent(FHandle);
  if ((GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) && parent)
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
  Realign();
  Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

// ---- Showing ----

void TWinControl::SetShowing(bool Value) { ChangeAndNotify(FShowing, Value, CM_SHOWINGCHANGED); }

// A control shows its window when it is visible; whether its parents show is asked by
// UpdateControlState, and a hidden parent hides its children's windows anyway.
void TWinControl::UpdateShowing() {
  const bool show = FVisible;
  if (show) {
    if (!FHandle) CreateHandle();
    for (TControl* c : std::vector<TControl*>(FControls))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  }
  if (FHandle) SetShowing(show);
}

void TWinControl::UpdateControlState() {
  if (HasState(csLoading) || HasState(csDestroying)) return;
  for (TWinControl* p = FParent; p; p = p->FParent)
    if (!p->FShowing) return;
  if (!FParent && !FHandle && !FVisible) return;
  UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::SetZOrderOf(TControl* Control, bool TopMost) {
  auto it = std::find(FControls.begin(), FControls.end(), Control);
  if (it == FControls.end()) return;
  FControls.erase(it);
  if (TopMost) FControls.push_back(Control);
  else FControls.insert(FControls.begin(), Control);
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->FHandle)
    SetWindowPos(w->FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  else Control->Invalidate();
}

// ---- Painting ----

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !(FControlStyle & csOpaque));
}

void TWinControl::Repaint() {
  Invalidate();
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  int saved = SaveDC(DC);
  SetViewportOrgEx(DC, X, Y, nullptr);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  RestoreDC(DC, saved);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (!IsGraphic(c) || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    POINT org;
    GetViewportOrgEx(DC, &org);
    SetViewportOrgEx(DC, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  if (!dc) dc = BeginPaint(FHandle, &ps);
  try {
    int saved = SaveDC(dc);
    // Windowed children paint themselves.
    for (TControl* c : FControls)
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible() && w->FHandle) {
        RECT r = w->BoundsRect();
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
      }
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (!Message.WParam) EndPaint(FHandle, &ps);
    throw;
  }
  if (!Message.WParam) EndPaint(FHandle, &ps);
}

void TWinControl::WMPaint(TMessage& Message) {
  bool graphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) { return IsGraphic(c); });
  if (!graphicChildren && !(FControlState & csCustomPaint)) {
    DefaultHandler(Message);
    return;
  }
  PaintHandler(Message);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  // Decided by the class the window was made from, whatever default procedure now stands in.
  if (FPlatformClass) {
    // A platform control draws its own background.
    DefaultHandler(Message);
    return;
  }
  RECT r;
  GetClientRect(FHandle, &r);
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  // With visual styles a control that shows its parent's background lets the parent paint it.
  if (ParentBackground() && FParent && ThemeServices()->ThemesEnabled()) ThemeServices()->DrawParentBackground(FHandle, dc, &r);
  else FillRect(dc, &r, FBrush->Handle());
  Message.Result = 1;
}

void TWinControl::WMCtlColor(TMessage& Message) {
  if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam)); c && c != this) {
    Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg >= CN_BASE) return;
  // A child of the platform's own (e.g. a dialog's): our colours.
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FColor));
  Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
    TCursor cursor = ScreenCursor;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      cursor = (c && IsGraphic(c)) ? c->Cursor() : FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMCommand(TMessage& Message) {
  TWMCommand m{Message};
  if (TWinControl* c = FindControl(m.Ctl()); c && c != this) {
    Message.Result = c->Perform(CN_COMMAND, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  if (TWinControl* c = hdr ? FindControl(hdr->hwndFrom) : nullptr; c && c != this) {
    Message.Result = c->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  HWND h = FHandle;
  if (h) {
    RemovePropA(h, MAKEINTATOM(ControlAtom));
    RemovePropA(h, MAKEINTATOM(WindowAtom));
  }
  FHandle = nullptr;
  FShowing = false;
}

// ---- Focus ----

int TWinControl::TabOrder() const {
  if (FPendingTabOrder >= 0) return FPendingTabOrder;
  if (!FParent) return -1;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
  // While a description is read the siblings are not all there yet.
  if (HasState(csLoading) && Value >= 0) {
    FPendingTabOrder = Value;
    return;
  }
  if (!FParent) return;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  size_t pos = Value < 0 ? l.size() : std::min(static_cast<size_t>(Value), l.size());
  l.insert(l.begin() + static_cast<ptrdiff_t>(pos), this);
}

void TWinControl::SetTabStop(bool Value) { ChangeAndNotify(FTabStop, Value, CM_TABSTOPCHANGED); }

bool TWinControl::CanFocus() {
  TWinControl* top = TopLevelParent(this);
  for (TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (c == top) break;
  }
  return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (!CanFocus())
    throw EInvalidOperationControl("Ein deaktiviertes oder unsichtbares Fenster kann nicht den Fokus erhalten");
  ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  int start = static_cast<int>(std::find(list.begin(), list.end(), CurControl) - list.begin());
  if (start == n) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == CurControl) break;
    if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::SelectFirst() {
  if (TWinControl* c = FindNextControl(nullptr, true, true, false)) c->SetFocus();
}

void TWinControl::SetCtl3D(bool Value) {
  FParentCtl3D = false;
  ChangeAndNotify(FCtl3D, Value, CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) { SetParentFlag(FParentCtl3D, Value, CM_PARENTCTL3DCHANGED); }

void TWinControl::SetParentBackground(bool Value) {
  if (ParentBackground() == Value) return;
  FControlStyle = Value ? (FControlStyle | csParentBackground) : (FControlStyle & ~csParentBackground);
  Invalidate();
}

void TWinControl::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
  if (TWinControl* top = TopLevelParent(this)) top->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- Keyboard ----

// The form's preview or the control's own handler may free the control (a key that closes and
// frees the form): the key then counts as handled, and nothing more touches the control.
bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
  TFreeWatch watch(this);
  TWinControl* top = TopLevelParent(this);
  if (top && top != this && (top->PreviewKeyDown(Key, Shift) || watch.Freed())) return true;
  KeyDown(Key, Shift);
  return watch.Freed() || Key == 0;
}

bool TWinControl::DoKeyPress(char& Key) {
  TFreeWatch watch(this);
  TWinControl* top = TopLevelParent(this);
  if (top && top != this && (top->PreviewKeyPress(Key) || watch.Freed())) return true;
  KeyPress(Key);
  return watch.Freed() || Key == 0;
}

bool TWinControl::DoKeyUp(WORD& Key, TShiftState Shift) {
  TFreeWatch watch(this);
  TWinControl* top = TopLevelParent(this);
  if (top && top != this && (top->PreviewKeyUp(Key, Shift) || watch.Freed())) return true;
  KeyUp(Key, Shift);
  return watch.Freed() || Key == 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::WantsKey(WORD Key) {
  UINT mask = 0;
  switch (Key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return true;
  }
  return (Perform(WM_GETDLGCODE, 0, 0) & (mask | DLGC_WANTALLKEYS)) != 0;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  WORD key = static_cast<WORD>(Message.WParam);
  if (DoKeyDown(key, KeyDataToShiftState(Message.LParam))) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  WORD key = static_cast<WORD>(Message.WParam);
  if (DoKeyUp(key, KeyDataToShiftState(Message.LParam))) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  char key = static_cast<char>(Message.WParam & 0xFF);
  const char before = key;
  if (DoKeyPress(key)) return;
  if (key != before) Message.WParam = (Message.WParam & 0xFFFF0000u) | static_cast<unsigned char>(key);
  DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { DefaultHandler(Message); }

// Keys the message loop offers before the key message is dispatched: a dialog key the control
// does not want goes to its form (tab order, Default and Cancel buttons).
void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  WORD key = static_cast<WORD>(Message.WParam);
  if (!WantsKey(key)) {
    TWinControl* top = TopLevelParent(this);
    if (top && top->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if (!(Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
    TWinControl* top = TopLevelParent(this);
    if (top && top->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  Message.Result = 0;
  if (LOWORD(Message.WParam) == VK_SPACE) return;
  if (TWinControl* top = TopLevelParent(this)) Message.Result = top->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
}

// A mnemonic: every child may take it; the first that does ends the search.
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::FontChanged() { TControl::FontChanged(); }

void TWinControl::Loaded() {
  TControl::Loaded();
  ApplyPendingTabOrders();
  Realign();
}

// Children read with a tab order take those places; the others keep their order around them.
void TWinControl::ApplyPendingTabOrders() {
  std::vector<TWinControl*> placed, others;
  for (TWinControl* c : FTabList) (c->FPendingTabOrder >= 0 ? placed : others).push_back(c);
  if (placed.empty()) return;
  std::stable_sort(placed.begin(), placed.end(),
                   [](TWinControl* a, TWinControl* b) { return a->FPendingTabOrder < b->FPendingTabOrder; });
  for (TWinControl* c : placed) {
    size_t pos = std::min(static_cast<size_t>(c->FPendingTabOrder), others.size());
    others.insert(others.begin() + static_cast<ptrdiff_t>(pos), c);
    c->FPendingTabOrder = -1;
  }
  FTabList = others;
}

TControlActionLinkClass TWinControl::GetActionLinkClass() { return ActionLinkClassOf<TWinControlActionLink>(); }

// ======================= TControlCanvas =======================

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    FWindowHandle = w->Handle();
    FDeviceContext = GetDC(FWindowHandle);
  } else {
    TWinControl* p = FControl->Parent();
    if (!p) return;
    FWindowHandle = p->Handle();
    FDeviceContext = GetDC(FWindowHandle);
    SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
    IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
  }
  SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  HDC dc = FDeviceContext;
  FDeviceContext = nullptr;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, dc);
}

// ======================= TGraphicControl / TCustomControl =======================

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TControlCanvas(this)) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() const { return FCanvas.get(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_PAINT || !Message.WParam) {
    TControl::Dispatch(Message);
    return;
  }
  // Painted by the parent, in its device context moved to our origin.
  FCanvas->FreeHandle();
  FCanvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
  FCanvas->Font()->Assign(Font());
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {
  FControlState |= csCustomPaint;
}
TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas() const { return FCanvas.get(); }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  FCanvas->Font()->Assign(Font());
  FCanvas->Brush()->SetColor(FColor);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

// ======================= Published properties =======================

VGT_PUBLISH(TSizeConstraints) {
  P.Prop(L"MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight)
      .Prop(L"MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth)
      .Prop(L"MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight)
      .Prop(L"MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth);
}

VGT_PUBLISH(TControl) {
  P.Prop(L"Left", &TControl::Left, &TControl::SetLeft)
      .Prop(L"Top", &TControl::Top, &TControl::SetTop)
      .Prop(L"Width", &TControl::Width, &TControl::SetWidth)
      .Prop(L"Height", &TControl::Height, &TControl::SetHeight)
      .Prop(L"Align", &TControl::Align, &TControl::SetAlign)
      .Prop(L"Anchors", &TControl::Anchors, &TControl::SetAnchors)
      .Prop(L"Action", &TControl::Action, &TControl::SetAction)
      .Prop(L"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode)
      .Prop(L"Color", &TControl::Color, &TControl::SetColor, [](TControl* c) { return !c->ParentColor(); })
      .Idents(ColorIdents())
      .Prop(L"Cursor", &TControl::Cursor, &TControl::SetCursor)
      .Idents(CursorIdents())
      .Prop(L"Enabled", &TControl::Enabled, &TControl::SetEnabled)
      .Prop(L"Constraints", &TControl::Constraints, nullptr)
      .Prop(L"Font", &TControl::Font, nullptr, [](TControl* c) { return !c->ParentFont(); })
      .Prop(L"Hint", &TControl::Hint, &TControl::SetHint)
      .Prop(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Prop(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Prop(L"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
      .Prop(L"ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Prop(L"Visible", &TControl::Visible, &TControl::SetVisible)
      .Event(L"OnClick", &TControl::OnClick)
      .Event(L"OnDblClick", &TControl::OnDblClick)
      .Event(L"OnResize", &TControl::OnResize)
      .Event(L"OnMouseDown", &TControl::OnMouseDown)
      .Event(L"OnMouseUp", &TControl::OnMouseUp)
      .Event(L"OnMouseMove", &TControl::OnMouseMove);
}

// A control read inside a windowed control in a form description is its child.
static const bool vgtControlParents = [] {
  RegisterParentSetter([](TComponent* Child, TComponent* Container) {
    auto* c = dynamic_cast<TControl*>(Child);
    auto* w = dynamic_cast<TWinControl*>(Container);
    if (!c || !w) return false;
    c->SetParent(w);
    return true;
  });
  return true;
}();

VGT_PUBLISH(TWinControl) {
  P.Prop(L"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Prop(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Prop(L"ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground)
      .Prop(L"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Prop(L"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D)
      .Event(L"OnEnter", &TWinControl::OnEnter)
      .Event(L"OnExit", &TWinControl::OnExit)
      .Event(L"OnKeyDown", &TWinControl::OnKeyDown)
      .Event(L"OnKeyUp", &TWinControl::OnKeyUp)
      .Event(L"OnKeyPress", &TWinControl::OnKeyPress);
}

VGT_UNIT_ANCHOR(Controls)
