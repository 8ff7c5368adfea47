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

namespace controls_detail {
void ActionClientChanged(TControl* Control, bool Linked);
}

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

class TScrollingWinControl;

// One scroll bar of a scrolling container, as its description sets it.
class TControlScrollBar : public TPersistent {
  VGT_CLASS(TControlScrollBar, TPersistent)
 public:
  TControlScrollBar(TScrollingWinControl* Control, int Kind) : FControl(Control), FKind(Kind) {}
  // SB_HORZ or SB_VERT.
  int Kind() const { return FKind; }
  // A hidden bar never shows, however far the children reach; they are not scrolled that way.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // The content follows the thumb while it is dragged, not only where it is let go.
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  // The step of an arrow click (a line).
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value > 0 ? Value : 1; }
  // How far the content is scrolled that way.
  int Position() const;
  void SetPosition(int Value);
  // Whether the bar shows now.
  bool IsScrollBarVisible() const;

 protected:
  TPersistent* GetOwner() const override;

 private:
  TScrollingWinControl* FControl;
  int FKind;
  bool FVisible = true;
  bool FTracking = false;
  int FIncrement = 8;
};

// A container that scrolls its children when they do not fit.
class TScrollingWinControl : public TWinControl {
  VGT_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
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

  friend class TControlScrollBar;
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
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
    std::unique_ptr<F> f(new F(AOwner));
    f->InitInstance();
    f->AfterConstruction();
    return f.release();
  }
  // A form of class F without reading any description.
  template <class F>
  static F* CreateNew(TComponent* AOwner) {
    std::unique_ptr<F> f(new F(AOwner));
    f->AfterConstruction();
    return f.release();
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

  // Updates the actions of the controls this form owns that have an action link (the application
  // calls it at idle).
  virtual void UpdateActions();
  // Lets the active control, the form and then every control try to execute/update Action, when
  // Action acts on targets (HasTargets).
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

 private:
  friend void controls_detail::ActionClientChanged(TControl* Control, bool Linked);
  // The owned controls with an action link, in the order they got it: what the idle update
  // visits. A form of many rows owns thousands of controls and only a few have a link; the update
  // runs after every burst of messages, so a walk over all of them would cost each burst as much
  // as the rows.
  TLiveList<TControl> FActionClients;
};

class TForm : public TCustomForm {
  VGT_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// The form of Control (the top-level form it sits on), or nullptr.
TCustomForm* GetParentForm(TControl* Control);

// The other parts of the unit, each with its own file.
#include "classlib/FormsApplication.h"
#include "classlib/FormsHintWindow.h"
#include "classlib/FormsScreen.h"
