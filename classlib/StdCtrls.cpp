#include "classlib/StdCtrls.h"

#include <algorithm>

#include "base/DeviceContext.h"
#include "base/Scope.h"
#include "classlib/ResStrings.h"
#include "classlib/Themes.h"

namespace {

// CreateWindowExA refuses a title whose length modulo 65536 lies between 32767 and 65535, so a
// long text is given to the window after it exists.
constexpr size_t MaxCreationText = 32000;

// Text drawn and measured by the platform call of its kind, for painting that serves 8-bit and wide
// captions alike.
void DrawTextOf(HDC DC, const AnsiString& Text, RECT& Rect, UINT Flags) {
  DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &Rect, Flags);
}
void DrawTextOf(HDC DC, const WideString& Text, RECT& Rect, UINT Flags) {
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Rect, Flags);
}
SIZE TextExtentOf(HDC DC, const AnsiString& Text) {
  SIZE size{0, 0};
  GetTextExtentPoint32A(DC, Text.c_str(), static_cast<int>(Text.size()), &size);
  return size;
}
SIZE TextExtentOf(HDC DC, const WideString& Text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &size);
  return size;
}
WideString WideOf(const AnsiString& Text) { return WidenAcp(Text); }
const WideString& WideOf(const WideString& Text) { return Text; }

}  // namespace

// ======================= TButtonControl =======================

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

TControlActionLinkClass TButtonControl::GetActionLinkClass() { return ActionLinkClassOf<TButtonActionLink>(); }

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) { TWinControl::ActionChange(Sender, CheckDefaults); }

void TButtonControl::CreateMarkButtonParams(TCreateParams& Params, LONG ButtonStyle, TLeftRight Alignment) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= ButtonStyle;
  if (Alignment == TLeftRight::taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TButtonControl::ShowMarkState(WPARAM State) {
  if (FHandle) SendMessageA(FHandle, BM_SETCHECK, State, 0);
}

bool TButtonControl::FocusOnAccelerator(TMessage& Message) {
  if (IsAccel(LOWORD(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    Message.Result = 1;
    return true;
  }
  DefaultHandler(Message);
  return false;
}

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
  AnsiString longText;
  if (TextField().size() > MaxCreationText) longText.swap(TextField());
  TWinControl::CreateWnd();
  SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (!longText.empty()) SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longText.c_str()));
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
    case CN_CTLCOLORSTATIC:
      ColorControlDC(Message);
      break;
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

void TCustomLabel::DoDrawText(RECT& Rect, UINT Flags) { DrawLabelText(GetLabelText(), Rect, Flags); }

template <class S>
void TCustomLabel::DrawLabelText(S Text, RECT& Rect, UINT Flags) {
  using C = typename S::value_type;
  // A label without visible text is measured one line high.
  if ((Flags & DT_CALCRECT) && (Text.empty() || (FShowAccelChar && Text == S(1, C('&'))))) Text += C(' ');
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
    DrawTextOf(dc, Text, Rect, Flags);
    OffsetRect(&Rect, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  }
  DrawTextOf(dc, Text, Rect, Flags);
}

template void TCustomLabel::DrawLabelText(AnsiString, RECT&, UINT);
template void TCustomLabel::DrawLabelText(WideString, RECT&, UINT);

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
  RECT r = ClientRect();
  {
    TWindowDC screen;
    TCanvasHandleLoan loan(Canvas(), screen);
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  }
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

// ======================= TMemoStrings =======================

namespace {

// Lines of a text without a window: split at CR LF, CR or LF; a final break adds no line.
std::vector<AnsiString> SplitLines(const AnsiString& Text) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\r' && Text[i] != '\n') continue;
    lines.push_back(Text.substr(start, i - start));
    if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < Text.size()) lines.push_back(Text.substr(start));
  return lines;
}

// The lines joined by CR LF; the last one ends with a break when the text it came from did (or was
// empty), as the window's own line operations leave it.
AnsiString JoinLines(const std::vector<AnsiString>& Lines, const AnsiString& Before) {
  AnsiString s;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) s += "\r\n";
    s += Lines[i];
  }
  const bool finalBreak = Before.empty() || Before.back() == '\r' || Before.back() == '\n';
  if (finalBreak && !Lines.empty()) s += "\r\n";
  return s;
}

AnsiString CrLfBreaks(const AnsiString& Text) {
  AnsiString s;
  s.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '\r' || Text[i] == '\n') {
      s += "\r\n";
      if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    } else {
      s += Text[i];
    }
  }
  return s;
}

}  // namespace

