#include "classlib/Forms.h"

#include <algorithm>
#include <cstddef>
#include <exception>

#include "base/Scope.h"
#include "classlib/Filer.h"

namespace {

// Layered windows exist from Windows 2000 on: bound at run time.
BOOL SetLayeredAttributes(HWND Wnd, COLORREF Key, BYTE Alpha, DWORD Flags) {
  using Fn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  static Fn fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
  return fn ? fn(Wnd, Key, Alpha, Flags) : FALSE;
}

// The windows a modal form disables, and gives back afterwards.
struct TaskWindows {
  HWND Except;
  std::vector<HWND> Disabled;
  std::exception_ptr Failure;  // what stopped the enumeration, raised once it is over
};

// Exceptions stop here: they cannot cross the platform's enumeration.
BOOL CALLBACK DisableTaskWindow(HWND Wnd, LPARAM Data) {
  auto* t = reinterpret_cast<TaskWindows*>(Data);
  try {
    if (Wnd != t->Except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
      t->Disabled.push_back(Wnd);
      EnableWindow(Wnd, FALSE);
    }
    return TRUE;
  } catch (...) {
    t->Failure = std::current_exception();
    return FALSE;
  }
}

}  // namespace

const TIdentInfo& ModalResultIdents() {
  static const TIdentInfo info{{{L"mrNone", mrNone}, {L"mrOk", mrOk}, {L"mrCancel", mrCancel},
                                {L"mrAbort", mrAbort}, {L"mrRetry", mrRetry}, {L"mrIgnore", mrIgnore},
                                {L"mrYes", mrYes}, {L"mrNo", mrNo}, {L"mrAll", mrAll},
                                {L"mrNoToAll", mrNoToAll}, {L"mrYesToAll", mrYesToAll}}};
  return info;
}

TCustomForm* GetParentForm(TControl* Control) {
  return dynamic_cast<TCustomForm*>(TopLevelParent(Control));
}

// ======================= TScrollingWinControl =======================

void TControlScrollBar::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  // A bar that goes takes its scrolling with it.
  if (!Value) SetPosition(0);
  FControl->UpdateScrollBars();
}

int TControlScrollBar::Position() const {
  return FKind == SB_HORZ ? FControl->FScrollPos.x : FControl->FScrollPos.y;
}

void TControlScrollBar::SetPosition(int Value) {
  // Within the range the scroll bar offers.
  int most = 0;
  if (FControl->HandleAllocated()) {
    RECT cr;
    GetClientRect(FControl->Handle(), &cr);
    most = std::max(0, static_cast<int>(FKind == SB_HORZ ? FControl->FRange.cx - cr.right : FControl->FRange.cy - cr.bottom));
  }
  Value = std::clamp(Value, 0, most);
  if (FKind == SB_HORZ) FControl->ScrollTo(Value, FControl->FScrollPos.y);
  else FControl->ScrollTo(FControl->FScrollPos.x, Value);
}

