// Controls of the class library: TControl (position, text, visibility, the replaceable window
// method), TWinControl (a platform window with its creation slots, children, alignment, focus and
// tab order), TGraphicControl (windowless, painted and given mouse input by its parent) and
// TCustomControl (a window painted by the control itself).
//
// A message reaches a control through its window method (WindowProc, replaceable), which is WndProc
// unless something has been hooked in; WndProc hands it to Dispatch, which calls the handler of the
// message number or DefaultHandler. A windowed control's DefaultHandler passes what nobody handled
// to its default procedure (DefWndProc, replaceable), the platform class procedure.
//
// Freeing a control (see TComponent): its window goes in BeforeDestruction, while the most derived
// class is whole, so overrides of DestroyWnd and DestroyWindowHandle run and the messages of the
// window's end reach a complete control; a control freed by a handler while its own window
// procedure or Perform runs is deleted when that returns. Its children go with it, whoever owns
// them. Lists of children are walked live: a handler that frees a child is never followed by a
// call on the freed child.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/DeviceContext.h"
#include "classlib/Classes.h"
#include "classlib/ControlsAlign.h"
#include "classlib/Graphics.h"
#include "classlib/Messages.h"
#include "classlib/SyncObjs.h"
#include "classlib/TypInfo.h"

class TControl;
class TWinControl;
class TBasicAction;
class TBasicActionLink;
class TControlActionLink;

// A method pointer: code and object. Two methods compare equal when both parts do, so code that
// hooks itself into a chain can find itself again.
template <class Sig>
struct TMethod;
template <class R, class... A>
struct TMethod<R(A...)> {
  using Code = R (*)(void* Self, A...);
  Code Fn = nullptr;
  void* Data = nullptr;

  template <class C, R (C::*M)(A...)>
  static TMethod Of(C* Object) {
    return TMethod{[](void* self, A... a) -> R { return (static_cast<C*>(self)->*M)(a...); }, Object};
  }
  R operator()(A... a) const { return Fn(Data, a...); }
  explicit operator bool() const { return Fn != nullptr; }
  bool SameCode(const TMethod& o) const { return Fn == o.Fn; }
  bool operator==(const TMethod& o) const { return Fn == o.Fn && Data == o.Data; }
};
using TWndMethod = TMethod<void(TMessage&)>;

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
VGT_ENUM(TBiDiMode, L"bdLeftToRight", L"bdRightToLeft", L"bdRightToLeftNoAlign", L"bdRightToLeftReadingOnly");

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TShiftStateBit { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateBit>;
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyDataToShiftState(LPARAM KeyData);

// Cursors: the platform's standard cursors by negative number; 0 is the control's default.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;
const TIdentInfo& CursorIdents();
HCURSOR CursorHandle(TCursor Cursor);

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// ControlStyle bits.
enum TControlStyleBit : uint32_t {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,
  csClickEvents = 1u << 2,
  csSetCaption = 1u << 3,
  csOpaque = 1u << 4,
  csDoubleClicks = 1u << 5,
  csParentBackground = 1u << 6,
  csNoStdEvents = 1u << 7,
};
// ControlState bits.
enum TControlStateBit : uint32_t {
  csLButtonDown = 1u << 0,
  csClicked = 1u << 1,
  csAlignmentNeeded = 1u << 2,
  csFocusing = 1u << 3,
  csCreating = 1u << 4,
  csCustomPaint = 1u << 5,
  csDestroyingHandle = 1u << 6,
};

// What a window is created from. The 8-bit class library creates 8-bit windows; WinClassName is
// the class name it registers (the control's class name unless a class changes it).
struct TCreateParams {
  const char* Caption = "";
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  char WinClassName[64] = {};
};

// The hint information record handed around with CM_HINTSHOW (LParam points at it).
class THintWindow;
using THintWindowClass = TClass;
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass = nullptr;  // the class of the window that will show the hint
  POINT HintPos{0, 0};                         // screen position
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{0, 0, 0, 0};
  POINT CursorPos{0, 0};
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  AnsiString HintStr;
  void* HintData = nullptr;
};

