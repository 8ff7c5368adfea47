// The window glue of the Controls unit: the atoms that tie a window to its control, the window
// procedures every control window starts and runs with, utility windows, and the small helpers
// (accelerators, hints, capture, cursors) that work on windows rather than on one control.
#include "classlib/Controls.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <unordered_map>

#include "classlib/ControlsDetail.h"
#include "classlib/ResStrings.h"
#include "classlib/Themes.h"

TWinControl* CreationControl = nullptr;
ATOM ControlAtom = 0;
ATOM WindowAtom = 0;
TCursor ScreenCursor = crDefault;
void (*ApplicationHandleException)(TObject* Sender) = nullptr;

namespace controls_detail {

TControl* CaptureControl = nullptr;


bool IsGraphic(const TControl* c) { return dynamic_cast<const TWinControl*>(c) == nullptr; }

}  // namespace controls_detail

using namespace controls_detail;

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
  // The module's address in all its digits: modules of a 64-bit process may differ only above
  // the low 32 bits (8 digits, as before, in a 32-bit one).
  std::snprintf(name, sizeof name, "ControlOfs%.*llX%.8lX", static_cast<int>(2 * sizeof(uintptr_t)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ClassLibInstance())),
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
  if (Msg == WM_THEMECHANGED) ThemeServices()->ApplyThemeChange();
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
    wc.hInstance = ClassLibInstance();
    wc.lpszClassName = "VgtUtilWindow";
    RegisterClassA(&wc);
    return "VgtUtilWindow";
  }();
  HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, cls, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ClassLibInstance(), nullptr);
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

void TWindowLinks::Set(HWND Wnd, void* Object) {
  TCriticalSectionGuard guard(FLock);
  FLinks[Wnd] = Object;
}

void TWindowLinks::Remove(HWND Wnd, const void* Object) {
  TCriticalSectionGuard guard(FLock);
  auto it = FLinks.find(Wnd);
  if (it != FLinks.end() && it->second == Object) FLinks.erase(it);
}

void* TWindowLinks::Find(HWND Wnd) const {
  TCriticalSectionGuard guard(FLock);
  auto it = FLinks.find(Wnd);
  return it == FLinks.end() ? nullptr : it->second;
}

namespace {

// Windows of this process and their controls (windows of other processes are never in it).
TWindowLinks& ControlLinks() {
  static TWindowLinks* links = new TWindowLinks;
  return *links;
}

}  // namespace

void BindControlWindow(HWND Wnd, TWinControl* Control) {
  if (Control->FBoundWnd && Control->FBoundWnd != Wnd) ControlLinks().Remove(Control->FBoundWnd, Control);
  ControlLinks().Set(Wnd, Control);
  Control->FBoundWnd = Wnd;
}

void UnbindControlWindow(HWND Wnd, TWinControl* Control) {
  if (!Wnd) Wnd = Control->FBoundWnd;
  if (!Wnd) return;
  ControlLinks().Remove(Wnd, Control);
  if (Control->FBoundWnd == Wnd) Control->FBoundWnd = nullptr;
}

TWinControl* FindControl(HWND Wnd) {
  if (!Wnd || !ControlAtom) return nullptr;
  return static_cast<TWinControl*>(ControlLinks().Find(Wnd));
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

namespace {

// The platform's shared cursors, loaded once each (every load is a trip to the window server, and
// window parameters ask for the arrow many times a control).
HCURSOR SharedCursor(LPCSTR Id) {
  static struct {
    LPCSTR Id;
    HCURSOR Handle;
  } loaded[20] = {};
  for (auto& l : loaded) {
    if (l.Id == Id && l.Handle) return l.Handle;
    if (!l.Id) {
      l.Handle = LoadCursorA(nullptr, Id);
      if (l.Handle) l.Id = Id;
      return l.Handle;
    }
  }
  return LoadCursorA(nullptr, Id);
}

}  // namespace

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
  return SharedCursor(id);
}

LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_THEMECHANGED) ThemeServices()->ApplyThemeChange();
  TWinControl* c = FindControl(Wnd);
  if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  c->MainWndProc(m);
  // The window's last message: whatever handled it, the window no longer leads to the control.
  if (Msg == WM_NCDESTROY && FindControl(Wnd) == c) UnbindControlWindow(Wnd, c);
  return m.Result;
}

LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* c = CreationControl;
  if (!c) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  CreationControl = nullptr;
  c->FHandle = Wnd;
  BindControlWindow(Wnd, c);
  SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc));
  // A child's identifier is pointer-sized (it shares its slot with a menu handle).
  if ((GetWindowLongA(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(Wnd, GWLP_ID) == 0)
    SetWindowLongPtrA(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
  return StdWndProc(Wnd, Msg, WParam, LParam);
}