bool TControlScrollBar::IsScrollBarVisible() const {
  return FControl->HandleAllocated() &&
         (GetWindowLongA(FControl->Handle(), GWL_STYLE) & (FKind == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

TPersistent* TControlScrollBar::GetOwner() const { return FControl; }

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      FHorzScrollBar(new TControlScrollBar(this, SB_HORZ)),
      FVertScrollBar(new TControlScrollBar(this, SB_VERT)) {
  FControlStyle |= csAcceptsControls;
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (FAutoScroll == Value) return;
  FAutoScroll = Value;
  if (!Value) ScrollTo(0, 0);
  UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  FScrollPos = POINT{0, 0};
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

// The range is the extent of the children that are not aligned, measured in unscrolled
// co-ordinates; a scroll bar shows when the range exceeds the client area.
void TScrollingWinControl::UpdateScrollBars() {
  if (!FHandle || FUpdatingScrollBars > 0) return;
  TCounterGuard updating(FUpdatingScrollBars);
  SIZE range{0, 0};
  if (FAutoScroll)
    for (TControl* c : FControls) {
      if (!c->Visible() || c->Align() != TAlign::alNone) continue;
      range.cx = std::max(range.cx, static_cast<LONG>(c->Left() + c->Width() + FScrollPos.x));
      range.cy = std::max(range.cy, static_cast<LONG>(c->Top() + c->Height() + FScrollPos.y));
    }
  // A hidden bar offers no range.
  if (!FHorzScrollBar->Visible()) range.cx = 0;
  if (!FVertScrollBar->Visible()) range.cy = 0;
  FRange = range;
  RECT cr;
  GetClientRect(FHandle, &cr);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = range.cx > cr.right ? range.cx - 1 : 0;
  si.nPage = range.cx > cr.right ? static_cast<UINT>(cr.right) : 0;
  si.nPos = FScrollPos.x;
  SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
  GetClientRect(FHandle, &cr);
  si.nMax = range.cy > cr.bottom ? range.cy - 1 : 0;
  si.nPage = range.cy > cr.bottom ? static_cast<UINT>(cr.bottom) : 0;
  si.nPos = FScrollPos.y;
  SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
  GetClientRect(FHandle, &cr);
  int maxX = std::max(0L, range.cx - cr.right), maxY = std::max(0L, range.cy - cr.bottom);
  if (FScrollPos.x > maxX || FScrollPos.y > maxY)
    ScrollTo(std::min(static_cast<int>(FScrollPos.x), maxX), std::min(static_cast<int>(FScrollPos.y), maxY));
}

void TScrollingWinControl::ScrollTo(int X, int Y) {
  const int dx = FScrollPos.x - X, dy = FScrollPos.y - Y;
  if (!dx && !dy) return;
  FScrollPos = POINT{X, Y};
  DisableAlign();
  // Moving a child runs its handlers, which may free children: the walk skips what went.
  if (!FControls.ForEach([&](TControl* c) {
        if (c->Align() == TAlign::alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
      }))
    return;
  FControlState &= ~csAlignmentNeeded;
  --FAlignLevel;
  if (FHandle) {
    SetScrollPos(FHandle, SB_HORZ, X, TRUE);
    SetScrollPos(FHandle, SB_VERT, Y, TRUE);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TScrollingWinControl::ScrollInView(TControl* Control) {
  if (!Control || !FHandle) return;
  RECT cr;
  GetClientRect(FHandle, &cr);
  int x = FScrollPos.x, y = FScrollPos.y;
  if (Control->Left() < 0) x += Control->Left();
  else if (Control->Left() + Control->Width() > cr.right) x += Control->Left() + Control->Width() - cr.right;
  if (Control->Top() < 0) y += Control->Top();
  else if (Control->Top() + Control->Height() > cr.bottom) y += Control->Top() + Control->Height() - cr.bottom;
  ScrollTo(std::max(0, x), std::max(0, y));
}

void TScrollingWinControl::WMScroll(TMessage& Message, int Bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(FHandle, Bar, &si);
  int pos = si.nPos;
  const int page = static_cast<int>(si.nPage);
  const TControlScrollBar* bar = Bar == SB_HORZ ? FHorzScrollBar.get() : FVertScrollBar.get();
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: pos -= bar->Increment(); break;
    case SB_LINEDOWN: pos += bar->Increment(); break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
      // Without tracking the content moves where the thumb is let go.
      if (!bar->Tracking()) {
        Message.Result = 0;
        return;
      }
      pos = si.nTrackPos;
      break;
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(0, si.nMax - page + 1));
  if (Bar == SB_HORZ) ScrollTo(pos, FScrollPos.y);
  else ScrollTo(FScrollPos.x, pos);
  Message.Result = 0;
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
      if (Message.LParam == 0) WMScroll(Message, SB_HORZ);
      else TWinControl::Dispatch(Message);
      break;
    case WM_VSCROLL:
      if (Message.LParam == 0) WMScroll(Message, SB_VERT);
      else TWinControl::Dispatch(Message);
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
  FTabStop = false;
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

// ======================= TCustomForm =======================

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  // The active control may be owned above the form, where no free notification reaches.
  HearOwnerNotifications();
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FWidth = 320;
  FHeight = 240;
  FLeft = 200;
  FTop = 100;
  FControlStyle |= csSetCaption;
  if (Screen) Screen->AddForm(this);
}

void TCustomForm::BeforeDestruction() {
  DoDestroy();
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  TScrollingWinControl::BeforeDestruction();
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  // Children and the window go first, while this is still a form.
  DestroyHandleQuietly();
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

TClass TCustomForm::DescriptionRootClass() const { return TForm::StaticClass(); }

void TCustomForm::InitInstance() {
  if (ClassType() == DescriptionRootClass() || HasState(csDesigning)) return;
  {
    FFormState |= fsCreating;
    auto created = ScopeExit([this] { FFormState &= ~fsCreating; });
    ReadFormDescriptions(DescriptionRootClass());
  }
  if (FOldCreateOrder) DoCreate();
}

void TCustomForm::AfterConstruction() {
  if (!FOldCreateOrder || !FCreated) DoCreate();
  // A form described as visible shows once it is complete.
  if (FVisible) UpdateControlState();
}

void TCustomForm::ReadFormDescriptions(TClass RootAncestor) {
  std::vector<TClass> chain;
  for (TClass c = ClassType(); c && c != RootAncestor; c = c->Parent) {
    if (c == TCustomForm::StaticClass() || c == TScrollingWinControl::StaticClass()) break;
    chain.push_back(c);
  }
  if (chain.empty()) return;
  bool any = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (ReadComponentResource(this, (*it)->Name)) any = true;
  if (!any) throw EResNotFound("Ressource " + NarrowAcp(ClassName()) + " wurde nicht gefunden");
}

void TCustomForm::DoCreate() {
  if (FCreated) return;
  FCreated = true;
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    HandleCurrentException(this);
  }
}

void TCustomForm::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  try {
    if (OnDestroy) OnDestroy(this);
  } catch (...) {
    HandleCurrentException(this);
  }
}

void TCustomForm::Release() {
  if (FHandle) PostMessageA(FHandle, CM_RELEASE, 0, 0);
  else Free();
}

void TCustomForm::DoShow() {
  if (OnShow && !FDestroyed) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide && !FDestroyed) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  if (FScaled && FPixelsPerInchRead && FPixelsPerInch > 0 && FPixelsPerInch != Screen->PixelsPerInch()) {
    const int screen = Screen->PixelsPerInch();
    const int cw = ClientWidth(), ch = ClientHeight();
    ScaleBy(screen, FPixelsPerInch);
    SetClientSize(MulDiv(cw, screen, FPixelsPerInch), MulDiv(ch, screen, FPixelsPerInch));
    FPixelsPerInch = screen;
  }
  FPixelsPerInchRead = false;
  if (FActiveControl && FActiveControl->Parent() == nullptr) FActiveControl = nullptr;
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (FParent) return;
  Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const bool sys = FBorderIcons.Contains(TBorderIcon::biSystemMenu);
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: Params.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle != TFormBorderStyle::bsNone && sys) {
    Params.Style |= WS_SYSMENU;
    if (FBorderStyle == TFormBorderStyle::bsSingle || FBorderStyle == TFormBorderStyle::bsSizeable) {
      if (FBorderIcons.Contains(TBorderIcon::biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(TBorderIcon::biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (FBorderStyle == TFormBorderStyle::bsDialog && FBorderIcons.Contains(TBorderIcon::biHelp))
      Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FBorderStyle == TFormBorderStyle::bsToolWindow || FBorderStyle == TFormBorderStyle::bsSizeToolWin)
    Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FFormStyle == TFormStyle::fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FAlphaBlend || FTransparentColor) Params.ExStyle |= WS_EX_LAYERED;
  // The owner window: the given parent window, else the application window.
  if (!FParentWindow && Application && Application->HandleAllocated()) Params.WndParent = Application->Handle();
  if (FPosition == TPosition::poDefault || FPosition == TPosition::poDefaultPosOnly) {
    Params.X = static_cast<int>(CW_USEDEFAULT);
    Params.Y = static_cast<int>(CW_USEDEFAULT);
  }
  Params.WindowClass.style = CS_DBLCLKS;
  Params.WindowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  ApplyLayeredAttributes();
}

void TCustomForm::ApplyLayeredAttributes() {
  if (!FHandle) return;
  LONG ex = GetWindowLongA(FHandle, GWL_EXSTYLE);
  if (FAlphaBlend || FTransparentColor) {
    SetWindowLongA(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredAttributes(FHandle, ColorToRGB(FTransparentColorValue), FAlphaBlendValue, flags);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongA(FHandle, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

void TCustomForm::SetAlphaBlend(bool Value) {
  FAlphaBlend = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetAlphaBlendValue(BYTE Value) {
  FAlphaBlendValue = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColor(bool Value) {
  FTransparentColor = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColorValue(TColor Value) {
  FTransparentColorValue = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (ChangeField(FBorderIcons, Value)) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (FHandle)
    SetWindowPos(FHandle, Value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (FHandle && FShowing)
    ShowWindow(FHandle, Value == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                        : Value == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                             : SW_SHOWNORMAL);
}

void TCustomForm::Show() {
  SetVisible(true);
  if (FHandle) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TCustomForm::CanFocus() { return FVisible && FEnabled; }

// Showing: OnShow, the position, then the window; hiding: OnHide, then the window.
void TCustomForm::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  if (FShowing) {
    DoShow();
    RECT area = Screen->WorkAreaRect();
    auto centreIn = [&](RECT r) {
      int x = r.left + ((r.right - r.left) - FWidth) / 2;
      int y = r.top + ((r.bottom - r.top) - FHeight) / 2;
      SetBounds(std::max(static_cast<int>(area.left), x), std::max(static_cast<int>(area.top), y), FWidth, FHeight);
    };
    switch (FPosition) {
      case TPosition::poScreenCenter:
      case TPosition::poDesktopCenter: centreIn(area); break;
      case TPosition::poMainFormCenter:
      case TPosition::poOwnerFormCenter: {
        TCustomForm* other = FPosition == TPosition::poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!other) other = Application->MainForm();
        if (other && other != this && other->HandleAllocated()) centreIn(other->BoundsRect());
        else centreIn(area);
        break;
      }
      default: break;
    }
    int cmd = FWindowState == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
              : FWindowState == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                          : SW_SHOWNORMAL;
    ShowWindow(FHandle, cmd);
    SetForegroundWindow(FHandle);
    FFormState |= fsVisible;
  } else {
    DoHide();
    ShowWindow(FHandle, SW_HIDE);
    FFormState &= ~fsVisible;
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || (FFormState & fsModal))
    throw EInvalidOperation("Aus einem sichtbaren Fenster kann kein modales gemacht werden");
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState |= fsModal;
  HWND activeWindow = GetActiveWindow();
  HandleNeeded();
  TaskWindows tasks{FHandle, {}, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&tasks));
  auto enableOthers = [&] {
    for (HWND w : tasks.Disabled)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  };
  auto restore = [&] {
    enableOthers();
    FFormState &= ~fsModal;
  };
  if (tasks.Failure) {
    restore();
    std::rethrow_exception(tasks.Failure);
  }
  // A handler may free the form while it is shown modally: the loop then ends without touching it.
  TFreeWatch watch(this);
  auto leave = ScopeExit([&] {
    if (watch.Freed()) {
      enableOthers();
      return;
    }
    if (FVisible) SetVisible(false);
    restore();
  });
  Show();
  FModalResult = mrNone;
  do {
    Application->HandleMessage();
    if (watch.Freed()) return mrCancel;
    if (Application->Terminated()) FModalResult = mrCancel;
    else if (FModalResult != mrNone) {
      // The modal result closes the form unless the close is refused.
      TCloseAction action = TCloseAction::caNone;
      if (CloseQuery()) {
        action = TCloseAction::caHide;
        DoClose(action);
      }
      if (action == TCloseAction::caNone) FModalResult = mrNone;
    }
  } while (FModalResult == mrNone);
  TModalResult result = FModalResult;
  Hide();
  return result;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState & fsModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  DoClose(action);
  switch (action) {
    case TCloseAction::caNone: return;
    case TCloseAction::caHide:
      if (Application->MainForm() == this) Application->Terminate();
      Hide();
      break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree:
      if (Application->MainForm() == this) Application->Terminate();
      Release();
      break;
  }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == this) Control = nullptr;
  if (Control && !ContainsControl(Control))
    throw EInvalidOperation("Ungültiger aktiver Steuerelement-Wert");
  if (FActiveControl == Control) return;
  FActiveControl = Control;
  if (Control) Control->FreeNotification(this);
  if (Control && FActive && FHandle && Control->CanFocus()) Control->SetFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == this) return;
  TWeakRef<TWinControl> old = FActiveControl.Get();
  TWeakRef<TWinControl> entered = Control;
  // OnExit and OnEnter may free either control (or the form: it is busy meanwhile).
  TBusyScope busy(this);
  if (old != Control) {
    FActiveControl = Control;
    if (Control) Control->FreeNotification(this);
    if (old) old->Perform(CM_EXIT, 0, 0);
    if (entered) entered->Perform(CM_ENTER, 0, 0);
    if (HasState(csDestroying)) return;
  }
  // Told also when the control was made the active one before it had the focus (the form's first
  // control): a button learns only here that Enter is now its key.
  TMessage m{CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(entered.Get()), 0};
  Broadcast(m);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
  // A linked control changing owners leaves the one form's update and joins the other's.
  if (Operation == TOperation::opRemove) {
    // Compared as components: a control in its last stage of freeing is no control any more.
    for (TControl* c : FActionClients)
      if (c == AComponent) {
        FActionClients.RemoveOnce(c);
        break;
      }
  } else if (auto* c = dynamic_cast<TControl*>(AComponent); c && c->ActionLink() && c->Owner() == this &&
                                                               !FActionClients.Contains(c)) {
    FActionClients.push_back(c);
  }
}

namespace controls_detail {

void ActionClientChanged(TControl* Control, bool Linked) {
  auto* form = dynamic_cast<TCustomForm*>(Control->Owner());
  if (!form) return;
  if (!Linked) form->FActionClients.RemoveOnce(Control);
  else if (!form->FActionClients.Contains(Control)) form->FActionClients.push_back(Control);
}

}  // namespace controls_detail

bool TCustomForm::PreviewKeyDown(WORD& Key, TShiftState Shift) {
  return FKeyPreview && TWinControl::DoKeyDown(Key, Shift);
}

bool TCustomForm::PreviewKeyPress(char& Key) { return FKeyPreview && TWinControl::DoKeyPress(Key); }

bool TCustomForm::PreviewKeyUp(WORD& Key, TShiftState Shift) {
  return FKeyPreview && TWinControl::DoKeyUp(Key, Shift);
}

// Tab moves through the tab order, arrows within the active control's parent; other dialog keys
// (Enter, Esc) go to the controls, where the Default and Cancel buttons take them.
void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (LOWORD(Message.WParam)) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl,
                                               Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
      default: break;
    }
  }
  Broadcast(Message);
}

void TCustomForm::WMActivate(TMessage& Message) {
  DefaultHandler(Message);
  const bool active = LOWORD(Message.WParam) != WA_INACTIVE;
  FActive = active;
  if (FDestroyed) return;
  if (active) {
    Screen->SetActiveForm(this);
    if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
    else if (!FActiveControl) SelectFirst();
    if (OnActivate && !FDestroyed) OnActivate(this);
  } else {
    if (OnDeactivate && !FDestroyed) OnDeactivate(this);
  }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

// Update handlers may free controls, actions or the form itself: the walk skips the controls that
// went (they leave the list as they start being freed) and stops once the form starts being freed
// (busy, it stays readable until the walk is over).
void TCustomForm::UpdateActions() {
  TBusyScope busy(this);
  InitiateAction();
  if (HasState(csDestroying)) return;
  TWeakRef<TComponent> self(this);
  FActionClients.FindFirst([&](TControl* c) {
    if (c->Visible()) c->InitiateAction();
    return !self;
  });
}

bool TCustomForm::DispatchAction(UINT Msg, TBasicAction* Action) {
  auto tryControl = [&](TControl* c) {
    if (!c || !Action->HandlesTarget(c)) return false;
    if (Msg == CM_ACTIONEXECUTE) Action->ExecuteTarget(c);
    else Action->UpdateTarget(c);
    return true;
  };
  // Only an action that acts on targets can be handled by a control.
  if (!Action || !Action->HasTargets()) return false;
  TBusyScope busy(this);
  if (tryControl(FActiveControl)) return true;
  if (HasState(csDestroying)) return false;
  if (tryControl(this)) return true;
  bool handled = false;
  ForEachComponent([&](TComponent* Component) {
    if (handled || HasState(csDestroying)) return;
    if (auto* c = dynamic_cast<TControl*>(Component); c && c->Visible()) handled = tryControl(c);
  });
  return handled;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_CLOSE: WMClose(Message); break;
    case CM_RELEASE: Free(); break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
      Message.Result = DispatchAction(Message.Msg, reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      break;
    case WM_SETFOCUS:
      DefaultHandler(Message);
      if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
      break;
    default: TScrollingWinControl::Dispatch(Message); break;
  }
}

VGT_PUBLISH(TControlScrollBar) {
  P.Prop(L"Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement)
      .Prop(L"Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition)
      .Prop(L"Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking)
      .Prop(L"Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible);
}

VGT_PUBLISH(TScrollingWinControl) {
  P.Prop(L"AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll)
      .Prop(L"HorzScrollBar", &TScrollingWinControl::HorzScrollBar, nullptr)
      .Prop(L"VertScrollBar", &TScrollingWinControl::VertScrollBar, nullptr);
}

VGT_PUBLISH(TScrollBox) {
  P.Prop(L"BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle);
}

VGT_PUBLISH(TCustomForm) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth, [](TCustomForm*) { return false; })
      .Prop(L"ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight, [](TCustomForm*) { return false; })
      .Prop(L"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Prop(L"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Prop(L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
      .Prop(L"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle)
      .Prop(L"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
      .Prop(L"OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
      .Prop(L"PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Prop(L"Position", &TCustomForm::Position, &TCustomForm::SetPosition)
      .Prop(L"Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled)
      .Prop(L"TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
      .Prop(L"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
      .Prop(L"AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend)
      .Prop(L"AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue)
      .Prop(L"TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor)
      .Prop(L"TransparentColorValue", &TCustomForm::TransparentColorValue, &TCustomForm::SetTransparentColorValue)
      .Idents(ColorIdents())
      .Event(L"OnCreate", &TCustomForm::OnCreate)
      .Event(L"OnDestroy", &TCustomForm::OnDestroy)
      .Event(L"OnShow", &TCustomForm::OnShow)
      .Event(L"OnHide", &TCustomForm::OnHide)
      .Event(L"OnActivate", &TCustomForm::OnActivate)
      .Event(L"OnDeactivate", &TCustomForm::OnDeactivate)
      .Event(L"OnClose", &TCustomForm::OnClose)
      .Event(L"OnCloseQuery", &TCustomForm::OnCloseQuery);
}

VGT_PUBLISH(TForm) {}
