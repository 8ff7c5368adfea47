// A file's version number from its version resource, read by wide file name on either platform
// family.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "classlib/System.h"

// The file's whole version-information block; empty when it has none or it cannot be read.
// A missing file raises (CheckFileExists).
std::vector<BYTE> GetFileVersionInfoBlock(const WideString& FileName);
// The fixed file information; all zero when there is none.
VS_FIXEDFILEINFO GetFixedFileInfo(const WideString& FileName);
// Major version in the high word, minor in the low word; 0 without a version resource.
uint32_t GetFileVersionHigh(const WideString& FileName);
// "major.minor", both unsigned.
WideString FormatVersionHigh(uint32_t Value);
