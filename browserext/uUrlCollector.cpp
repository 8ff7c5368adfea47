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

// Printable ASCII only: the platform's comparison tells such texts apart exactly as ASCII case
// folding does (it ignores only characters outside that range, a soft hyphen or a NUL).
bool IsPlainKey(const WideString& Key) {
  for (wchar_t c : Key)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

bool SameAsciiFolded(const WideString& A, const WideString& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    wchar_t a = A[i], b = B[i];
    if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a + 32);
    if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b + 32);
    if (a != b) return false;
  }
  return true;
}

// Whether Url is the blank page, as the platform's comparison tells; asked of every address a
// walk meets, so a plain address is answered without the platform call ("about:blank" holds no
// letter i, whose case some locales fold otherwise).
bool IsBlankPage(const WideString& Url) {
  if (IsPlainKey(Url)) return SameAsciiFolded(Url, BlankPage);
  return SameTextIgnoringCase(Url, BlankPage);
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
  std::unique_ptr<TUrlCrackerDomain> cracker = Create(Highlevel);
  cracker->SetUrl(Url);
  return cracker;
}

void TUrlCrackerDomain::Reset() {
  FBaseParsed = false;
  FParsed = false;
  FValid = false;
  FDomain.clear();
}

void TUrlCrackerDomain::SetDomainTexts(const WideString& Reduced) {
  // Built in place: the walk's parser takes one address after another.
  FVGTDomain.assign(FScheme).append(L"://").append(Reduced);
  if (FSchemeNumber == INTERNET_SCHEME_HTTP)
    FDomain.assign(Reduced);
  else
    FDomain.assign(FVGTDomain);
}

void TUrlCrackerDomain::Parse() {
  if (IsBlankPage(FUrl)) {
    FDomain = BlankPage;
    FVGTDomain = BlankPage;
    SetValid(true);
    SetCracked(true);
    return;
  }
  BaseParse();
  FBaseParsed = FValid;
  ApplyDomainRules();
}

void TUrlCrackerDomain::BaseParse() {
  if (FParsed || FUrl.empty())
    TtrvUrlCracker::Parse();
  else
    TBaseParseMemo::Shared().Parse(*this);
}

// ---- what the base parse gave before ----

TBaseParseMemo& TBaseParseMemo::Shared() {
  static TBaseParseMemo memo;
  return memo;
}

size_t TBaseParseMemo::Count() {
  TCriticalSectionGuard guard(FLock);
  return FParts[0].size() + FParts[1].size();
}

void TBaseParseMemo::Clear() {
  TCriticalSectionGuard guard(FLock);
  FParts[0].clear();
  FParts[1].clear();
}

void TBaseParseMemo::Parse(TUrlCrackerDomain& C) {
  const int platform = UnicodePlatform() ? 1 : 0;
  if (Repeat(C, platform)) return;
  C.TtrvUrlCracker::Parse();  // a canonicalisation failure leaves here, nothing kept
  Remember(C, platform);
}

bool TBaseParseMemo::Repeat(TUrlCrackerDomain& C, int Platform) {
  TCriticalSectionGuard guard(FLock);
  auto hit = FParts[Platform].find(C.FUrl);
  if (hit == FParts[Platform].end()) return false;
  // As the base parse leaves a parser: a canonical form that did not split changes no part.
  const TParts& p = hit->second;
  C.FCanonicalUrl.assign(p.CanonicalUrl);
  if (p.Valid) {
    C.FScheme.assign(p.Scheme);
    C.FSchemeNumber = p.SchemeNumber;
    C.FHost.assign(p.Host);
    C.FPort = p.Port;
    C.FUserName.assign(p.UserName);
    C.FPassword.assign(p.Password);
    C.FUrlPath.assign(p.UrlPath);
    C.FExtraInfo.assign(p.ExtraInfo);
  }
  C.FValid = p.Valid;
  C.FParsed = true;
  return true;
}

void TBaseParseMemo::Remember(const TUrlCrackerDomain& C, int Platform) {
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
  TCriticalSectionGuard guard(FLock);
  if (FParts[0].size() + FParts[1].size() >= Limit) {
    FParts[0].clear();
    FParts[1].clear();
  }
  FParts[Platform].emplace(C.FUrl, std::move(p));
}