// A link class: how a control makes the link to its action. The Unicode layer chooses its own.
struct TActionLinkClassRef {
  TClass Class = nullptr;
  TControlActionLink* (*Create)(TControl* Client) = nullptr;
};
using TControlActionLinkClass = const TActionLinkClassRef*;

VGT_EXCEPTION(EInvalidOperationControl, EInvalidOperation);

// Limits of a control's size; 0 is no limit.
class TSizeConstraints : public TPersistent {
  VGT_CLASS(TSizeConstraints, TPersistent)
 public:
  int MinWidth() const { return FMinWidth; }
  int MinHeight() const { return FMinHeight; }
  int MaxWidth() const { return FMaxWidth; }
  int MaxHeight() const { return FMaxHeight; }
  void SetMinWidth(int Value) { Set(FMinWidth, Value); }
  void SetMinHeight(int Value) { Set(FMinHeight, Value); }
  void SetMaxWidth(int Value) { Set(FMaxWidth, Value); }
  void SetMaxHeight(int Value) { Set(FMaxHeight, Value); }
  // Width and height within the limits.
  void Apply(int& Width, int& Height) const;
  void Assign(TPersistent* Source) override;
  TNotifyEvent OnChange;

 private:
  void Set(int& Field, int Value);
  int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

// Tells whether a control was freed while a message of its own ran: a handler may free the very
// control that called it (a form freed from its button's click), and the code that called the
// handler must then leave the control alone.
class TFreeWatch {
 public:
  explicit TFreeWatch(const TControl* Control);
  ~TFreeWatch();
  TFreeWatch(const TFreeWatch&) = delete;
  TFreeWatch& operator=(const TFreeWatch&) = delete;
  bool Freed() const { return FFreed; }
  // Marks every watch of the control; its BeforeDestruction (and its destructor) call this.
  static void ControlFreed(const TControl* Control) noexcept;

 private:
  const TControl* FControl;
  bool FFreed = false;
  TFreeWatch* FOuter;
};

class TControl : public TComponent {
  VGT_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  // Watches of the control report it freed; then the component's step.
  void BeforeDestruction() override;

