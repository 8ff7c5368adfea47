#include "unicode/UtxWideMessages.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "unicode/UtxWindows.h"

namespace {

using K = TWideMessageKind;
using F = TUtxWindowFamily;

// Every message with text that the class library may send to a Unicode window. A message of the
// shared control ranges belongs to one family; WM_USER-based numbers mean different things to
// the common controls, so those entries must never match another family.
constexpr TWideMessageEntry kWideMessages[] = {
    {WM_SETTEXT, F::wfOther, K::TextIn, WM_SETTEXT},
    {WM_GETTEXT, F::wfOther, K::WindowTextOut, WM_GETTEXT},
    {WM_GETTEXTLENGTH, F::wfOther, K::WindowTextLength, WM_GETTEXTLENGTH},

    {EM_REPLACESEL, F::wfEdit, K::TextIn, EM_REPLACESEL},
    {EM_GETLINE, F::wfEdit, K::LineOut, EM_GETLINE},

    {CB_ADDSTRING, F::wfComboBox, K::ItemTextIn, CB_ADDSTRING},
    {CB_INSERTSTRING, F::wfComboBox, K::ItemTextIn, CB_INSERTSTRING},
    {CB_FINDSTRING, F::wfComboBox, K::ItemTextIn, CB_FINDSTRING},
    {CB_FINDSTRINGEXACT, F::wfComboBox, K::ItemTextIn, CB_FINDSTRINGEXACT},
    {CB_SELECTSTRING, F::wfComboBox, K::ItemTextIn, CB_SELECTSTRING},
    {CB_DIR, F::wfComboBox, K::TextIn, CB_DIR},
    {CB_GETLBTEXT, F::wfComboBox, K::ItemTextOut, CB_GETLBTEXT},
    {CB_GETLBTEXTLEN, F::wfComboBox, K::ItemTextLength, CB_GETLBTEXTLEN},

    {LB_ADDSTRING, F::wfListBox, K::ItemTextIn, LB_ADDSTRING},
    {LB_INSERTSTRING, F::wfListBox, K::ItemTextIn, LB_INSERTSTRING},
    {LB_FINDSTRING, F::wfListBox, K::ItemTextIn, LB_FINDSTRING},
    {LB_FINDSTRINGEXACT, F::wfListBox, K::ItemTextIn, LB_FINDSTRINGEXACT},
    {LB_SELECTSTRING, F::wfListBox, K::ItemTextIn, LB_SELECTSTRING},
    {LB_DIR, F::wfListBox, K::TextIn, LB_DIR},
    {LB_ADDFILE, F::wfListBox, K::TextIn, LB_ADDFILE},
    {LB_GETTEXT, F::wfListBox, K::ItemTextOut, LB_GETTEXT},
    {LB_GETTEXTLEN, F::wfListBox, K::ItemTextLength, LB_GETTEXTLEN},

    {TCM_INSERTITEMA, F::wfTabControl, K::TabItemIn, TCM_INSERTITEMW},
    {TCM_SETITEMA, F::wfTabControl, K::TabItemIn, TCM_SETITEMW},
    {TCM_GETITEMA, F::wfTabControl, K::TabItemOut, TCM_GETITEMW},

    {TTM_ADDTOOLA, F::wfToolTip, K::ToolInfoIn, TTM_ADDTOOLW},
    {TTM_SETTOOLINFOA, F::wfToolTip, K::ToolInfoIn, TTM_SETTOOLINFOW},
    {TTM_UPDATETIPTEXTA, F::wfToolTip, K::ToolInfoIn, TTM_UPDATETIPTEXTW},
    {TTM_DELTOOLA, F::wfToolTip, K::ToolInfoKey, TTM_DELTOOLW},
    {TTM_NEWTOOLRECTA, F::wfToolTip, K::ToolInfoKey, TTM_NEWTOOLRECTW},
    {TTM_GETTOOLINFOA, F::wfToolTip, K::ToolInfoOut, TTM_GETTOOLINFOW},
    {TTM_GETCURRENTTOOLA, F::wfToolTip, K::ToolInfoOut, TTM_GETCURRENTTOOLW},
    {TTM_ENUMTOOLSA, F::wfToolTip, K::ToolInfoOut, TTM_ENUMTOOLSW},
    {TTM_GETTEXTA, F::wfToolTip, K::ToolTextOut, TTM_GETTEXTW},
    {TTM_SETTITLEA, F::wfToolTip, K::TextIn, TTM_SETTITLEW},

    {SB_SETTEXTA, F::wfStatusBar, K::StatusTextIn, SB_SETTEXTW},
    {SB_GETTEXTA, F::wfStatusBar, K::StatusTextOut, SB_GETTEXTW},
    {SB_GETTEXTLENGTHA, F::wfStatusBar, K::StatusTextLength, SB_GETTEXTLENGTHW},
    {SB_SETTIPTEXTA, F::wfStatusBar, K::TextIn, SB_SETTIPTEXTW},
};

// The room a tool tip assumes for a text buffer whose size it is not told (TTM_GETTEXT of the
// older libraries says 80 characters).
constexpr size_t kToolTextRoom = 80;

WideString WideOf(LPARAM Text) { return WidenText(reinterpret_cast<const char*>(Text)); }

// A window's wide text through the wide messages.
WideString WindowTextOf(HWND Wnd) {
  const LRESULT len = SendMessageW(Wnd, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return {};
  std::vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT n = SendMessageW(Wnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  return WideString(buf.data(), static_cast<size_t>(std::clamp<LRESULT>(n, 0, len)));
}

// The bytes of S that fit into Room without cutting a double-byte character in two.
size_t FittingBytes(const AnsiString& S, size_t Room) {
  if (S.size() <= Room) return S.size();
  const UINT cp = ConversionCodePage();
  size_t n = 0;
  while (n < Room) {
    const size_t step = IsDBCSLeadByteEx(cp, static_cast<BYTE>(S[n])) ? 2 : 1;
    if (n + step > Room) break;
    n += step;
  }
  return n;
}

// Writes Text, narrowed, into Buffer of Room bytes: as much as fits before a terminator, which
// is always written when there is room for it. Returns the bytes written without the terminator.
LRESULT CopyNarrowed(const WideString& Text, char* Buffer, size_t Room) {
  if (!Buffer || Room == 0) return 0;
  const AnsiString narrow = NarrowText(Text);
  const size_t n = FittingBytes(narrow, Room - 1);
  std::memcpy(Buffer, narrow.data(), n);
  Buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

// An owner-drawn list or combo box without strings keeps the caller's value where text would be.
bool HoldsStrings(HWND Wnd, TUtxWindowFamily Family) {
  const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
  if (Family == F::wfComboBox)
    return !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
  if (Family == F::wfListBox)
    return !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
  return true;
}

// The length and text messages of an item of a list or combo box.
struct TItemMessages {
  UINT Length;
  UINT Text;
};
TItemMessages ItemMessagesOf(TUtxWindowFamily Family) {
  if (Family == F::wfComboBox) return {CB_GETLBTEXTLEN, CB_GETLBTEXT};
  return {LB_GETTEXTLEN, LB_GETTEXT};
}

// The wide text of item Index; false with the box's error value in Error when there is none.
bool ItemTextOf(HWND Wnd, TUtxWindowFamily Family, WPARAM Index, WideString& Text, LRESULT& Error) {
  const TItemMessages m = ItemMessagesOf(Family);
  const LRESULT len = SendMessageW(Wnd, m.Length, Index, 0);
  if (len < 0) {
    Error = len;
    return false;
  }
  std::vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT n = SendMessageW(Wnd, m.Text, Index, reinterpret_cast<LPARAM>(buf.data()));
  if (n < 0) {
    Error = n;
    return false;
  }
  Text.assign(buf.data(), static_cast<size_t>(std::min(n, len)));
  return true;
}

bool IsTextPointer(const void* Text) {
  return Text && !IS_INTRESOURCE(Text) && Text != static_cast<const void*>(LPSTR_TEXTCALLBACKA);
}

// The two tool-info records have the same layout; the caller's size says how much of it exists.
size_t ToolInfoSize(const TTTOOLINFOA* Info) {
  return std::min<size_t>(Info->cbSize, sizeof(TTTOOLINFOW));
}

TTTOOLINFOW WideToolInfo(const TTTOOLINFOA* Info) {
  TTTOOLINFOW w{};
  std::memcpy(&w, Info, ToolInfoSize(Info));
  return w;
}

// Copies the fields the tool tip filled back into the caller's record, keeping its text buffer.
void ReturnToolInfo(const TTTOOLINFOW& W, TTTOOLINFOA* Info) {
  LPSTR buffer = Info->lpszText;
  std::memcpy(Info, &W, ToolInfoSize(Info));
  Info->lpszText = buffer;
}

LRESULT SendTextIn(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!LParam) return SendMessageW(Wnd, Msg, WParam, 0);
  const WideString text = WideOf(LParam);
  return SendMessageW(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT SendLineOut(HWND Wnd, WPARAM Line, LPARAM LParam) {
  auto* buffer = reinterpret_cast<char*>(LParam);
  if (!buffer) return 0;
  WORD room = 0;
  std::memcpy(&room, buffer, sizeof room);
  if (room == 0) return 0;
  const LRESULT start = SendMessageW(Wnd, EM_LINEINDEX, Line, 0);
  if (start < 0) return 0;
  const LRESULT len = SendMessageW(Wnd, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  const size_t cap = std::min<size_t>(static_cast<size_t>(std::max<LRESULT>(len, 0)) + 1, 0xFFFF);
  std::vector<wchar_t> wide(std::max<size_t>(cap, 2), L'\0');
  const WORD wideRoom = static_cast<WORD>(cap);
  std::memcpy(wide.data(), &wideRoom, sizeof wideRoom);
  const LRESULT n = SendMessageW(Wnd, EM_GETLINE, Line, reinterpret_cast<LPARAM>(wide.data()));
  const AnsiString narrow = NarrowText(wide.data(), static_cast<int>(std::clamp<LRESULT>(n, 0, static_cast<LRESULT>(cap))));
  // The line is not terminated; a terminator follows only where the caller's room allows.
  const size_t bytes = FittingBytes(narrow, room);
  std::memcpy(buffer, narrow.data(), bytes);
  if (bytes < room) buffer[bytes] = '\0';
  return static_cast<LRESULT>(bytes);
}

LRESULT SendItemText(HWND Wnd, const TWideMessageEntry& Entry, WPARAM Index, LPARAM LParam) {
  if (!HoldsStrings(Wnd, Entry.Family)) return SendMessageW(Wnd, Entry.WideMsg, Index, LParam);
  WideString text;
  LRESULT error = 0;
  if (!ItemTextOf(Wnd, Entry.Family, Index, text, error)) return error;
  const AnsiString narrow = NarrowText(text);
  if (Entry.Kind == K::ItemTextLength) return static_cast<LRESULT>(narrow.size());
  // The caller sized its buffer by the length message, which counted these very bytes.
  auto* buffer = reinterpret_cast<char*>(LParam);
  if (!buffer) return 0;
  std::memcpy(buffer, narrow.c_str(), narrow.size() + 1);
  return static_cast<LRESULT>(narrow.size());
}

LRESULT SendStatusText(HWND Wnd, const TWideMessageEntry& Entry, WPARAM Part, LPARAM LParam) {
  const LRESULT info = SendMessageW(Wnd, SB_GETTEXTLENGTHW, Part, 0);
  const WORD type = HIWORD(info);
  // An owner-drawn part answers with its drawing value, not with text.
  if (Entry.Kind == K::StatusTextOut && (type & SBT_OWNERDRAW))
    return SendMessageW(Wnd, SB_GETTEXTW, Part, LParam);
  std::vector<wchar_t> buf(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
  SendMessageW(Wnd, SB_GETTEXTW, Part, reinterpret_cast<LPARAM>(buf.data()));
  const AnsiString narrow = NarrowText(buf.data());
  const WORD bytes = static_cast<WORD>(std::min<size_t>(narrow.size(), 0xFFFF));
  if (Entry.Kind == K::StatusTextOut) {
    auto* buffer = reinterpret_cast<char*>(LParam);
    if (buffer) {
      std::memcpy(buffer, narrow.data(), bytes);
      buffer[bytes] = '\0';
    }
  }
  return MAKELRESULT(bytes, type);
}

LRESULT SendTabItemIn(HWND Wnd, UINT WideMsg, WPARAM Index, LPARAM LParam) {
  const auto* item = reinterpret_cast<const TCITEMA*>(LParam);
  if (!item) return SendMessageW(Wnd, WideMsg, Index, 0);
  TCITEMW w{};
  std::memcpy(&w, item, sizeof w);
  WideString text;
  if ((item->mask & TCIF_TEXT) && IsTextPointer(item->pszText)) {
    text = WidenText(item->pszText);
    w.pszText = text.data();
  }
  return SendMessageW(Wnd, WideMsg, Index, reinterpret_cast<LPARAM>(&w));
}

LRESULT SendTabItemOut(HWND Wnd, WPARAM Index, LPARAM LParam) {
  auto* item = reinterpret_cast<TCITEMA*>(LParam);
  if (!item) return SendMessageW(Wnd, TCM_GETITEMW, Index, 0);
  TCITEMW w{};
  std::memcpy(&w, item, sizeof w);
  const bool wantsText = (item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0;
  // Twice the room: a character pair beyond the basic plane narrows to one byte.
  std::vector<wchar_t> buf(wantsText ? static_cast<size_t>(item->cchTextMax) * 2 + 1 : 1, L'\0');
  if (wantsText) {
    w.pszText = buf.data();
    w.cchTextMax = static_cast<int>(buf.size());
  }
  const LRESULT result = SendMessageW(Wnd, TCM_GETITEMW, Index, reinterpret_cast<LPARAM>(&w));
  LPSTR text = item->pszText;
  const int room = item->cchTextMax;
  std::memcpy(item, &w, sizeof *item);
  item->pszText = text;
  item->cchTextMax = room;
  if (wantsText && result) CopyNarrowed(buf.data(), text, static_cast<size_t>(room));
  return result;
}

LRESULT SendToolInfo(HWND Wnd, const TWideMessageEntry& Entry, WPARAM WParam, LPARAM LParam) {
  auto* info = reinterpret_cast<TTTOOLINFOA*>(LParam);
  if (!info) return SendMessageW(Wnd, Entry.WideMsg, WParam, 0);
  TTTOOLINFOW w = WideToolInfo(info);
  WideString text;
  std::vector<wchar_t> buf;
  size_t room = 0;
  switch (Entry.Kind) {
    case K::ToolInfoIn:
      if (IsTextPointer(info->lpszText)) {
        text = WidenText(info->lpszText);
        w.lpszText = text.data();
      }
      break;
    case K::ToolInfoOut:
      // The platform fills these buffers up to its own tip size.
      room = info->lpszText ? INFOTIPSIZE : 0;
      break;
    case K::ToolTextOut:
      room = info->lpszText ? (WParam ? WParam : kToolTextRoom) : 0;
      break;
    default:
      break;
  }
  if (room) {
    buf.assign(INFOTIPSIZE + 1, L'\0');
    w.lpszText = buf.data();
  }
  const WPARAM wideWParam = Entry.Kind == K::ToolTextOut && room ? buf.size() : WParam;
  const LRESULT result = SendMessageW(Wnd, Entry.WideMsg, wideWParam, reinterpret_cast<LPARAM>(&w));
  if (Entry.Kind == K::ToolInfoOut || Entry.Kind == K::ToolTextOut) {
    LPSTR callerText = info->lpszText;
    if (Entry.Kind == K::ToolInfoOut) ReturnToolInfo(w, info);
    if (room && w.lpszText == buf.data())
      CopyNarrowed(buf.data(), callerText, room);
    else if (Entry.Kind == K::ToolInfoOut)
      info->lpszText = reinterpret_cast<LPSTR>(w.lpszText);  // a resource id or the callback mark
  }
  return result;
}

}  // namespace

TUtxWindowFamily WindowFamilyOfClass(const WideString& PlatformClass) {
  static const struct {
    const wchar_t* Name;
    TUtxWindowFamily Family;
  } kClasses[] = {
      {L"EDIT", F::wfEdit},
      {L"COMBOBOX", F::wfComboBox},
      {L"LISTBOX", F::wfListBox},
      {L"ComboLBox", F::wfListBox},
      {WC_TABCONTROLW, F::wfTabControl},
      {TOOLTIPS_CLASSW, F::wfToolTip},
      {STATUSCLASSNAMEW, F::wfStatusBar},
  };
  for (const auto& c : kClasses)
    if (lstrcmpiW(PlatformClass.c_str(), c.Name) == 0) return c.Family;
  return F::wfOther;
}

const TWideMessageEntry* FindWideMessage(UINT Msg, TUtxWindowFamily Family) {
  for (const TWideMessageEntry& e : kWideMessages)
    if (e.Msg == Msg && (e.Family == F::wfOther || e.Family == Family)) return &e;
  return nullptr;
}

LRESULT SendWideFormOfMessage(HWND Wnd, const TWideMessageEntry& Entry, WPARAM WParam, LPARAM LParam) {
  switch (Entry.Kind) {
    case K::TextIn:
      return SendTextIn(Wnd, Entry.WideMsg, WParam, LParam);
    case K::ItemTextIn:
      if (!HoldsStrings(Wnd, Entry.Family)) return SendMessageW(Wnd, Entry.WideMsg, WParam, LParam);
      return SendTextIn(Wnd, Entry.WideMsg, WParam, LParam);
    case K::StatusTextIn:
      if (WParam & SBT_OWNERDRAW) return SendMessageW(Wnd, Entry.WideMsg, WParam, LParam);
      return SendTextIn(Wnd, Entry.WideMsg, WParam, LParam);
    case K::WindowTextLength:
      return static_cast<LRESULT>(NarrowText(WindowTextOf(Wnd)).size());
    case K::WindowTextOut:
      return CopyNarrowed(WindowTextOf(Wnd), reinterpret_cast<char*>(LParam), WParam);
    case K::ItemTextLength:
    case K::ItemTextOut:
      return SendItemText(Wnd, Entry, WParam, LParam);
    case K::LineOut:
      return SendLineOut(Wnd, WParam, LParam);
    case K::StatusTextLength:
    case K::StatusTextOut:
      return SendStatusText(Wnd, Entry, WParam, LParam);
    case K::TabItemIn:
      return SendTabItemIn(Wnd, Entry.WideMsg, WParam, LParam);
    case K::TabItemOut:
      return SendTabItemOut(Wnd, WParam, LParam);
    case K::ToolInfoIn:
    case K::ToolInfoKey:
    case K::ToolInfoOut:
    case K::ToolTextOut:
      return SendToolInfo(Wnd, Entry, WParam, LParam);
  }
  return 0;
}