void TMemoStrings::CheckIndex(int Index, int Count) const {
  if (Index < 0 || Index >= Count) IndexError(Index);
}

int TMemoStrings::GetCount() const {
  if (!FMemo->HandleAllocated()) return static_cast<int>(SplitLines(FMemo->Text()).size());
  HWND h = FMemo->Handle();
  int n = static_cast<int>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
  if (n > 0) {
    LRESULT start = SendMessageA(h, EM_LINEINDEX, n - 1, 0);
    if (start >= 0 && SendMessageA(h, EM_LINELENGTH, start, 0) == 0) --n;
  }
  return n;
}

AnsiString TMemoStrings::Get(int Index) const {
  if (!FMemo->HandleAllocated()) {
    auto lines = SplitLines(FMemo->Text());
    CheckIndex(Index, static_cast<int>(lines.size()));
    return lines[static_cast<size_t>(Index)];
  }
  CheckIndex(Index, GetCount());
  HWND h = FMemo->Handle();
  LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
  if (start < 0) return {};
  int len = static_cast<int>(SendMessageA(h, EM_LINELENGTH, start, 0));
  if (len <= 0) return {};
  // EM_GETLINE takes the buffer size in a 16-bit word: a longer line is cut from the whole text.
  if (len >= 0xFFFF) return FMemo->Text().substr(static_cast<size_t>(start), static_cast<size_t>(len));
  AnsiString buf(static_cast<size_t>(std::max(len, 2)), '\0');
  *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(buf.size());
  LRESULT got = SendMessageA(h, EM_GETLINE, Index, reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
  return buf;
}

void TMemoStrings::Put(int Index, const AnsiString& S) {
  if (!FMemo->HandleAllocated()) {
    const AnsiString text = FMemo->Text();
    auto lines = SplitLines(text);
    CheckIndex(Index, static_cast<int>(lines.size()));
    lines[static_cast<size_t>(Index)] = S;
    FMemo->SetText(JoinLines(lines, text));
    return;
  }
  CheckIndex(Index, GetCount());
  HWND h = FMemo->Handle();
  LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
  if (start < 0) return;
  LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(start), start + len);
  SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TMemoStrings::Insert(int Index, const AnsiString& S) {
  if (!FMemo->HandleAllocated()) {
    const AnsiString text = FMemo->Text();
    auto lines = SplitLines(text);
    if (Index < 0 || Index > static_cast<int>(lines.size())) IndexError(Index);
    lines.insert(lines.begin() + Index, S);
    FMemo->SetText(JoinLines(lines, text));
    return;
  }
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  HWND h = FMemo->Handle();
  LRESULT pos = SendMessageA(h, EM_LINEINDEX, Index, 0);
  AnsiString text;
  if (pos >= 0) {
    text = S + "\r\n";
  } else {
    // Past the last line, which has no line break yet.
    pos = SendMessageA(h, EM_LINEINDEX, Index - 1, 0);
    if (pos < 0) return;
    pos += SendMessageA(h, EM_LINELENGTH, pos, 0);
    text = "\r\n" + S;
  }
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(pos), pos);
  SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TMemoStrings::Delete(int Index) {
  if (!FMemo->HandleAllocated()) {
    const AnsiString text = FMemo->Text();
    auto lines = SplitLines(text);
    CheckIndex(Index, static_cast<int>(lines.size()));
    lines.erase(lines.begin() + Index);
    FMemo->SetText(JoinLines(lines, text));
    return;
  }
  CheckIndex(Index, GetCount());
  HWND h = FMemo->Handle();
  LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
  if (start < 0) return;
  LRESULT end = SendMessageA(h, EM_LINEINDEX, Index + 1, 0);
  if (end < 0) end = start + SendMessageA(h, EM_LINELENGTH, start, 0);
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(start), end);
  SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
}

void TMemoStrings::Clear() { FMemo->Clear(); }

void TMemoStrings::SetUpdateState(bool Updating) {
  if (!FMemo->HandleAllocated()) return;
  SendMessageA(FMemo->Handle(), WM_SETREDRAW, !Updating, 0);
  if (!Updating) {
    FMemo->Perform(CM_TEXTCHANGED, 0, 0);
    FMemo->Invalidate();
  }
}

AnsiString TMemoStrings::GetTextStr() const { return FMemo->Text(); }

void TMemoStrings::SetTextStr(const AnsiString& Value) { FMemo->SetText(CrLfBreaks(Value)); }

