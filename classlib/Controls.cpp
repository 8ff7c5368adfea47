#include "classlib/Controls.h"

#include <algorithm>
#include <exception>

#include "base/Scope.h"
#include "classlib/ActnList.h"
#include "classlib/ControlsDetail.h"
#include "classlib/Themes.h"

using namespace controls_detail;

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

void TControl::BeforeDestruction() {
  TFreeWatch::ControlFreed(this);
  if (CaptureControl == this) CaptureControl = nullptr;
  // Gone from the owner's idle update at once, also when the delete waits for a busy control.
  if (FActionLink) controls_detail::ActionClientChanged(this, false);
  TComponent::BeforeDestruction();
}

TControl::~TControl() {
  TFreeWatch::ControlFreed(this);
  Destroying();
  if (CaptureControl == this) CaptureControl = nullptr;
  if (FActionLink) controls_detail::ActionClientChanged(this, false);
  delete FActionLink;
  FActionLink = nullptr;
  if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TBusyScope busy(this);
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
  const bool wasAligned = FAlign != TAlign::alNone;
  if (!ChangeField(FAlign, Value)) return;
  if (FParent && wasAligned != (FAlign != TAlign::alNone)) FParent->FAlignedChildren += wasAligned ? -1 : 1;
  RequestAlign();
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
  auto taken = ScopeExit([] { TakingParentFont = false; });
  FFont->Assign(FParent->Font());
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
    if (!FActionLink) return;
    controls_detail::ActionClientChanged(this, false);
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (!FActionLink) {
    FActionLink = GetActionLinkClass()->Create(this);
    controls_detail::ActionClientChanged(this, true);
  }
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
VGT_UNIT_ANCHOR(Controls)
