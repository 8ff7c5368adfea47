#include "base/TextConversion.h"

std::wstring CodePageToWide(std::string_view Bytes, UINT CodePage) {
  if (Bytes.empty()) return {};
  const int size = static_cast<int>(Bytes.size());
  const int n = MultiByteToWideChar(CodePage, 0, Bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CodePage, 0, Bytes.data(), size, out.data(), n);
  return out;
}

std::string WideToCodePage(std::wstring_view Text, UINT CodePage) {
  if (Text.empty()) return {};
  const int size = static_cast<int>(Text.size());
  const int n = WideCharToMultiByte(CodePage, 0, Text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CodePage, 0, Text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}