// ======================= TCustomMemo =======================

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(new TMemoStrings(this)) {
  FWidth = 185;
  FHeight = 89;
  FAutoSelect = false;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE | ES_WANTRETURN;
  if (FWordWrap) Params.Style &= ~ES_AUTOHSCROLL;
  if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth) Params.Style |= WS_VSCROLL;
  if ((FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth) && !FWordWrap)
    Params.Style |= WS_HSCROLL;
  if (FAlignment == TAlignment::taRightJustify) Params.Style |= ES_RIGHT;
  else if (FAlignment == TAlignment::taCenter) Params.Style |= ES_CENTER;
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (ChangeField(FScrollBars, Value)) RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (ChangeField(FWordWrap, Value)) RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (ChangeField(FAlignment, Value)) RecreateWnd();
}

bool TCustomMemo::WantsKey(WORD Key) {
  if (Key == VK_TAB) return FWantTabs;
  if (Key == VK_RETURN) return FWantReturns;
  return TCustomEdit::WantsKey(Key);
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    else Message.Result &= ~DLGC_WANTTAB;
    if (!FWantReturns) Message.Result &= ~DLGC_WANTALLKEYS;
    return;
  }
  TCustomEdit::Dispatch(Message);
}

// ======================= TCustomComboBoxStrings =======================

namespace {

[[noreturn]] void InsertLineError() { throw EOutOfResources(LoadResStringA(SInsertLineError)); }

}  // namespace

HWND TCustomComboBoxStrings::Window() const { return FComboBox->FHandle; }

void TCustomComboBoxStrings::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

int TCustomComboBoxStrings::GetCount() const {
  if (HWND h = Window()) return static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
  return FComboBox->FSaved ? FComboBox->FSaved->Count() : 0;
}

AnsiString TCustomComboBoxStrings::Get(int Index) const {
  CheckIndex(Index);
  HWND h = Window();
  if (!h) return FComboBox->FSaved->Get(Index);
  LRESULT len = SendMessageA(h, CB_GETLBTEXTLEN, Index, 0);
  if (len <= 0) return {};
  AnsiString s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = SendMessageA(h, CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(s.data()));
  s.resize(got < 0 ? 0 : std::min(static_cast<size_t>(got), s.size() - 1));
  return s;
}

TObject* TCustomComboBoxStrings::GetObject(int Index) const {
  CheckIndex(Index);
  HWND h = Window();
  if (!h) return FComboBox->FSaved->GetObject(Index);
  LRESULT data = SendMessageA(h, CB_GETITEMDATA, Index, 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<TObject*>(data);
}

void TCustomComboBoxStrings::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  if (HWND h = Window()) SendMessageA(h, CB_SETITEMDATA, Index, reinterpret_cast<LPARAM>(AObject));
  else FComboBox->FSaved->PutObject(Index, AObject);
}

int TCustomComboBoxStrings::Add(const AnsiString& S) {
  HWND h = Window();
  if (!h) {
    if (!FComboBox->FSaved) FComboBox->FSaved.reset(new TStringList);
    FComboBox->FSaved->SetSorted(FComboBox->FSorted);
    FComboBox->FSaved->SetDuplicates(TDuplicates::dupAccept);
    return FComboBox->FSaved->Add(S);
  }
  LRESULT i = SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (i < 0) InsertLineError();
  return static_cast<int>(i);
}

void TCustomComboBoxStrings::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  HWND h = Window();
  if (!h) {
    if (!FComboBox->FSaved) FComboBox->FSaved.reset(new TStringList);
    if (FComboBox->FSaved->Sorted()) FComboBox->FSaved->Add(S);
    else FComboBox->FSaved->Insert(Index, S);
    return;
  }
  if (SendMessageA(h, CB_INSERTSTRING, Index, reinterpret_cast<LPARAM>(S.c_str())) < 0) InsertLineError();
}

void TCustomComboBoxStrings::Delete(int Index) {
  CheckIndex(Index);
  if (HWND h = Window()) SendMessageA(h, CB_DELETESTRING, Index, 0);
  else FComboBox->FSaved->Delete(Index);
}

void TCustomComboBoxStrings::Clear() {
  HWND h = Window();
  if (!h) {
    FComboBox->FSaved.reset();
    FComboBox->FSavedIndex = -1;
    return;
  }
  // Clearing the list keeps what the edit field shows.
  AnsiString text = FComboBox->Text();
  SendMessageA(h, CB_RESETCONTENT, 0, 0);
  if (FComboBox->FStyle == TComboBoxStyle::csDropDown || FComboBox->FStyle == TComboBoxStyle::csSimple)
    FComboBox->SetText(text);
  FComboBox->Update();
}

