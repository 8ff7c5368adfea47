// The application object and the program's Application and Screen objects. Part of the Forms
// unit; include classlib/Forms.h.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/FormsHintWindow.h"
#include "classlib/FormsScreen.h"

class TScreen;

// ---- Application ----

using TWindowHook = TMethod<bool(TMessage&)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception* E, const AnsiString& Message)>;
using TActionEventApp = std::function<void(TBasicAction* Action, bool& Handled)>;
using TShowHintEvent = std::function<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

class TApplication : public TComponent {
  VGT_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;
  void BeforeDestruction() override;

  // Starts the library for this program: atoms, the hidden application window, the exception
  // and action hooks. Nothing of it happens before this call.
  void Initialize();
  // The hidden application window (owner of the forms).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value);

  // Makes a form of class F owned by the application; the first one becomes the main form.
  template <class F>
  void CreateForm(F*& Reference) {
    Reference = TCustomForm::Create<F>(this);
    if (!FMainForm) FMainForm = Reference;
  }
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* Form) { FMainForm = Form; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // One message, or idle processing and a wait when there is none.
  void HandleMessage();
  // Every queued message, without waiting.
  void ProcessMessages();
  // One queued message; false when there was none.
  bool ProcessMessage(MSG& Msg);
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The loop's pre-dispatch steps; each returns true when it consumed the message.
  virtual bool IsKeyMsg(MSG& Msg);
  virtual bool IsDlgMsg(MSG& Msg);
  virtual bool IsHintMsg(MSG& Msg);
  // A window outside the library that gets dialog-message handling in the loop (0: none).
  HWND DialogHandle() const { return FDialogHandle; }
  void SetDialogHandle(HWND Value) { FDialogHandle = Value; }

  // Hooks on the application window's messages; a hook that returns true handles the message.
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);

  // Shows the exception being handled (message box titled with Title) and returns; with
  // OnException set, that handler is called instead. Must be called inside a catch block.
  void HandleException(TObject* Sender);
  void ShowException(const AnsiString& Message);

  // ---- Hints ----
  const AnsiString& Hint() const { return FHint; }
  // A change runs OnHint, or (without OnHint) executes a THintAction with the new hint.
  void SetHint(const AnsiString& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value) { FHintShortPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  void CancelHint();
  // Shows the hint of the control at CursorPos now (what the hint timer does).
  void ActivateHint(POINT CursorPos);
  THintWindow* HintWindow() const { return FHintWindow; }
  // The class of hint window the application makes (THintWindow unless changed).
  TClass HintWindowClass() const { return FHintWindowClass; }
  void SetHintWindowClass(TClass Value) { FHintWindowClass = Value; }
  // The control under the mouse as idle processing tracks it.
  TControl* MouseControl() const { return FMouseControl; }

  // ---- Idle ----
  void Idle(const MSG& Msg);
  void DoMouseIdle();
  void DoActionIdle();

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TActionEventApp OnActionExecute;
  TActionEventApp OnActionUpdate;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;

 protected:
  void WndProc(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend LRESULT CALLBACK ApplicationWndProc(HWND, UINT, WPARAM, LPARAM);
  void HintTimerExpired();
  void HideHintTimerExpired();
  void StartHintTimer(int Delay, int Kind);
  void StopHintTimer();
  void DoHintShow(POINT CursorPos);

  HWND FHandle = nullptr;
  AnsiString FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FShowMainForm = true;
  bool FTerminated = false;
  bool FInitialized = false;
  HWND FDialogHandle = nullptr;
  std::vector<TWindowHook> FWindowHooks;
  AnsiString FHint;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  THintWindow* FHintWindow = nullptr;
  TClass FHintWindowClass = nullptr;
  // Held weakly and with a free notification: a control freed while its hint shows takes the
  // hint with it.
  TWeakRef<TControl> FHintControl;
  TWeakRef<TControl> FMouseControl;
  void SetHintControl(TControl* Control);
  bool FHintActive = false;
  int FHintTimerKind = 0;  // 0 none, 1 show, 2 hide
  RECT FHintCursorRect{0, 0, 0, 0};
};

// The program's application and screen objects (made at start; no window exists before
// Application->Initialize()).
extern TApplication* Application;
extern TScreen* Screen;
