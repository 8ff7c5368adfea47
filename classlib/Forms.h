// Forms and the application: scrolling containers, the form (top-level window read from its form
// description, modal or modeless), the application object (hidden application window, message
// loop, idle processing, exception handling, hints) and the screen (forms, cursor, monitors).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/ActnList.h"
#include "classlib/Controls.h"

class TCustomForm;
class THintWindow;
class TTimerWindow;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1,
                       mrNoToAll = mrAll + 1, mrYesToAll = mrNoToAll + 1;
const TIdentInfo& ModalResultIdents();

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
VGT_ENUM(TFormBorderStyle, L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin");
enum class TBorderStyle { bsNone, bsSingle };
VGT_ENUM(TBorderStyle, L"bsNone", L"bsSingle");
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
VGT_ENUM(TBorderIcon, L"biSystemMenu", L"biMinimize", L"biMaximize", L"biHelp");
using TBorderIcons = TSet<TBorderIcon>;
enum class TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
VGT_ENUM(TPosition, L"poDesigned", L"poDefault", L"poDefaultPosOnly", L"poDefaultSizeOnly", L"poScreenCenter",
         L"poDesktopCenter", L"poMainFormCenter", L"poOwnerFormCenter");
enum class TFormStyle { fsNormal, fsStayOnTop };
VGT_ENUM(TFormStyle, L"fsNormal", L"fsStayOnTop");
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
VGT_ENUM(TWindowState, L"wsNormal", L"wsMinimized", L"wsMaximized");

enum TFormStateBit : uint32_t {
  fsCreating = 1u << 0,
  fsVisible = 1u << 1,
  fsShowing = 1u << 2,
  fsModal = 1u << 3,
  fsActivated = 1u << 4,
};

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A container that scrolls its children when they do not fit.
class TScrollingWinControl : public TWinControl {
  VGT_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value);
  // Scrolls the content so that Control is visible.
  void ScrollInView(TControl* Control);
  POINT ScrollPos() const { return FScrollPos; }
  void Dispatch(TMessage& Message) override;

 protected:
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void CreateWnd() override;
  void UpdateScrollBars();
  void ScrollTo(int X, int Y);
  void WMScroll(TMessage& Message, int Bar);

  bool FAutoScroll = true;
  POINT FScrollPos{0, 0};
  SIZE FRange{0, 0};
  int FUpdatingScrollBars = 0;
};

class TScrollBox : public TScrollingWinControl {
  VGT_CLASS(TScrollBox, TScrollingWinControl)
 public:
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
};

