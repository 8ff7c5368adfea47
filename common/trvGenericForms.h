// The library's message box, the generic form it is built on, and its text routines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/SysUtils.h"
#include "classlib/System.h"
#include "common/trvControls.h"
#include "common/trvDesignFontInfo.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxStdCtrls.h"

// The width a text takes when it is word-wrapped at most MaxWidth wide (wider only where a run of
// text cannot be wrapped).
using TWrappedTextWidth = std::function<int(const WideString& Text)>;

// Text with a line break (CR LF) put in front of every character at which a run without a place
// to wrap would grow wider than MaxWidth, so that each line fits. Nothing of Text is lost: taking
// the inserted CR LFs out gives Text again. A surrogate pair is never split; a lone surrogate
// counts as a character of its own. A character wider than MaxWidth by itself gets a line of its
// own.
WideString BreakLongText(const WideString& Text, int MaxWidth, const TWrappedTextWidth& WrappedWidth);

// Text with every two-character sequence "\n" (backslash, n) made a line break (CR LF).
WideString ExpandEscapedLineBreaks(const WideString& Text);

// ======================= The generic form and the message box =======================

// A message box's button set: bit k (0 to 8) asks for the button of kind k (TtrvMessageButton),
// bit 9 gives the focus to the second button, bit 10 to the third; the other bits are ignored.
using TtrvMessageButtons = uint16_t;
inline constexpr TtrvMessageButtons ButtonsOK = 0x0001;
inline constexpr TtrvMessageButtons ButtonsYesNo = 0x0042;
inline constexpr TtrvMessageButtons ButtonsOKDetails = 0x0101;
inline constexpr TtrvMessageButtons ButtonsFocusSecond = 0x0200;
inline constexpr TtrvMessageButtons ButtonsFocusThird = 0x0400;

// Modal results of the two buttons the platform has none for.
inline constexpr TModalResult mrSaveLater = 0x10002;
inline constexpr TModalResult mrCreateNew = 0x10001;

// A message type (0 to 255) chooses the sound and the icon: 1 and 8 warning, 2 and 3
// information, 4 question (no sound), 5 and 6 error, 7 stop; any other none. The system uses 4
// for questions and 6 for errors.
using TtrvMessageType = uint8_t;
inline constexpr TtrvMessageType MessageTypeQuestion = 4;
inline constexpr TtrvMessageType MessageTypeError = 6;

// The icon a message type shows (wiNothing: no icon column) and its system sound alias (null:
// none).
TtrvWindowsImageIndex MessageTypeIcon(TtrvMessageType MsgType);
const wchar_t* MessageTypeSound(TtrvMessageType MsgType);
// Plays the type's system sound asynchronously; nothing for a type without one.
void PlayMessageSound(TtrvMessageType MsgType);

// A form built in code that may be parented to any window (also one of another process) and
// shows the arrow cursor for as long as it lives once shown.
class TfrmGeneric : public TtrvNoResourceForm {
  VGT_CLASS(TfrmGeneric, TtrvNoResourceForm)
 public:
  TfrmGeneric(TComponent* AOwner, HWND OwnerWnd) : TtrvNoResourceForm(AOwner), FOwnerWnd(OwnerWnd) {}
  ~TfrmGeneric() override;

  // Makes a form of class F (constructor and second phase).
  template <class F>
  static F* Make(TComponent* AOwner, HWND OwnerWnd) {
    std::unique_ptr<F> f(new F(AOwner, OwnerWnd));
    static_cast<TfrmGeneric*>(f.get())->AfterConstruction();
    return f.release();
  }

  HWND OwnerWnd() const { return FOwnerWnd; }
  // Rescales the form once to LogFont; nothing without a font.
  void ScaleToFont(const LOGFONTW* LogFont);
  TtrvDesignFontInfo* DesignFontInfo() const { return FDesignFontInfo; }

 protected:
  friend class TCustomForm;
  void AfterConstruction() override;
  void CreateParams(TCreateParams& Params) override;
  void DoShow() override;

  std::vector<TUtxButton*> FButtons;

