#include "common/trvCommonTexts.h"

#include "common/trvTools.h"
#include "unicode/GnuGettext.h"

namespace {

WideString LibraryText(const wchar_t* MsgId) { return TranslateIn(LibraryTextDomain, MsgId); }

}  // namespace

WideString GetButtonCaption(TtrvMessageButton Button) {
  switch (Button) {
    case TtrvMessageButton::OK: return LibraryText(L"&OK");
    case TtrvMessageButton::Yes: return LibraryText(L"&Yes");
    case TtrvMessageButton::Retry: return LibraryText(L"&Retry");
    case TtrvMessageButton::Ignore: return LibraryText(L"&Ignore");
    case TtrvMessageButton::SaveLater: return LibraryText(L"Save &Later");
    case TtrvMessageButton::CreateNew: return LibraryText(L"Cr&eate New");
    case TtrvMessageButton::No: return LibraryText(L"&No");
    case TtrvMessageButton::Cancel: return LibraryText(L"&Cancel");
    case TtrvMessageButton::Details: return LibraryText(L"&Details");
  }
  throw ETRVException(L"GetButtonCaption: Invalid button");
}

WideString GetLegalWarningText() { return LibraryText(L""); }

WideString GetAboutCaption(const WideString& ProductName) {
  return FormatIndexed(LibraryText(L"About %1"), {ProductName});
}

WideString GetAboutText() { return LibraryText(L"About"); }

WideString GetVersionText(const WideString& Version, const WideString& Suffix) {
  return FormatIndexed(LibraryText(L"Version %1%2"), {Version, Suffix});
}

WideString GetSupportText() { return LibraryText(L"Support:"); }
