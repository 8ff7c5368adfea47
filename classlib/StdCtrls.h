// The standard controls: push, check and radio buttons, single- and multi-line edits, the combo
// box, the label and the group box. Each windowed one is a window of the platform's own class.
#pragma once

#include <memory>

#include "classlib/ActnList.h"
#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/Strings.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
VGT_ENUM(TAlignment, L"taLeftJustify", L"taRightJustify", L"taCenter");
enum class TTextLayout { tlTop, tlCenter, tlBottom };
VGT_ENUM(TTextLayout, L"tlTop", L"tlCenter", L"tlBottom");
enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
VGT_ENUM(TEditCharCase, L"ecNormal", L"ecUpperCase", L"ecLowerCase");
// Which side of a check box's or radio button's mark its text stands on.
enum class TLeftRight { taLeftJustify, taRightJustify };
VGT_ENUM(TLeftRight, L"taLeftJustify", L"taRightJustify");

// The base of button-like windows (push, check and radio buttons).
class TButtonControl : public TWinControl {
  VGT_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner);
  TControlActionLinkClass GetActionLinkClass() override;

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

  // For the buttons with a mark (check box, radio button): the platform button of the given
  // style, its text left of the mark when Alignment says so.
  void CreateMarkButtonParams(TCreateParams& Params, LONG ButtonStyle, TLeftRight Alignment);
  // Shows the mark's state (BST_ value) on the window, once there is one.
  void ShowMarkState(WPARAM State);
  // Alt and the caption's accelerator focus the button: true when the character was its own;
  // otherwise the character goes on to the default handling.
  bool FocusOnAccelerator(TMessage& Message);
};

class TButtonActionLink : public TWinControlActionLink {
  VGT_CLASS(TButtonActionLink, TWinControlActionLink)
 public:
  using TWinControlActionLink::TWinControlActionLink;
};

class TButton : public TButtonControl {
  VGT_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* AOwner);
  // Sets the form's modal result (when not mrNone), then OnClick or the action.
  void Click() override;
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Enter clicks the default button (unless another button has the focus); Esc the cancel button.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CNCommand(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void SetButtonStyle(bool ADefault);

  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
};

class TCustomEdit : public TWinControl {
  VGT_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  void Clear();
  void SelectAll();
  // Selection positions as the window counts them.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  AnsiString SelText();
  void SetSelText(const AnsiString& Value);
  bool Modified();
  void SetModified(bool Value);

  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);

  TNotifyEvent OnChange;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  void DoEnter() override;

  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
  bool FHideSelection = true;
  int FMaxLength = 0;
  bool FOEMConvert = false;
  char FPasswordChar = 0;
  bool FReadOnly = false;
  bool FModified = false;
};

