// What the extension's COM objects share: the arguments of a browser event, taken out of the
// DISPPARAMS record that Invoke receives into an array the handler owns.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <vector>

#include "classlib/System.h"

// An event's arguments in their declared order. Owns its values: every variant is cleared when
// the array is cleared or freed.
class TVariantArray {
 public:
  TVariantArray() = default;
  ~TVariantArray() { Clear(); }
  TVariantArray(const TVariantArray&) = delete;
  TVariantArray& operator=(const TVariantArray&) = delete;

  size_t Count() const { return FItems.size(); }
  bool Empty() const { return FItems.empty(); }
  // Raises EListError outside 0 .. Count - 1.
  const VARIANT& operator[](size_t Index) const;

  void Clear();
  // Count empty variants, after clearing what was held.
  void SetEmpty(size_t Count);
  VARIANT& At(size_t Index) { return FItems.at(Index); }

 private:
  std::vector<VARIANT> FItems;
};

// Copies the arguments of an event into Result, the first declared argument at index 0.
// Positional arguments arrive last first. Named arguments are taken only when every argument is
// named and the names are the positions 0 .. cArgs - 1, each once; any other shape (some named,
// a name out of range or twice, missing arrays) raises EOleSysError with E_INVALIDARG and leaves
// Result empty, touching nothing outside the record's arrays. A value that cannot be copied
// raises too, Result again empty.
void DispParamsToVariantArray(const DISPPARAMS& Params, TVariantArray& Result);