int TCustomComboBoxStrings::IndexOf(const AnsiString& S) const {
  HWND h = Window();
  if (!h) return FComboBox->FSaved ? FComboBox->FSaved->IndexOf(S) : -1;
  LRESULT i = SendMessageA(h, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str()));
  return i < 0 ? -1 : static_cast<int>(i);
}

void TCustomComboBoxStrings::SetUpdateState(bool Updating) {
  HWND h = Window();
  if (!h) return;
  SendMessageA(h, WM_SETREDRAW, !Updating, 0);
  if (!Updating) FComboBox->Invalidate();
}

// ======================= TCustomComboBox =======================

namespace {
// The combo box of an edit or list child, read for each of the child's messages.
TWindowLinks& ComboChildLinks() {
  static TWindowLinks* links = new TWindowLinks;
  return *links;
}
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TCustomComboBoxStrings(this)), FCanvas(new TControlCanvas(this)) {
  FControlStyle = csSetCaption | csDoubleClicks;
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  DestroyHandle();
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS | styles[static_cast<int>(FStyle)];
  if (FSorted) Params.Style |= CBS_SORT;
  Params.Height = DroppedHeight();
  // The text is given to the new window by CreateWnd (as a title it could be too long).
  Params.Caption = "";
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

int TCustomComboBox::DroppedHeight() {
  if (FStyle == TComboBoxStyle::csSimple) return FHeight;
  // The window's height is that of the open list; the closed box takes the height it needs.
  return FHeight + std::max(1, FDropDownCount) * (std::max(FItemHeight, std::abs(FFont->Height()) + 4)) + 2;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle && FStyle != TComboBoxStyle::csSimple)
    SetWindowPos(FHandle, nullptr, 0, 0, FWidth, DroppedHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::CreateWnd() {
  // The combo box does not take its text from the window's creation: it is given back below.
  const AnsiString text = TextField();
  TWinControl::CreateWnd();
  SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FStyle == TComboBoxStyle::csOwnerDrawFixed) SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(FHandle, &info)) {
    if (info.hwndItem && info.hwndItem != FHandle) {
      FEditHandle = info.hwndItem;
      AttachChild(FEditHandle, FEditDefProc);
    }
    if (info.hwndList) {
      FListHandle = info.hwndList;
      AttachChild(FListHandle, FListDefProc);
    }
  }
  if (FSaved) {
    std::unique_ptr<TStringList> saved(FSaved.release());
    for (int i = 0; i < saved->Count(); ++i) {
      int at = FItems->Add(saved->Get(i));
      SendMessageA(FHandle, CB_SETITEMDATA, at, reinterpret_cast<LPARAM>(saved->GetObject(i)));
    }
    if (FSavedIndex >= 0) SendMessageA(FHandle, CB_SETCURSEL, std::min(FSavedIndex, saved->Count() - 1), 0);
  }
  if (FStyle == TComboBoxStyle::csDropDown || FStyle == TComboBoxStyle::csSimple) SetText(text);
  FSavedIndex = -1;
}

void TCustomComboBox::DestroyWnd() {
  if (FHandle && !HasState(csDestroying)) {
    std::unique_ptr<TStringList> saved(new TStringList);
    saved->SetDuplicates(TDuplicates::dupAccept);
    const int n = FItems->Count();
    for (int i = 0; i < n; ++i) saved->AddObject(FItems->Get(i), FItems->GetObject(i));
    FSavedIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
    if (n) FSaved = std::move(saved);
  }
  DetachChild(FEditHandle, FEditDefProc);
  DetachChild(FListHandle, FListDefProc);
  FEditHandle = FListHandle = nullptr;
  TWinControl::DestroyWnd();
}

void TCustomComboBox::AttachChild(HWND Child, WNDPROC& DefProc) {
  ComboChildLinks().Set(Child, this);
  DefProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::ChildWndProc)));
}

void TCustomComboBox::DetachChild(HWND Child, WNDPROC& DefProc) {
  if (!Child) return;
  ComboChildLinks().Remove(Child, this);
  if (!IsWindow(Child)) return;
  if (DefProc) SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefProc));
  DefProc = nullptr;
}

