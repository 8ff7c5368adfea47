// Wide actions: a wide caption and hint for the class library's actions, carried through the
// action links into the Unicode controls, and the link class of every Unicode control.
#pragma once

#include <windows.h>

#include "classlib/ActnList.h"
#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"
#include "unicode/UtxControls.h"
#include "unicode/UtxWindows.h"

// Offered by an action that keeps wide texts in a helper component; an action without it is
// treated as 8-bit only. The action's own lifetime rules apply (the interface frees nothing).
struct IWideAction {
  static constexpr GUID IID = {0x59D0AE37, 0x8161, 0x4AD6, {0x91, 0x02, 0x14, 0xB2, 0x8E, 0x57, 0x61, 0xEB}};
  virtual ~IWideAction() = default;
};

// The wide caption and hint of one action; owned by the action, so it goes with it.
class TCustomActionHelper : public TComponent {
  VGT_CLASS(TCustomActionHelper, TComponent)
 public:
  explicit TCustomActionHelper(TCustomAction* AAction) : TComponent(AAction), Action(AAction) {}

  TCustomAction* Action;
  WideString Caption;
  bool CaptionUpdating = false;
  WideString PreviousCaption;  // the caption as it read just before the current change
  AnsiString NewCaption;       // the 8-bit form of the caption being set
  WideString Hint;
  bool HintUpdating = false;
  WideString PreviousHint;
  AnsiString NewHint;
};

// The action's helper (made on first use), or nullptr for an action without IWideAction.
TCustomActionHelper* FindActionHelper(TCustomAction* Action);

WideString GetWideActionCaption(TCustomAction* Action);
void SetWideActionCaption(TCustomAction* Action, const WideString& Value);
WideString GetWideActionHint(TCustomAction* Action);
void SetWideActionHint(TCustomAction* Action, const WideString& Value);
// What a link hands its control for the 8-bit value V (widened): the new wide caption while a
// wide change of it is under way, else V.
WideString LinkedWideActionCaption(TCustomAction* Action, const WideString& V);
WideString LinkedWideActionHint(TCustomAction* Action, const WideString& V);

// Copies the wide caption and hint of a TCustomAction or TControl source into Dest.
void AssignWideActionTexts(TCustomAction* Dest, TPersistent* Source);

// The wide half of a Unicode control's action change; it runs before the class library's own.
void ApplyWideActionChange(TControl* Control, TBasicAction* Action, bool CheckDefaults);

// The link class of a Unicode control, chosen by the control's class.
TControlActionLinkClass GetUtxActionLinkClass(TControl* Control);

class TUtxAction : public TAction, public IWideAction {
  VGT_CLASS(TUtxAction, TAction)
 public:
  explicit TUtxAction(TComponent* AOwner) : TAction(AOwner) {}

  WideString Caption() { return GetWideActionCaption(this); }
  void SetCaption(const WideString& Value) { SetWideActionCaption(this, Value); }
  WideString Hint() { return GetWideActionHint(this); }
  void SetHint(const WideString& Value) { SetWideActionHint(this, Value); }

  void Assign(TPersistent* Source) override;

 protected:
  void DefineProperties(TFiler* Filer) override;
};

class TUtxHintAction : public THintAction, public IWideAction {
  VGT_CLASS(TUtxHintAction, THintAction)
 public:
  explicit TUtxHintAction(TComponent* AOwner) : THintAction(AOwner) {}

  WideString Hint() { return GetWideActionHint(this); }
  void SetHint(const WideString& Value) { SetWideActionHint(this, Value); }

  void Assign(TPersistent* Source) override;

 protected:
  void DefineProperties(TFiler* Filer) override;
};

class TUtxActionList : public TActionList {
  VGT_CLASS(TUtxActionList, TActionList)
 public:
  explicit TUtxActionList(TComponent* AOwner) : TActionList(AOwner) {}
};

// ---- Links ----

// The wide caption and hint rules shared by every link class: linked only while the control
// still shows the action's wide text, and set through the wide control text.
template <class Base>
class TUtxActionLinkOf : public Base {
 public:
  using Base::Base;

  bool IsCaptionLinked() override {
    TCustomAction* a = this->CustomAction();
    return Base::IsCaptionLinked() && a && GetWideActionCaption(a) == GetWideControlText(this->FClient);
  }
  bool IsHintLinked() override {
    TCustomAction* a = this->CustomAction();
    return Base::IsHintLinked() && a && GetWideActionHint(a) == GetWideHint(this->FClient);
  }
  void SetCaption(const AnsiString& Value) override {
    if (IsCaptionLinked())
      SetWideControlText(this->FClient, LinkedWideActionCaption(this->CustomAction(), WidenText(Value)));
  }
  void SetHint(const AnsiString& Value) override {
    if (IsHintLinked())
      SetWideHint(this->FClient, LinkedWideActionHint(this->CustomAction(), WidenText(Value)));
  }
};

// The class library has no list view and no speed button: their Unicode links stand on the
// control links until it has.
class TUtxControlActionLink : public TUtxActionLinkOf<TControlActionLink> {
  VGT_CLASS(TUtxControlActionLink, TControlActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
class TUtxWinControlActionLink : public TUtxActionLinkOf<TWinControlActionLink> {
  VGT_CLASS(TUtxWinControlActionLink, TWinControlActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
class TUtxButtonActionLink : public TUtxActionLinkOf<TButtonActionLink> {
  VGT_CLASS(TUtxButtonActionLink, TButtonActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
class TUtxListViewActionLink : public TUtxActionLinkOf<TWinControlActionLink> {
  VGT_CLASS(TUtxListViewActionLink, TWinControlActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
class TUtxSpeedButtonActionLink : public TUtxActionLinkOf<TControlActionLink> {
  VGT_CLASS(TUtxSpeedButtonActionLink, TControlActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
class TUtxToolButtonActionLink : public TUtxActionLinkOf<TToolButtonActionLink> {
  VGT_CLASS(TUtxToolButtonActionLink, TToolButtonActionLink)
 public:
  using TUtxActionLinkOf::TUtxActionLinkOf;
};
