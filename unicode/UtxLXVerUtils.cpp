#include "unicode/UtxLXVerUtils.h"

#include <cstring>

#include "unicode/UtxLXUtils.h"
#include "unicode/UtxWindows.h"

std::vector<BYTE> GetFileVersionInfoBlock(const WideString& FileName) {
  CheckFileExists(FileName);
  DWORD handle = 0;
  const DWORD size = WideGetFileVersionInfoSize(FileName.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> block(size, 0);
  if (!WideGetFileVersionInfo(FileName.c_str(), 0, size, block.data())) return {};
  return block;
}

VS_FIXEDFILEINFO GetFixedFileInfo(const WideString& FileName) {
  VS_FIXEDFILEINFO info{};
  const std::vector<BYTE> block = GetFileVersionInfoBlock(FileName);
  if (block.empty()) return info;
  void* value = nullptr;
  UINT length = 0;
  if (WideVerQueryValue(block.data(), L"\\", &value, &length) && value &&
      length >= sizeof info)
    memcpy(&info, value, sizeof info);
  return info;
}

uint32_t GetFileVersionHigh(const WideString& FileName) {
  return GetFixedFileInfo(FileName).dwFileVersionMS;
}

WideString FormatVersionHigh(uint32_t Value) {
  return std::to_wstring(Value >> 16) + L"." + std::to_wstring(Value & 0xFFFF);
}