  // ---- Messages ----
  // The window method every message of the control goes through.
  const TWndMethod& WindowProc() const { return FWindowProc; }
  void SetWindowProc(const TWndMethod& Value) { FWindowProc = Value; }
  // The control's own message handling (what WindowProc is at creation).
  TWndMethod OwnWndProc() { return TWndMethod::Of<TControl, &TControl::WndProc>(this); }
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void WndProc(TMessage& Message);
  // Calls the handler of Message.Msg; messages without one go to DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- Parent and position ----
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const RECT& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }
  virtual RECT ClientRect();
  int ClientWidth() { RECT r = ClientRect(); return r.right - r.left; }
  int ClientHeight() { RECT r = ClientRect(); return r.bottom - r.top; }
  virtual void SetClientSize(int W, int H);
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  // Origin of the client area in screen co-ordinates.
  virtual POINT ClientOrigin();
  POINT ClientToScreen(POINT P);
  POINT ScreenToClient(POINT P);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value) { FAnchors = Value; }
  void BringToFront();
  void SendToBack();

  // ---- Text (8-bit, in the ANSI code page) ----
  // Read and written through WM_GETTEXT / WM_SETTEXT, so a window holds the text while it exists.
  AnsiString Caption() { return GetText(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  AnsiString Text() { return GetText(); }
  void SetTextProp(const AnsiString& Value) { SetText(Value); }
  int GetTextLen();
  AnsiString GetText();
  // Sets the text; a change sends CM_TEXTCHANGED.
  void SetText(const AnsiString& Value);

  const AnsiString& Hint() const { return FHint; }
  virtual void SetHint(const AnsiString& Value) { FHint = Value; }
  // The hint field itself, for code that must not run the setter.
  AnsiString& HintField() { return FHint; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  // ---- State ----
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show();
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  // Visible on the screen: visible itself and all its parents showing.
  virtual bool Showing() const;
  uint32_t ControlStyle() const { return FControlStyle; }
  void SetControlStyle(uint32_t Value) { FControlStyle = Value; }
  uint32_t ControlState() const { return FControlState; }
  void SetControlState(uint32_t Value) { FControlState = Value; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TSizeConstraints* Constraints() const { return FConstraints.get(); }
  // Rescales position, size and (unless it is the parent's) font by M / D.
  void ScaleBy(int M, int D);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool UseRightToLeftReading() const { return FBiDiMode != TBiDiMode::bdLeftToRight; }
  // DrawText flags for this control's reading order.
  UINT DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

  // ---- Drawing ----
  virtual void Invalidate();
  void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- Actions ----
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink; }
  // The link class made for this control's action; the Unicode layer chooses its own.
  virtual TControlActionLinkClass GetActionLinkClass();
  // The action's properties have changed (CheckDefaults: only where the control keeps defaults).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // Runs the action's update (at idle). The owning form's idle update calls it only for controls
  // with an action link: an override must not do work of its own without one.
  virtual void InitiateAction();

  // ---- Events ----
  virtual void Click();
  virtual void DblClick();
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // For the reader: where a component read inside this one belongs.
  virtual void SetParentComponent(TComponent* Value);
  void Loaded() override;

 protected:
  // A changed property value is told to the control by its notification message.
  template <class T>
  void ChangeAndNotify(T& Field, const T& Value, UINT Msg) {
    if (ChangeField(Field, Value)) Perform(Msg, 0, 0);
  }
  // Turning on a "take it from the parent" flag takes the parent's value at once.
  void SetParentFlag(bool& Flag, bool Value, UINT Msg);
  // The parent's value replaces the control's own while Flag is on.
  template <class T>
  void TakeFromParent(bool& Flag, T& Field, const T& ParentValue, UINT ChangedMsg) {
    if (!Flag || !FParent) return;
    ChangeAndNotify(Field, ParentValue, ChangedMsg);
    Flag = true;
  }
  // Handlers by message number, for classes that extend Dispatch.
  void WMMouse(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMHintShow(TMessage& Message);

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void FontChanged();
  // The scaling step of ScaleBy; windowed controls scale their children too.
  virtual void ChangeScale(int M, int D);
  // The bounds changed (also when the window moved it); requests alignment of the parent.
  void RequestAlign();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Text as the window or the field holds it, without the change message.
  AnsiString& TextField() { return FText; }

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  AnsiString FText;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FParentFont = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;
  TAlign FAlign = TAlign::alNone;
  TAnchors FAnchors{TAnchorKind::akLeft, TAnchorKind::akTop};
  uint32_t FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  uint32_t FControlState = 0;
  TControlActionLink* FActionLink = nullptr;

 private:
  friend class TWinControl;
  void DoActionChange(TObject* Sender);
  TWndMethod FWindowProc;
};

class TWinControl : public TControl {
  VGT_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  // Destroys the window (and the children's) while the control is whole.
  void BeforeDestruction() override;

  // ---- The window ----
  // The window, created on first use (with the parent's window first).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // The handle field itself: the window creation procedure of the Unicode layer sets it as soon
  // as the window exists.
  HWND WindowHandle() const { return FHandle; }
  void SetWindowHandle(HWND Value) { FHandle = Value; }
  // The default procedure: what handles messages the control leaves unhandled.
  WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
  // Every message from the platform enters here; exceptions stop here.
  void MainWndProc(TMessage& Message);
  // Destroys the window (keeping its text) and makes a new one if the control is showing.
  void RecreateWnd();
  // Owner window of a top-level control without a parent control.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // ---- Children ----
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }
  bool ContainsControl(TControl* Control) const;
  // The visible child at P (client co-ordinates), the last in z-order first.
  TControl* ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls = false);
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // Sends Message to every child until one sets a result.
  void Broadcast(TMessage& Message);

  // ---- Alignment ----
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel > 0; }
  void Realign();
  // The area children are aligned in (client rect less borders).
  virtual void AdjustClientRect(RECT& Rect);

  // ---- Focus and tab order ----
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  virtual bool CanFocus();
  bool Focused() const;
  virtual void SetFocus();
  // Children in tab order, recursively.
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  void SelectFirst();

  // Sunken three-dimensional look (edits get a client edge instead of a flat border).
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
  void SetParentBackground(bool Value);
  TBrush* Brush() const { return FBrush.get(); }

  bool Showing() const override { return FShowing; }
  TControlActionLinkClass GetActionLinkClass() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  RECT ClientRect() override;
  POINT ClientOrigin() override;
  void SetClientSize(int W, int H) override;
  void Invalidate() override;
  void Repaint() override;
  void PaintTo(HDC DC, int X, int Y);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  // ---- Window creation slots ----
  virtual void CreateParams(TCreateParams& Params);
  // Takes the class record of a platform window class (for controls that are one).
  void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void CreateHandle();
  void DestroyHandle();
  // DestroyHandle for paths that must not throw: a failure is reported and the window cut loose.
  void DestroyHandleQuietly() noexcept;

  virtual void AlignControls(TControl* AControl, RECT& Rect);
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& Message);
  void PaintControls(HDC DC, TControl* First);
  void UpdateShowing();
  void UpdateControlState();
  virtual void SetZOrderOf(TControl* Control, bool TopMost);

  // ---- Keyboard ----
  virtual bool DoKeyDown(WORD& Key, TShiftState Shift);
  virtual bool DoKeyPress(char& Key);
  virtual bool DoKeyUp(WORD& Key, TShiftState Shift);
  // The control's own key steps (after a previewing form): each fires its event.
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  void ChangeScale(int M, int D) override;
  // A form with key preview takes keys first (TCustomForm).
  virtual bool PreviewKeyDown(WORD& /*Key*/, TShiftState) { return false; }
  virtual bool PreviewKeyPress(char& /*Key*/) { return false; }
  virtual bool PreviewKeyUp(WORD& /*Key*/, TShiftState) { return false; }
  // Whether a dialog key (tab, arrows, Enter, Esc) goes to the control itself.
  virtual bool WantsKey(WORD Key);
  virtual void DoEnter();
  virtual void DoExit();
  // The top-level control is told which control has the focus (TCustomForm tracks it).
  virtual void SetFocusedControl(TWinControl* /*Control*/) {}

  // Handlers.
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMNotify(TMessage& Message);
  void WMCtlColor(TMessage& Message);
  // Answers a control-colour message (its WParam the device context) with the control's font
  // colour, colour and brush.
  void ColorControlDC(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMSysChar(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CNSysChar(TMessage& Message);

  void FontChanged() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Sets the window bounds from the fields.
  void UpdateBounds();

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  HWND FParentWindow = nullptr;
  TLiveList<TControl> FControls;         // children in z-order, bottom first
  std::vector<TWinControl*> FTabList;    // windowed children in tab order
  int FAlignLevel = 0;
  int FAlignedChildren = 0;              // children whose Align is not alNone
  bool FTabStop = false;
  bool FShowing = false;
  std::unique_ptr<TBrush> FBrush;

 private:
  friend class TControl;
  friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);
  friend void BindControlWindow(HWND, TWinControl*);
  friend void UnbindControlWindow(HWND, TWinControl*);
  void AlignControl(TControl* AControl);
  HWND FBoundWnd = nullptr;  // the window that leads to this control (FindControl)
  void AnchorChildren(int NewWidth, int NewHeight);
  int FAnchorWidth = -1, FAnchorHeight = -1;
  int FPendingTabOrder = -1;  // set while loading, applied by the parent's Loaded
  bool FPlatformClass = false;  // the window is of a platform class (EDIT, BUTTON, ...)
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  void ApplyPendingTabOrders();
  void DetachWindow() noexcept;
  void SetShowing(bool Value);
};

