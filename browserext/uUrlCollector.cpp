#include "browserext/uUrlCollector.h"

#include <windows.h>
#include <wininet.h>

#include <climits>
#include <cstdint>

#include "common/trvTools.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxWindows.h"

namespace {

const wchar_t BlankPage[] = L"about:blank";

bool SameTextIgnoringCase(const WideString& A, const WideString& B) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.c_str(),
                        static_cast<int>(A.size()), B.c_str(),
                        static_cast<int>(B.size())) == CSTR_EQUAL;
}

// Printable ASCII only: the keys the list's index can fold.
bool IsPlainKey(const WideString& Key) {
  for (wchar_t c : Key)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

WideString FoldAscii(WideString Key) {
  for (auto& c : Key)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return Key;
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

}  // namespace

// ---- the integer reading of the number test ----

bool IsIntegerText(const AnsiString& Text) {
  size_t i = 0;
  const size_t n = Text.size();
  while (i < n && Text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (Text[i] == '-' || Text[i] == '+')) {
    negative = Text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (Text[i] == '$' || Text[i] == 'x' || Text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;  // empty, or a prefix without digits
  if (hex) {
    uint64_t value = 0;
    for (; i < n; ++i) {
      int d = HexDigit(Text[i]);
      if (d < 0) return false;
      value = value * 16 + static_cast<unsigned>(d);
      if (value > 0xFFFFFFFFull) return false;
    }
    return true;
  }
  const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  uint64_t value = 0;
  for (; i < n; ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(Text[i] - '0');
    if (value > limit) return false;
  }
  return true;
}

// ---- the parser with the domain rules ----

std::unique_ptr<TUrlCrackerDomain> TUrlCrackerDomain::Create(bool Highlevel) {
  std::unique_ptr<TUrlCrackerDomain> cracker(new TUrlCrackerDomain);
  cracker->Reset();
  cracker->FHighlevel = Highlevel;
  return cracker;
}

std::unique_ptr<TUrlCrackerDomain> TUrlCrackerDomain::Create(bool Highlevel,
                                                             const WideString& Url) {
  return Create(Highlevel, Url, nullptr);
}

std::unique_ptr<TUrlCrackerDomain> TUrlCrackerDomain::Create(
    bool Highlevel, const WideString& Url, std::shared_ptr<TUrlCrackCache> Cache) {
  std::unique_ptr<TUrlCrackerDomain> cracker = Create(Highlevel);
  cracker->FCache = std::move(Cache);
  cracker->SetUrl(Url);
  return cracker;
}

void TUrlCrackerDomain::BaseParse() {
  if (FCache && !FParsed && !FUrl.empty())
    FCache->Parse(*this);
  else
    TtrvUrlCracker::Parse();
}

// ---- the cache of base parses ----

void TUrlCrackCache::Parse(TUrlCrackerDomain& C) {
  auto hit = FParts.find(C.FUrl);
  if (hit == FParts.end()) {
    C.TtrvUrlCracker::Parse();  // a canonicalisation failure leaves here, nothing kept
    TParts p;
    p.Valid = C.FValid;
    p.CanonicalUrl = C.FCanonicalUrl;
    if (p.Valid) {
      p.Port = C.FPort;
      p.SchemeNumber = C.FSchemeNumber;
      p.Scheme = C.FScheme;
      p.Host = C.FHost;
      p.UserName = C.FUserName;
      p.Password = C.FPassword;
      p.UrlPath = C.FUrlPath;
      p.ExtraInfo = C.FExtraInfo;
    }
    FParts.emplace(C.FUrl, std::move(p));
    return;
  }
  // As the base parse leaves it: a canonical form that did not split changes no part.
  const TParts& p = hit->second;
  C.FCanonicalUrl = p.CanonicalUrl;
  if (p.Valid) {
    C.FScheme = p.Scheme;
    C.FSchemeNumber = p.SchemeNumber;
    C.FHost = p.Host;
    C.FPort = p.Port;
    C.FUserName = p.UserName;
    C.FPassword = p.Password;
    C.FUrlPath = p.UrlPath;
    C.FExtraInfo = p.ExtraInfo;
  }
  C.FValid = p.Valid;
  C.FParsed = true;
}

void TUrlCrackerDomain::Reset() {
  FParsed = false;
  FValid = false;
  FDomain.clear();
}

void TUrlCrackerDomain::SetDomainTexts(const WideString& Reduced) {
  FVGTDomain = FScheme + L"://" + Reduced;
  FDomain = FSchemeNumber == INTERNET_SCHEME_HTTP ? Reduced : FVGTDomain;
}

void TUrlCrackerDomain::Parse() {
  if (SameTextIgnoringCase(FUrl, BlankPage)) {
    FDomain = BlankPage;
    FVGTDomain = BlankPage;
    SetValid(true);
    SetCracked(true);
    return;
  }
  BaseParse();
  if (!FValid) {
    FDomain = FUrl;
    FVGTDomain = FUrl;
    return;
  }
  if (FSchemeNumber == INTERNET_SCHEME_UNKNOWN || FSchemeNumber == INTERNET_SCHEME_FILE) {
    FDomain = FCanonicalUrl;
    FVGTDomain = FCanonicalUrl;
    return;
  }
  if (!FHighlevel) {
    SetDomainTexts(FHost);
    return;
  }
  if (FHost.empty()) return;

  // Positions count from 1, as the rules are stated; 0 means "no dot".
  const int L = static_cast<int>(FHost.size());
  auto lastDotBefore = [&](int Position) {  // last "." at a position below Position, or 0
    for (int p = Position - 1; p >= 1; --p)
      if (FHost[p - 1] == L'.') return p;
    return 0;
  };
  const int D1 = lastDotBefore(L + 1);
  const WideString tail = FHost.substr(D1);
  bool number;
  try {
    number = IsIntegerText(NarrowText(tail));
  } catch (...) {
    number = true;  // a text the conversion cannot take counts as a number
  }
  if (number) {
    SetDomainTexts(FHost);
    return;
  }
  const int D2 = D1 == 0 ? -1 : lastDotBefore(D1);
  int start = D2 + 1;
  // A two-letter country code under a two-letter second level ("co.uk") keeps one label more.
  if (tail.size() == 2 && D1 - start == 2) {
    const int D3 = D2 > 0 ? lastDotBefore(D2) : 0;
    start = D3 + 1;
  }
  if (start < 1) start = 1;
  SetDomainTexts(FHost.substr(start - 1));
}

std::unique_ptr<TUrlCrackerDomain> CopyCracker(const TUrlCrackerDomain& Source) {
  return TUrlCrackerDomain::Create(Source.Highlevel(), Source.Url(), Source.Cache());
}

// ---- the domain record made from a parser ----

TvgtUrlDomain::TvgtUrlDomain(std::unique_ptr<TUrlCrackerDomain> Cracker) {
  if (!Cracker) throw EMustNotHappen(L"TvgtUrlDomain.Create without a parser");
  Domain = Cracker->Domain();
  VGTDomain = Cracker->VGTDomain();
  Scheme = Cracker->SchemeNumber();
  FCracker = std::move(Cracker);
}

// ---- the list ----

TDomainList::TDomainList() : FList(new TUtxStringList) {}

TDomainList::~TDomainList() {
  for (int i = 0; i < FList->GetCount(); ++i) delete FList->GetItemObject(i);
}

void TDomainList::Add(TvgtUrlDomain* Entry) {
  std::unique_ptr<TvgtUrlDomain> owned(Entry);
  const int index = FList->AddObject(Entry->Domain, Entry);
  owned.release();
  if (IsPlainKey(Entry->Domain))
    FPlainKeys[FoldAscii(Entry->Domain)].push_back(index);
  else
    FOtherKeys.push_back(index);
}

TvgtUrlDomain* TDomainList::Find(const WideString& Key) const {
  int index = -1;
  if (!IsPlainKey(Key)) {
    index = FList->IndexOf(Key);
  } else {
    static const std::vector<int> none;
    auto bucket = FPlainKeys.find(FoldAscii(Key));
    const std::vector<int>& same = bucket == FPlainKeys.end() ? none : bucket->second;
    // Both in ascending position: merged, the first confirmed candidate is the scan's answer.
    size_t a = 0, b = 0;
    while (index < 0 && (a < same.size() || b < FOtherKeys.size())) {
      const bool takeSame =
          b >= FOtherKeys.size() || (a < same.size() && same[a] < FOtherKeys[b]);
      const int candidate = takeSame ? same[a++] : FOtherKeys[b++];
      const WideString stored = FList->GetString(candidate);
      if (stored == Key || FList->CompareStrings(stored, Key) == 0) index = candidate;
    }
  }
  return index < 0 ? nullptr : static_cast<TvgtUrlDomain*>(FList->GetItemObject(index));
}

int TDomainList::Count() const { return FList->GetCount(); }

TvgtUrlDomain* TDomainList::Items(int Index) const {
  return static_cast<TvgtUrlDomain*>(FList->GetItemObject(Index));
}