WNDPROC TCustomComboBox::ChildWindowProcedure() { return &TCustomComboBox::ChildWndProc; }

LRESULT CALLBACK TCustomComboBox::ChildWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* combo = static_cast<TCustomComboBox*>(ComboChildLinks().Find(Wnd));
  if (!combo) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  return combo->ChildProc(Wnd, Msg, WParam, LParam);
}

LRESULT TCustomComboBox::ChildProc(HWND Child, UINT Msg, WPARAM WParam, LPARAM LParam) {
  WNDPROC def = Child == FEditHandle ? FEditDefProc : FListDefProc;
  if (Msg == WM_NCDESTROY) {
    // The child goes first: put its own procedure back.
    SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(def));
      ComboChildLinks().Remove(Child, this);
    if (Child == FEditHandle) FEditDefProc = nullptr, FEditHandle = nullptr;
    else FListDefProc = nullptr, FListHandle = nullptr;
    return CallWindowProcA(def, Child, Msg, WParam, LParam);
  }
  TMessage m{Msg, WParam, LParam, 0};
  bool handled = false;
  try {
    TFreeWatch watch(this);
    handled = ChildMessage(m, Child, def);
    if (watch.Freed()) return m.Result;
  } catch (...) {
    HandleCurrentException(this);
    handled = Msg == WM_CHAR;
  }
  return handled ? m.Result : CallWindowProcA(def, Child, Msg, WParam, LParam);
}

bool TCustomComboBox::ChildMessage(TMessage& Message, HWND Child, WNDPROC) {
  if (Child != FEditHandle) return false;
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(Message.WParam);
      if (DoKeyDown(key, KeyDataToShiftState(Message.LParam))) return true;
      Message.WParam = key;
      return false;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(Message.WParam);
      if (DoKeyUp(key, KeyDataToShiftState(Message.LParam))) return true;
      Message.WParam = key;
      return false;
    }
    case WM_CHAR: {
      char key = static_cast<char>(Message.WParam & 0xFF);
      const char before = key;
      TFreeWatch watch(this);
      if (DoKeyPress(key) || watch.Freed()) return true;
      if (key != before) Message.WParam = (Message.WParam & ~WPARAM{0xFFFF}) | static_cast<unsigned char>(key);
      TMessage copy = Message;
      HandleEditChar(copy);
      if (watch.Freed() || LOWORD(copy.WParam) == 0) return true;
      const WORD c = LOWORD(Message.WParam);
      if ((c == VK_RETURN || c == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return true;
      }
      // Passed on to the edit field as it now stands.
      Message.Result = CallWindowProcA(FEditDefProc, Child, WM_CHAR, Message.WParam, Message.LParam);
      return true;
    }
    default: return false;
  }
}

void TCustomComboBox::KeyPress(char& Key) { TWinControl::KeyPress(Key); }

void TCustomComboBox::HandleEditChar(TMessage& Message) {
  if (!FAutoComplete) return;
  const char c = static_cast<char>(Message.WParam & 0xFF);
  if (c == '\b' || c == VK_ESCAPE) return;
  if (c == '\t') {
    if (FAutoDropDown && DroppedDown()) SetDroppedDown(false);
    return;
  }
  if (static_cast<unsigned char>(c) < ' ') return;
  if (FAutoDropDown && !DroppedDown()) {
    AnsiString text = Text();
    int start = SelStart(), len = SelLength();
    SetDroppedDown(true);
    SetText(text);
    SetSelStart(start);
    SetSelLength(len);
  }
  AnsiString text = Text();
  const int start = SelStart();
  if (start + SelLength() != static_cast<int>(text.size())) return;
  if (SelectMatchingItem(text.substr(0, static_cast<size_t>(start)) + c)) Message.WParam &= ~WPARAM{0xFFFF};
}

void TCustomComboBox::HandleListChar(TMessage& Message) {
  if (!FAutoComplete || FStyle == TComboBoxStyle::csDropDown || FStyle == TComboBoxStyle::csSimple) return;
  const char c = static_cast<char>(Message.WParam & 0xFF);
  switch (c) {
    case '\b':
      if (!FFilter.empty()) FFilter.pop_back();
      return;
    case '\t':
      if (FAutoDropDown && DroppedDown()) SetDroppedDown(false);
      return;
    case VK_ESCAPE: return;
    default: break;
  }
  if (FAutoDropDown && !DroppedDown()) SetDroppedDown(true);
  if (SearchPauseElapsed(FLastKeyTime)) FFilter.clear();
  if (SelectMatchingItem(FFilter + c)) {
    FFilter += c;
    Message.WParam &= ~WPARAM{0xFFFF};
  }
}