// A windowless control: its parent paints it (Paint on its Canvas) and routes mouse input to it.
class TControlCanvas;
class TGraphicControl : public TControl {
  VGT_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  std::unique_ptr<TControlCanvas> FCanvas;
};

// A window that paints itself through Paint on its Canvas.
class TCustomControl : public TWinControl {
  VGT_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const;

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  std::unique_ptr<TControlCanvas> FCanvas;
};

// A canvas on a control: on a window its device context, on a graphic control the parent's with
// the origin and clip moved to the control.
class TControlCanvas : public TCanvas {
  VGT_CLASS(TControlCanvas, TCanvas)
 public:
  explicit TControlCanvas(TControl* AControl) : FControl(AControl) {}
  ~TControlCanvas() override { FreeHandle(); }
  TControl* Control() const { return FControl; }
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl;
  std::unique_ptr<TWindowDC> FDeviceContext;
};

// ---- The window procedure and its globals ----

// The control whose window is being created on this thread (set by CreateWnd for the first
// messages of the new window; the first window procedure takes it).
extern TWinControl* CreationControl;
// The atoms of the library in this process: the control atom names "ControlOfs%.8X%.8X" (module
// instance, thread id); the window atom is built from the process id. They live from the first
// window to the end of the program.
extern ATOM ControlAtom;
extern ATOM WindowAtom;
// The first procedure of every library window: binds the window to CreationControl.
LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The window procedure of every library window: finds the control the window is bound to.
LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The control of a window of this process, or nullptr.
TWinControl* FindControl(HWND Wnd);
// Leads from windows of this process to objects of ours, for window procedures that would
// otherwise read a window property on every message (each read is a trip to the window server).
// Any thread may use it. Make instances that are never freed: windows may still be looked up
// while the program's statics are destroyed.
class TWindowLinks {
 public:
  TWindowLinks() = default;
  TWindowLinks(const TWindowLinks&) = delete;
  TWindowLinks& operator=(const TWindowLinks&) = delete;
  void Set(HWND Wnd, void* Object);
  // Forgets Wnd's link when it leads to Object.
  void Remove(HWND Wnd, const void* Object);
  void* Find(HWND Wnd) const;

