#include "unicode/UtxControls.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <vector>

#include "base/Scope.h"
#include "classlib/ActnList.h"
#include "unicode/UtxGraphics.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxSystem.h"
#include "unicode/UtxWindows.h"

namespace {

wchar_t UpperOf(wchar_t c) {
  wchar_t s[2] = {c, 0};
  WideCharUpperBuff(s, 1);
  return s[0];
}

}  // namespace

// ---- Messages ----

void MakeCharParam8BitSafe(WPARAM& WParam) {
  const WORD ch = LOWORD(WParam);
  // MAKEWPARAM, not MAKELONG: a signed LONG from a character of $8000 and up would widen into
  // the upper half of a 64-bit parameter.
  if (ch > 0xFF) WParam = MAKEWPARAM(0xFF, ch);
}

void RestoreCharParam(WPARAM& WParam) {
  WORD ch = LOWORD(WParam);
  const WORD high = HIWORD(WParam);
  if (high != 0 && ch == 0xFF) ch = high;
  WParam = ch;
}

wchar_t WideCharOfCharParam(WPARAM WParam) {
  const WORD ch = LOWORD(WParam);
  const WORD high = HIWORD(WParam);
  return static_cast<wchar_t>(ch == 0xFF && high != 0 ? high : ch);
}

void PutWideCharInCharParam(WPARAM& WParam, wchar_t Ch) {
  WParam = static_cast<WORD>(Ch);
  MakeCharParam8BitSafe(WParam);
}

// ---- Held wide texts ----

WideString SyncHeldWideText(WideString& Held, const AnsiString& Current) {
  if (NarrowText(Held) != Current) Held = WidenText(Current);
  return Held;
}

void StoreHeldWideText(const WideString& V, WideString& Held, const AnsiString& Current,
                       const TAnsiTextSetter& Setter) {
  if (SyncHeldWideText(Held, Current) == V) return;
  const AnsiString narrowed = NarrowText(V);
  if (WidenText(narrowed) != V && Current == narrowed) Setter(AnsiString());
  Held = V;
  Setter(narrowed);
}

// ---- Hints and accelerators ----

WideString WideShortHint(const WideString& Hint) {
  const size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(0, bar);
}

WideString WideLongHint(const WideString& Hint) {
  const size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(bar + 1);
}

bool IsWideAccelChar(WORD Ch, const WideString& Caption) {
  wchar_t wanted = static_cast<wchar_t>(Ch);
  if (Ch <= 0xFF) wanted = KeyboardCharToWide(static_cast<unsigned char>(Ch));
  wchar_t accel = 0;
  bool found = false;
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != L'&') continue;
    if (Caption[i + 1] == L'&') {
      ++i;  // a literal ampersand
      continue;
    }
    accel = Caption[i + 1];
    found = true;
  }
  return found && UpperOf(accel) == UpperOf(wanted);
}

// ---- Unicode window classes ----

WideString UnicodeWindowClassName(const char* WinClassName) {
  return WidenText(AnsiString(WinClassName, strnlen(WinClassName, 64)) + ".UnicodeClass");
}

wchar_t WideCharOfCharMessage(const TMessage& Message) { return WideCharOfCharParam(Message.WParam); }

void PutWideCharInCharMessage(TMessage& Message, wchar_t Ch) {
  PutWideCharInCharParam(Message.WParam, Ch);
}

// ---- Layer globals ----
//
// All of them belong to the thread that owns the windows; nothing here is guarded.

