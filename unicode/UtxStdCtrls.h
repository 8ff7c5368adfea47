// The Unicode standard controls: edit, memo, combo box, label, button and radio button. Each keeps
// its class-library base and adds a Unicode window (or, for the label, wide painting), wide texts
// and hints, accelerators on the wide caption and the wide action hooks.
#pragma once

#include <windows.h>

#include <memory>

#include "classlib/StdCtrls.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxControlBase.h"
#include "unicode/UtxControls.h"

// ======================= Edit and memo =======================

// Window creation of the edit and the memo: a Unicode "EDIT" window. On a double-byte code page
// without the Unicode platform a read-only window is made writable and then set read-only by
// message (such a platform's edit window measures its 8-bit text wrongly when created read-only).
void CreateUnicodeEditWindow(TCustomEdit* Control, const TCreateParams& Params);

// Selection of an edit or memo in characters of its wide text, on either platform family (an
// 8-bit window counts bytes).
int GetWideSelStart(TCustomEdit* Control);
void SetWideSelStart(TCustomEdit* Control, int Value);
int GetWideSelLength(TCustomEdit* Control);
void SetWideSelLength(TCustomEdit* Control, int Value);
WideString GetWideSelText(TCustomEdit* Control);

class TUtxCustomEdit : public TUtxControlBase<TCustomEdit> {
  VGT_CLASS(TUtxCustomEdit, TCustomEdit)
 public:
  using TUtxControlBase::TUtxControlBase;

  WideString Text() { return GetWideControlText(this); }
  void SetText(const WideString& Value) { SetWideControlText(this, Value); }
  // The mask character as a one-character text ("" for none). A character outside the code page
  // is "*" to the class library's 8-bit property and masks the Unicode window itself.
  WideString PasswordChar();
  void SetPasswordChar(const WideString& Value);

  // In characters, whatever the window counts.
  virtual int SelStart() { return GetWideSelStart(this); }
  virtual void SetSelStart(int Value) { SetWideSelStart(this, Value); }
  virtual int SelLength() { return GetWideSelLength(this); }
  virtual void SetSelLength(int Value) { SetWideSelLength(this, Value); }
  virtual WideString SelText() { return GetWideSelText(this); }

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditWindow(this, Params); }
  void CreateWnd() override;

 private:
  wchar_t FWidePasswordChar = 0;
};

class TUtxEdit : public TUtxCustomEdit {
  VGT_CLASS(TUtxEdit, TUtxCustomEdit)
 public:
  using TUtxCustomEdit::TUtxCustomEdit;
};

class TUtxCustomMemo;

// The memo's lines over its window: a Unicode window is read and changed with wide messages, an
// 8-bit one through the class library's line list, converted.
class TUtxMemoStrings : public TUtxStrings {
  VGT_CLASS(TUtxMemoStrings, TUtxStrings)
 public:
  explicit TUtxMemoStrings(TUtxCustomMemo* Memo) : FMemo(Memo) {}

  WideString GetString(int Index) const override;
  int GetCount() const override;
  // The window's text with its own line breaks; no line break is added at the end.
  WideString GetTextStr() const override;
  void PutString(int Index, const WideString& S) override;
  // Every line break (CR LF, CR, LF, U+2028) is stored as CR LF.
  void SetTextStr(const WideString& S) override;
  void SetUpdateState(bool Updating) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const WideString& S) override;

 private:
  // True when the memo's window (made when missing) is a Unicode window.
  bool WideWindow() const;
  TStrings* AnsiLines() const;
  TUtxCustomMemo* FMemo;
};

class TUtxCustomMemo : public TUtxControlBase<TCustomMemo> {
  VGT_CLASS(TUtxCustomMemo, TCustomMemo)
 public:
  explicit TUtxCustomMemo(TComponent* AOwner);
  ~TUtxCustomMemo() override;

  TUtxStrings* Lines() const { return FWideLines.get(); }
  void SetLines(TUtxStrings* Value) { FWideLines->Assign(Value); }
  WideString Text() { return GetWideControlText(this); }
  void SetText(const WideString& Value) { SetWideControlText(this, Value); }

  virtual int SelStart() { return GetWideSelStart(this); }
  virtual void SetSelStart(int Value) { SetWideSelStart(this, Value); }
  virtual int SelLength() { return GetWideSelLength(this); }
  virtual void SetSelLength(int Value) { SetWideSelLength(this, Value); }

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditWindow(this, Params); }
  void CreateWnd() override;

 private:
  std::unique_ptr<TUtxMemoStrings> FWideLines;
};

class TUtxMemo : public TUtxCustomMemo {
  VGT_CLASS(TUtxMemo, TUtxCustomMemo)
 public:
  using TUtxCustomMemo::TUtxCustomMemo;
};

// ======================= Combo box =======================

class TUtxCustomComboBox;

// The combo box's items as wide texts: a Unicode window is asked with wide messages, an 8-bit
// one through the class library's item list, converted. Counts, objects and deletion are the
// class library's (they carry no text).
class TUtxComboBoxStrings : public TUtxStrings {
  VGT_CLASS(TUtxComboBoxStrings, TUtxStrings)
 public:
  explicit TUtxComboBoxStrings(TUtxCustomComboBox* ComboBox) : FComboBox(ComboBox) {}