bool TCustomComboBox::SearchPauseElapsed(DWORD& LastKeyTime) {
  const DWORD now = FSearchClock ? FSearchClock() : GetTickCount();
  const bool elapsed = now - LastKeyTime >= SearchRestartPause;
  LastKeyTime = now;
  return elapsed;
}

bool TCustomComboBox::SelectMatchingItem(const AnsiString& S) {
  LRESULT n = SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str()));
  if (n < 0) return false;
  const bool changed = n != ItemIndex();
  if (FAutoCloseUp && FItems->IndexOf(S) >= 0) SetDroppedDown(false);
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(n), 0);
  if (FStyle == TComboBoxStyle::csDropDown || FStyle == TComboBoxStyle::csSimple) {
    // The typed characters keep their case; the completed rest is selected.
    AnsiString item = FItems->Get(static_cast<int>(n));
    SetText(S + (item.size() > S.size() ? item.substr(S.size()) : AnsiString()));
    SetSelStart(static_cast<int>(S.size()));
    SetSelLength(static_cast<int>(Text().size() - S.size()));
  }
  if (changed) SelectedByTyping();
  return true;
}

void TCustomComboBox::SelectedByTyping() {
  TFreeWatch watch(this);
  Click();
  if (!watch.Freed()) Select();
}

int TCustomComboBox::ItemIndex() {
  if (!FHandle) return FSaved ? FSavedIndex : -1;
  return static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (Value != -1) FItems->CheckIndex(Value);
  if (!FHandle) {
    FSavedIndex = Value;
    return;
  }
  SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (ChangeField(FStyle, Value)) RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(int Value) {
  FDropDownCount = std::max(1, Value);
  if (FHandle) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TCustomComboBox::SetSorted(bool Value) {
  if (ChangeField(FSorted, Value)) {
    if (FSaved) FSaved->SetSorted(Value);
    RecreateWnd();
  }
}

void TCustomComboBox::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  if (FHandle) SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value <= 0 || !ChangeField(FItemHeight, Value)) return;
  if (FHandle && FStyle == TComboBoxStyle::csOwnerDrawFixed) SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, Value);
}

bool TCustomComboBox::DroppedDown() { return FHandle && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0; }

void TCustomComboBox::SetDroppedDown(bool Value) { SendMessageA(Handle(), CB_SHOWDROPDOWN, Value, 0); }

int TCustomComboBox::SelStart() {
  DWORD start = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int Value) {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

int TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomComboBox::SetSelLength(int Value) {
  const int start = SelStart();
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + Value));
}

AnsiString TCustomComboBox::SelText() {
  if (FStyle != TComboBoxStyle::csDropDown && FStyle != TComboBoxStyle::csSimple) return {};
  AnsiString text = Text();
  const size_t start = static_cast<size_t>(std::max(0, SelStart()));
  return start < text.size() ? text.substr(start, static_cast<size_t>(std::max(0, SelLength()))) : AnsiString();
}

void TCustomComboBox::SelectAll() { SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); }

void TCustomComboBox::Clear() {
  SetText("");
  FItems->Clear();
}

