// Wide control text and Unicode windows: where a control's wide caption and hint live, how a
// control gets a Unicode window that the class library keeps driving through its 8-bit paths, how
// text and character messages are adapted between the two, wide hints and accelerators.
#pragma once

#include <windows.h>

#include <functional>

#include "classlib/System.h"
#include "unicode/UtxWideMessages.h"
#include "unicode/UtxWindows.h"

// ---- Messages ----

// Every message with text, the window text messages and the controls' own, is in the table of
// UtxWideMessages.

// A typed character above $FF travels through the class library's 8-bit paths as WM_CHAR with
// $FF in the character word and the real character in the word beside it. These work on the
// wParam of a WM_CHAR message.
void MakeCharParam8BitSafe(WPARAM& WParam);  // towards the class library
void RestoreCharParam(WPARAM& WParam);       // towards the platform
wchar_t WideCharOfCharParam(WPARAM WParam);
void PutWideCharInCharParam(WPARAM& WParam, wchar_t Ch);

// ---- Held wide texts ----

// Sets an 8-bit property through the class library's own setter, so its change processing runs.
using TAnsiTextSetter = std::function<void(const AnsiString&)>;

// The held-text rule: Held counts only while its 8-bit form equals Current; otherwise somebody
// set the 8-bit property directly and Held becomes Current widened. Returns Held.
WideString SyncHeldWideText(WideString& Held, const AnsiString& Current);
// The store rule: nothing when V is already the wide value; when V does not survive 8 bits and
// its 8-bit form is already the 8-bit value, the setter first gets an empty text so that the
// class library sees a change; then Held := V and the setter gets V narrowed.
void StoreHeldWideText(const WideString& V, WideString& Held, const AnsiString& Current,
                       const TAnsiTextSetter& Setter);

// ---- Hints and accelerators ----

// The parts before and after the first "|"; the whole text when there is none.
WideString WideShortHint(const WideString& Hint);
WideString WideLongHint(const WideString& Hint);

// True when the caption's accelerator ("&" before a character; "&&" is a literal ampersand; the
// last one wins) is the character Ch, without regard to case. Codes up to $FF are keyboard
// characters and are widened in the keyboard layout's code page first.
bool IsWideAccelChar(WORD Ch, const WideString& Caption);

// ---- Unicode window classes ----

// The class library's window class name (a NUL-terminated field of at most 64 characters)
// followed by ".UnicodeClass".
WideString UnicodeWindowClassName(const char* WinClassName);

#include "classlib/Controls.h"
#include "classlib/Forms.h"

// The character of a WM_CHAR message that went through the class library (see above), and the
// reverse: the message carries Ch, made 8-bit safe.
wchar_t WideCharOfCharMessage(const TMessage& Message);
void PutWideCharInCharMessage(TMessage& Message, wchar_t Ch);

// ---- Wide control text ----
//
// A control's wide caption lives in its Unicode window while it has one, else in its holder; the
// class library's 8-bit property always carries the text too, converted. The wide hint lives in
// the holder beside the 8-bit hint. A held text counts only while its 8-bit form is still the
// 8-bit property (SyncHeldWideText).

// The wide caption and hint of a control that has no Unicode window to keep them. Holders stay
// sorted by their control's address in one list, at most one per control; a holder goes with its
// control.
class TWideCaptionHolder : public TComponent {
  VGT_CLASS(TWideCaptionHolder, TComponent)
 public:
  explicit TWideCaptionHolder(TControl* AControl);
  ~TWideCaptionHolder() override;

  TControl* Control() const { return FControl; }
  WideString Caption;
  WideString Hint;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TControl* FControl;
  uintptr_t FKey;
};

WideString GetWideControlText(TControl* Control);
void SetWideControlText(TControl* Control, const WideString& Value);
// The stored test of every wide Caption/Text property: false while the action link supplies it.
bool IsWideCaptionStored(TControl* Control);
WideString GetWideHint(TControl* Control);
void SetWideHint(TControl* Control, const WideString& Value);
bool IsWideHintStored(TControl* Control);
// The first non-empty wide hint of the control and its parents.
WideString WideHintFromParents(TControl* Control);

TWideCaptionHolder* WideCaptionHolderOf(TControl* Control, bool Create);
// The holder's caption (no comparison with the 8-bit text) or Fallback when there is no holder.
WideString HeldWideCaptionOr(TControl* Control, const WideString& Fallback);
// The holder keeps Value, then the 8-bit text is set to its converted form.
void SetHeldWideCaption(TControl* Control, const WideString& Value);

// ---- Unicode windows ----

// Creates the control's window as a Unicode window of the class "<WinClassName>.UnicodeClass",
// subclassing the platform class SubClass when one is named ("EDIT", "BUTTON", ...). Off the
// Unicode platform the window is an 8-bit window made as the class library makes it. SubClass
// also names the family whose text messages the trap converts (WindowFamilyOfClass).
void CreateWideWindowHandle(TWinControl* Control, const TCreateParams& Params,
                            const WideString& SubClass);