 private:
  mutable TCriticalSection FLock;
  std::unordered_map<HWND, void*> FLinks;
};

// Binds a new window to its control in the table of this process that FindControl reads (a window
// property would cost a trip to the window server for every message).
void BindControlWindow(HWND Wnd, TWinControl* Control);
// Undoes BindControlWindow (Wnd may be gone already; nullptr: the window the control was bound to).
void UnbindControlWindow(HWND Wnd, TWinControl* Control);
// The innermost control (windowed or graphic) at a screen point.
TControl* FindDragTarget(POINT Pos, bool AllowDisabled);
// The top-level parent control of Control (itself when it has no parent).
TWinControl* TopLevelParent(TControl* Control);

// A hidden window whose messages go to Method (timers, the hint engine); exceptions stop there.
HWND AllocateHWnd(const TWndMethod& Method);
void DeallocateHWnd(HWND Wnd);

// The parts of a hint "short|long": before and after the first "|" (the whole text when none).
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);
// The first non-empty hint of Control and its parents.
AnsiString GetHint(TControl* Control);

// True when the caption's accelerator ("&x"; "&&" is a literal ampersand, the last "&x" counts)
// is the character CharCode, compared without regard to case.
bool IsAccel(WORD CharCode, const AnsiString& Caption);

// Registers the atoms; called by Application->Initialize (idempotent).
void InitControls();
void DoneControls();

// Where window procedures, hooks and timer callbacks hand the exceptions they catch. The
// application object installs its HandleException; until then the message goes to the debugger.
extern void (*ApplicationHandleException)(TObject* Sender);
// Calls ApplicationHandleException for the exception being handled; never throws.
void HandleCurrentException(TObject* Sender) noexcept;
// The screen cursor set by the application (crDefault: none), for WM_SETCURSOR.
extern TCursor ScreenCursor;
// The control that captured the mouse (graphic controls capture through their parent).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
