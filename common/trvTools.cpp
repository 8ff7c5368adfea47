#include "common/trvTools.h"

#include "base/KernelHandle.h"
#include "base/TextConversion.h"
#include "common/trvAPI.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

namespace {

// ---- debug log state ----

struct TDebugLogConfig {
  uint32_t Mask = DebugLogMask;
  uint8_t Mode = DebugLogMode;
  AnsiString FileName = DebugLogFileName;
};

// The log file of sink 1, process-wide; closed when the program ends.
struct TDebugLogFile {
  TKernelHandle Handle;
  bool Open = false;
  void Close() {
    Handle.Reset();
    Open = false;
  }
};

TDebugLogConfig& LogConfig() {
  static TDebugLogConfig config;
  return config;
}

TDebugLogFile& LogFile() {
  static TDebugLogFile file;
  return file;
}

// Appends to the file, else creates it empty; tried again on every call until it works.
void OpenLogFile() {
  TDebugLogFile& f = LogFile();
  const char* name = LogConfig().FileName.c_str();
  f.Handle.Reset(
      CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.Handle && SetFilePointer(f.Handle.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    f.Handle.Reset();
  if (!f.Handle)
    f.Handle.Reset(
        CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  f.Open = static_cast<bool>(f.Handle);
}

void WriteBytes(HANDLE Handle, const AnsiString& Text) {
  DWORD done = 0;
  if (!Text.empty()) WriteFile(Handle, Text.data(), static_cast<DWORD>(Text.size()), &done, nullptr);
}

// Cuts trailing blanks, control characters and full stops off a system message.
WideString TrimSystemMessage(WideString Text) {
  while (!Text.empty() && (Text.back() <= L' ' || Text.back() == L'.')) Text.pop_back();
  return Text;
}

}  // namespace

// ---- exceptions ----

ETRVException::ETRVException(const WideString& Msg) : FWideMessage(Msg) {
  // The inherited message is 8-bit text in the system code page.
  FMessage = WideToCodePage(Msg, CP_ACP);
}

WideString GetExceptionMessage(const std::exception& E) {
  if (const auto* e = dynamic_cast<const Exception*>(&E)) return e->WideMessage();
  return WidenText(E.what());
}

WideString GetExceptionText(const std::exception& E) {
  if (const auto* e = dynamic_cast<const Exception*>(&E)) return e->ClassName() + L": " + e->WideMessage();
  return WidenText(E.what());
}

// ---- numbers and placeholders ----

WideString IntToWideStrMinDigits(int32_t Value, int32_t MinDigits) {
  if (static_cast<uint32_t>(MinDigits) > 32) throw ETRVConvertError(L"MinDigits too large");
  // The magnitude as unsigned, so the most negative value has its digits too.
  uint32_t magnitude = Value < 0 ? 0u - static_cast<uint32_t>(Value) : static_cast<uint32_t>(Value);
  WideString digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude);
  if (digits.size() < static_cast<size_t>(MinDigits)) digits.insert(0, MinDigits - digits.size(), L'0');
  return Value < 0 ? L"-" + digits : digits;
}

WideString FormatIndexed(const WideString& Template, const std::vector<WideString>& Args) {
  std::vector<WideString> placeholders;
  placeholders.reserve(Args.size());
  for (size_t k = 1; k <= Args.size(); ++k)
    placeholders.push_back(L"%" + IntToWideStrMinDigits(static_cast<int32_t>(k), 0));

  WideString result = Template;
  size_t p = 0;
  // The last character never starts anything.
  while (p + 1 < result.size()) {
    if (result[p] != L'%') {
      ++p;
      continue;
    }
    if (result[p + 1] == L'%') {
      result.erase(p, 1);
      ++p;
      continue;
    }
    size_t best = Args.size();
    for (size_t k = 0; k < placeholders.size(); ++k)
      if (result.compare(p, placeholders[k].size(), placeholders[k]) == 0 &&
          (best == Args.size() || placeholders[k].size() > placeholders[best].size()))
        best = k;
    if (best == Args.size()) {
      ++p;
      continue;
    }
    result.replace(p, placeholders[best].size(), Args[best]);
    p += Args[best].size();
  }
  return result;
}

// ---- platform texts ----

WideString GetDialogFontName() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  return (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4) ? L"MS Shell Dlg 2" : L"MS Shell Dlg";
}

WideString GetWindowTextWide(HWND Wnd) {
  if (!Wnd || !IsWindow(Wnd)) return {};
  for (int size = 255;; size += 256) {
    int n;
    WideString text;
    if (UnicodePlatform()) {
      text.resize(size);
      n = GetWindowTextW(Wnd, text.data(), size);
      if (n < 0) n = 0;
      text.resize(n);
    } else {
      AnsiString bytes(size, '\0');
      n = GetWindowTextA(Wnd, bytes.data(), size);
      if (n < 0) n = 0;
      bytes.resize(n);
      text = WidenText(bytes);
    }
    // A text that filled the buffer may have been cut: read again with more room.
    if (n < size - 1) return text;
  }
}

AnsiString GetLogTimeStamp() {
  try {
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto format = [&](bool date, const char* picture) {
      int n = date ? GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, picture, nullptr, 0)
                   : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, picture, nullptr, 0);
      if (n <= 0) return AnsiString();
      AnsiString text(static_cast<size_t>(n), '\0');
      n = date ? GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, picture, text.data(), n)
               : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, picture, text.data(), n);
      text.resize(text.find('\0') == AnsiString::npos ? text.size() : text.find('\0'));
      return n > 0 ? text : AnsiString();
    };
    const AnsiString date = format(true, "yyyy-MM-dd");
    const AnsiString time = format(false, "HH:mm:ss");
    if (date.empty() || time.empty()) return {};
    return date + " " + time;
  } catch (...) {
    return {};
  }
}