namespace {

// Holders by the address of their control: a dialog with thousands of labels finds, adds and
// drops one without walking the others.
std::map<uintptr_t, TWideCaptionHolder*>& Holders() {
  static std::map<uintptr_t, TWideCaptionHolder*> list;
  return list;
}
// Traps waiting for their control's next window (also while one is being created).
std::vector<TWinControlTrap*>& PendingTraps() {
  static std::vector<TWinControlTrap*> list;
  return list;
}
TWinControl* GCreatingControl = nullptr;
bool GFinalized = false;
int GUseCount = 0;

// Leads from a Unicode window to its trap, read for every message (in the process: a window
// property would be a trip to the window server each time).
TWindowLinks& TrapLinks() {
  static TWindowLinks* links = new TWindowLinks;
  return *links;
}

TWinControlTrap* TrapOf(HWND Wnd) { return static_cast<TWinControlTrap*>(TrapLinks().Find(Wnd)); }

void SetTrapOf(HWND Wnd, TWinControlTrap* Trap) { TrapLinks().Set(Wnd, Trap); }

void RemoveTrapOf(HWND Wnd, TWinControlTrap* Trap) { TrapLinks().Remove(Wnd, Trap); }

// The module that holds this code (found without calls newer than the oldest platform).
HINSTANCE UtxModule() {
  MEMORY_BASIC_INFORMATION mbi{};
  VirtualQuery(reinterpret_cast<const void*>(&UtxModule), &mbi, sizeof mbi);
  return static_cast<HINSTANCE>(mbi.AllocationBase);
}

bool WindowIsAnsi(TWinControl* W) {
  return W && W->HandleAllocated() && !IsWindowUnicode(W->WindowHandle());
}

TWinControlTrap* FindOrCreateTrap(TWinControl* Control) {
  auto& pending = PendingTraps();
  for (size_t i = pending.size(); i-- > 0;) {
    if (pending[i]->Control() == Control) {
      TWinControlTrap* trap = pending[i];
      pending.erase(pending.begin() + static_cast<ptrdiff_t>(i));
      return trap;
    }
  }
  return new TWinControlTrap(Control);
}

}  // namespace

// ---- Holders ----

TWideCaptionHolder::TWideCaptionHolder(TControl* AControl)
    : TComponent(nullptr), FControl(AControl), FKey(reinterpret_cast<uintptr_t>(AControl)) {
  AControl->FreeNotification(this);
}

// Found by the key it was filed under: the control may already be gone.
TWideCaptionHolder::~TWideCaptionHolder() {
  auto& list = Holders();
  auto it = list.find(FKey);
  if (it != list.end() && it->second == this) list.erase(it);
}

void TWideCaptionHolder::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FControl && FControl) {
    FControl = nullptr;
    delete this;
  }
}

TWideCaptionHolder* WideCaptionHolderOf(TControl* Control, bool Create) {
  const uintptr_t key = reinterpret_cast<uintptr_t>(Control);
  auto& list = Holders();
  auto it = list.lower_bound(key);
  if (it != list.end() && it->first == key) return it->second;
  if (!Create) return nullptr;
  auto* holder = new TWideCaptionHolder(Control);
  list.emplace_hint(it, key, holder);
  return holder;
}

WideString HeldWideCaptionOr(TControl* Control, const WideString& Fallback) {
  TWideCaptionHolder* holder = WideCaptionHolderOf(Control, false);
  return holder ? holder->Caption : Fallback;
}

void SetHeldWideCaption(TControl* Control, const WideString& Value) {
  WideCaptionHolderOf(Control, true)->Caption = Value;
  Control->SetText(NarrowText(Value));
}

// ---- Wide control text ----

WideString GetWideControlText(TControl* Control) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!UnicodePlatform() || WindowIsAnsi(win)) return WidenText(Control->GetText());
  if (!win) {
    TWideCaptionHolder* holder = WideCaptionHolderOf(Control, false);
    return holder ? SyncHeldWideText(holder->Caption, Control->GetText()) : WidenText(Control->GetText());
  }
  if (win->HandleAllocated()) {
    const HWND h = win->WindowHandle();
    const int len = GetWindowTextLengthW(h);
    if (len <= 0) return {};
    WideString text(static_cast<size_t>(len) + 1, L'\0');
    const int n = GetWindowTextW(h, text.data(), len + 1);
    // A list-style combo box may answer with a count beyond its text (its item's length as the
    // 8-bit list would count it): the text ends at its terminator.
    text.resize(wcsnlen(text.c_str(), static_cast<size_t>(std::clamp(n, 0, len))));
    return text;
  }
  return HeldWideCaptionOr(Control, WidenText(Control->GetText()));
}

