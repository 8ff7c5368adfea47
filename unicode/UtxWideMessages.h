// The messages that carry text between the 8-bit class library and a Unicode window. The class
// library sends every message in its 8-bit form; a Unicode window's procedures expect the wide
// form. This table is the one place that knows which messages carry text, which wide message
// number stands for an 8-bit one, and how each reply is measured. The trap between a Unicode
// window and its control (UtxControls) sends every message of the table that the library sends
// through SendWideFormOfMessage; everything else passes as it is.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// The platform class under a Unicode window decides what a number in the shared control message
// ranges means (SB_SETTEXTA and TTM_ACTIVATE are both WM_USER + 1).
enum class TUtxWindowFamily { wfOther, wfEdit, wfComboBox, wfListBox, wfTabControl, wfToolTip, wfStatusBar };

// The family of a platform class name ("EDIT", "COMBOBOX", "SysTabControl32", ...; no regard to
// case); wfOther for an empty or unknown name.
TUtxWindowFamily WindowFamilyOfClass(const WideString& PlatformClass);

// How a message carries its text, and so how it is converted.
enum class TWideMessageKind {
  TextIn,             // LParam: an 8-bit text (or nullptr); the reply passes unchanged
  ItemTextIn,         // the same, but only a list or combo box with strings reads LParam as text
  StatusTextIn,       // SB_SETTEXT: LParam is text unless WParam asks for an owner-drawn part
  WindowTextLength,   // WM_GETTEXTLENGTH: the reply in 8-bit units
  WindowTextOut,      // WM_GETTEXT: WParam the buffer's size, reply the units copied
  ItemTextLength,     // CB_GETLBTEXTLEN, LB_GETTEXTLEN: WParam the item; the error passes
  ItemTextOut,        // CB_GETLBTEXT, LB_GETTEXT: buffer sized by the length message
  LineOut,            // EM_GETLINE: the buffer's size in its first WORD, no terminator
  StatusTextLength,   // SB_GETTEXTLENGTH: length in the low word, the part's type in the high
  StatusTextOut,      // SB_GETTEXT: as the length message, the buffer sized by it
  TabItemIn,          // TCM_INSERTITEM, TCM_SETITEM: a TCITEM whose text is given
  TabItemOut,         // TCM_GETITEM: a TCITEM whose text buffer is filled
  ToolInfoIn,         // TTM_ADDTOOL, TTM_SETTOOLINFO, TTM_UPDATETIPTEXT: a TTTOOLINFO with text
  ToolInfoKey,        // TTM_DELTOOL, TTM_NEWTOOLRECT: a TTTOOLINFO that only names a tool
  ToolInfoOut,        // TTM_GETTOOLINFO, TTM_GETCURRENTTOOL, TTM_ENUMTOOLS: a TTTOOLINFO filled
  ToolTextOut,        // TTM_GETTEXT: the tool's text into the TTTOOLINFO's buffer
};

struct TWideMessageEntry {
  UINT Msg;                  // the 8-bit form, as the class library sends it
  TUtxWindowFamily Family;   // wfOther: the message means the same to every window
  TWideMessageKind Kind;
  UINT WideMsg;              // the wide form; the same number where the platform shares one
};

// The entry for the 8-bit message Msg sent to a window of Family, or nullptr.
const TWideMessageEntry* FindWideMessage(UINT Msg, TUtxWindowFamily Family);

// Sends the 8-bit-form message of Entry to the Unicode window Wnd in its wide form (texts widened
// in ConversionCodePage) and turns the reply back into the 8-bit form: texts narrowed into the
// caller's buffer within its room, lengths counted in 8-bit units, error values passed through.
// The window is reached with SendMessageW, so its control sees the wide form as from the platform.
LRESULT SendWideFormOfMessage(HWND Wnd, const TWideMessageEntry& Entry, WPARAM WParam, LPARAM LParam);
