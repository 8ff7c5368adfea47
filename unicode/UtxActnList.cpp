#include "unicode/UtxActnList.h"

#include "base/Scope.h"
#include "unicode/UtxClasses.h"


namespace {

// Reads one wide text of the helper: the previous text while a change is under way and the
// action's 8-bit text is not yet the new one, else the held text by the held-text rule.
WideString ReadRule(bool Updating, const AnsiString& Current, const AnsiString& New,
                    const WideString& Previous, WideString& Held) {
  if (Updating && Current != New) return Previous;
  return SyncHeldWideText(Held, Current);
}

bool IsSameOrInheritsFromName(TClass Class, const wchar_t* Name) {
  for (TClass c = Class; c; c = c->Parent)
    if (WideString(c->Name) == Name) return true;
  return false;
}

}  // namespace

TCustomActionHelper* FindActionHelper(TCustomAction* Action) {
  if (!Action || !dynamic_cast<IWideAction*>(Action)) return nullptr;
  for (int i = 0; i < Action->ComponentCount(); ++i)
    if (auto* helper = dynamic_cast<TCustomActionHelper*>(Action->Components(i))) return helper;
  return new TCustomActionHelper(Action);
}

WideString GetWideActionCaption(TCustomAction* Action) {
  TCustomActionHelper* h = FindActionHelper(Action);
  if (!h) return WidenText(Action->TCustomAction::Caption());
  return ReadRule(h->CaptionUpdating, Action->TCustomAction::Caption(), h->NewCaption,
                  h->PreviousCaption, h->Caption);
}

WideString GetWideActionHint(TCustomAction* Action) {
  TCustomActionHelper* h = FindActionHelper(Action);
  if (!h) return WidenText(Action->TCustomAction::Hint());
  return ReadRule(h->HintUpdating, Action->TCustomAction::Hint(), h->NewHint, h->PreviousHint,
                  h->Hint);
}

void SetWideActionCaption(TCustomAction* Action, const WideString& Value) {
  TCustomActionHelper* h = FindActionHelper(Action);
  if (!h) {
    Action->TCustomAction::SetCaption(NarrowText(Value));
    return;
  }
  h->PreviousCaption = GetWideActionCaption(Action);
  h->NewCaption = NarrowText(Value);
  h->CaptionUpdating = true;
  auto updated = ScopeExit([h] { h->CaptionUpdating = false; });
  StoreHeldWideText(Value, h->Caption, Action->TCustomAction::Caption(),
                    [Action](const AnsiString& s) { Action->TCustomAction::SetCaption(s); });
}

void SetWideActionHint(TCustomAction* Action, const WideString& Value) {
  TCustomActionHelper* h = FindActionHelper(Action);
  if (!h) {
    Action->TCustomAction::SetHint(NarrowText(Value));
    return;
  }
  h->PreviousHint = GetWideActionHint(Action);
  h->NewHint = NarrowText(Value);
  h->HintUpdating = true;
  auto updated = ScopeExit([h] { h->HintUpdating = false; });
  StoreHeldWideText(Value, h->Hint, Action->TCustomAction::Hint(),
                    [Action](const AnsiString& s) { Action->TCustomAction::SetHint(s); });
}

WideString LinkedWideActionCaption(TCustomAction* Action, const WideString& V) {
  if (!Action || !dynamic_cast<IWideAction*>(Action)) return V;
  TCustomActionHelper* h = FindActionHelper(Action);
  if (h->CaptionUpdating && Action->TCustomAction::Caption() != h->NewCaption) return h->Caption;
  return V;
}

WideString LinkedWideActionHint(TCustomAction* Action, const WideString& V) {
  if (!Action || !dynamic_cast<IWideAction*>(Action)) return V;
  TCustomActionHelper* h = FindActionHelper(Action);
  if (h->HintUpdating && Action->TCustomAction::Hint() != h->NewHint) return h->Hint;
  return V;
}

void AssignWideActionTexts(TCustomAction* Dest, TPersistent* Source) {
  WideString caption, hint;
  if (auto* action = dynamic_cast<TCustomAction*>(Source)) {
    caption = GetWideActionCaption(action);
    hint = GetWideActionHint(action);
  } else if (auto* control = dynamic_cast<TControl*>(Source)) {
    caption = GetWideControlText(control);
    hint = GetWideHint(control);
  } else {
    return;
  }
  // Through the wide setters: the 8-bit setters alone would lose every character outside the
  // code page.
  SetWideActionCaption(Dest, caption);
  SetWideActionHint(Dest, hint);
}

void ApplyWideActionChange(TControl* Control, TBasicAction* Action, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Action);
  if (!action || !dynamic_cast<IWideAction*>(action)) return;
  if (!CheckDefaults) {
    SetWideControlText(Control, GetWideActionCaption(action));
  } else {
    const WideString text = GetWideControlText(Control);
    if (text.empty() || text == Control->Name()) SetWideControlText(Control, GetWideActionCaption(action));
  }
  if (!CheckDefaults || GetWideHint(Control).empty()) SetWideHint(Control, GetWideActionHint(action));
}

TControlActionLinkClass GetUtxActionLinkClass(TControl* Control) {
  const TClass c = Control->ClassType();
  // By name for the list view and the speed button, which the class library does not have.
  if (IsSameOrInheritsFromName(c, L"TCustomListView")) return ActionLinkClassOf<TUtxListViewActionLink>();
  if (IsSameOrInheritsFromName(c, L"TSpeedButton")) return ActionLinkClassOf<TUtxSpeedButtonActionLink>();
  if (dynamic_cast<TToolButton*>(Control)) return ActionLinkClassOf<TUtxToolButtonActionLink>();
  if (dynamic_cast<TButtonControl*>(Control)) return ActionLinkClassOf<TUtxButtonActionLink>();
  if (dynamic_cast<TWinControl*>(Control)) return ActionLinkClassOf<TUtxWinControlActionLink>();
  return ActionLinkClassOf<TUtxControlActionLink>();
}

// ---- The Unicode actions ----

void TUtxAction::Assign(TPersistent* Source) {
  // The class library's action assigns from actions only.
  if (!dynamic_cast<TControl*>(Source)) TAction::Assign(Source);
  AssignWideActionTexts(this, Source);
}

void TUtxAction::DefineProperties(TFiler* Filer) {
  TAction::DefineProperties(Filer);
  DefineWideStringProperties(Filer, this);
}

void TUtxHintAction::DefineProperties(TFiler* Filer) {
  THintAction::DefineProperties(Filer);
  DefineWideStringProperties(Filer, this);
}

void TUtxHintAction::Assign(TPersistent* Source) {
  if (!dynamic_cast<TControl*>(Source)) THintAction::Assign(Source);
  AssignWideActionTexts(this, Source);
}

VGT_PUBLISH(TUtxAction) {
  P.Prop(L"Caption", &TUtxAction::Caption, &TUtxAction::SetCaption)
      .Prop(L"Hint", &TUtxAction::Hint, &TUtxAction::SetHint);
}
VGT_PUBLISH(TUtxHintAction) {
  P.Prop(L"Hint", &TUtxHintAction::Hint, &TUtxHintAction::SetHint);
}
VGT_PUBLISH(TUtxActionList) {}
