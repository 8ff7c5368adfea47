// Actions of the class library: commands with caption, hint, enabled/checked/visible state and
// execute/update handlers, grouped in action lists and linked to controls through action links.
//
// A change of an action's property first tells every client link (while the action still holds
// the old value), then stores the value, then signals the change; each linked control then runs
// its ActionChange.
//
// Those steps run user code (a client's OnChange may free other clients, the action or its list):
// clients and actions are kept in live lists, so a walk never reaches a freed link, and a setter
// whose action was freed meanwhile stops there.
#pragma once

#include <functional>
#include <vector>

#include "classlib/Controls.h"

class TBasicActionLink;
class TCustomActionList;

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TBasicAction : public TComponent {
  VGT_CLASS(TBasicAction, TComponent)
 public:
  // The action component is held without a free notification.
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) { HearOwnerNotifications(); }
  ~TBasicAction() override;

  // Runs the action; true when something handled it.
  virtual bool Execute();
  // Brings the action's state up to date; true when something handled it.
  virtual bool Update();
  // Whether the action acts on targets (HandlesTarget, UpdateTarget, ExecuteTarget): only such an
  // action is offered a form's controls when nothing else updates or executes it, a walk over
  // every control of the form. A class that overrides HandlesTarget answers true.
  virtual bool HasTargets() const { return false; }
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void UpdateTarget(TObject*) {}
  virtual void ExecuteTarget(TObject*) {}
  // The control or component that caused the current execution.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value) { FActionComponent = Value; }

  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);
  int ClientCount() const { return static_cast<int>(FClients.size()); }
  TBasicActionLink* Clients(int Index) const { return FClients.at(static_cast<size_t>(Index)); }
  void BeforeDestruction() override;

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  // Tells every client that the action changed.
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Calls Fn for every client link that is an action link; false when the action was freed
  // meanwhile (the caller must then leave it alone).
  bool ForEachActionLink(const std::function<void(class TActionLink*)>& Fn);
  TLiveList<TBasicActionLink> FClients;

 private:
  TWeakRef<TComponent> FActionComponent;
};

class TContainedAction : public TBasicAction {
  VGT_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;

  bool Execute() override;
  bool Update() override;
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  int Index() const;
  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& Value) { FCategory = Value; }

 private:
  TCustomActionList* FActionList = nullptr;
  AnsiString FCategory;
};

class TCustomAction : public TContainedAction {
  VGT_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

  bool Execute() override;

  const AnsiString& Caption() const { return FCaption; }
  // Each setter: nothing when the value is the same; else the links, then the value, then Change.
  void SetCaption(const AnsiString& Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

  void Assign(TPersistent* Source) override;

 private:
  AnsiString FCaption;
  AnsiString FHint;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  int FImageIndex = -1;
  int FHelpContext = 0;
  bool FDisableIfNoHandler = true;
};

class TAction : public TCustomAction {
  VGT_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// Hands a new application hint to whoever shows it (status lines); made by the application
// when its hint changes and nobody handles OnHint.
class THintAction : public TCustomAction {
  VGT_CLASS(THintAction, TCustomAction)
 public:
  explicit THintAction(TComponent* AOwner) : TCustomAction(AOwner) { SetDisableIfNoHandler(false); }
};

class TCustomActionList : public TComponent {
  VGT_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
  ~TCustomActionList() override;

  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TContainedAction* Actions(int Index) const { return FActions.at(static_cast<size_t>(Index)); }
  void BeforeDestruction() override;
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Updates every action of the list (the application does this at idle).
  void UpdateActions();

  TActionEvent OnExecute;
  TActionEvent OnUpdate;

 private:
  friend class TContainedAction;
  TLiveList<TContainedAction> FActions;
};

class TActionList : public TCustomActionList {
  VGT_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---- Links ----

class TBasicActionLink : public TObject {
  VGT_CLASS(TBasicActionLink, TObject)
 public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  // Called by the action when it changed.
  virtual void Change();
  TNotifyEvent OnChange;

 protected:
  TBasicAction* FAction = nullptr;

 private:
  // Set while Execute runs: the action may free the client and with it this link.
  bool* FFreedWhileExecuting = nullptr;
};

class TActionLink : public TBasicActionLink {
  VGT_CLASS(TActionLink, TBasicActionLink)
 public:
  // Whether the client follows the action's property (the client still shows the action's
  // current value). The setters change the client only then.
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsVisibleLinked();
  virtual void SetCaption(const AnsiString&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const AnsiString&) {}
  virtual void SetVisible(bool) {}
  virtual void SetImageIndex(int) {}

 protected:
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }
};

class TControlActionLink : public TActionLink {
  VGT_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TControl* AClient) : FClient(AClient) {}
  // The control; nullptr once it has started being freed.
  TControl* Client() const { return FClient; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const AnsiString& Value) override;
  void SetVisible(bool Value) override;

 protected:
  TWeakRef<TControl> FClient;
};

class TWinControlActionLink : public TControlActionLink {
  VGT_CLASS(TWinControlActionLink, TControlActionLink)
 public:
  using TControlActionLink::TControlActionLink;
};

// The link class record of link class L (one per class).
template <class L>
TControlActionLinkClass ActionLinkClassOf() {
  static const TActionLinkClassRef ref{L::StaticClass(),
                                      [](TControl* Client) -> TControlActionLink* { return new L(Client); }};
  return &ref;
}

// The application's part in executing and updating actions; installed by the application object.
struct TActionApplicationHooks {
  // Application->OnActionExecute / OnActionUpdate.
  bool (*ExecuteAction)(TBasicAction* Action) = nullptr;
  bool (*UpdateAction)(TBasicAction* Action) = nullptr;
  // Sends a message to the application window (CM_ACTIONEXECUTE, CM_ACTIONUPDATE).
  LRESULT (*SendAppMessage)(UINT Msg, WPARAM WParam, LPARAM LParam) = nullptr;
};
extern TActionApplicationHooks ActionApplicationHooks;
