// The standard controls the forms need now: push button, single-line edit and label. Further
// controls build on the same bases.
#pragma once

#include "classlib/ActnList.h"
#include "classlib/Controls.h"
#include "classlib/Forms.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
VGT_ENUM(TAlignment, L"taLeftJustify", L"taRightJustify", L"taCenter");
enum class TTextLayout { tlTop, tlCenter, tlBottom };
VGT_ENUM(TTextLayout, L"tlTop", L"tlCenter", L"tlBottom");
enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
VGT_ENUM(TEditCharCase, L"ecNormal", L"ecUpperCase", L"ecLowerCase");

// The base of button-like windows (push, check and radio buttons).
class TButtonControl : public TWinControl {
  VGT_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner);
  TControlActionLinkClass GetActionLinkClass() override;

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
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