class TCustomForm : public TScrollingWinControl {
  VGT_CLASS(TCustomForm, TScrollingWinControl)
 public:
  // Makes an empty form (no form description): what CreateNew gives. Use Create<T> or
  // CreateNew<T> so that the description is read after construction.
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // A form of class F with its form descriptions read (F's and its ancestors').
  template <class F>
  static F* Create(TComponent* AOwner) {
    F* f = new F(AOwner);
    try {
      f->InitInstance();
      f->AfterConstruction();
    } catch (...) {
      delete f;
      throw;
    }
    return f;
  }
  // A form of class F without reading any description.
  template <class F>
  static F* CreateNew(TComponent* AOwner) {
    F* f = new F(AOwner);
    try {
      f->AfterConstruction();
    } catch (...) {
      delete f;
      throw;
    }
    return f;
  }
  // Freeing a form (Free, its owner, delete) runs OnDestroy with the window still there, then
  // destroys the window, both before any destructor; the form's window events (activation,
  // showing, focus) reach no handler after OnDestroy.
  void BeforeDestruction() override;
  // Frees the form once the messages now queued are processed.
  void Release();

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form modal and runs messages until ModalResult is set; returns it.
  virtual TModalResult ShowModal();
  void Close();
  virtual bool CloseQuery();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  bool Active() const { return FActive; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  uint32_t FormState() const { return FFormState; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) {
    FPixelsPerInch = Value;
    if (HasState(csLoading)) FPixelsPerInchRead = true;
  }
  // With Scaled, a form described at another PixelsPerInch is rescaled to the screen's on loading.
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value);
  bool TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(bool Value);
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor Value);

  // Updates the actions of the controls this form owns (the application calls it at idle).
  virtual void UpdateActions();
  // Lets the active control, the form and then every control try to execute/update Action.
  bool DispatchAction(UINT Msg, TBasicAction* Action);

  void Dispatch(TMessage& Message) override;
  bool CanFocus() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Reads the form descriptions of this form's class chain, the ancestors' first, down to but not
  // including RootAncestor; raises EResNotFound when the class itself is not RootAncestor and none
  // is found.
  void ReadFormDescriptions(TClass RootAncestor);

 protected:
  // Second phase of construction: reads the descriptions (below DescriptionRootClass), then, with
  // OldCreateOrder, runs OnCreate.
  virtual void InitInstance();
  // Runs OnCreate unless OldCreateOrder already did.
  virtual void AfterConstruction();
  // The class whose descriptions (and whose ancestors') are not read: TForm.
  virtual TClass DescriptionRootClass() const;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  bool PreviewKeyDown(WORD& Key, TShiftState Shift) override;
  bool PreviewKeyPress(char& Key) override;
  bool PreviewKeyUp(WORD& Key, TShiftState Shift) override;
  void SetFocusedControl(TWinControl* Control) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ApplyLayeredAttributes();

  void CMShowingChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMClose(TMessage& Message);

  uint32_t FFormState = 0;
  TModalResult FModalResult = mrNone;
  // Weak: a control that starts being freed is no longer the active one.
  TWeakRef<TWinControl> FActiveControl;
  bool FActive = false;
  bool FKeyPreview = false;
  bool FOldCreateOrder = false;
  bool FCreated = false;
  bool FDestroyed = false;  // OnDestroy has run
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TBorderIcons FBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
  TPosition FPosition = TPosition::poDesigned;
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  TWindowState FWindowState = TWindowState::wsNormal;
  int FPixelsPerInch = 96;
  bool FScaled = true;
  bool FPixelsPerInchRead = false;
  int FTextHeight = 13;
  bool FAlphaBlend = false;
  BYTE FAlphaBlendValue = 255;
  bool FTransparentColor = false;
  TColor FTransparentColorValue = 0;
};

class TForm : public TCustomForm {
  VGT_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// The form of Control (the top-level form it sits on), or nullptr.
TCustomForm* GetParentForm(TControl* Control);

// ---- Screen ----

class TMonitor : public TObject {
  VGT_CLASS(TMonitor, TObject)
 public:
  explicit TMonitor(HMONITOR H, int Num) : FHandle(H), FNum(Num) {}
  HMONITOR Handle() const { return FHandle; }
  int MonitorNum() const { return FNum; }
  RECT BoundsRect() const;
  RECT WorkareaRect() const;
  bool Primary() const;

 private:
  HMONITOR FHandle;
  int FNum;
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TScreen : public TComponent {
  VGT_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveForm ? FActiveForm->ActiveControl() : nullptr; }

  // The cursor shown over every window of the program (crDefault: the controls' own).
  TCursor Cursor() const { return ScreenCursor; }
  void SetCursor(TCursor Value);
  HCURSOR Cursors(TCursor Index) const { return CursorHandle(Index); }

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() const;
  RECT WorkAreaRect() const;
  int MonitorCount();
  TMonitor* Monitors(int Index);
  TMonitor* MonitorFromRect(const RECT& Rect, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  TMonitor* MonitorFromPoint(POINT P, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  TMonitor* MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);

  TFont* HintFont() const { return FHintFont.get(); }
  TFont* IconFont() const { return FIconFont.get(); }
  TFont* MenuFont() const { return FMenuFont.get(); }

 private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  TMonitor* MonitorOf(HMONITOR H);
  void RefreshMonitors();

  TLiveList<TCustomForm> FForms;
  TCustomForm* FActiveForm = nullptr;
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
  std::unique_ptr<TFont> FHintFont, FIconFont, FMenuFont;
};

// ---- Hint window ----

// The small window that shows a control's hint. Its slots, in order: window creation (the
// creation parameters), painting, activation, activation with data, rectangle calculation.
class THintWindow : public TCustomControl {
  VGT_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows AHint in Rect (screen co-ordinates).
  virtual void ActivateHint(RECT Rect, const AnsiString& AHint);
  virtual void ActivateHintData(RECT Rect, const AnsiString& AHint, void* AData);
  // The size the hint needs at most MaxWidth wide, at (0, 0).
  virtual RECT CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  // Hides the window (destroys it; the next activation makes a new one).
  void ReleaseHandle();
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void CMTextChanged(TMessage& Message);
};

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
