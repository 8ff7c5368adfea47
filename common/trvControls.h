// The base of the library's and the zone dialog's windows, the screen-cursor stack, and the
// work-area helpers they centre with.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "unicode/UtxActnList.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxStdCtrls.h"

// The library's design-font defaults: no font, no scaling, the platform's tool-bar button height.
// Nothing changes them, so ApplyDefaultDesignFont leaves every form as it was designed.
inline constexpr const LOGFONTW* DefaultDesignLogFont = nullptr;
inline constexpr int DefaultDesignFontD = 1;
inline constexpr int DefaultDesignFontM = 1;
inline constexpr int DefaultToolButtonHeight = 21;

// A Unicode form that never holds up a log-off, runs its create event exactly once after the whole
// construction (whatever OldCreateOrder says), scales its client size and size constraints with
// the rest of it, centres itself over any window and can be rescaled to a font once.
//
// Made as the class library makes forms: TCustomForm::Create<F> reads F's form descriptions (and
// sets KeyPreview), TCustomForm::CreateNew<F> makes an empty form.
class TtrvForm : public TUtxForm {
  VGT_CLASS(TtrvForm, TUtxForm)
 public:
  explicit TtrvForm(TComponent* AOwner) : TUtxForm(AOwner) {}

  // Centres the form over Wnd's window rectangle (Wnd may belong to another process); with no Wnd
  // (0), or with a handle that is not, or no longer, a window, over the primary monitor's work
  // area. The form then is moved, size kept, into the work area of the monitor nearest to it.
  virtual void CenterOnWindow(HWND Wnd);

  // Rescales the form by M / D and gives it the font of LogFont: once in the form's life, and only
  // when a font is given; a scale of zero or less leaves the sizes. Tool bars that size themselves
  // get buttons ButtonHeight high (widths in proportion), and control bars rows that hold their
  // tool bars.
  virtual void ApplyDesignFont(const LOGFONTW* LogFont, int D, int M, int ButtonHeight);
  // ApplyDesignFont with the library's defaults (which change nothing).
  virtual void ApplyDefaultDesignFont();
  bool DesignFontApplied() const { return FDesignFontApplied; }

  void Dispatch(TMessage& Message) override;

 protected:
  // The class library's construction templates run the second phase.
  friend class TCustomForm;
  void InitInstance() override;
  void AfterConstruction() override;
  void DoCreate() override;
  void Loaded() override;
  void ChangeScale(int M, int D) override;
  // Ctrl+PageUp and Ctrl+PageDown turn the pages of the page control that holds the focus.
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  // The design font's steps for the controls inside Parent, walked in child order.
  void AdjustControlsToFont(TWinControl* Parent, int D, int M, int ButtonHeight);
  static void ResizeToolBarButtons(TToolBar* Bar, int D, int M, int ButtonHeight);
  static void AdjustControlBarRowSize(TCustomControlBar* Bar);
  bool FDesignFontApplied = false;
  bool FCreatedThroughCreate = false;
};

// The component Name of Root as a T, as Root's form or page description made it. A damaged
// description (the component missing or of another class) raises EComponentError.
TComponent* FindDesignedComponent(TComponent* Root, const wchar_t* Name, TClass Class);
template <class T>
T* FindDesigned(TComponent* Root, const wchar_t* Name) {
  return static_cast<T*>(FindDesignedComponent(Root, Name, T::StaticClass()));
}

// A form built in code: whichever way it is made, no form description is read.
class TtrvNoResourceForm : public TtrvForm {
  VGT_CLASS(TtrvNoResourceForm, TtrvForm)
 public:
  using TtrvForm::TtrvForm;

 protected:
  friend class TCustomForm;
  void InitInstance() override {}
};

// A box opened from another window (the About and Options boxes): it stands over the window of
// the control that owns it, so it stays above that window and goes with it.
class TtrvOwnedForm : public TtrvForm {
  VGT_CLASS(TtrvOwnedForm, TtrvForm)
 public:
  using TtrvForm::TtrvForm;

 protected:
  void CreateParams(TCreateParams& Params) override;
};

// The page control that Control is or stands in (on one of its pages, at any depth); none for none.
TPageControl* FindParentPageControl(TControl* Control);

// R moved, size kept, into the work area of the monitor nearest to it. A rectangle larger than
// the work area ends at its top-left corner.
RECT FitRectIntoWorkArea(const RECT& R);
// The primary monitor; the first one when none says it is primary.
TMonitor* GetPrimaryMonitor();

