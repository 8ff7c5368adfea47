// The bottom of the common library: its exceptions and the texts made from exceptions, the "%1"
// placeholder formatter, a few text routines over the platform, and the debug log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "classlib/SysUtils.h"
#include "classlib/System.h"

// Every failure of the library. The message is fixed English text, never translated; it is kept
// whole as UTF-16, and the inherited 8-bit message holds it in the system code page.
class ETRVException : public Exception {
  VGT_CLASS(ETRVException, Exception)
 public:
  explicit ETRVException(const WideString& Msg);
  WideString WideMessage() const override { return FWideMessage; }

 private:
  WideString FWideMessage;
};

// A state the code rules out.
VGT_EXCEPTION(EMustNotHappen, ETRVException);
// IntToWideStrMinDigits asked for more digits than it gives.
VGT_EXCEPTION(ETRVConvertError, ETRVException);

// Decimal text of Value with at least MinDigits digits (zeros in front, the sign before them).
// MinDigits above 32, or negative, raises ETRVConvertError "MinDigits too large".
WideString IntToWideStrMinDigits(int32_t Value, int32_t MinDigits);

// Template with "%1", "%2", ... replaced by Args and "%%" by "%". Inserted text is not scanned
// again; a placeholder without an argument stays; where "%1x" and "%1xy" both name arguments the
// longer wins ("%10" is the tenth argument when there are ten, else the first and a "0").
WideString FormatIndexed(const WideString& Template, const std::vector<WideString>& Args = {});

// "MS Shell Dlg 2" on Windows 2000 and later NT, else "MS Shell Dlg".
WideString GetDialogFontName();
// The whole text of a window, however long; empty for an invalid window.
WideString GetWindowTextWide(HWND Wnd);
// "yyyy-MM-dd HH:mm:ss" in the user's locale, or empty when the platform cannot make it.
AnsiString GetLogTimeStamp();
// The UTF-16 character that C is in the system code page; 0 when it converts to nothing.
wchar_t AnsiCharToWideChar(char C);
// Value when it is not 0; else raises the thread's last system error as EOSError with the
// system's message, as every platform failure of the layers below does (CheckOSResult).
uint32_t CheckSystemResult(uint32_t Value);
// The wide message of an exception (an ETRVException's own, else the 8-bit message widened; for
// an exception not of the class library, what() widened).
WideString GetExceptionMessage(const std::exception& E);
// The class name, ": " and the message; an exception not of the class library, which has no class
// name to show, gives its message alone.
WideString GetExceptionText(const std::exception& E);
// The system's text for an error code without trailing blanks, line ends and full stop; empty for
// an unknown code.
WideString GetSystemErrorText(DWORD Code);

// ---- debug log ----
// Fixed when a program is built. In every deliverable the mask and the sink are 0, so nothing is
// ever written; the callers still log in every place, and the log works when these are set.
enum : uint8_t { DebugLogToFile = 1, DebugLogToConsole = 2, DebugLogToDebugger = 3 };
inline constexpr uint32_t DebugLogMask = 0;
inline constexpr uint8_t DebugLogMode = 0;
inline constexpr const char* DebugLogFileName = "c:\\devlog.log";

// Writes Msg to the sink when Mask AND the log mask is not 0. Never fails; returns true so it can
// stand in expressions.
bool DebugLog(const WideString& Msg, uint32_t Mask);

// Test hook: another log configuration until destroyed; the log file is closed at both ends.
class TDebugLogOverride {
 public:
  TDebugLogOverride(uint32_t Mask, uint8_t Mode, const AnsiString& FileName);
  ~TDebugLogOverride();
  TDebugLogOverride(const TDebugLogOverride&) = delete;
  TDebugLogOverride& operator=(const TDebugLogOverride&) = delete;

 private:
  uint32_t FMask;
  uint8_t FMode;
  AnsiString FFileName;
};
