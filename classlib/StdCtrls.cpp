#include "classlib/StdCtrls.h"

#include <algorithm>

// ======================= TButtonControl =======================

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

TControlActionLinkClass TButtonControl::GetActionLinkClass() { return ActionLinkClassOf<TButtonActionLink>(); }

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) { TWinControl::ActionChange(Sender, CheckDefaults); }

// ======================= TButton =======================

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = csSetCaption | csDoubleClicks;
  FWidth = 75;
  FHeight = 25;
  FTabStop = true;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= (FActive || (FDefault && !FHandle)) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  if (FHandle) {
    TCustomForm* form = GetParentForm(this);
    TMessage m{CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form ? form->ActiveControl() : nullptr), 0};
    CMFocusChanged(m);
  }
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!FHandle) return;
  const LONG style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((GetWindowLongA(FHandle, GWL_STYLE) & 0xF) != style) SendMessageA(FHandle, BM_SETSTYLE, style, 1);
}

void TButton::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  const WORD key = LOWORD(Message.WParam);
  const bool plain = KeyDataToShiftState(Message.LParam).Empty();
  if (plain && ((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(LOWORD(Message.WParam), Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

// The default button is the active one while no other button has the focus.
void TButton::CMFocusChanged(TMessage& Message) {
  auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
  if (focused == this) FActive = true;
  else if (dynamic_cast<TButton*>(focused)) FActive = false;
  else FActive = FDefault;
  SetButtonStyle(FActive);
  Message.Result = 0;
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CN_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(Message.WParam), ColorToRGB(FColor));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      break;
    default: TButtonControl::Dispatch(Message); break;
  }
}

// ======================= TCustomEdit =======================

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = csClickEvents | csSetCaption | csDoubleClicks;
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) Params.Style |= ES_OEMCONVERT;
  if (FCharCase == TEditCharCase::ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == TEditCharCase::ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar) SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
  Perform(EM_SETMODIFY, FModified, 0);
}

void TCustomEdit::DestroyWnd() {
  if (FHandle) FModified = Perform(EM_GETMODIFY, 0, 0) != 0;
  TWinControl::DestroyWnd();
}

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::SelectAll() {
  if (FHandle) Perform(EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart() {
  DWORD start = 0;
  HandleNeeded();
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) {
  HandleNeeded();
  Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  HandleNeeded();
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
  DWORD start = 0;
  HandleNeeded();
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  Perform(EM_SETSEL, start, static_cast<LPARAM>(start + Value));
}

AnsiString TCustomEdit::SelText() {
  AnsiString text = Text();
  size_t start = static_cast<size_t>(std::max(0, SelStart()));
  size_t len = static_cast<size_t>(std::max(0, SelLength()));
  return start < text.size() ? text.substr(start, len) : AnsiString();
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
  HandleNeeded();
  Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

bool TCustomEdit::Modified() {
  if (FHandle) FModified = Perform(EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (FHandle) Perform(EM_SETMODIFY, Value, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (ChangeField(FCharCase, Value)) RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (ChangeField(FHideSelection, Value)) RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (ChangeField(FOEMConvert, Value)) RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  if (FHandle) SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (FHandle) {
    SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (FHandle) SendMessageA(FHandle, EM_SETREADONLY, Value, 0);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE) Change();
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(FColor));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      break;
    }
    case CM_TEXTCHANGED:
      TWinControl::Dispatch(Message);
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ======================= TCustomLabel =======================

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle |= csOpaque;
  FWidth = 65;
  FHeight = 17;
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  AnsiString text = GetLabelText();
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Flags |= DrawTextBiDiModeFlagsReadingOnly();
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->RequiredState(csHandleValid | csFontValid);
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  if (!FEnabled) {
    OffsetRect(&Rect, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    OffsetRect(&Rect, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  }
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
  }
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DT_EXPANDTABS | align[static_cast<int>(FAlignment)] | (FWordWrap ? DT_WORDBREAK : 0);
  if (FLayout != TTextLayout::tlTop) {
    RECT calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    if (FLayout == TTextLayout::tlBottom) OffsetRect(&r, 0, (r.bottom - r.top) - h);
    else OffsetRect(&r, 0, ((r.bottom - r.top) - h) / 2);
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || HasState(csLoading)) return;
  HDC dc = GetDC(nullptr);
  Canvas()->SetHandle(dc);
  RECT r = ClientRect();
  try {
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  } catch (...) {
    Canvas()->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    throw;
  }
  Canvas()->SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  int x = FLeft;
  const int w = r.right - r.left;
  if (FAlignment == TAlignment::taRightJustify) x += FWidth - w;
  else if (FAlignment == TAlignment::taCenter) x += (FWidth - w) / 2;
  SetBounds(x, FTop, w, r.bottom - r.top);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (ChangeField(FAlignment, Value)) Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value)) AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (ChangeField(FLayout, Value)) Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (ChangeField(FShowAccelChar, Value)) Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  FControlStyle = Value ? (FControlStyle & ~csOpaque) : (FControlStyle | csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

// Alt and the label's accelerator focus the control the label names.
void TCustomLabel::CMDialogChar(TMessage& Message) {
  if (FFocusControl && FEnabled && FShowAccelChar && IsAccel(LOWORD(Message.WParam), GetLabelText()) &&
      FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    Message.Result = 1;
  }
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      break;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      break;
    default: TGraphicControl::Dispatch(Message); break;
  }
}

// ======================= Published properties =======================

VGT_PUBLISH(TButtonControl) {}

VGT_PUBLISH(TButton) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"Cancel", &TButton::Cancel, &TButton::SetCancel)
      .Prop(L"Default", &TButton::Default, &TButton::SetDefault)
      .Prop(L"ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
      .Idents(ModalResultIdents());
}

VGT_PUBLISH(TCustomEdit) {}

VGT_PUBLISH(TEdit) {
  P.Prop(L"Text", &TControl::Text, &TControl::SetTextProp)
      .Prop(L"AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect)
      .Prop(L"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle)
      .Prop(L"CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase)
      .Prop(L"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
      .Prop(L"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
      .Prop(L"OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert)
      .Prop(L"PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar)
      .Prop(L"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
      .Event(L"OnChange", &TCustomEdit::OnChange);
}

VGT_PUBLISH(TCustomLabel) {}

VGT_PUBLISH(TLabel) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment)
      .Prop(L"AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize)
      .Prop(L"FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
      .Prop(L"Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout)
      .Prop(L"ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar)
      .Prop(L"Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent)
      .Prop(L"WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap);
}

VGT_UNIT_ANCHOR(StdCtrls)