WideString RegisterUnicodeWindowClass(const TCreateParams& Params);
// Puts the control's trap between its fresh Unicode window and the class library, then gives the
// window the held wide caption (or CreationCaption widened). Family tells the trap which control
// messages of the window carry text.
void SubClassUnicodeControl(TWinControl* Control, const AnsiString& CreationCaption,
                            TUtxWindowFamily Family = TUtxWindowFamily::wfOther);
// The answer to WM_NOTIFYFORMAT for the asking window: NFR_UNICODE or NFR_ANSI.
LRESULT UnicodeNotifyFormat(HWND Window);

// Sits between a Unicode window and its control. The platform side hands every platform message
// on to the control's main window procedure; the window method sends every message with text
// that the library sends itself (the table of UtxWideMessages) to the window in its wide form and
// turns the reply back, and makes WM_CHAR 8-bit safe; the default procedure restores WM_CHAR and
// answers WM_NOTIFYFORMAT. A trap survives the re-creation of its control's window and goes with
// the control. Only what the library sends through the control (Perform) passes the trap; a
// direct SendMessageA to the handle is converted by the platform, in the platform's code page.
class TWinControlTrap : public TComponent {
  VGT_CLASS(TWinControlTrap, TComponent)
 public:
  explicit TWinControlTrap(TWinControl* AControl);
  ~TWinControlTrap() override;

  TWinControl* Control() const { return FControl; }
  HWND Handle() const { return FHandle; }
  TUtxWindowFamily Family() const { return FFamily; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend void SubClassUnicodeControl(TWinControl*, const AnsiString&, TUtxWindowFamily);
  friend LRESULT CALLBACK TrapPlatformProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK TrapDefaultProc(HWND, UINT, WPARAM, LPARAM);

  TWndMethod OwnMethod() { return TWndMethod::Of<TWinControlTrap, &TWinControlTrap::WindowMethod>(this); }
  void WindowMethod(TMessage& Message);
  LRESULT PlatformProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  bool InWindowMethodChain();
  void Attach(HWND Wnd, TUtxWindowFamily AFamily);
  void Detach();

  TWinControl* FControl;
  HWND FHandle = nullptr;
  TUtxWindowFamily FFamily = TUtxWindowFamily::wfOther;
  WNDPROC FPrevWndProc = nullptr;
  WNDPROC FPrevDefProc = nullptr;
  TWndMethod FPrevWindowMethod;
  UINT FLastPlatformMessage = 0;
  int FNesting = 0;
  bool FDestroyPending = false;
  bool FProbeActive = false;
  bool FProbeSeen = false;
};

// ---- Hints ----

// The hint-show handling of every Unicode control (CM_HINTSHOW, LParam a THintInfo): the hint
// window becomes the Unicode one and the record carries the control's wide hint.
void PrepareWideHintShow(TMessage& Message);

// Shows wide hints: its caption is the wide hint of the record it was activated with.
class TUtxHintWindow : public THintWindow {
  VGT_CLASS(TUtxHintWindow, THintWindow)
 public:
  explicit TUtxHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

  WideString Caption() { return GetWideControlText(this); }
  void SetCaption(const WideString& Value) { SetWideControlText(this, Value); }

  void ActivateHint(RECT Rect, const AnsiString& AHint) override;
  void ActivateHintData(RECT Rect, const AnsiString& AHint, void* AData) override;
  RECT CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;

 private:
  bool FActivating = false;
  bool FWideDataActivating = false;
};

// True when the hint record carries a wide hint: its data points at itself and its window class
// is the Unicode one.
bool IsWideHintData(const void* Data);
// The wide hint of a record: the control's wide short hint while it still converts to the
// record's 8-bit text, else that text widened.
WideString WideHintFromHintData(const THintInfo* Info);

// ---- Wide list controls ----

// Offered by the Unicode list controls, which keep their items as wide texts.
struct IWideListControl {
  static constexpr GUID IID = {0xC1801F41, 0x51E9, 0x4DB5, {0x8D, 0xB8, 0x58, 0xAC, 0x86, 0x69, 0x8C, 0x2E}};
  virtual void AddWideItem(const WideString& Item, TObject* AObject) = 0;

 protected:
  virtual ~IWideListControl() = default;
};

// Adds Item to any list control: whole through IWideListControl when the control offers it, else
// through the control's own 8-bit AddItem, converted.
template <class TListControl>
void WideListControlAddItem(TListControl* ListControl, const WideString& Item, TObject* AObject) {
  if (auto* wide = dynamic_cast<IWideListControl*>(ListControl))
    wide->AddWideItem(Item, AObject);
  else
    ListControl->AddItem(NarrowText(Item), AObject);
}

// ---- Start and stop ----

// The layer's control globals: the first start and the last stop act. After the last stop the
// traps pass no message on, so late messages during shutdown reach no freed object.
void UtxControlsStart();
void UtxControlsStop();