void TCustomComboBox::CopySelection(TCustomComboBox* Destination) {
  const int i = ItemIndex();
  if (i >= 0 && Destination) Destination->Items()->AddObject(FItems->Get(i), FItems->GetObject(i));
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int Index, const RECT& Rect, UINT State) {
  TCanvas* c = FCanvas.get();
  c->SetTextFlags(BiDiMode() != TBiDiMode::bdLeftToRight ? ETO_RTLREADING : 0);
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  c->FillRect(Rect);
  if (Index >= 0) c->TextOut(Rect.left + 2, Rect.top, FItems->Get(Index));
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE: {
          const int i = ItemIndex();
          SetText(i >= 0 ? FItems->Get(i) : AnsiString());
          TFreeWatch watch(this);
          Click();
          if (!watch.Freed()) Select();
          break;
        }
        case CBN_EDITCHANGE: Change(); break;
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP: CloseUp(); break;
        default: break;
      }
      break;
    case WM_SETTEXT:
      // A list style shows only items: the text selects the item that equals it.
      if (FHandle && FStyle != TComboBoxStyle::csDropDown && FStyle != TComboBoxStyle::csSimple) {
        const char* text = reinterpret_cast<const char*>(Message.LParam);
        LRESULT i = SendMessageA(FHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text ? text : ""));
        SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(i < 0 ? -1 : i), 0);
        Message.Result = TRUE;
        break;
      }
      TWinControl::Dispatch(Message);
      break;
    case WM_CHAR:
      HandleListChar(Message);
      if (LOWORD(Message.WParam) != 0) TWinControl::Dispatch(Message);
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_BASE + WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      ColorControlDC(Message);
      break;
    case CN_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      {
        TCanvasHandleLoan loan(FCanvas.get(), d->hDC);
        FCanvas->Font()->Assign(Font());
        FCanvas->Brush()->SetColor((d->itemState & ODS_SELECTED) ? clHighlight : FColor);
        if (d->itemState & ODS_SELECTED) FCanvas->Font()->SetColor(clHighlightText);
        DrawItem(static_cast<int>(static_cast<int>(d->itemID)), d->rcItem, d->itemState);
        if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
      }
      Message.Result = 1;
      break;
    }
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)->itemHeight = static_cast<UINT>(FItemHeight);
      Message.Result = 1;
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ======================= TCustomCheckBox =======================

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = csSetCaption | csDoubleClicks;
  FWidth = 97;
  FHeight = 17;
  FTabStop = true;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  CreateMarkButtonParams(Params, BS_3STATE, FAlignment);
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  ShowMarkState(static_cast<WPARAM>(FState));
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (!ChangeField(FState, Value)) return;
  ShowMarkState(static_cast<WPARAM>(FState));
  if (!HasState(csLoading)) Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
  if (ChangeField(FAlignment, Value)) RecreateWnd();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case TCheckBoxState::cbUnchecked: SetState(TCheckBoxState::cbChecked); break;
    case TCheckBoxState::cbChecked:
      SetState(FAllowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
      break;
    case TCheckBoxState::cbGrayed: SetState(TCheckBoxState::cbUnchecked); break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      break;
    case CM_DIALOGCHAR:
      if (FocusOnAccelerator(Message) && Focused()) Toggle();
      break;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
      ColorControlDC(Message);
      break;
    default: TButtonControl::Dispatch(Message); break;
  }
}

// ======================= TRadioButton =======================

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = csSetCaption | csDoubleClicks;
  FWidth = 113;
  FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  CreateMarkButtonParams(Params, BS_RADIOBUTTON, FAlignment);
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  ShowMarkState(FChecked);
}

void TRadioButton::SetChecked(bool Value) {
  if (!ChangeField(FChecked, Value)) return;
  SetTabStop(Value);
  ShowMarkState(Value);
  if (!Value) return;
  if (FParent)
    for (int i = 0; i < FParent->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r != this) r->SetChecked(false);
  if (!HasState(csLoading)) Click();
}

void TRadioButton::SetAlignment(TLeftRight Value) {
  if (ChangeField(FAlignment, Value)) RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) SetChecked(true);
      else if (HIWORD(Message.WParam) == BN_DOUBLECLICKED) DblClick();
      break;
    case WM_SETFOCUS: {
      // Reached by the keyboard (tab or arrows), a radio button is chosen as it gets the focus.
      TFreeWatch watch(this);
      TButtonControl::Dispatch(Message);
      if (!watch.Freed() && !FPressing && GetKeyState(VK_LBUTTON) >= 0) SetChecked(true);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TFreeWatch watch(this);
      const bool outer = !FPressing;
      FPressing = true;
      auto pressed = ScopeExit([&] {
        if (!watch.Freed() && outer) FPressing = false;
      });
      TButtonControl::Dispatch(Message);
      break;
    }
    case CM_DIALOGCHAR: FocusOnAccelerator(Message); break;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
      ColorControlDC(Message);
      break;
    default: TButtonControl::Dispatch(Message); break;
  }
}

// ======================= TCustomGroupBox =======================

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                  csParentBackground;
  FWidth = 185;
  FHeight = 105;
}

void TCustomGroupBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGroupBox::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Canvas()->Font()->Assign(Font());
  TEXTMETRICA tm{};
  {
    TWindowDC screen;
    TSelectedObject font(screen, FFont->Handle());
    GetTextMetricsA(screen, &tm);
  }
  Rect.top += tm.tmHeight;
  InflateRect(&Rect, -1, -1);
  if (Ctl3D()) InflateRect(&Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  Canvas()->Font()->Assign(Font());
  Canvas()->RequiredState(csHandleValid | csFontValid | csBrushValid);
  PaintBox(Caption());
}