// ---- The screen-cursor stack ----
//
// Pushes save the screen cursor and show another; a pop gives the saved one back, except that
// the last pop leaves the cursor for 50 ms and then shows crDefault, so that a pop quickly
// followed by a push does not flicker. A push within those 50 ms cancels the change.
void PushHourGlassCursor();
void PushDefaultCursor();
// An empty stack is left alone.
void PopCursor();
// Entries now on the stack.
int CursorStackDepth();

// A push for the life of the object.
class TPushedCursor {
 public:
  enum class TKind { HourGlass, Default };
  explicit TPushedCursor(TKind Kind);
  ~TPushedCursor();
  TPushedCursor(const TPushedCursor&) = delete;
  TPushedCursor& operator=(const TPushedCursor&) = delete;
};

// Shows crDefault once its 50 ms timer has ticked after Start; Stop cancels. The tick arrives
// through the thread's message loop. This is the system's only timer.
class TCursorDelay {
 public:
  static constexpr unsigned DelayMilliseconds = 50;
  TCursorDelay();
  ~TCursorDelay();
  TCursorDelay(const TCursorDelay&) = delete;
  TCursorDelay& operator=(const TCursorDelay&) = delete;
  void Start();
  void Stop();
  bool Running() const;

 private:
  void Tick(TObject* Sender);
  std::unique_ptr<TTimer> FTimer;
};

// ======================= The library's controls =======================

// A panel that paints its wide caption itself on one line, centred vertically; made without
// bevels and with the parent's background. Its description may give it an edge in its frame
// (BevelKind).
class TtrvPanel : public TUtxPanel {
  VGT_CLASS(TtrvPanel, TUtxPanel)
 public:
  explicit TtrvPanel(TComponent* AOwner);

 protected:
  // The device context's state is kept whatever the painting does.
  void Paint() override;
};

// What a TtrvWindowsIcon shows: nothing, a system icon or an OEM bitmap, all the system's own.
enum class TtrvWindowsImageIndex : uint8_t {
  wiNothing,
  wicSample, wicHand, wicQues, wicBang, wicNote, wicWinlogo, wicWarning, wicError, wicInformation,
  wimClose, wimUpArrow, wimDnArrow, wimRgArrow, wimLfArrow, wimReduce, wimZoom, wimRestore, wimReduced,
  wimZoomd, wimRestored, wimUpArrowD, wimDnArrowD, wimRgArrowD, wimLfArrowD, wimMnArrowD, wimCombo,
  wimUpArrowI, wimDnArrowI, wimRgArrowI, wimLfArrowI,
  wimOldClose, wimSize, wimOldUpArrow, wimOldDnArrow, wimOldRgArrow, wimOldLfArrow, wimBtSize, wimCheck,
  wimCheckboxes, wimBtnCorners, wimOldReduce, wimOldZoom, wimOldRestore
};
VGT_ENUM(TtrvWindowsImageIndex, L"wiNothing", L"wicSample", L"wicHand", L"wicQues", L"wicBang", L"wicNote",
         L"wicWinlogo", L"wicWarning", L"wicError", L"wicInformation", L"wimClose", L"wimUpArrow",
         L"wimDnArrow", L"wimRgArrow", L"wimLfArrow", L"wimReduce", L"wimZoom", L"wimRestore", L"wimReduced",
         L"wimZoomd", L"wimRestored", L"wimUpArrowD", L"wimDnArrowD", L"wimRgArrowD", L"wimLfArrowD",
         L"wimMnArrowD", L"wimCombo", L"wimUpArrowI", L"wimDnArrowI", L"wimRgArrowI", L"wimLfArrowI",
         L"wimOldClose", L"wimSize", L"wimOldUpArrow", L"wimOldDnArrow", L"wimOldRgArrow", L"wimOldLfArrow",
         L"wimBtSize", L"wimCheck", L"wimCheckboxes", L"wimBtnCorners", L"wimOldReduce", L"wimOldZoom",
         L"wimOldRestore");

// An image of a system icon or OEM bitmap. The handles are the system's shared ones: the image
// gives them up without destroying them.
class TtrvWindowsIcon : public TImage {
  VGT_CLASS(TtrvWindowsIcon, TImage)
 public:
  explicit TtrvWindowsIcon(TComponent* AOwner);
  ~TtrvWindowsIcon() override;

  TtrvWindowsImageIndex WindowsImage() const { return FWindowsImage; }
  // A value the system cannot load leaves the picture empty.
  void SetWindowsImage(TtrvWindowsImageIndex Value);
  bool IsIcon() const { return FIsIcon; }

 private:
  // Gives up the shared handle; Clear also empties the picture.
  void ReleaseImage(bool Clear);
  TtrvWindowsImageIndex FWindowsImage = TtrvWindowsImageIndex::wiNothing;
  bool FIsIcon = false;
};

