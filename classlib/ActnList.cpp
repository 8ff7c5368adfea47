#include "classlib/ActnList.h"

#include <algorithm>

#include "base/Scope.h"

TActionApplicationHooks ActionApplicationHooks;

// ---- TBasicAction ----

// Links outlive their action only as empty links.
void TBasicAction::BeforeDestruction() {
  while (!FClients.empty()) {
    TBasicActionLink* link = FClients.back();
    link->SetAction(nullptr);
    FClients.Remove(link);
  }
  TComponent::BeforeDestruction();
}

TBasicAction::~TBasicAction() {
  Destroying();
  while (!FClients.empty()) {
    TBasicActionLink* link = FClients.back();
    link->SetAction(nullptr);
    FClients.Remove(link);
  }
}

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  return false;
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  return false;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
  if (!FClients.Contains(Link)) FClients.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) { FClients.Remove(Link); }

void TBasicAction::Change() {
  TWeakRef<TBasicAction> self(this);
  if (OnChange) OnChange(this);
  if (!self) return;
  FClients.ForEach([](TBasicActionLink* link) { link->Change(); });
}

bool TBasicAction::ForEachActionLink(const std::function<void(TActionLink*)>& Fn) {
  return FClients.ForEach([&](TBasicActionLink* l) {
    if (auto* al = dynamic_cast<TActionLink*>(l)) Fn(al);
  });
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

// ---- TContainedAction ----

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (FActionList == Value) return;
  if (FActionList) FActionList->FActions.Remove(this);
  FActionList = Value;
  if (Value) Value->FActions.push_back(this);
}

int TContainedAction::Index() const {
  return FActionList ? FActionList->FActions.IndexOf(this) : -1;
}

// The list, then the application, then the action's own handler, then the application window
// (where status lines and the main form can take it).
bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (ActionApplicationHooks.ExecuteAction && ActionApplicationHooks.ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return ActionApplicationHooks.SendAppMessage &&
         ActionApplicationHooks.SendAppMessage(CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) == 1;
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (ActionApplicationHooks.UpdateAction && ActionApplicationHooks.UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return ActionApplicationHooks.SendAppMessage &&
         ActionApplicationHooks.SendAppMessage(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(this)) == 1;
}

// ---- TCustomAction ----

bool TCustomAction::Execute() {
  Update();
  if (!FEnabled) return false;
  return TContainedAction::Execute();
}

void TCustomAction::SetCaption(const AnsiString& Value) {
  if (Value == FCaption) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetCaption(Value); })) return;
  FCaption = Value;
  Change();
}

void TCustomAction::SetHint(const AnsiString& Value) {
  if (Value == FHint) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetHint(Value); })) return;
  FHint = Value;
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetEnabled(Value); })) return;
  FEnabled = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (Value == FChecked) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetChecked(Value); })) return;
  FChecked = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == FVisible) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetVisible(Value); })) return;
  FVisible = Value;
  Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  if (!ForEachActionLink([&](TActionLink* al) { al->SetImageIndex(Value); })) return;
  FImageIndex = Value;
  Change();
}

void TCustomAction::Assign(TPersistent* Source) {
  if (auto* a = dynamic_cast<TCustomAction*>(Source)) {
    SetCaption(a->FCaption);
    SetHint(a->FHint);
    SetEnabled(a->FEnabled);
    SetChecked(a->FChecked);
    SetVisible(a->FVisible);
    SetImageIndex(a->FImageIndex);
    FHelpContext = a->FHelpContext;
    SetCategory(a->Category());
    OnExecute = a->OnExecute;
    OnUpdate = a->OnUpdate;
    return;
  }
  TContainedAction::Assign(Source);
}

// ---- TCustomActionList ----

void TCustomActionList::BeforeDestruction() {
  FActions.ForEach([](TContainedAction* a) { a->SetActionList(nullptr); });
  TComponent::BeforeDestruction();
}

TCustomActionList::~TCustomActionList() {
  Destroying();
  FActions.ForEach([](TContainedAction* a) { a->SetActionList(nullptr); });
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

void TCustomActionList::UpdateActions() {
  FActions.ForEach([](TContainedAction* a) { a->Update(); });
}

// ---- Links ----

TBasicActionLink::~TBasicActionLink() {
  if (FFreedWhileExecuting) {
    // Freed by the action it runs: the action must not keep pointing at the freed client.
    *FFreedWhileExecuting = true;
    if (FAction) FAction->SetActionComponent(nullptr);
  }
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  bool freed = false;
  bool* outer = FFreedWhileExecuting;
  FFreedWhileExecuting = &freed;
  // Runs after the action, unless the action freed this link (its destructor did the work).
  auto finish = ScopeExit([&] {
    if (freed) {
      if (outer) *outer = true;
      return;
    }
    FFreedWhileExecuting = outer;
    if (FAction) FAction->SetActionComponent(nullptr);
  });
  FAction->SetActionComponent(AComponent);
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

bool TControlActionLink::IsCaptionLinked() {
  return FClient && TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
  return FClient && TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked() {
  return FClient && TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  return FClient && TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TControlActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

// ---- Published properties ----

VGT_PUBLISH(TBasicAction) {
  P.Event(L"OnExecute", &TBasicAction::OnExecute)
      .Event(L"OnUpdate", &TBasicAction::OnUpdate);
}

VGT_PUBLISH(TContainedAction) {
  P.Prop(L"Category", &TContainedAction::Category, &TContainedAction::SetCategory);
}

VGT_PUBLISH(TCustomAction) {
  P.Prop(L"Caption", &TCustomAction::Caption, &TCustomAction::SetCaption)
      .Prop(L"Checked", &TCustomAction::Checked, &TCustomAction::SetChecked)
      .Prop(L"Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled)
      .Prop(L"HelpContext", &TCustomAction::HelpContext, &TCustomAction::SetHelpContext)
      .Prop(L"Hint", &TCustomAction::Hint, &TCustomAction::SetHint)
      .Prop(L"ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex)
      .Prop(L"Visible", &TCustomAction::Visible, &TCustomAction::SetVisible);
}

VGT_PUBLISH(TAction) {}
VGT_PUBLISH(THintAction) {}
VGT_PUBLISH(TActionList) {
  P.Event(L"OnExecute", &TActionList::OnExecute)
      .Event(L"OnUpdate", &TActionList::OnUpdate);
}

// A component read inside an action list belongs to it.
static const bool vgtActionParents = [] {
  RegisterParentSetter([](TComponent* Child, TComponent* Container) {
    auto* a = dynamic_cast<TContainedAction*>(Child);
    auto* l = dynamic_cast<TCustomActionList*>(Container);
    if (!a || !l) return false;
    a->SetActionList(l);
    return true;
  });
  return true;
}();

VGT_UNIT_ANCHOR(ActnList)
