// Shared helpers of the Unicode layer's tests.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

// The copy of a test program that Wine runs as Windows 98.
inline bool RunningAsWin98() {
  const char* v = std::getenv("VGT_WINVER");
  return v && std::string(v) == "win98";
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    wchar_t name[64];
    static int serial = 0;
    wsprintfW(name, L"utx%lu_%d", GetCurrentProcessId(), ++serial);
    FPath = std::wstring(base) + name;
    CreateDirectoryW(FPath.c_str(), nullptr);
  }
  ~TTempFolder() { RemoveTree(FPath); }
  const std::wstring& Path() const { return FPath; }
  std::wstring File(const std::wstring& name) const { return FPath + L"\\" + name; }

 private:
  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        std::wstring full = dir + L"\\" + n;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring FPath;
};

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}
