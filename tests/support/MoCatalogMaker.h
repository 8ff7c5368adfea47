// Builds .mo catalogs in memory for the catalog tests and the benchmark, including ones no catalog
// compiler writes: entries pointing into strings that other entries use too, strings with no
// closing NUL. Large hostile catalogs are made here when needed, never kept as files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A string of the catalog, by its place in the string area (after the tables).
struct TMoText {
  uint32_t At = 0;
  uint32_t Length = 0;
};

class TMoCatalogMaker {
 public:
  explicit TMoCatalogMaker(const std::string& Charset = "UTF-8") {
    AddEntry(AddText(""), AddText("Content-Type: text/plain; charset=" + Charset + "\n"));
  }
  // A catalog whose header is Header as it stands.
  struct THeader {
    std::string Text;
  };
  explicit TMoCatalogMaker(const THeader& Header) { AddEntry(AddText(""), AddText(Header.Text)); }

  // Appends Bytes to the string area, with a closing NUL unless Terminate is false.
  TMoText AddText(const std::string& Bytes, bool Terminate = true) {
    TMoText t{static_cast<uint32_t>(FStrings.size()), static_cast<uint32_t>(Bytes.size())};
    FStrings += Bytes;
    if (Terminate) FStrings.push_back('\0');
    return t;
  }
  void AddEntry(TMoText Original, TMoText Translation) { FEntries.push_back({Original, Translation}); }
  void Add(const std::string& Original, const std::string& Translation) {
    AddEntry(AddText(Original), AddText(Translation));
  }
  size_t EntryCount() const { return FEntries.size(); }

  std::vector<unsigned char> Build(bool BigEndian = false) const {
    const uint32_t count = static_cast<uint32_t>(FEntries.size());
    const uint32_t originals = 28, translations = originals + count * 8, strings = translations + count * 8;
    std::vector<unsigned char> d(strings + FStrings.size());
    auto put = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) d[at + (BigEndian ? 3 - i : i)] = static_cast<unsigned char>(v >> (8 * i));
    };
    put(0, 0x950412DEu);
    put(4, 0);
    put(8, count);
    put(12, originals);
    put(16, translations);
    put(20, 0);  // no hash table
    put(24, strings);
    for (uint32_t i = 0; i < count; ++i) {
      put(originals + i * 8, FEntries[i].Original.Length);
      put(originals + i * 8 + 4, strings + FEntries[i].Original.At);
      put(translations + i * 8, FEntries[i].Translation.Length);
      put(translations + i * 8 + 4, strings + FEntries[i].Translation.At);
    }
    std::copy(FStrings.begin(), FStrings.end(), d.begin() + strings);
    return d;
  }

 private:
  struct TEntry {
    TMoText Original, Translation;
  };
  std::vector<TEntry> FEntries;
  std::string FStrings;
};

// Entries distinct and as a compiler writes them: "Text <n>" -> "Uebersetzung <n>".
inline std::vector<unsigned char> UsualCatalog(size_t Entries) {
  TMoCatalogMaker maker;
  for (size_t i = 0; i < Entries; ++i) maker.Add("Text " + std::to_string(i), "Uebersetzung " + std::to_string(i));
  return maker.Build();
}

// Every entry's original and translation is the same long string of Length bytes, the last of the
// file and with no NUL: reading each entry in full costs entries x length.
inline std::vector<unsigned char> SharedUnterminatedCatalog(size_t Length, size_t Entries) {
  TMoCatalogMaker maker;
  const TMoText shared = maker.AddText(std::string(Length, 'a'), false);
  for (size_t i = 0; i < Entries; ++i) maker.AddEntry(shared, shared);
  return maker.Build();
}

// Original n starts n bytes into one shared string of Length bytes (the last of the file, with no
// NUL) and runs to its end, so every original differs from every other: all of them would be kept.
inline std::vector<unsigned char> ShiftedOriginalsCatalog(size_t Length, size_t Entries) {
  TMoCatalogMaker maker;
  const TMoText translation = maker.AddText("x");
  const TMoText shared = maker.AddText(std::string(Length, 'b'), false);
  for (size_t i = 0; i < Entries && i < Length; ++i)
    maker.AddEntry({shared.At + static_cast<uint32_t>(i), shared.Length - static_cast<uint32_t>(i)}, translation);
  return maker.Build();
}

// Distinct originals that all share one translation of Length bytes, as a writer that stores
// equal strings once may do: within what a catalog may name, and read in full.
inline std::vector<unsigned char> SharedTranslationCatalog(size_t Length, size_t Entries) {
  TMoCatalogMaker maker;
  const TMoText shared = maker.AddText(std::string(Length, 'c'));
  for (size_t i = 0; i < Entries; ++i) maker.AddEntry(maker.AddText("Text " + std::to_string(i)), shared);
  return maker.Build();
}
