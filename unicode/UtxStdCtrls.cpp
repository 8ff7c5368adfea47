#include "unicode/UtxStdCtrls.h"

#include <algorithm>
#include <cwchar>

#include "base/Scope.h"
#include "classlib/ResStrings.h"
#include "classlib/SysUtils.h"
#include "unicode/UtxGraphics.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

namespace {

bool IsDoubleByteCodePage() {
  CPINFO info{};
  return GetCPInfo(ConversionCodePage(), &info) && info.MaxCharSize > 1;
}

// Selection positions of a control whose window counts in characters on the Unicode platform and
// in bytes of its 8-bit text otherwise. Get/Set are the class library's own (window counts).
struct TSelectionAccess {
  std::function<WideString()> WideText;
  std::function<AnsiString()> AnsiText;
  std::function<int()> Start;
  std::function<void(int)> SetStart;
  std::function<int()> Length;
  std::function<void(int)> SetLength;
  std::function<AnsiString()> AnsiSelText;
};

int WideSelStartOf(const TSelectionAccess& A) {
  if (UnicodePlatform()) return A.Start();
  const AnsiString text = A.AnsiText();
  const size_t bytes = std::min(static_cast<size_t>(std::max(0, A.Start())), text.size());
  return static_cast<int>(WidenText(text.substr(0, bytes)).size());
}

void SetWideSelStartOf(const TSelectionAccess& A, int Value) {
  if (UnicodePlatform()) {
    A.SetStart(Value);
    return;
  }
  const WideString text = A.WideText();
  const size_t chars = std::min(static_cast<size_t>(std::max(0, Value)), text.size());
  A.SetStart(static_cast<int>(NarrowText(text.substr(0, chars)).size()));
}

WideString WideSelTextOf(const TSelectionAccess& A) {
  if (!UnicodePlatform()) return WidenText(A.AnsiSelText());
  const WideString text = A.WideText();
  const size_t start = static_cast<size_t>(std::max(0, A.Start()));
  if (start >= text.size()) return {};
  return text.substr(start, static_cast<size_t>(std::max(0, A.Length())));
}

int WideSelLengthOf(const TSelectionAccess& A) {
  if (UnicodePlatform()) return A.Length();
  return static_cast<int>(WideSelTextOf(A).size());
}

void SetWideSelLengthOf(const TSelectionAccess& A, int Value) {
  if (UnicodePlatform()) {
    A.SetLength(Value);
    return;
  }
  const WideString text = A.WideText();
  const size_t start = std::min(static_cast<size_t>(std::max(0, WideSelStartOf(A))), text.size());
  const WideString part = text.substr(start, static_cast<size_t>(std::max(0, Value)));
  A.SetLength(static_cast<int>(NarrowText(part).size()));
}

TSelectionAccess EditSelection(TCustomEdit* E) {
  return {[E] { return GetWideControlText(E); },
          [E] { return E->TCustomEdit::Text(); },
          [E] { return E->TCustomEdit::SelStart(); },
          [E](int v) { E->TCustomEdit::SetSelStart(v); },
          [E] { return E->TCustomEdit::SelLength(); },
          [E](int v) { E->TCustomEdit::SetSelLength(v); },
          [E] { return E->TCustomEdit::SelText(); }};
}

TSelectionAccess ComboSelection(TCustomComboBox* C) {
  return {[C] { return GetWideControlText(C); },
          [C] { return C->TCustomComboBox::Text(); },
          [C] { return C->TCustomComboBox::SelStart(); },
          [C](int v) { C->TCustomComboBox::SetSelStart(v); },
          [C] { return C->TCustomComboBox::SelLength(); },
          [C](int v) { C->TCustomComboBox::SetSelLength(v); },
          [C] { return C->TCustomComboBox::SelText(); }};
}

[[noreturn]] void RaiseInsertLineError() { throw EOutOfResources(LoadResStringA(SInsertLineError)); }

// The 8-bit form of a mask character: itself up to $FF, "*" above.
char PasswordCharAnsiForm(wchar_t C) { return C <= 0xFF ? static_cast<char>(C) : '*'; }

bool IsEditStyle(TComboBoxStyle Style) {
  return Style == TComboBoxStyle::csDropDown || Style == TComboBoxStyle::csSimple;
}

}  // namespace