void SetWideControlText(TControl* Control, const WideString& Value) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!UnicodePlatform() || WindowIsAnsi(win)) {
    Control->SetText(NarrowText(Value));
  } else if (!win) {
    TWideCaptionHolder* holder = WideCaptionHolderOf(Control, true);
    StoreHeldWideText(Value, holder->Caption, Control->GetText(),
                      [Control](const AnsiString& s) { Control->SetText(s); });
  } else if (win->HandleAllocated()) {
    if (GetWideControlText(Control) != Value) {
      SetWindowTextW(win->WindowHandle(), Value.c_str());
      Control->Perform(CM_TEXTCHANGED, 0, 0);
    }
  } else {
    SetHeldWideCaption(Control, Value);
  }
}

bool IsWideCaptionStored(TControl* Control) {
  TControlActionLink* link = Control->ActionLink();
  return !(link && link->IsCaptionLinked());
}

WideString GetWideHint(TControl* Control) {
  if (UnicodePlatform())
    if (TWideCaptionHolder* holder = WideCaptionHolderOf(Control, false))
      return SyncHeldWideText(holder->Hint, Control->Hint());
  return WidenText(Control->Hint());
}

void SetWideHint(TControl* Control, const WideString& Value) {
  // The field, not the property: the property's setter belongs to the class library's own paths.
  Control->HintField() = NarrowText(Value);
  if (!UnicodePlatform()) return;
  TWideCaptionHolder* holder = WideCaptionHolderOf(Control, true);
  StoreHeldWideText(Value, holder->Hint, Control->Hint(),
                    [Control](const AnsiString& s) { Control->HintField() = s; });
}

bool IsWideHintStored(TControl* Control) {
  TControlActionLink* link = Control->ActionLink();
  return !(link && link->IsHintLinked());
}

WideString WideHintFromParents(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    WideString hint = GetWideHint(c);
    if (!hint.empty()) return hint;
  }
  return {};
}

// ---- Unicode windows ----

LRESULT UnicodeNotifyFormat(HWND Window) {
  const bool unicode =
      UnicodePlatform() &&
      (IsWindowUnicode(Window) || (GCreatingControl && GCreatingControl->WindowHandle() == Window));
  return unicode ? NFR_UNICODE : NFR_ANSI;
}

// The first procedure of every Unicode window: binds the window to the control the class library
// is creating and hands the window to the control's main window procedure.
static LRESULT CALLBACK UnicodeInitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = CreationControl;
  if (!control) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  try {
    // Taken before anything else can run, a failure's report included.
    auto taken = ScopeExit([] { CreationControl = nullptr; });
    control->SetWindowHandle(Wnd);
    PendingTraps().push_back(FindOrCreateTrap(control));
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc));
    if ((GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(Wnd, GWLP_ID) == 0)
      SetWindowLongPtrW(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
    BindControlWindow(Wnd, control);
  } catch (...) {
    HandleCurrentException(control);
    return 0;  // the window creation fails
  }
  return CallWindowProcW(&StdWndProc, Wnd, Msg, WParam, LParam);
}

