#include "tools/pagehost/HostText.h"

#include <windows.h>

namespace pagehost {

WideString UpperAscii(WideString text) {
  for (auto& c : text)
    if (c >= L'a' && c <= L'z') c -= 32;
  return text;
}

WideString LowerAscii(WideString text) {
  for (auto& c : text)
    if (c >= L'A' && c <= L'Z') c += 32;
  return text;
}

bool SameAscii(const WideString& a, const WideString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x + 32);
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

WideString Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
  WideString out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, out.data(), n);
  return out;
}

}  // namespace pagehost
