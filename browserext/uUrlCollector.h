// The domain rules of the browser extension: every URL of a page becomes a display domain (the
// row title and list key) and a zone URL (what the zone functions get), optionally reduced to
// its registered domain; and the ordered list of the distinct domains of one page walk.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "classlib/SyncObjs.h"
#include "common/trvWideWinInet.h"
#include "protocol/uVgtDomain.h"

class TUtxStringList;

class TUrlCrackerDomain : public TtrvUrlCracker {
  VGT_CLASS(TUrlCrackerDomain, TtrvUrlCracker)
 public:
  // Constructs through the base (whose Reset call runs the override below, so the base defaults
  // of port, scheme number and scheme text never apply), then stores Highlevel.
  static std::unique_ptr<TUrlCrackerDomain> Create(bool Highlevel);
  // The same, then SetUrl: parsed on return; a canonicalisation failure raises EOSError.
  static std::unique_ptr<TUrlCrackerDomain> Create(bool Highlevel, const WideString& Url);

  // Clears both flags and Domain; every other part, and VGTDomain, stays.
  void Reset() override;
  // The domain rules.
  void Parse() override;

  bool Highlevel() const { return FHighlevel; }
  const WideString& Domain() const { return FDomain; }
  const WideString& VGTDomain() const { return FVGTDomain; }

 protected:
  TUrlCrackerDomain() = default;

 private:
  friend std::unique_ptr<TUrlCrackerDomain> CopyCracker(const TUrlCrackerDomain& Source);
  friend class TBaseParseMemo;
  // The base parse, or what it gave for the same URL before (see TBaseParseMemo).
  void BaseParse();
  // The rules that follow a base parse.
  void ApplyDomainRules();
  // Scheme "://" Reduced, with the display domain by scheme.
  void SetDomainTexts(const WideString& Reduced);

  bool FHighlevel = false;
  // The base parts are the base parse's of the current Url (not left over from an earlier one).
  bool FBaseParsed = false;
  WideString FDomain;
  WideString FVGTDomain;
};

// What the base parse made of the URLs given to it lately. Canonicalising and splitting is a
// function of the URL (and of the platform switch) alone, and a browser window's addresses come
// round again and again: every frame's address three times in one walk, and every address of the
// page once more with each refresh of the zone dialog. A failed canonicalisation is not kept: it
// raises anew. At most Limit addresses are kept; then the memo starts afresh. One memo for the
// process, under a lock, since browser windows may each have a thread of their own (and a
// per-thread object would outlive the library on threads that end after it is unloaded).
class TBaseParseMemo {
 public:
  static constexpr size_t Limit = 4096;
  static TBaseParseMemo& Shared();
  // Parses C's URL as the base parser does, or repeats what it did for that URL.
  void Parse(TUrlCrackerDomain& C);
  size_t Count();
  void Clear();

 private:
  struct TParts {
    bool Valid = false;
    uint16_t Port = 0;
    int32_t SchemeNumber = 0;
    WideString CanonicalUrl, Scheme, Host, UserName, Password, UrlPath, ExtraInfo;
  };
  // Copies a remembered parse into C; false when there is none.
  bool Repeat(TUrlCrackerDomain& C, int Platform);
  void Remember(const TUrlCrackerDomain& C, int Platform);

  TCriticalSection FLock;
  std::unordered_map<WideString, TParts> FParts[2];  // by the platform switch: 8-bit, wide
};

// A fresh parser made from the source's Highlevel and Url, parsed; belongs to the caller. When
// the source's parts come from the base parse of that same Url they are taken over instead of
// asking WinInet again: the base parse depends on the URL alone.
std::unique_ptr<TUrlCrackerDomain> CopyCracker(const TUrlCrackerDomain& Source);

// True when the text, read the way the run-time library reads an integer ("  -12", "$1F",
// "0x1f", "X10"), is consumed whole. Used on the last label of a host: a number there means an
// address, which is never reduced.
bool IsIntegerText(const AnsiString& Text);

// A domain record made from a parser; owns the parser.
class TvgtUrlDomain : public TvgtDomain {
  VGT_CLASS(TvgtUrlDomain, TvgtDomain)
 public:
  explicit TvgtUrlDomain(std::unique_ptr<TUrlCrackerDomain> Cracker);
  TUrlCrackerDomain* Cracker() const { return FCracker.get(); }

 private:
  std::unique_ptr<TUrlCrackerDomain> FCracker;
};

// The distinct domains of one page walk, in the order they were first added. Owns its entries.
class TDomainList : public TObject {
  VGT_CLASS(TDomainList, TObject)
 public:
  TDomainList();
  ~TDomainList() override;
  TDomainList(const TDomainList&) = delete;
  TDomainList& operator=(const TDomainList&) = delete;

  // Appends under the entry's Domain; no duplicate check (callers Find first). Takes ownership.
  void Add(TvgtUrlDomain* Entry);
  // The first entry whose key equals Key without regard to case, or nullptr.
  TvgtUrlDomain* Find(const WideString& Key) const;
  int Count() const;
  // Raises the string list's index error outside 0 .. Count - 1.
  TvgtUrlDomain* Items(int Index) const;

 private:
  // Unsorted, duplicates allowed, case-insensitive lookup: the string list's defaults.
  std::unique_ptr<TUtxStringList> FList;
  // An index over the keys that answers what the string list's own scan answers. A key of
  // printable ASCII alone compares equal, in the platform's comparison, only to keys with the same
  // ASCII case folding, or to keys holding characters the comparison ignores (a soft hyphen, a
  // NUL): so such a key is looked up among the keys of its folding and the keys that are not
  // plain ASCII, each candidate confirmed by the list's comparison, lowest position first. Any
  // other key is looked up by the scan.
  struct TFoldedHash {
    using is_transparent = void;
    size_t operator()(const WideString& Key) const;
  };
  struct TFoldedEqual {
    using is_transparent = void;
    bool operator()(const WideString& A, const WideString& B) const;
  };
  struct TPlainKeys {
    int First = -1;                                  // the position of the map's key
    std::vector<std::pair<int, WideString>> Later;  // further keys of that folding, ascending
  };
  std::unordered_map<WideString, TPlainKeys, TFoldedHash, TFoldedEqual> FPlainKeys;
  std::vector<int> FOtherKeys;  // positions, ascending
};