WideString RegisterUnicodeWindowClass(const TCreateParams& Params) {
  const WideString name = UnicodeWindowClassName(Params.WinClassName);
  const HINSTANCE module = UtxModule();
  WNDCLASSW existing{};
  if (GetClassInfoW(module, name.c_str(), &existing)) {
    if (existing.lpfnWndProc == &UnicodeInitWndProc) return name;
    if (!UnregisterClassW(name.c_str(), module)) RaiseLastOSErrorW();
  }
  const WNDCLASSA& source = Params.WindowClass;
  WideString menu;
  WNDCLASSW wc{};
  wc.style = source.style;
  wc.lpfnWndProc = &UnicodeInitWndProc;
  wc.cbClsExtra = source.cbClsExtra;
  wc.cbWndExtra = source.cbWndExtra;
  wc.hInstance = module;
  wc.hIcon = source.hIcon;
  wc.hCursor = source.hCursor;
  wc.hbrBackground = source.hbrBackground;
  if (source.lpszMenuName && !IsIntResourceId(source.lpszMenuName)) {
    menu = WidenText(source.lpszMenuName);
    wc.lpszMenuName = menu.c_str();
  } else {
    wc.lpszMenuName = reinterpret_cast<LPCWSTR>(source.lpszMenuName);
  }
  wc.lpszClassName = name.c_str();
  if (!RegisterClassW(&wc)) RaiseLastOSErrorW();
  return name;
}

void CreateWideWindowHandle(TWinControl* Control, const TCreateParams& Params,
                            const WideString& SubClass) {
  if (!UnicodePlatform()) {
    HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style,
                             Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent,
                             nullptr, Params.WindowClass.hInstance, Params.Param);
    if (h) Control->SetWindowHandle(h);
    return;
  }
  WNDCLASSW platformClass{};
  if (!SubClass.empty() &&
      GetClassInfoW(Params.WindowClass.hInstance, SubClass.c_str(), &platformClass))
    Control->SetDefWndProc(platformClass.lpfnWndProc);
  else
    Control->SetDefWndProc(&DefWindowProcW);
  const WideString className = RegisterUnicodeWindowClass(Params);
  HWND h = nullptr;
  {
    GCreatingControl = Control;
    auto created = ScopeExit([] { GCreatingControl = nullptr; });
    h = CreateWindowExW(Params.ExStyle, className.c_str(), nullptr, Params.Style, Params.X,
                        Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                        UtxModule(), Params.Param);
  }
  if (!h) RaiseLastOSErrorW();
  Control->SetWindowHandle(h);
  SubClassUnicodeControl(Control, Params.Caption ? AnsiString(Params.Caption) : AnsiString(),
                         WindowFamilyOfClass(SubClass));
}

void SubClassUnicodeControl(TWinControl* Control, const AnsiString& CreationCaption,
                            TUtxWindowFamily Family) {
  const HWND wnd = Control->WindowHandle();
  if (!IsWindowUnicode(wnd))
    throw EUtxInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  TWinControlTrap* trap = FindOrCreateTrap(Control);
  trap->Attach(wnd, Family);
  SetWideControlText(Control, HeldWideCaptionOr(Control, WidenText(CreationCaption)));
}

// ---- The trap ----

LRESULT CALLBACK TrapPlatformProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (GFinalized) return 0;
  TWinControlTrap* trap = TrapOf(Wnd);
  if (!trap) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  return trap->PlatformProc(Wnd, Msg, WParam, LParam);
}

LRESULT CALLBACK TrapDefaultProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControlTrap* trap = TrapOf(Wnd);
  const WNDPROC previous = trap && trap->FPrevDefProc ? trap->FPrevDefProc : &DefWindowProcW;
  switch (Msg) {
    case WM_NOTIFYFORMAT:
      return UnicodeNotifyFormat(reinterpret_cast<HWND>(WParam));
    case WM_CHAR:
      RestoreCharParam(WParam);
      break;
    case WM_IME_CHAR:
      if (!PlatformIsXPOrLater()) return SendMessageW(Wnd, WM_CHAR, WParam, LParam);
      break;
    default:
      break;
  }
  return CallWindowProcW(previous, Wnd, Msg, WParam, LParam);
}