void TUrlCrackerDomain::ApplyDomainRules() {
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
  if (!Source.FBaseParsed) return TUrlCrackerDomain::Create(Source.Highlevel(), Source.Url());
  // What SetUrl on a fresh parser would do, the base parse's outcome taken from the source.
  std::unique_ptr<TUrlCrackerDomain> copy = TUrlCrackerDomain::Create(Source.Highlevel());
  copy->FUrl = Source.FUrl;
  copy->FCanonicalUrl = Source.FCanonicalUrl;
  copy->FScheme = Source.FScheme;
  copy->FSchemeNumber = Source.FSchemeNumber;
  copy->FHost = Source.FHost;
  copy->FPort = Source.FPort;
  copy->FUserName = Source.FUserName;
  copy->FPassword = Source.FPassword;
  copy->FUrlPath = Source.FUrlPath;
  copy->FExtraInfo = Source.FExtraInfo;
  copy->FValid = true;
  copy->FParsed = true;
  copy->FBaseParsed = true;
  copy->ApplyDomainRules();
  return copy;
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

TDomainList::TDomainList() : FList(new TUtxStringList) {
  FPlainKeys.reserve(64);  // a page's domains, mostly, without growing the index on the way
}

TDomainList::~TDomainList() {
  for (int i = 0; i < FList->GetCount(); ++i) delete FList->GetItemObject(i);
}

size_t TDomainList::TFoldedHash::operator()(const WideString& Key) const {
  size_t h = 2166136261u;
  for (wchar_t c : Key) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    h = (h ^ static_cast<size_t>(c)) * 16777619u;
  }
  return h;
}

bool TDomainList::TFoldedEqual::operator()(const WideString& A, const WideString& B) const {
  return SameAsciiFolded(A, B);
}

void TDomainList::Add(TvgtUrlDomain* Entry) {
  std::unique_ptr<TvgtUrlDomain> owned(Entry);
  const int index = FList->AddObject(Entry->Domain, Entry);
  owned.release();
  if (IsPlainKey(Entry->Domain)) {
    // The map's key is the first spelling of its folding; later spellings are rare.
    auto [slot, added] = FPlainKeys.try_emplace(Entry->Domain);
    if (added)
      slot->second.First = index;
    else
      slot->second.Later.emplace_back(index, Entry->Domain);
  } else {
    FOtherKeys.push_back(index);
  }
}

TvgtUrlDomain* TDomainList::Find(const WideString& Key) const {
  int index = -1;
  if (!IsPlainKey(Key)) {
    index = FList->IndexOf(Key);
  } else {
    auto bucket = FPlainKeys.find(Key);
    if (FOtherKeys.empty() && (bucket == FPlainKeys.end() || bucket->second.Later.empty())) {
      // The usual list: one key of this folding at most, and no other kind of key.
      if (bucket == FPlainKeys.end()) return nullptr;
      const WideString& stored = bucket->first;
      if (stored == Key || FList->CompareStrings(stored, Key) == 0)
        return static_cast<TvgtUrlDomain*>(FList->GetItemObject(bucket->second.First));
      return nullptr;
    }
    // Candidates of the same folding, then the others, each in ascending position: merged, the
    // first confirmed candidate is the scan's answer.
    std::vector<std::pair<int, const WideString*>> same;
    if (bucket != FPlainKeys.end()) {
      same.emplace_back(bucket->second.First, &bucket->first);
      for (const auto& [position, key] : bucket->second.Later) same.emplace_back(position, &key);
    }
    size_t a = 0, b = 0;
    while (index < 0 && (a < same.size() || b < FOtherKeys.size())) {
      if (b >= FOtherKeys.size() || (a < same.size() && same[a].first < FOtherKeys[b])) {
        const WideString& stored = *same[a].second;
        if (stored == Key || FList->CompareStrings(stored, Key) == 0) index = same[a].first;
        ++a;
      } else {
        const int candidate = FOtherKeys[b++];
        if (FList->CompareStrings(FList->GetString(candidate), Key) == 0) index = candidate;
      }
    }
  }
  return index < 0 ? nullptr : static_cast<TvgtUrlDomain*>(FList->GetItemObject(index));
}

int TDomainList::Count() const { return FList->GetCount(); }

TvgtUrlDomain* TDomainList::Items(int Index) const {
  return static_cast<TvgtUrlDomain*>(FList->GetItemObject(Index));
}