 private:
  TtrvDesignFontInfo* FDesignFontInfo = nullptr;
  bool FShown = false;
  HWND FOwnerWnd;
};

// The library's message box: an icon by the message type, the word-wrapped message (a run too
// long to wrap broken by force), a row of translated buttons and a details pane the Details
// button opens and closes.
class TfrmMessageBox : public TfrmGeneric {
  VGT_CLASS(TfrmMessageBox, TfrmGeneric)
 public:
  using TfrmGeneric::TfrmGeneric;

  // The buttons of the set, in kind order, left to right; the focus as the set asks.
  void SetButtons(TtrvMessageButtons Buttons);
  // Sizes the box to its text and buttons, inside the work area.
  void UpdateLayout();
  // The widest the text may be: a label of this width gives a box 640 pixels wide.
  int MaxTextWidth();
  // The label's text with a line break in front of each character at which a run without a
  // place to wrap grows wider than MaxTextWidth.
  void BreakLongText();
  void SetMessageType(TtrvMessageType MsgType);
  // The message; a text too tall for the work area scrolls.
  void SetText(const WideString& Text);
  void SetDetails(const WideString& Details) { FDetails = Details; }
  // Opens or closes the details pane under the buttons.
  void ToggleDetails();

  TUtxLabel* TextLabel() const { return FTextLabel; }
  TUtxScrollBox* TextBox() const { return FTextBox; }
  TtrvWindowsIcon* Icon() const { return FIcon; }
  TtrvPanel* IconColumn() const { return FIconColumn; }
  TtrvPanel* ButtonRow() const { return FButtonRow; }
  TtrvPanel* DetailsPanel() const { return FDetailsPanel; }
  TUtxMemo* DetailsMemo() const { return FDetailsMemo; }
  const std::vector<TUtxButton*>& Buttons() const { return FButtons; }
  // The button whose kind Esc presses; null when Esc does nothing.
  TUtxButton* EscapeButton() const { return FEscapeButton; }

  void CenterOnWindow(HWND Wnd) override { TfrmGeneric::CenterOnWindow(Wnd); }

 protected:
  friend class TCustomForm;
  void AfterConstruction() override;

 private:
  TUtxButton* AddButton(int Kind, bool Escape);
  // Width the label takes for Text when at most Limit wide (wider for a run it cannot wrap).
  int WrappedLabelWidth(const WideString& Text, int Limit);
  // The message in the label, broken where a run would be wider than Limit.
  void LayOutText(int Limit);
  int ButtonRowWidth() const;
  TUtxLabel* FTextLabel = nullptr;
  TtrvPanel* FButtonArea = nullptr;
  TtrvPanel* FButtonRow = nullptr;
  TtrvPanel* FIconColumn = nullptr;
  TtrvPanel* FIconTop = nullptr;
  TtrvPanel* FClientPanel = nullptr;
  TUtxScrollBox* FTextBox = nullptr;
  WideString FText;
  TtrvPanel* FDetailsPanel = nullptr;
  TtrvWindowsIcon* FIcon = nullptr;
  TUtxButton* FEscapeButton = nullptr;
  WideString FDetails;
  TUtxMemo* FDetailsMemo = nullptr;
};

// Shows a message box modal to the application and returns the modal result of the button
// pressed; closing the box without a button gives mrCancel. Caption empty with an owner window:
// the owner's title. "\n" in Text and Details is a line break. LogFont rescales the box (none
// leaves it as designed).
TModalResult ShowMessageBox(HWND OwnerWnd, const WideString& Caption, const WideString& Text,
                            const WideString& Details, TtrvMessageButtons Buttons, TtrvMessageType MsgType,
                            const LOGFONTW* LogFont = nullptr);
// OK and Details.
TModalResult ShowMessageBoxDefault(HWND OwnerWnd, const WideString& Caption, const WideString& Text,
                                   const WideString& Details, TtrvMessageType MsgType);
// The exception's class and message as the details.
void ShowErrorBox(HWND OwnerWnd, const WideString& Caption, const WideString& Text, const Exception& E,
                  TtrvMessageType MsgType);
