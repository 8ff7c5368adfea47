// The domain rules of the browser extension: every URL of a page becomes a display domain (the
// row title and list key) and a zone URL (what the zone functions get), optionally reduced to
// its registered domain; and the ordered list of the distinct domains of one page walk.
#pragma once

#include <memory>
#include <vector>

#include "common/trvWideWinInet.h"
#include "zonedialog/uVgtDomain.h"

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
  // Scheme "://" Reduced, with the display domain by scheme.
  void SetDomainTexts(const WideString& Reduced);

  bool FHighlevel = false;
  WideString FDomain;
  WideString FVGTDomain;
};

// A fresh parser made from the source's Highlevel and Url, parsed; belongs to the caller.
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
};
