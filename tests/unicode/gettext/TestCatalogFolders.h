// Where the catalog tests find the catalogs compiled for them and make catalogs of their own.
#pragma once

#include <windows.h>

#include "classlib/System.h"

inline WideString ProgramFile() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return WideString(buffer, n);
}

inline WideString ProgramFolder() {
  WideString file = ProgramFile();
  return file.substr(0, file.find_last_of(L"\\/") + 1);
}

// The catalogs compiled for the tests.
inline WideString TestCatalogs() { return ProgramFolder() + L"testdata\\gettext\\locale\\"; }

// A scratch folder of this program named Name plus the program's file name, made when missing:
// the Windows 98 copy of a test program runs beside it and writes a folder of its own.
inline WideString ScratchCatalogFolder(const WideString& Name) {
  WideString program = ProgramFile();
  program = program.substr(program.find_last_of(L"\\/") + 1);
  const WideString folder = ProgramFolder() + L"testdata\\gettext\\" + Name + L"-" + program + L"\\";
  CreateDirectoryW((ProgramFolder() + L"testdata\\gettext").c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}
