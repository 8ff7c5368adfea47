#include "unicode/UtxSystem.h"

#include <array>
#include <cstring>

#include "base/TextConversion.h"
#include "classlib/ResStrings.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

UINT LocaleAnsiCodePage(LCID Locale) {
  char entry[6] = {};
  if (GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, entry, sizeof entry) > 0) {
    UINT value = 0;
    int digits = 0;
    for (const char* p = entry; *p; ++p, ++digits) {
      if (*p < '0' || *p > '9') return GetACP();
      value = value * 10 + static_cast<UINT>(*p - '0');
    }
    if (digits > 0) return value;
  }
  return GetACP();
}

UINT KeyboardCodePage() {
  const auto layout = reinterpret_cast<uintptr_t>(GetKeyboardLayout(0));
  return LocaleAnsiCodePage(static_cast<LCID>(layout & 0xFFFF));
}

wchar_t KeyboardCharToWide(unsigned char Ch) {
  const char c = static_cast<char>(Ch);
  wchar_t w = 0;
  if (MultiByteToWideChar(KeyboardCodePage(), MB_USEGLYPHCHARS, &c, 1, &w, 1) != 1) return Ch;
  return w;
}

// ---- command line ----

const wchar_t* ParseWideParam(const wchar_t* P, WideString& Param) {
  constexpr size_t maxLength = 4096;
  Param.clear();
  for (;;) {
    while (*P >= 1 && *P <= 0x20) ++P;
    // A pair of quotes at the start of a parameter stands for nothing.
    if (P[0] == L'"' && P[1] == L'"') {
      P += 2;
      continue;
    }
    break;
  }
  auto append = [&](wchar_t c) {
    if (Param.size() < maxLength) Param += c;
  };
  while (*P > 0x20) {
    if (*P == L'"') {
      ++P;
      while (*P && *P != L'"') append(*P++);
      if (*P) ++P;
    } else {
      append(*P++);
    }
  }
  return P;
}

WideString WideParamFromCommandLine(const wchar_t* CommandLine, int Index) {
  if (!CommandLine) return {};
  const wchar_t* p = CommandLine;
  WideString param;
  for (int i = 0;; ++i) {
    p = ParseWideParam(p, param);
    if (param.empty()) return {};
    if (i == Index) return param;
    if (i > Index) return {};
  }
}

WideString GetWideParamStr(int Index) {
  if (Index == 0) return WideGetModuleName(nullptr);
  return WideParamFromCommandLine(GetCommandLineW(), Index);
}

// ---- resource strings ----