// ======================= Edit and memo =======================

void CreateUnicodeEditWindow(TCustomEdit* Control, const TCreateParams& Params) {
  if (!UnicodePlatform() && (Params.Style & ES_READONLY) && IsDoubleByteCodePage()) {
    TCreateParams writable = Params;
    writable.Style &= ~static_cast<DWORD>(ES_READONLY);
    CreateWideWindowHandle(Control, writable, L"EDIT");
    if (Control->WindowHandle()) SendMessageA(Control->WindowHandle(), EM_SETREADONLY, 1, 0);
    return;
  }
  CreateWideWindowHandle(Control, Params, L"EDIT");
}

int GetWideSelStart(TCustomEdit* Control) { return WideSelStartOf(EditSelection(Control)); }
void SetWideSelStart(TCustomEdit* Control, int Value) { SetWideSelStartOf(EditSelection(Control), Value); }
int GetWideSelLength(TCustomEdit* Control) { return WideSelLengthOf(EditSelection(Control)); }
void SetWideSelLength(TCustomEdit* Control, int Value) { SetWideSelLengthOf(EditSelection(Control), Value); }
WideString GetWideSelText(TCustomEdit* Control) { return WideSelTextOf(EditSelection(Control)); }

namespace {

// The class library hands a long text to a new edit window as 8-bit text after creating it; the
// wide text is given back afterwards so that no character outside the code page is lost.
template <class TCreate>
void CreateEditWndKeepingWideText(TCustomEdit* Control, const TCreate& InheritedCreateWnd) {
  if (!UnicodePlatform()) {
    InheritedCreateWnd();
    return;
  }
  const WideString wide = HeldWideCaptionOr(Control, WidenText(Control->TControl::Text()));
  InheritedCreateWnd();
  if (GetWideControlText(Control) != wide) SetWideControlText(Control, wide);
}

}  // namespace

void TUtxCustomEdit::CreateWnd() {
  CreateEditWndKeepingWideText(this, [this] { TCustomEdit::CreateWnd(); });
  if (UnicodePlatform() && FWidePasswordChar) SendMessageW(FHandle, EM_SETPASSWORDCHAR, FWidePasswordChar, 0);
}

void TUtxCustomMemo::CreateWnd() {
  CreateEditWndKeepingWideText(this, [this] { TCustomMemo::CreateWnd(); });
}

WideString TUtxCustomEdit::PasswordChar() {
  const char ansi = TCustomEdit::PasswordChar();
  // The 8-bit property changed directly: it wins.
  if (PasswordCharAnsiForm(FWidePasswordChar) != ansi) FWidePasswordChar = static_cast<unsigned char>(ansi);
  return FWidePasswordChar ? WideString(1, FWidePasswordChar) : WideString();
}

void TUtxCustomEdit::SetPasswordChar(const WideString& Value) {
  if (Value == PasswordChar()) return;
  FWidePasswordChar = Value.empty() ? 0 : Value[0];
  TCustomEdit::SetPasswordChar(PasswordCharAnsiForm(FWidePasswordChar));
  if (UnicodePlatform() && FHandle) {
    SendMessageW(FHandle, EM_SETPASSWORDCHAR, FWidePasswordChar, 0);
    Invalidate();
  }
}

// ---- Memo lines ----