class TEdit : public TCustomEdit {
  VGT_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// A label: painted by its parent, no window.
class TCustomLabel : public TGraphicControl {
  VGT_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  bool Transparent() const { return (FControlStyle & csOpaque) == 0; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  void Dispatch(TMessage& Message) override;

 protected:
  // Draws (or with DT_CALCRECT measures) the caption into Rect with DrawText Flags.
  virtual void DoDrawText(RECT& Rect, UINT Flags);
  virtual AnsiString GetLabelText();
  // Draws Text (with DT_CALCRECT: measures it) as the label shows it, in its font, with its
  // accelerator setting and, when disabled, embossed. For 8-bit and wide text alike.
  template <class S>
  void DrawLabelText(S Text, RECT& Rect, UINT Flags);
  void Paint() override;
  virtual void AdjustBounds();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMDialogChar(TMessage& Message);

  TAlignment FAlignment = TAlignment::taLeftJustify;
  bool FAutoSize = true;
  TWinControl* FFocusControl = nullptr;
  TTextLayout FLayout = TTextLayout::tlTop;
  bool FShowAccelChar = true;
  bool FWordWrap = false;
};

class TLabel : public TCustomLabel {
  VGT_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// A label's properties in form descriptions after its caption (8-bit or wide, published first by
// each label class).
template <class C>
TPublisher<C>& PublishLabelOptions(TPublisher<C>& P) {
  return P.Prop(L"Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment)
      .Prop(L"AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize)
      .Prop(L"FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
      .Prop(L"Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout)
      .Prop(L"ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar)
      .Prop(L"Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent)
      .Prop(L"WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap);
}

// ======================= Multi-line edit =======================

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
VGT_ENUM(TScrollStyle, L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth");

class TCustomMemo;

// The memo's lines as a string list over its window (EM_ messages); while the memo has no window,
// over the text it keeps for the next one.
class TMemoStrings : public TStrings {
  VGT_CLASS(TMemoStrings, TStrings)
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const AnsiString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  void SetUpdateState(bool Updating) override;
  // The memo's text as the window holds it (no line break added at the end).
  AnsiString GetTextStr() const override;
  // Every line break (CR LF, CR, LF) is stored as CR LF.
  void SetTextStr(const AnsiString& Value) override;
  TCustomMemo* Memo() const { return FMemo; }

 private:
  void CheckIndex(int Index, int Count) const;
  TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
  VGT_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;
  // Tab goes to the memo only with WantTabs, Enter only with WantReturns; otherwise they are the
  // form's dialog keys.
  bool WantsKey(WORD Key) override;

  std::unique_ptr<TStrings> FLines;
  TScrollStyle FScrollBars = TScrollStyle::ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
  TAlignment FAlignment = TAlignment::taLeftJustify;
};

class TMemo : public TCustomMemo {
  VGT_CLASS(TMemo, TCustomMemo)
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// A memo's properties in form descriptions after its lines (8-bit or wide, published first by
// each memo class).
template <class C>
TPublisher<C>& PublishMemoOptions(TPublisher<C>& P) {
  return P.Prop(L"Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment)
      .Prop(L"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle)
      .Prop(L"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
      .Prop(L"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
      .Prop(L"OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert)
      .Prop(L"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
      .Prop(L"ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars)
      .Prop(L"WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns)
      .Prop(L"WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs)
      .Prop(L"WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap)
      .Event(L"OnChange", &TCustomEdit::OnChange);
}

// ======================= Combo box =======================

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
VGT_ENUM(TComboBoxStyle, L"csDropDown", L"csSimple", L"csDropDownList", L"csOwnerDrawFixed",
         L"csOwnerDrawVariable");

class TCustomComboBox;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const RECT& Rect, UINT State)>;

// The combo box's items as a string list over its window (CB_ messages, objects as item data);
// while the combo box has no window they wait in a list of their own.
class TCustomComboBoxStrings : public TStrings {
  VGT_CLASS(TCustomComboBoxStrings, TStrings)
 public:
  explicit TCustomComboBoxStrings(TCustomComboBox* ComboBox) : FComboBox(ComboBox) {}
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  int Add(const AnsiString& S) override;
  int IndexOf(const AnsiString& S) const override;
  void SetUpdateState(bool Updating) override;
  TCustomComboBox* ComboBox() const { return FComboBox; }
  // Raises the list error for an index that is no item.
  void CheckIndex(int Index) const;

 protected:
  HWND Window() const;
  TCustomComboBox* FComboBox;
};
using TComboBoxStrings = TCustomComboBoxStrings;

class TCustomComboBox : public TWinControl {
  VGT_CLASS(TCustomComboBox, TWinControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // -1 for none; another index outside the items raises the list error.
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool AutoCloseUp() const { return FAutoCloseUp; }
  void SetAutoCloseUp(bool Value) { FAutoCloseUp = Value; }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  // Selection in the edit field, as the window counts.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  AnsiString SelText();
  void SelectAll();
  void Clear();
  // Adds the item at ItemIndex (with its object) to another list control's items.
  virtual void CopySelection(TCustomComboBox* Destination);
  // The edit and list child windows (0 when the style has none, or before the window exists).
  HWND EditHandle() const { return FEditHandle; }
  HWND ListHandle() const { return FListHandle; }
  // The procedure the library puts on the edit and list children (their previous procedures are
  // kept in FEditDefProc and FListDefProc): what a derived combo box installs again when it makes
  // a child a Unicode window.
  static WNDPROC ChildWindowProcedure();
  TCanvas* Canvas() const { return FCanvas.get(); }
  // List styles search the items by the characters typed; a pause of SearchRestartPause
  // milliseconds or more between two of them starts a new search. The pause is measured with
  // this clock (milliseconds, wrapping as the tick count does): the tick count unless another
  // is set; an empty one restores the tick count.
  static constexpr DWORD SearchRestartPause = 1250;
  void SetSearchClock(std::function<DWORD()> Clock) { FSearchClock = std::move(Clock); }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  void Dispatch(TMessage& Message) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Messages of the edit and list child windows: true when handled (then Message.Result is the
  // answer). The Unicode combo box puts its wide handling here.
  virtual bool ChildMessage(TMessage& Message, HWND Child, WNDPROC ChildDefProc);
  // A character typed into the edit field, after the key-press events: the auto-complete hook.
  // Setting the character to 0 consumes it.
  virtual void HandleEditChar(TMessage& Message);
  // A character typed into a list style's closed box: the incremental search hook.
  virtual void HandleListChar(TMessage& Message);
  // Whether the search typed so far is over: true when the pause since the last character typed
  // (LastKeyTime, set to now) reaches SearchRestartPause.
  bool SearchPauseElapsed(DWORD& LastKeyTime);
  // Selects the first item that begins with S (from the top); true when there was one.
  bool SelectMatchingItem(const AnsiString& S);
  // Tells of an item that typing chose: Click, then Select unless Click freed the box.
  void SelectedByTyping();
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(int Index, const RECT& Rect, UINT State);
  void KeyPress(char& Key) override;

  // The items waiting for the next window, and the selection to give back with them.
  std::unique_ptr<TStringList> FSaved;
  int FSavedIndex = -1;

  std::unique_ptr<TCustomComboBoxStrings> FItems;
  std::unique_ptr<TControlCanvas> FCanvas;
  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  int FDropDownCount = 8;
  bool FSorted = false;
  int FMaxLength = 0;
  int FItemHeight = 16;
  bool FAutoComplete = true;
  bool FAutoDropDown = false;
  bool FAutoCloseUp = false;
  AnsiString FFilter;
  DWORD FLastKeyTime = 0;
  std::function<DWORD()> FSearchClock;
  HWND FEditHandle = nullptr;
  HWND FListHandle = nullptr;
  WNDPROC FEditDefProc = nullptr;
  WNDPROC FListDefProc = nullptr;

 private:
  friend class TCustomComboBoxStrings;
  static LRESULT CALLBACK ChildWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void AttachChild(HWND Child, WNDPROC& DefProc);
  void DetachChild(HWND Child, WNDPROC& DefProc);
  LRESULT ChildProc(HWND Child, UINT Msg, WPARAM WParam, LPARAM LParam);
  int DroppedHeight();
};

class TComboBox : public TCustomComboBox {
  VGT_CLASS(TComboBox, TCustomComboBox)
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ======================= Check box and radio button =======================

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
VGT_ENUM(TCheckBoxState, L"cbUnchecked", L"cbChecked", L"cbGrayed");

class TCustomCheckBox : public TButtonControl {
  VGT_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  bool Checked() const { return FState == TCheckBoxState::cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  // A change of state fires OnClick (once); setting the same state fires nothing.
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // The next state a click gives: unchecked, checked, then grayed when allowed.
  virtual void Toggle();
  TCheckBoxState FState = TCheckBoxState::cbUnchecked;
  bool FAllowGrayed = false;
  TLeftRight FAlignment = TLeftRight::taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  VGT_CLASS(TCheckBox, TCustomCheckBox)
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// A radio button. The radio buttons of one parent form a group: checking one unchecks the others.
// Only the checked one is a tab stop; the arrow keys move (and check) within the group.
class TRadioButton : public TButtonControl {
  VGT_CLASS(TRadioButton, TButtonControl)
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  // Checking unchecks the siblings and fires OnClick; nothing happens when the value is the same.
  void SetChecked(bool Value);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  bool FChecked = false;
  TLeftRight FAlignment = TLeftRight::taRightJustify;
  // True while a button-down is handled: the focus it brings does not choose the button, the
  // release does (one click, also when the press is sent as BM_CLICK without the mouse).
  bool FPressing = false;
};

// ======================= Group box =======================

class TCustomGroupBox : public TCustomControl {
  VGT_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void AdjustClientRect(RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // Paints the frame and Text (8-bit or wide) as its caption: themed or classic, the caption at
  // the reading side. The canvas has the box's font.
  template <class S>
  void PaintBox(const S& Text);
  void CreateParams(TCreateParams& Params) override;
  // Alt and the caption's accelerator focus the first child that can take the focus.
  void CMDialogChar(TMessage& Message);
};

class TGroupBox : public TCustomGroupBox {
  VGT_CLASS(TGroupBox, TCustomGroupBox)
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};