wchar_t AnsiCharToWideChar(char C) {
  const WideString w = CodePageToWide(std::string_view(&C, 1), CP_ACP);
  return w.size() == 1 ? w[0] : 0;
}

uint32_t CheckSystemResult(uint32_t Value) {
  return CheckOSResult(Value);
}

WideString GetSystemErrorText(DWORD Code) {
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (UnicodePlatform()) {
    wchar_t buffer[256];
    DWORD n = FormatMessageW(flags, nullptr, Code, 0, buffer, 256, nullptr);
    return TrimSystemMessage(WideString(buffer, n < 256 ? n : 0));
  }
  char buffer[256];
  DWORD n = FormatMessageA(flags, nullptr, Code, 0, buffer, 256, nullptr);
  return TrimSystemMessage(WidenText(buffer, static_cast<int>(n < 256 ? n : 0)));
}

// ---- debug log ----

bool DebugLog(const WideString& Msg, uint32_t Mask) {
  const TDebugLogConfig& config = LogConfig();
  if ((Mask & config.Mask) == 0) return true;
  switch (config.Mode) {
    case DebugLogToFile: {
      TDebugLogFile& f = LogFile();
      if (!f.Open) OpenLogFile();
      if (f.Open) {
        AnsiString line;
        if (!Msg.empty()) line = GetLogTimeStamp() + " ";
        line += NarrowText(Msg);
        line += "\r\n";
        WriteBytes(f.Handle.Get(), line);
        FlushFileBuffers(f.Handle.Get());
      }
      break;
    }
    case DebugLogToConsole: {
      AllocConsole();
      HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
      if (out && out != INVALID_HANDLE_VALUE) WriteBytes(out, NarrowText(Msg) + "\r\n");
      break;
    }
    case DebugLogToDebugger:
      ApiOutputDebugString(Msg.c_str());
      break;
    default:
      break;
  }
  return true;
}

TDebugLogOverride::TDebugLogOverride(uint32_t Mask, uint8_t Mode, const AnsiString& FileName)
    : FMask(LogConfig().Mask), FMode(LogConfig().Mode), FFileName(LogConfig().FileName) {
  LogFile().Close();
  LogConfig() = {Mask, Mode, FileName};
}

TDebugLogOverride::~TDebugLogOverride() {
  LogFile().Close();
  LogConfig() = {FMask, FMode, FFileName};
}