TWinControlTrap::TWinControlTrap(TWinControl* AControl) : TComponent(nullptr), FControl(AControl) {
  AControl->FreeNotification(this);
}

TWinControlTrap::~TWinControlTrap() {
  auto& pending = PendingTraps();
  pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
  if (FHandle && TrapOf(FHandle) == this) {
    if (IsWindow(FHandle)) SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevWndProc));
    RemoveTrapOf(FHandle, this);
  }
}

void TWinControlTrap::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || AComponent != FControl || !FControl) return;
  FControl = nullptr;
  if (FNesting > 0)
    FDestroyPending = true;
  else
    delete this;
}

void TWinControlTrap::Attach(HWND Wnd, TUtxWindowFamily AFamily) {
  FHandle = Wnd;
  FFamily = AFamily;
  FLastPlatformMessage = 0;
  SetTrapOf(Wnd, this);
  FPrevWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrapPlatformProc));
  FPrevDefProc = FControl->DefWndProc();
  FControl->SetDefWndProc(&TrapDefaultProc);
  if (!InWindowMethodChain()) {
    FPrevWindowMethod = FControl->WindowProc();
    FControl->SetWindowProc(OwnMethod());
  }
}

bool TWinControlTrap::InWindowMethodChain() {
  const TWndMethod current = FControl->WindowProc();
  if (current.SameCode(FControl->OwnWndProc())) return false;
  if (current.SameCode(OwnMethod())) return true;
  FProbeActive = true;
  FProbeSeen = false;
  {
    auto probed = ScopeExit([this] { FProbeActive = false; });
    TMessage probe{};
    current(probe);
  }
  return FProbeSeen;
}

void TWinControlTrap::Detach() {
  if (!FControl || !FHandle) return;
  const bool destroying = FControl->HasState(csDestroying);
  // Read while the window still exists, so that a re-created window gets every character back.
  if (!destroying) SetHeldWideCaption(FControl, GetWideControlText(FControl));
  if (FControl->WindowProc().SameCode(OwnMethod())) FControl->SetWindowProc(FPrevWindowMethod);
  FControl->SetDefWndProc(FPrevDefProc);
  SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevWndProc));
  RemoveTrapOf(FHandle, this);
  FHandle = nullptr;
  if (!destroying) PendingTraps().push_back(this);
}

LRESULT TWinControlTrap::PlatformProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  const WNDPROC previous = FPrevWndProc;
  LRESULT result = 0;
  {
    TCounterGuard nesting(FNesting);
    try {
      if (Msg == WM_DESTROY) Detach();
      if (FHandle) FLastPlatformMessage = Msg;
      result = CallWindowProcW(previous, Wnd, Msg, WParam, LParam);
    } catch (...) {
      HandleCurrentException(FControl);
    }
  }
  if (FNesting == 0 && FDestroyPending) delete this;
  return result;
}

void TWinControlTrap::WindowMethod(TMessage& Message) {
  if (FProbeActive && Message.Msg == WM_NULL) FProbeSeen = true;
  if (!FControl) return;
  if (!FControl->HandleAllocated()) {
    FControl->OwnWndProc()(Message);
    return;
  }
  const bool fromPlatform = FLastPlatformMessage != 0;
  FLastPlatformMessage = 0;
  if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
  if (!fromPlatform) {
    // The library speaks 8-bit; the window gets the wide form and comes back through the
    // platform side, so the control's own handling still sees the message once.
    if (const TWideMessageEntry* entry = FindWideMessage(Message.Msg, FFamily)) {
      Message.Result = SendWideFormOfMessage(FControl->WindowHandle(), *entry, Message.WParam, Message.LParam);
      return;
    }
  }
  if (Message.Msg == WM_CHAR) MakeCharParam8BitSafe(Message.WParam);
  if (FPrevWindowMethod)
    FPrevWindowMethod(Message);
  else
    FControl->OwnWndProc()(Message);
}

// ---- Hints ----

void PrepareWideHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!UnicodePlatform() || !info) return;
  const TClass cls = info->HintWindowClass;
  if (cls != THintWindow::StaticClass() && !(cls && cls->InheritsFrom(TUtxHintWindow::StaticClass())))
    return;
  if (cls == THintWindow::StaticClass()) info->HintWindowClass = TUtxHintWindow::StaticClass();
  info->HintData = info;
  info->HintStr = NarrowText(WideShortHint(WideHintFromParents(info->HintControl)));
}

bool IsWideHintData(const void* Data) {
  const auto* info = static_cast<const THintInfo*>(Data);
  return info && info->HintData == info && info->HintWindowClass &&
         info->HintWindowClass->InheritsFrom(TUtxHintWindow::StaticClass());
}

WideString WideHintFromHintData(const THintInfo* Info) {
  const WideString text = WidenText(Info->HintStr);
  if (text.empty()) return {};
  const WideString wide = WideShortHint(WideHintFromParents(Info->HintControl));
  return NarrowText(wide) == Info->HintStr ? wide : text;
}

void TUtxHintWindow::CreateWindowHandle(const TCreateParams& Params) {
  CreateWideWindowHandle(this, Params, L"");
}

void TUtxHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_TEXTCHANGED) {
    THintWindow::Dispatch(Message);
    return;
  }
  if (FActivating) return;
  const WideString text = Caption();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  FWidth = WideCanvasTextWidth(canvas, text) + 6;
  FHeight = WideCanvasTextHeight(canvas, text) + 6;
  static_cast<TControlCanvas*>(canvas)->FreeHandle();
}

void TUtxHintWindow::Paint() {
  if (FWideDataActivating) return;
  if (!UnicodePlatform()) {
    THintWindow::Paint();
    return;
  }
  RECT r = ClientRect();
  r.left += 2;
  r.top += 2;
  TCanvas* canvas = Canvas();
  canvas->Font()->SetColor(Screen->HintFont()->Color());
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  const WideString text = Caption();
  DrawTextW(canvas->Handle(), text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
}

void TUtxHintWindow::ActivateHint(RECT Rect, const AnsiString& AHint) {
  FActivating = true;
  auto activated = ScopeExit([this] { FActivating = false; });
  THintWindow::ActivateHint(Rect, AHint);
}

void TUtxHintWindow::ActivateHintData(RECT Rect, const AnsiString& AHint, void* AData) {
  if (!UnicodePlatform() || !IsWideHintData(AData)) {
    THintWindow::ActivateHintData(Rect, AHint, AData);
    return;
  }
  {
    FActivating = true;
    FWideDataActivating = true;
    auto activated = ScopeExit([this] {
      FActivating = false;
      FWideDataActivating = false;
    });
    SetCaption(WideHintFromHintData(static_cast<const THintInfo*>(AData)));
    THintWindow::ActivateHintData(Rect, AHint, AData);
  }
  Invalidate();
}

RECT TUtxHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) {
  if (!UnicodePlatform() || !IsWideHintData(AData)) return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
  RECT r{0, 0, MaxWidth, 0};
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState(csHandleValid | csFontValid);
  const WideString text = WideHintFromHintData(static_cast<const THintInfo*>(AData));
  DrawTextW(canvas->Handle(), text.c_str(), -1, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  static_cast<TControlCanvas*>(canvas)->FreeHandle();
  r.right += 6;
  r.bottom += 2;
  return r;
}

VGT_PUBLISH(TUtxHintWindow) {}

// ---- Start and stop ----

void UtxControlsStart() {
  if (GUseCount++ > 0) return;
  GFinalized = false;
}

void UtxControlsStop() {
  if (GUseCount <= 0 || --GUseCount > 0) return;
  while (!Holders().empty()) delete std::prev(Holders().end())->second;
  PendingTraps().clear();
  GFinalized = true;
}