WideString WideLoadResString(const TResStringRec* Rec) {
  if (!Rec) return {};
  if (Rec->Identifier < 65536) {
    std::array<wchar_t, 4097> buffer{};
    const int n = WideLoadString(static_cast<HINSTANCE>(Rec->Module),
                                 static_cast<UINT>(Rec->Identifier), buffer.data(),
                                 static_cast<int>(buffer.size()));
    return WideString(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
  }
  const char* text = reinterpret_cast<const char*>(Rec->Identifier);
  const size_t len = strlen(text);
  if (len > 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) return DecodeUTF8(AnsiString(text + 3));
  return WidenText(text, static_cast<int>(len));
}

WideString UtxResString(UINT Id) {
  WideString text = LoadResStringTranslated(Id);
  if (!text.empty()) return text;
  // A consumer without the layer's string table still gets a message.
  switch (Id) {
    case SUtxInvalidUTF7: return L"Invalid UTF7";
    case SUtxBufferOverflow: return L"Buffer overflow";
    default: return {};
  }
}

namespace {

[[noreturn]] void RaiseInvalidUTF7() {
  throw EUtxGeneralError(NarrowText(UtxResString(SUtxInvalidUTF7)));
}

[[noreturn]] void RaiseBufferOverflow() {
  throw EUtxInternalError(NarrowText(UtxResString(SUtxBufferOverflow)));
}

// An output buffer of fixed size, as the codecs are specified to use: running out is an internal
// error, never a write past the end.
template <class Char>
class TBoundedOutput {
 public:
  explicit TBoundedOutput(size_t Limit) : FLimit(Limit) { FText.reserve(Limit); }
  void Put(Char c) {
    if (FText.size() >= FLimit) RaiseBufferOverflow();
    FText += c;
  }
  std::basic_string<Char>& Text() { return FText; }

 private:
  size_t FLimit;
  std::basic_string<Char> FText;
};

// The UTF-7 tables, built on first use and kept for the life of the process.
struct TUtf7Tables {
  bool Direct[128] = {};    // written as itself
  int8_t Base64[256] = {};  // value of a base64 letter, -1 for other bytes
  char Letters[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

  TUtf7Tables() {
    for (int c = 'A'; c <= 'Z'; ++c) Direct[c] = true;
    for (int c = 'a'; c <= 'z'; ++c) Direct[c] = true;
    for (int c = '0'; c <= '9'; ++c) Direct[c] = true;
    for (unsigned char c : AnsiString("'(),-./:? \t\r\n")) Direct[c] = true;
    // The optional direct characters.
    for (unsigned char c : AnsiString("!\"#$%&*;<=>@[]^_`{|}")) Direct[c] = true;
    memset(Base64, -1, sizeof Base64);
    for (int i = 0; i < 64; ++i) Base64[static_cast<unsigned char>(Letters[i])] = static_cast<int8_t>(i);
  }
};

const TUtf7Tables& Utf7() {
  static const TUtf7Tables tables;
  return tables;
}

}  // namespace

// ---- codecs ----

AnsiString EncodeUTF8(const WideString& S) {
  size_t length = 0;
  for (wchar_t c : S) length += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
  AnsiString out;
  out.reserve(length);
  for (wchar_t w : S) {
    const unsigned c = w;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

WideString DecodeUTF8(const AnsiString& S) {
  WideString out;
  out.reserve(S.size());
  const size_t n = S.size();
  auto byte = [&](size_t i) { return static_cast<unsigned char>(S[i]); };
  auto continuation = [&](size_t i) { return i < n && (byte(i) & 0xC0) == 0x80; };
  for (size_t i = 0; i < n;) {
    const unsigned lead = byte(i);
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
    } else if (lead & 0x20) {
      if (!continuation(i + 1) || !continuation(i + 2)) return {};
      out += static_cast<wchar_t>(((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) |
                                  (byte(i + 2) & 0x3F));
      i += 3;
    } else {
      if (!continuation(i + 1)) return {};
      out += static_cast<wchar_t>(((lead & 0x1F) << 6) | (byte(i + 1) & 0x3F));
      i += 2;
    }
  }
  return out;
}

AnsiString EncodeUTF7(const WideString& S) {
  const TUtf7Tables& t = Utf7();
  TBoundedOutput<char> out(S.size() * 7);
  bool inRun = false;
  uint32_t bits = 0;
  int bitCount = 0;
  auto closeRun = [&]() {
    if (bitCount > 0) out.Put(t.Letters[(bits << (6 - bitCount)) & 0x3F]);
    inRun = false;
    bits = 0;
    bitCount = 0;
  };
  for (wchar_t c : S) {
    if (c < 0x80 && t.Direct[c]) {
      if (inRun) {
        closeRun();
        if (t.Base64[c] >= 0 || c == L'-') out.Put('-');
      }
      out.Put(static_cast<char>(c));
    } else if (c == L'+' && !inRun) {
      out.Put('+');
      out.Put('-');
    } else {
      if (!inRun) {
        out.Put('+');
        inRun = true;
      }
      bits = (bits << 16) | c;
      bitCount += 16;
      while (bitCount >= 6) {
        bitCount -= 6;
        out.Put(t.Letters[(bits >> bitCount) & 0x3F]);
      }
      bits &= (1u << bitCount) - 1;
    }
  }
  if (inRun) closeRun();
  return std::move(out.Text());
}

WideString DecodeUTF7(const AnsiString& S) {
  const TUtf7Tables& t = Utf7();
  TBoundedOutput<wchar_t> out(S.size());
  bool bad = false;
  const size_t n = S.size();
  auto byte = [&](size_t i) { return static_cast<unsigned char>(S[i]); };
  for (size_t i = 0; i < n;) {
    const unsigned char c = byte(i);
    if (c == '+') {
      ++i;
      if (i < n && byte(i) == '-') {
        out.Put(L'+');
        ++i;
        continue;
      }
      uint32_t bits = 0;
      int bitCount = 0, units = 0;
      while (i < n && t.Base64[byte(i)] >= 0) {
        bits = (bits << 6) | static_cast<uint32_t>(t.Base64[byte(i)]);
        bitCount += 6;
        if (bitCount >= 16) {
          bitCount -= 16;
          out.Put(static_cast<wchar_t>((bits >> bitCount) & 0xFFFF));
          ++units;
        }
        bits &= (1u << bitCount) - 1;
        ++i;
      }
      if (units == 0 || bits != 0) bad = true;
      if (i < n && (byte(i) == '-' || byte(i) == '+')) ++i;
    } else {
      if (c > 0x7F) bad = true;
      out.Put(static_cast<wchar_t>(c));
      ++i;
    }
  }
  if (bad) RaiseInvalidUTF7();
  return std::move(out.Text());
}

WideString AnsiToWideCodePage(const AnsiString& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return DecodeUTF7(S);
  if (CodePage == CP_UTF8) return DecodeUTF8(S);
  return CodePageToWide(S, CodePage);
}

AnsiString WideToAnsiCodePage(const WideString& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return EncodeUTF7(S);
  if (CodePage == CP_UTF8) return EncodeUTF8(S);
  return WideToCodePage(S, CodePage);
}

void SwapUTF16Bytes(wchar_t* P) {
  for (; *P; ++P) *P = static_cast<wchar_t>(((*P & 0xFF) << 8) | ((*P >> 8) & 0xFF));
}