template <class S>
void TCustomGroupBox::PaintBox(const S& Text) {
  using C = typename S::value_type;
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  const int h = TextExtentOf(dc, S(1, C('0'))).cy;
  if (ThemeServices()->ThemesEnabled()) {
    RECT cap{0, 0, 0, 0};
    if (!Text.empty()) {
      SIZE sz = TextExtentOf(dc, Text);
      cap = RECT{0, 0, sz.cx, sz.cy};
      if (UseRightToLeftReading()) OffsetRect(&cap, FWidth - 8 - sz.cx, 0);
      else OffsetRect(&cap, 8, 0);
    }
    RECT frame = ClientRect();
    frame.top = (cap.bottom - cap.top) / 2;
    ExcludeClipRect(dc, cap.left, cap.top, cap.right, cap.bottom);
    auto details = ThemeServices()->GetElementDetails(FEnabled ? TThemedButton::tbGroupBoxNormal
                                                                : TThemedButton::tbGroupBoxDisabled);
    ThemeServices()->DrawElement(dc, details, frame);
    SelectClipRgn(dc, nullptr);
    if (!Text.empty()) ThemeServices()->DrawText(dc, details, WideOf(Text), cap, DT_SINGLELINE);
    return;
  }
  RECT r{0, h / 2 - 1, FWidth, FHeight};
  if (Ctl3D()) {
    r.left += 1;
    r.top += 1;
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    OffsetRect(&r, -1, -1);
    c->Brush()->SetColor(clBtnShadow);
  } else {
    c->Brush()->SetColor(clWindowFrame);
  }
  c->FrameRect(r);
  if (Text.empty()) return;
  c->RequiredState(csHandleValid | csFontValid);
  const int w = TextExtentOf(dc, Text).cx;
  r = UseRightToLeftReading() ? RECT{r.right - w - 8, 0, 0, h} : RECT{8, 0, 0, h};
  const UINT flags = DT_SINGLELINE | DrawTextBiDiModeFlagsReadingOnly();
  DrawTextOf(dc, Text, r, flags | DT_CALCRECT);
  c->Brush()->SetColor(FColor);
  c->RequiredState(csHandleValid | csBrushValid);
  SetBkColor(dc, ColorToRGB(FColor));
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  DrawTextOf(dc, Text, r, flags);
}

template void TCustomGroupBox::PaintBox(const AnsiString&);
template void TCustomGroupBox::PaintBox(const WideString&);

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(LOWORD(Message.WParam), Caption()) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      break;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Realign();
      break;
    default: TCustomControl::Dispatch(Message); break;
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

VGT_PUBLISH(TLabel) { PublishLabelOptions(P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)); }

VGT_PUBLISH(TCustomMemo) {}

VGT_PUBLISH(TMemo) { PublishMemoOptions(P.Prop(L"Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines)); }

VGT_PUBLISH(TCustomComboBox) {}

VGT_PUBLISH(TComboBox) {
  P.Prop(L"Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle)
      .Prop(L"AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete)
      .Prop(L"AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown)
      .Prop(L"AutoCloseUp", &TCustomComboBox::AutoCloseUp, &TCustomComboBox::SetAutoCloseUp)
      .Prop(L"DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
      .Prop(L"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight)
      .Prop(L"MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength)
      .Prop(L"Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted)
      .Prop(L"Text", &TControl::Text, &TControl::SetTextProp)
      .Prop(L"Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems)
      // After the items, so that the index has an item to point at.
      .Prop(L"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex)
      .Event(L"OnChange", &TCustomComboBox::OnChange)
      .Event(L"OnSelect", &TCustomComboBox::OnSelect)
      .Event(L"OnDropDown", &TCustomComboBox::OnDropDown)
      .Event(L"OnCloseUp", &TCustomComboBox::OnCloseUp)
      .Event(L"OnDrawItem", &TCustomComboBox::OnDrawItem);
}

VGT_PUBLISH(TCustomCheckBox) {}

VGT_PUBLISH(TCheckBox) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment)
      .Prop(L"AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed)
      .Prop(L"Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked)
      .Prop(L"State", &TCustomCheckBox::State, &TCustomCheckBox::SetState);
}

VGT_PUBLISH(TRadioButton) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment)
      .Prop(L"Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
}

VGT_PUBLISH(TCustomGroupBox) {}

VGT_PUBLISH(TGroupBox) { P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption); }

VGT_UNIT_ANCHOR(StdCtrls)