  // "" for an index that is no item.
  WideString GetString(int Index) const override;
  int GetCount() const override;
  TObject* GetItemObject(int Index) const override;
  void SetItemObject(int Index, TObject* Obj) override;
  void SetUpdateState(bool Updating) override;
  int Add(const WideString& S) override;
  // Keeps the text of the edit field.
  void Clear() override;
  void Delete(int Index) override;
  // Without regard to case; -1 when no item equals S.
  int IndexOf(const WideString& S) const override;
  void Insert(int Index, const WideString& S) override;

 private:
  bool WideWindow() const;
  TStrings* AnsiItems() const;
  TUtxCustomComboBox* FComboBox;
};

// The class library's 8-bit item list of the Unicode combo box. An item that cannot be read (a
// bad index, an error answer) reads as an empty text instead of raising.
class TD7PatchedComboBoxStrings : public TCustomComboBoxStrings {
  VGT_CLASS(TD7PatchedComboBoxStrings, TCustomComboBoxStrings)
 public:
  using TCustomComboBoxStrings::TCustomComboBoxStrings;
  AnsiString Get(int Index) const override;
  int Add(const AnsiString& S) override;
  void Insert(int Index, const AnsiString& S) override;
};

class TUtxCustomComboBox : public TUtxControlBase<TCustomComboBox>, public IWideListControl {
  VGT_CLASS(TUtxCustomComboBox, TCustomComboBox)
 public:
  explicit TUtxCustomComboBox(TComponent* AOwner);
  ~TUtxCustomComboBox() override;

  TUtxStrings* Items() const { return FWideItems.get(); }
  void SetItems(TUtxStrings* Value) { FWideItems->Assign(Value); }
  TUtxStrings* GetItems() const { return FWideItems.get(); }
  WideString Text() { return GetWideControlText(this); }
  void SetText(const WideString& Value) { SetWideControlText(this, Value); }

  // The edit field's selection in characters.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  WideString SelText();

  // The first item after Start (-1: from the top; the search wraps) that begins with S, without
  // regard to case; -1 when none.
  int FindPrefixItem(int Start, const WideString& S);
  // The only item that begins with S, or -1 when none or several do.
  int FindUniquePrefixItem(const WideString& S);
  // Selects the item S completes to (in edit styles the typed part keeps its case and the rest
  // is selected); OnClick and OnSelect only when the index changed. False when no item matches.
  bool SelectMatchingItem(const WideString& S, bool UniqueOnly, bool KeepTyped);
  // Drops the list down without losing the edit field's text and selection.
  void DropDownKeepingText();

  void CopySelection(TCustomComboBox* Destination) override;
  void AddWideItem(const WideString& Item, TObject* AObject) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool ChildMessage(TMessage& Message, HWND Child, WNDPROC ChildDefProc) override;
  void HandleEditChar(TMessage& Message) override;
  // List styles: typed characters search the items by prefix (a pause of SearchRestartPause
  // restarts).
  void HandleListChar(TMessage& Message) override;
  void DrawItem(int Index, const RECT& Rect, UINT State) override;
  // The class library's key handling completes 8-bit text only: it runs with AutoComplete off,
  // and the wide completion acts.
  void KeyPress(char& Key) override;
  virtual bool AutoCompleteUniqueOnly() { return false; }
  virtual bool AutoCompleteKeepTypedCase() { return true; }

 private:
  friend class TUtxComboBoxStrings;
  std::unique_ptr<TUtxComboBoxStrings> FWideItems;
  std::unique_ptr<TUtxStringList> FWideSaved;
  int FWideSavedIndex = -1;
  WideString FWideFilter;
  DWORD FWideLastKeyTime = 0;
};

// ======================= Label, button, radio button =======================

class TUtxCustomLabel : public TUtxControlBase<TCustomLabel> {
  VGT_CLASS(TUtxCustomLabel, TCustomLabel)
 public:
  using TUtxControlBase::TUtxControlBase;
  void Dispatch(TMessage& Message) override;

 protected:
  // The wide text to draw.
  virtual WideString GetWideLabelText() { return GetWideControlText(this); }
  void DoDrawText(RECT& Rect, UINT Flags) override;
};

class TUtxLabel : public TUtxCustomLabel {
  VGT_CLASS(TUtxLabel, TUtxCustomLabel)
 public:
  using TUtxCustomLabel::TUtxCustomLabel;
  TWideCaption GetCaption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
};

class TUtxButton : public TUtxControlBase<TButton> {
  VGT_CLASS(TUtxButton, TButton)
 public:
  using TUtxControlBase::TUtxControlBase;
  TWideCaption GetCaption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  void Dispatch(TMessage& Message) override;

 protected:
  WideString PlatformClassName() const override { return L"BUTTON"; }
};

class TUtxRadioButton : public TUtxControlBase<TRadioButton> {
  VGT_CLASS(TUtxRadioButton, TRadioButton)
 public:
  using TUtxControlBase::TUtxControlBase;
  TWideCaption GetCaption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  void Dispatch(TMessage& Message) override;

 protected:
  WideString PlatformClassName() const override { return L"BUTTON"; }
};
