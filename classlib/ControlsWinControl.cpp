// The windowed control: its window's life, message dispatch, children, bounds, showing, painting,
// focus and keys. Alignment of the children has its own file.
#include "classlib/Controls.h"

#include <algorithm>
#include <iterator>
#include <exception>

#include "base/DeviceContext.h"
#include "base/Scope.h"
#include "classlib/ActnList.h"
#include "classlib/ControlsDetail.h"
#include "classlib/ResStrings.h"
#include "classlib/Themes.h"

using namespace controls_detail;

// ======================= TWinControl =======================

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
  FBrush->SetColor(FColor);
  FDefWndProc = DefWindowProcA;
}

// The window goes while the most derived class is whole: its overrides of DestroyWnd and
// DestroyWindowHandle run, and the messages of the window's end reach a complete control.
void TWinControl::BeforeDestruction() {
  Destroying();
  TFreeWatch::ControlFreed(this);
  DestroyHandleQuietly();
  TControl::BeforeDestruction();
}

TWinControl::~TWinControl() {
  Destroying();
  if (FParent) FParent->RemoveControl(this);
  DestroyHandleQuietly();
  // A window destroyed behind the library's back may still lead here.
  UnbindControlWindow(nullptr, this);
  // Children go with their parent, whoever owns them.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

// For the paths that must not throw (destruction): a window that cannot be destroyed is at least
// cut loose from this control, so that none of its messages reaches freed memory.
void TWinControl::DestroyHandleQuietly() noexcept {
  try {
    DestroyHandle();
    return;
  } catch (...) {
    HandleCurrentException(this);
  }
  FControls.ForEach([](TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandleQuietly();
  });
  DetachWindow();
}

void TWinControl::DetachWindow() noexcept {
  HWND h = FHandle;
  FHandle = nullptr;
  FShowing = false;
  if (!h) return;
  UnbindControlWindow(h, this);
  if (!IsWindow(h)) return;
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  // A control on its way out gets no new window (a handler that freed it may still ask).
  if (FHandle || HasState(csDestroying)) return;
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
  Params.WindowClass.hCursor = CursorHandle(crArrow);
  Params.WindowClass.hInstance = ClassLibInstance();
  lstrcpynA(Params.WinClassName, NarrowAcp(ClassName()).c_str(), sizeof Params.WinClassName);
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, ControlClassName, &wc) && !GetClassInfoA(ClassLibInstance(), ControlClassName, &wc))
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
  {
    CreationControl = this;
    auto created = ScopeExit([] { CreationControl = nullptr; });
    CreateWindowHandle(p);
  }
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
  FControls.ForEach([](TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  });
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
  // Freed by a handler of this very message, the control is deleted when the message is done.
  TBusyScope busy(this);
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
        FControls.ForEach([&](TControl* c) { c->WindowProc()(m); });
      }
      break;
    case CM_COLORCHANGED: {
      FBrush->SetColor(FColor);
      Invalidate();
      TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
      FControls.ForEach([&](TControl* c) { c->WindowProc()(m); });
      break;
    }
    case CM_CTL3DCHANGED: {
      if (FHandle) RecreateWnd();
      TMessage m{CM_PARENTCTL3DCHANGED, 0, 0, 0};
      FControls.ForEach([&](TControl* c) { c->WindowProc()(m); });
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
      FControls.ForEach([&](TControl* c) { c->WindowProc()(m); });
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
  for (size_t i = FControls.size(); i-- > 0;) {
    TControl* c = FControls[i];
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
  if (AControl->Align() != TAlign::alNone) ++FAlignedChildren;
  AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->HandleAllocated() && w->Focused()) {
      if (TWinControl* top = TopLevelParent(this)) top->SetFocusedControl(nullptr);
    }
    w->DestroyHandleQuietly();
    // Children mostly go in the reverse of their coming: the search starts at the end.
    if (auto it = std::find(FTabList.rbegin(), FTabList.rend(), w); it != FTabList.rend())
      FTabList.erase(std::next(it).base());
  } else {
    AControl->Invalidate();
  }
  if (CaptureControl == AControl) CaptureControl = nullptr;
  FControls.Remove(AControl);
  if (AControl->Align() != TAlign::alNone) --FAlignedChildren;
  AControl->FParent = nullptr;
  if (AControl->Align() != TAlign::alNone && !HasState(csDestroying)) Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  FControls.FindFirst([&](TControl* c) {
    c->WindowProc()(Message);
    return Message.Result != 0;
  });
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
}

void TWinControl::ChangeScale(int M, int D) {
  DisableAlign();
  auto enable = ScopeExit([this] { EnableAlign(); });
  FControls.ForEach([&](TControl* c) { c->ChangeScale(M, D); });
  if (FParent) TControl::ChangeScale(M, D);
  else if (!FParentFont) FFont->SetSize(MulDiv(FFont->Size(), M, D));
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
    FControls.ForEach([](TControl* c) {
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
    });
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
  if (!FControls.Contains(Control)) return;
  FControls.Move(Control, TopMost ? FControls.size() : 0);
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
  TSavedDCState saved(DC);
  SetViewportOrgEx(DC, X, Y, nullptr);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  // A child's painting may free children (its own handlers): the walk skips what went.
  bool reached = First == nullptr;
  FControls.ForEach([&](TControl* c) {
    reached = reached || c == First;
    if (!reached || !IsGraphic(c) || !c->Visible()) return;
    RECT r = c->BoundsRect();
    if (!RectVisible(DC, &r)) return;
    TSavedDCState saved(DC);
    POINT org;
    GetViewportOrgEx(DC, &org);
    SetViewportOrgEx(DC, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  });
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  if (!dc) dc = BeginPaint(FHandle, &ps);
  auto endPaint = ScopeExit([&] {
    if (!Message.WParam) EndPaint(FHandle, &ps);
  });
  {
    TSavedDCState saved(dc);
    // Windowed children paint themselves.
    for (TControl* c : FControls)
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible() && w->FHandle) {
        RECT r = w->BoundsRect();
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
      }
    PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
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
  ColorControlDC(Message);
}

void TWinControl::ColorControlDC(TMessage& Message) {
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
  if (h) UnbindControlWindow(h, this);
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
  if (OnEnter && !HasState(csDestroying)) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit && !HasState(csDestroying)) OnExit(this);
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
  if (key != before) Message.WParam = (Message.WParam & ~WPARAM{0xFFFF}) | static_cast<unsigned char>(key);
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
  // Children read from a description sit where they were designed for the size read with them:
  // a size the control had before (a constructor that realigns records its default size) must
  // not move the anchored ones.
  FAnchorWidth = FAnchorHeight = -1;
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
