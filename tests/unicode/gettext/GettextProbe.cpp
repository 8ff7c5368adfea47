// A shared library that asks the catalog reader where its catalogs lie: it must name the
// library's own folder, not the program's.
#include <windows.h>

#include <cwchar>

#include "unicode/GnuGettext.h"

extern "C" __declspec(dllexport) void GettextProbeCatalogFolder(wchar_t* Buffer, int Size) {
  const WideString folder = GetCatalogFolder();
  if (Size <= 0) return;
  const size_t n = folder.size() < static_cast<size_t>(Size - 1) ? folder.size() : static_cast<size_t>(Size - 1);
  wmemcpy(Buffer, folder.c_str(), n);
  Buffer[n] = L'\0';
}
