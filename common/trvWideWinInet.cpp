#include "common/trvWideWinInet.h"

#include <wininet.h>

#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

namespace {

constexpr DWORD CanonicalBufferSize = 2056;

// Component lengths asked of InternetCrackUrl; with nil pointers it answers pointers into the
// given text and the components' lengths.
template <class TComponents>
void PrepareComponents(TComponents& c) {
  ZeroMemory(&c, sizeof c);
  c.dwStructSize = sizeof c;
  c.dwSchemeLength = 32;
  c.dwHostNameLength = 256;
  c.dwUserNameLength = 128;
  c.dwPasswordLength = 128;
  c.dwUrlPathLength = 2048;
  c.dwExtraInfoLength = 2048;
}

// Into the parser's own text, reusing what it holds: a parser that is given one URL after
// another (the page walk's) then allocates nothing for its parts.
void TakePart(WideString& Into, const wchar_t* Text, DWORD Length) {
  if (Text)
    Into.assign(Text, Length);
  else
    Into.clear();
}

// The 8-bit component is cut by its byte length before widening, so a two-byte character is
// never split.
WideString Part(const char* Text, DWORD Length) {
  return Text ? WidenText(AnsiString(Text, Length)) : WideString();
}

void TakePart(WideString& Into, const char* Text, DWORD Length) { Into = Part(Text, Length); }

}  // namespace

WideString WideCanonicalizeUrl(const WideString& Url, DWORD Flags) {
  if (!UnicodePlatform()) return WidenText(AnsiCanonicalizeUrl(NarrowText(Url), Flags));
  // On the stack and not cleared: the page walk canonicalises every address of a page. The last
  // character stays NUL, so the text ends inside the buffer whatever the call wrote.
  wchar_t buffer[CanonicalBufferSize];
  buffer[0] = L'\0';
  buffer[CanonicalBufferSize - 1] = L'\0';
  DWORD length = CanonicalBufferSize - 1;
  if (!InternetCanonicalizeUrlW(Url.c_str(), buffer, &length, Flags)) RaiseLastOSErrorW();
  return WideString(buffer);
}

AnsiString AnsiCanonicalizeUrl(const AnsiString& Url, DWORD Flags) {
  std::unique_ptr<char[]> buffer(new char[CanonicalBufferSize]());
  DWORD length = CanonicalBufferSize - 1;
  if (!InternetCanonicalizeUrlA(Url.c_str(), buffer.get(), &length, Flags)) RaiseLastOSErrorW();
  return AnsiString(buffer.get());
}

std::unique_ptr<TtrvUrlCracker> TtrvUrlCracker::Create() {
  std::unique_ptr<TtrvUrlCracker> cracker(new TtrvUrlCracker);
  cracker->Reset();
  return cracker;
}

std::unique_ptr<TtrvUrlCracker> TtrvUrlCracker::CreateFromUrl(const WideString& Url) {
  std::unique_ptr<TtrvUrlCracker> cracker = Create();
  cracker->SetUrl(Url);
  return cracker;
}

void TtrvUrlCracker::SetUrl(const WideString& Url) {
  Reset();
  FUrl = Url;
  Parse();
}

void TtrvUrlCracker::Reset() {
  FParsed = false;
  FValid = false;
  FPort = 80;
  FSchemeNumber = 3;
  FScheme = L"http";
  FUrlPath.clear();
  FHost.clear();
  FUserName.clear();
  FUrl.clear();
  FExtraInfo.clear();
  FPassword.clear();
  FCanonicalUrl.clear();
}

void TtrvUrlCracker::Parse() {
  if (FParsed) return;
  if (FUrl.empty()) {
    FValid = false;
  } else {
    // A failure here leaves the parser unparsed, so a later Parse tries again.
    FCanonicalUrl = WideCanonicalizeUrl(FUrl, ICU_DECODE);
    try {
      CrackCanonicalUrl();
      FValid = true;
    } catch (...) {
      FValid = false;
    }
  }
  FParsed = true;
}

void TtrvUrlCracker::CrackCanonicalUrl() {
  // Both entry points answer the same record shape; the parts are taken in the same order.
  auto takeParts = [this](const auto& c) {
    TakePart(FScheme, c.lpszScheme, c.dwSchemeLength);
    FSchemeNumber = c.nScheme;
    TakePart(FHost, c.lpszHostName, c.dwHostNameLength);
    FPort = c.nPort;
    TakePart(FUserName, c.lpszUserName, c.dwUserNameLength);
    TakePart(FPassword, c.lpszPassword, c.dwPasswordLength);
    TakePart(FUrlPath, c.lpszUrlPath, c.dwUrlPathLength);
    TakePart(FExtraInfo, c.lpszExtraInfo, c.dwExtraInfoLength);
  };
  if (UnicodePlatform()) {
    URL_COMPONENTSW c;
    PrepareComponents(c);
    if (!InternetCrackUrlW(FCanonicalUrl.c_str(), static_cast<DWORD>(FCanonicalUrl.size()), 0, &c))
      RaiseLastOSErrorW();
    takeParts(c);
    return;
  }
  const AnsiString canonical = NarrowText(FCanonicalUrl);
  URL_COMPONENTSA c;
  PrepareComponents(c);
  if (!InternetCrackUrlA(canonical.c_str(), static_cast<DWORD>(canonical.size()), 0, &c))
    RaiseLastOSErrorW();
  takeParts(c);
}