// How a URL label hands its address to the shell; the default opens it with the shell's "open".
// Tests put their own in place so that nothing is opened. Returns the one replaced.
using TShellOpenURL = std::function<void(const WideString& URL)>;
TShellOpenURL SetShellOpenURL(TShellOpenURL Open);

// A label that opens a web address when clicked: the hand cursor and an underline while the
// mouse is over it, the address opened through the shell.
class TtrvURLLabel : public TUtxLabel {
  VGT_CLASS(TtrvURLLabel, TUtxLabel)
 public:
  explicit TtrvURLLabel(TComponent* AOwner);

  WideString URLToLaunch() const { return FURLToLaunch; }
  void SetURLToLaunch(const WideString& Value);
  // The cursor over an enabled label with an address; the label's own cursor shows whichever of
  // the three fits its state.
  TCursor LinkCursor() const { return FLinkCursor; }
  void SetLinkCursor(TCursor Value);
  TCursor DisabledCursor() const { return FDisabledCursor; }
  void SetDisabledCursor(TCursor Value);
  TCursor EmptyCursor() const { return FEmptyCursor; }
  void SetEmptyCursor(TCursor Value);

  void Click() override;
  void Dispatch(TMessage& Message) override;

 private:
  WideString FURLToLaunch;
  TCursor FDisabledCursor = crDefault;
  TCursor FLinkCursor = crHandPoint;
  TCursor FEmptyCursor = crDefault;
};

enum class TtrvLinePosition : uint8_t { trvlpLeft, trvlpRight, trvlpTop, trvlpBottom };
VGT_ENUM(TtrvLinePosition, L"trvlpLeft", L"trvlpRight", L"trvlpTop", L"trvlpBottom");

// A one-pixel line in Color along one edge of the control.
class TtrvLine : public TGraphicControl {
  VGT_CLASS(TtrvLine, TGraphicControl)
 public:
  explicit TtrvLine(TComponent* AOwner);

  TtrvLinePosition LinePosition() const { return FLinePosition; }
  // A value beyond trvlpBottom raises "TtrvLine.SetLinePosition: Value is not valid" and keeps
  // the old position.
  void SetLinePosition(TtrvLinePosition Value);
  // The line's two points for a client area of Width x Height; the end point is not drawn.
  static void LinePoints(TtrvLinePosition Position, int Width, int Height, POINT& From, POINT& To);

 protected:
  void Paint() override;

 private:
  TtrvLinePosition FLinePosition = TtrvLinePosition::trvlpTop;
};

class TtrvToolButton;

// A tool bar whose buttons show wide captions: a caption the code page cannot hold reaches the
// window in wide form. Its own caption and hint are wide.
class TtrvToolBar : public TToolBar {
  VGT_CLASS(TtrvToolBar, TToolBar)
 public:
  using TToolBar::TToolBar;

  TWideCaption Caption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  WideString Hint() { return GetWideHint(this); }
  void SetHint(const WideString& Value) { SetWideHint(this, Value); }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  // Changes a button message of the class library so that the window gets the wide caption.
  void FilterWideCaption(TMessage& Message);
  // The caption last handed to the window in wide form, kept alive while the window uses it.
  WideString FWideCaption;
};

class TtrvToolButton : public TToolButton {
  VGT_CLASS(TtrvToolButton, TToolButton)
 public:
  using TToolButton::TToolButton;

  TWideCaption Caption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  WideString Hint() { return GetWideHint(this); }
  void SetHint(const WideString& Value) { SetWideHint(this, Value); }
  // A drop-down button whose whole face opens the menu (common controls 5.80 and later).
  bool WholeDropDown() const { return FWholeDropDown; }
  void SetWholeDropDown(bool Value);
  bool ShowText() const { return FShowText; }
  void SetShowText(bool Value);

  // The Unicode layer's tool-button link: the class library's (Down, image) and the wide texts.
  TControlActionLinkClass GetActionLinkClass() override { return GetUtxActionLinkClass(this); }
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  void RefreshButton();
  bool FWholeDropDown = false;
  bool FShowText = false;
};

// The application's title; on the Unicode platform the task-bar button shows it in wide form.
void SetApplicationTitle(const WideString& Title);
// Font's name := the dialog font's.
void SetDialogFont(TFont* Font);
// A bold Font whose face the platform draws no heavier in bold than in regular at Font's size
// (Wine draws its own Tahoma's bold with the regular glyphs) takes the first face that does draw
// its bold heavier; a face that does, or a font that is not bold, is left alone.
void UseFaceThatDrawsBold(TFont* Font);
// Whether the platform draws Face in bold heavier than in regular at Height (a font height).
bool FaceDrawsBold(const AnsiString& Face, int Height);