namespace {

int LineLengthW(HWND Wnd, int Index) {
  const LRESULT start = SendMessageW(Wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  if (start < 0) return 0;
  return static_cast<int>(SendMessageW(Wnd, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
}

}  // namespace

bool TUtxMemoStrings::WideWindow() const { return IsWindowUnicode(FMemo->Handle()) != 0; }

TStrings* TUtxMemoStrings::AnsiLines() const { return FMemo->TCustomMemo::Lines(); }

WideString TUtxMemoStrings::GetString(int Index) const {
  if (!WideWindow()) return WidenText(AnsiLines()->Get(Index));
  HWND h = FMemo->Handle();
  const int len = LineLengthW(h, Index);
  if (len <= 0) return {};
  // EM_GETLINE takes the buffer's size in its first WORD: a longer line is cut from the text.
  if (len >= 0xFFFF) {
    const LRESULT start = SendMessageW(h, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    return GetWideControlText(FMemo).substr(static_cast<size_t>(start), static_cast<size_t>(len));
  }
  WideString buf(static_cast<size_t>(len), L'\0');
  buf[0] = static_cast<wchar_t>(len);
  const LRESULT got = SendMessageW(h, EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
  return buf;
}

int TUtxMemoStrings::GetCount() const { return AnsiLines()->Count(); }

WideString TUtxMemoStrings::GetTextStr() const { return GetWideControlText(FMemo); }

void TUtxMemoStrings::PutString(int Index, const WideString& S) {
  if (!WideWindow()) {
    AnsiLines()->Put(Index, NarrowText(S));
    return;
  }
  HWND h = FMemo->Handle();
  const LRESULT start = SendMessageW(h, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  if (start < 0) return;
  const LRESULT len = SendMessageW(h, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(start), start + len);
  SendMessageW(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TUtxMemoStrings::SetTextStr(const WideString& S) { SetWideControlText(FMemo, AdjustWideLineBreaks(S, tlbsCRLF)); }

void TUtxMemoStrings::SetUpdateState(bool Updating) { AnsiLines()->SetUpdateState(Updating); }

void TUtxMemoStrings::Clear() { AnsiLines()->Clear(); }

void TUtxMemoStrings::Delete(int Index) { AnsiLines()->Delete(Index); }

void TUtxMemoStrings::Insert(int Index, const WideString& S) {
  if (!WideWindow()) {
    AnsiLines()->Insert(Index, NarrowText(S));
    return;
  }
  if (Index < 0) return;
  HWND h = FMemo->Handle();
  LRESULT pos = SendMessageW(h, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
  WideString text;
  if (pos >= 0) {
    text = S + L"\r\n";
  } else {
    // Past the last line: only after a last line that has text (it has no line break yet).
    pos = SendMessageW(h, EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
    const int len = LineLengthW(h, Index - 1);
    if (len == 0 || pos < 0) return;
    pos += len;
    text = L"\r\n" + S;
  }
  SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(pos), pos);
  SendMessageW(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

TUtxCustomMemo::TUtxCustomMemo(TComponent* AOwner)
    : TUtxControlBase(AOwner), FWideLines(new TUtxMemoStrings(this)) {}

TUtxCustomMemo::~TUtxCustomMemo() { FWideLines.reset(); }

// ======================= Combo box =======================

bool TUtxComboBoxStrings::WideWindow() const { return IsWindowUnicode(FComboBox->Handle()) != 0; }

TStrings* TUtxComboBoxStrings::AnsiItems() const { return FComboBox->TCustomComboBox::Items(); }

WideString TUtxComboBoxStrings::GetString(int Index) const {
  if (!WideWindow()) return WidenText(AnsiItems()->Get(Index));
  HWND h = FComboBox->Handle();
  const LRESULT len = SendMessageW(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (len == CB_ERR || len < 0) return {};
  WideString buf(static_cast<size_t>(len) + 1, L'\0');
  if (SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data())) == CB_ERR)
    return {};
  buf.resize(wcsnlen(buf.c_str(), buf.size()));
  return buf;
}

int TUtxComboBoxStrings::GetCount() const { return AnsiItems()->Count(); }

TObject* TUtxComboBoxStrings::GetItemObject(int Index) const { return AnsiItems()->GetObject(Index); }

void TUtxComboBoxStrings::SetItemObject(int Index, TObject* Obj) { AnsiItems()->PutObject(Index, Obj); }

void TUtxComboBoxStrings::SetUpdateState(bool Updating) { AnsiItems()->SetUpdateState(Updating); }

int TUtxComboBoxStrings::Add(const WideString& S) {
  if (!WideWindow()) return AnsiItems()->Add(NarrowText(S));
  const LRESULT i = SendMessageW(FComboBox->Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (i < 0) RaiseInsertLineError();
  return static_cast<int>(i);
}

void TUtxComboBoxStrings::Insert(int Index, const WideString& S) {
  if (!WideWindow()) {
    AnsiItems()->Insert(Index, NarrowText(S));
    return;
  }
  if (SendMessageW(FComboBox->Handle(), CB_INSERTSTRING, static_cast<WPARAM>(Index),
                   reinterpret_cast<LPARAM>(S.c_str())) < 0)
    RaiseInsertLineError();
}

int TUtxComboBoxStrings::IndexOf(const WideString& S) const {
  if (!WideWindow()) return AnsiItems()->IndexOf(NarrowText(S));
  const LRESULT i = SendMessageW(FComboBox->Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(S.c_str()));
  return i < 0 ? -1 : static_cast<int>(i);
}

void TUtxComboBoxStrings::Clear() {
  const WideString text = GetWideControlText(FComboBox);
  SendMessageW(FComboBox->Handle(), CB_RESETCONTENT, 0, 0);
  SetWideControlText(FComboBox, text);
  FComboBox->Update();
}

void TUtxComboBoxStrings::Delete(int Index) { AnsiItems()->Delete(Index); }

// ---- The 8-bit item list ----

AnsiString TD7PatchedComboBoxStrings::Get(int Index) const {
  HWND h = Window();
  if (!h) return Index >= 0 && Index < GetCount() ? TCustomComboBoxStrings::Get(Index) : AnsiString();
  const LRESULT len = SendMessageA(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (len <= 0) return {};
  // Room for the terminator the list writes after the text.
  AnsiString s(static_cast<size_t>(len) + 1, '\0');
  const LRESULT got = SendMessageA(h, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(got < 0 ? 0 : std::min(static_cast<size_t>(got), static_cast<size_t>(len)));
  return s;
}

int TD7PatchedComboBoxStrings::Add(const AnsiString& S) {
  HWND h = Window();
  if (!h) return TCustomComboBoxStrings::Add(S);
  const LRESULT i = SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (i < 0) RaiseInsertLineError();
  return static_cast<int>(i);
}

void TD7PatchedComboBoxStrings::Insert(int Index, const AnsiString& S) {
  HWND h = Window();
  if (!h) {
    TCustomComboBoxStrings::Insert(Index, S);
    return;
  }
  if (SendMessageA(h, CB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
    RaiseInsertLineError();
}

// ---- The combo box ----

TUtxCustomComboBox::TUtxCustomComboBox(TComponent* AOwner)
    : TUtxControlBase(AOwner), FWideItems(new TUtxComboBoxStrings(this)) {
  FItems.reset(new TD7PatchedComboBoxStrings(this));
}

TUtxCustomComboBox::~TUtxCustomComboBox() {
  Destroying();
  DestroyHandle();
  FWideSaved.reset();
}

void TUtxCustomComboBox::CreateWindowHandle(const TCreateParams& Params) {
  CreateWideWindowHandle(this, Params, L"COMBOBOX");
}

void TUtxCustomComboBox::CreateWnd() {
  const AnsiString text = TextField();
  TCustomComboBox::CreateWnd();
  if (!UnicodePlatform()) {
    TControl::SetText(text);
    return;
  }
  // The class library subclassed the children with an 8-bit procedure, which makes them 8-bit
  // windows; its procedure set again as a wide one makes them Unicode windows, so that the list's
  // items and the edit field's characters pass unconverted. The child's own procedure is taken
  // again in its wide form, so that what the child leaves unhandled reaches it unconverted.
  auto reattach = [](HWND Child, WNDPROC& DefProc) {
    if (!Child) return;
    SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefProc));
    DefProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Child, GWLP_WNDPROC));
    SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChildWindowProcedure()));
  };
  reattach(FListHandle, FListDefProc);
  reattach(FEditHandle, FEditDefProc);
  if (FWideSaved) {
    std::unique_ptr<TUtxStringList> saved(FWideSaved.release());
    FWideItems->Assign(saved.get());
    if (FWideSavedIndex != -1)
      SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(std::min(FWideSavedIndex, saved->Count() - 1)), 0);
  }
  // The class library gave the window its 8-bit text back; the wide one takes its place.
  if (IsEditStyle(FStyle)) SetWideControlText(this, HeldWideCaptionOr(this, WidenText(TCustomComboBox::Text())));
  FWideSavedIndex = -1;
}

void TUtxCustomComboBox::DestroyWnd() {
  if (FHandle && !HasState(csDestroying)) {
    const int index = ItemIndex();
    if (UnicodePlatform() && IsWindowUnicode(FHandle) && FWideItems->Count() > 0) {
      FWideSaved.reset(new TUtxStringList);
      FWideSaved->Assign(FWideItems.get());
      FWideSavedIndex = index;
      FWideItems->Clear();
    }
  }
  TCustomComboBox::DestroyWnd();
}

int TUtxCustomComboBox::SelStart() { return WideSelStartOf(ComboSelection(this)); }
void TUtxCustomComboBox::SetSelStart(int Value) { SetWideSelStartOf(ComboSelection(this), Value); }
int TUtxCustomComboBox::SelLength() { return WideSelLengthOf(ComboSelection(this)); }
void TUtxCustomComboBox::SetSelLength(int Value) { SetWideSelLengthOf(ComboSelection(this), Value); }

WideString TUtxCustomComboBox::SelText() {
  if (UnicodePlatform() && !IsEditStyle(FStyle)) return {};
  return WideSelTextOf(ComboSelection(this));
}

int TUtxCustomComboBox::FindPrefixItem(int Start, const WideString& S) {
  HWND h = Handle();
  LRESULT i;
  if (IsWindowUnicode(h))
    i = SendMessageW(h, CB_FINDSTRING, static_cast<WPARAM>(Start), reinterpret_cast<LPARAM>(S.c_str()));
  else
    i = SendMessageA(h, CB_FINDSTRING, static_cast<WPARAM>(Start), reinterpret_cast<LPARAM>(NarrowText(S).c_str()));
  return i < 0 ? -1 : static_cast<int>(i);
}

int TUtxCustomComboBox::FindUniquePrefixItem(const WideString& S) {
  const int n = FindPrefixItem(-1, S);
  if (n == -1) return -1;
  return FindPrefixItem(n, S) == n ? n : -1;
}

bool TUtxCustomComboBox::SelectMatchingItem(const WideString& S, bool UniqueOnly, bool KeepTyped) {
  const int n = UniqueOnly ? FindUniquePrefixItem(S) : FindPrefixItem(-1, S);
  if (n == -1) return false;
  const bool changed = n != ItemIndex();
  if (FAutoCloseUp && FWideItems->IndexOf(S) != -1) SetDroppedDown(false);
  SetItemIndex(n);
  if (IsEditStyle(FStyle)) {
    if (KeepTyped) {
      const WideString item = FWideItems->GetString(n);
      SetWideControlText(this, S + (item.size() > S.size() ? item.substr(S.size()) : WideString()));
    }
    SetSelStart(static_cast<int>(S.size()));
    SetSelLength(static_cast<int>(GetWideControlText(this).size()) - SelStart());
  }
  if (changed) SelectedByTyping();
  return true;
}

void TUtxCustomComboBox::DropDownKeepingText() {
  const WideString text = GetWideControlText(this);
  const int start = SelStart(), length = SelLength();
  SetDroppedDown(true);
  SetWideControlText(this, text);
  SetSelStart(start);
  SetSelLength(length);
}

void TUtxCustomComboBox::CopySelection(TCustomComboBox* Destination) {
  const int i = ItemIndex();
  if (i == -1 || !Destination) return;
  const WideString item = FWideItems->GetString(i);
  TObject* object = FWideItems->GetItemObject(i);
  if (auto* wide = dynamic_cast<IWideListControl*>(Destination))
    wide->AddWideItem(item, object);
  else
    Destination->Items()->AddObject(NarrowText(item), object);
}

void TUtxCustomComboBox::AddWideItem(const WideString& Item, TObject* AObject) {
  FWideItems->AddObject(Item, AObject);
}

bool TUtxCustomComboBox::ChildMessage(TMessage& Message, HWND Child, WNDPROC ChildDefProc) {
  const bool wide = IsWindowUnicode(Child) != 0;
  auto passOn = [&](const TMessage& m) {
    return wide ? CallWindowProcW(ChildDefProc, Child, m.Msg, m.WParam, m.LParam)
                : CallWindowProcA(ChildDefProc, Child, m.Msg, m.WParam, m.LParam);
  };
  if (Message.Msg == WM_CHAR) {
    bool safe = false;
    if (wide) {
      MakeCharParam8BitSafe(Message.WParam);
      safe = true;
    }
    try {
      char key = static_cast<char>(Message.WParam & 0xFF);
      const char before = key;
      TFreeWatch watch(this);
      if (DoKeyPress(key) || watch.Freed()) return true;
      if (key != before) Message.WParam = (Message.WParam & ~WPARAM{0xFFFF}) | static_cast<unsigned char>(key);
      TMessage copy = Message;
      HandleEditChar(copy);
      if (watch.Freed() || LOWORD(copy.WParam) == 0) return true;
      if (safe) RestoreCharParam(Message.WParam);
      safe = false;
      const WORD c = LOWORD(Message.WParam);
      if ((c == VK_RETURN || c == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return true;
      }
      Message.Result = passOn(Message);
    } catch (...) {
      if (safe) RestoreCharParam(Message.WParam);
      HandleCurrentException(this);
    }
    return true;
  }
  if (!wide) return TCustomComboBox::ChildMessage(Message, Child, ChildDefProc);
  switch (Message.Msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_REPLACESEL:
    case WM_IME_COMPOSITION:
      Message.Result = passOn(Message);
      return true;
    case WM_IME_CHAR:
      Message.Result = SendMessageW(Child, WM_CHAR, Message.WParam, Message.LParam);
      return true;
    default: break;
  }
  if (TCustomComboBox::ChildMessage(Message, Child, ChildDefProc)) return true;
  // The child is a Unicode window: what it gets unhandled goes on in the wide form it came in.
  Message.Result = passOn(Message);
  return true;
}

void TUtxCustomComboBox::KeyPress(char& Key) {
  TFlagGuard noAutoComplete(FAutoComplete, false);
  TCustomComboBox::KeyPress(Key);
}

void TUtxCustomComboBox::HandleEditChar(TMessage& Message) {
  if (!FAutoComplete) return;
  wchar_t c = WideCharOfCharMessage(Message);
  if (c == L'\b' || c == VK_ESCAPE) return;
  if (c == L'\t') {
    if (FAutoDropDown && DroppedDown()) SetDroppedDown(false);
  } else {
    if (FAutoDropDown && !DroppedDown()) DropDownKeepingText();
    const WideString text = GetWideControlText(this);
    const int start = SelStart();
    // Only a caret or selection that reaches the end completes; in the middle of the text the
    // character is typed as usual.
    if (start + SelLength() == static_cast<int>(text.size())) {
      const WideString typed = text.substr(0, static_cast<size_t>(std::max(0, start))) + c;
      if (SelectMatchingItem(typed, AutoCompleteUniqueOnly(), AutoCompleteKeepTypedCase())) c = 0;
    }
  }
  PutWideCharInCharMessage(Message, c);
}

void TUtxCustomComboBox::HandleListChar(TMessage& Message) {
  if (IsEditStyle(FStyle) || !FAutoComplete) return;
  wchar_t c = WideCharOfCharMessage(Message);
  switch (c) {
    case L'\b':
      if (!FWideFilter.empty()) FWideFilter.pop_back();
      break;
    case L'\t':
      if (FAutoDropDown && DroppedDown()) SetDroppedDown(false);
      break;
    case VK_ESCAPE: break;
    default:
      if (FAutoDropDown && !DroppedDown()) SetDroppedDown(true);
      if (SearchPauseElapsed(FWideLastKeyTime)) FWideFilter.clear();
      if (SelectMatchingItem(FWideFilter + c, false, true)) {
        FWideFilter += c;
        c = 0;
      }
      break;
  }
  PutWideCharInCharMessage(Message, c);
}

void TUtxCustomComboBox::DrawItem(int Index, const RECT& Rect, UINT State) {
  TCanvas* c = Canvas();
  c->SetTextFlags(BiDiMode() != TBiDiMode::bdLeftToRight ? ETO_RTLREADING : 0);
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  c->FillRect(Rect);
  if (Index >= 0) WideCanvasTextOut(c, Rect.left + 2, Rect.top, FWideItems->GetString(Index));
}

void TUtxCustomComboBox::Dispatch(TMessage& Message) {
  const bool wideWindow = FHandle && UnicodePlatform() && IsWindowUnicode(FHandle);
  if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_SELCHANGE) {
    const int i = ItemIndex();
    SetWideControlText(this, i == -1 ? WideString() : FWideItems->GetString(i));
    TFreeWatch watch(this);
    Click();
    if (!watch.Freed()) Select();
    return;
  }
  if (Message.Msg == WM_SETTEXT && wideWindow && !IsEditStyle(FStyle)) {
    // A list style shows only items: the text selects the item that equals it. The text came
    // through the Unicode window, so it is wide.
    const auto* text = reinterpret_cast<const wchar_t*>(Message.LParam);
    const LRESULT i = SendMessageW(FHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text ? text : L""));
    SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(i < 0 ? -1 : i), 0);
    Message.Result = TRUE;
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

// ======================= Label, button, radio button =======================

void TUtxCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  if (!UnicodePlatform()) {
    TCustomLabel::DoDrawText(Rect, Flags);
    return;
  }
  DrawLabelText(GetWideLabelText(), Rect, Flags);
}

void TUtxCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (FFocusControl && FEnabled && FShowAccelChar &&
        IsWideAccelChar(LOWORD(Message.WParam), GetWideControlText(this)) && FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      Message.Result = 1;
    }
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

void TUtxButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideAccelChar(LOWORD(Message.WParam), GetWideControlText(this)) && CanFocus()) {
      Click();
      Message.Result = 1;
    } else {
      DefaultHandler(Message);
    }
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

void TUtxRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideAccelChar(LOWORD(Message.WParam), GetWideControlText(this)) && CanFocus()) {
      SetFocus();
      Message.Result = 1;
    } else {
      DefaultHandler(Message);
    }
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

// ======================= Published properties =======================

VGT_PUBLISH(TUtxCustomEdit) { PublishWideHint(P); }

VGT_PUBLISH(TUtxEdit) {
  PublishWideText(P, L"Text")
      .Prop(L"PasswordChar", &TUtxCustomEdit::PasswordChar, &TUtxCustomEdit::SetPasswordChar)
      .Prop(L"AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect)
      .Prop(L"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle)
      .Prop(L"CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase)
      .Prop(L"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
      .Prop(L"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
      .Prop(L"OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert)
      .Prop(L"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
      .Event(L"OnChange", &TCustomEdit::OnChange);
}

VGT_PUBLISH(TUtxCustomMemo) { PublishWideHint(P); }

VGT_PUBLISH(TUtxMemo) { PublishMemoOptions(P.Prop(L"Lines", &TUtxCustomMemo::Lines, &TUtxCustomMemo::SetLines)); }

VGT_PUBLISH(TUtxCustomComboBox) { PublishWideHint(P); }

VGT_PUBLISH(TUtxCustomLabel) { PublishWideHint(P); }

VGT_PUBLISH(TUtxLabel) { PublishLabelOptions(PublishWideText(P)); }

VGT_PUBLISH(TUtxButton) { PublishWideHint(PublishWideText(P)); }

VGT_PUBLISH(TUtxRadioButton) { PublishWideHint(PublishWideText(P)); }

VGT_UNIT_ANCHOR(UtxStdCtrls)
