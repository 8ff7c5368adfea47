// Whole files for the tests, read and written through the Unicode layer's wide file stream (so
// names outside the code page work on both platform families).
#pragma once

#include <vector>

#include "unicode/UtxClasses.h"

// The file's bytes; empty when it cannot be opened.
inline std::vector<unsigned char> ReadFileBytes(const WideString& Name) {
  try {
    TUtxFileStream stream(Name, fmOpenRead | fmShareDenyNone);
    std::vector<unsigned char> data(static_cast<size_t>(stream.Size()));
    stream.ReadBuffer(data.data(), static_cast<int>(data.size()));
    return data;
  } catch (const Exception&) {
    return {};
  }
}

// Replaces the file with Data.
inline void WriteFileBytes(const WideString& Name, const std::vector<unsigned char>& Data) {
  TUtxFileStream stream(Name, fmCreate);
  stream.WriteBuffer(Data.data(), static_cast<int>(Data.size()));
}
