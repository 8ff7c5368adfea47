#include "classlib/SysUtils.h"

WideString Exception::WideMessage() const {
  if (FMessage.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, FMessage.data(), static_cast<int>(FMessage.size()), nullptr, 0);
  WideString w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, FMessage.data(), static_cast<int>(FMessage.size()), w.data(), n);
  return w;
}
