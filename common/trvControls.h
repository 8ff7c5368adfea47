// The base of the library's and the zone dialog's windows, the screen-cursor stack, and the
// work-area helpers they centre with.
#pragma once

#include <windows.h>

#include <memory>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "unicode/UtxForms.h"

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
  // when a font is given; a scale of zero or less leaves the size. ButtonHeight is for tool bars,
  // which the class library does not have yet.
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

 private:
  bool FDesignFontApplied = false;
  bool FCreatedThroughCreate = false;
};

// A form built in code: whichever way it is made, no form description is read.
class TtrvNoResourceForm : public TtrvForm {
  VGT_CLASS(TtrvNoResourceForm, TtrvForm)
 public:
  using TtrvForm::TtrvForm;

 protected:
  friend class TCustomForm;
  void InitInstance() override {}
};

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
