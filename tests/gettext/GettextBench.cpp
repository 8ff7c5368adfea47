// Load time and peak memory of catalogs of growing size, usual and hostile. Each load runs in a
// process of its own (this program, started again with "load <file>"), so every peak is that one
// load's. Both columns per file byte stay flat when loading is linear in the catalog's size.
//   GettextBench            all kinds, 64 KB to 16 MB
//   GettextBench load FILE  one load (used by the above)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/TestFiles.h"
#include "tests/gettext/MoCatalogMaker.h"
#include "unicode/GnuGettext.h"

namespace {

const char* ResultName(TMoCatalog::TLoadResult Result) {
  switch (Result) {
    case TMoCatalog::TLoadResult::Loaded: return "loaded";
    case TMoCatalog::TLoadResult::Missing: return "missing";
    case TMoCatalog::TLoadResult::Damaged: return "refused";
    case TMoCatalog::TLoadResult::NotUtf8: return "not UTF-8";
  }
  return "?";
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS m = {};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m;
}

int LoadOne(const WideString& File) {
  const size_t before = Memory().PagefileUsage;
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  TMoCatalog catalog;
  const TMoCatalog::TLoadResult result = catalog.LoadFromFile(File);
  QueryPerformanceCounter(&stop);
  const PROCESS_MEMORY_COUNTERS after = Memory();
  const double ms = 1000.0 * double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  const double peak = double(after.PeakPagefileUsage > before ? after.PeakPagefileUsage - before : 0);
  std::printf("%-9s %9zu entries  %9.2f ms  peak +%8.2f MB  (working set peak %7.2f MB)\n", ResultName(result),
              catalog.Count(), ms, peak / 1048576.0, double(after.PeakWorkingSetSize) / 1048576.0);
  std::fflush(stdout);
  return 0;
}

WideString ThisProgram() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return WideString(buffer, n);
}

void LoadInChild(const WideString& File) {
  WideString command = L"\"" + ThisProgram() + L"\" load \"" + File + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start the load: error %lu\n", GetLastError());
    return;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

struct TKind {
  const char* Name;
  std::function<std::vector<unsigned char>(size_t Bytes)> Make;
};

int RunAll() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const WideString file = WideString(temp) + L"GettextBench.mo";
  const TKind kinds[] = {
      {"usual (distinct entries)", [](size_t b) { return UsualCatalog(b / 40); }},
      {"one translation shared by all", [](size_t b) { return SharedTranslationCatalog(64, b / 24); }},
      {"one unterminated string for every entry", [](size_t b) { return SharedUnterminatedCatalog(b / 2, b / 32); }},
      {"originals a byte apart in one string", [](size_t b) { return ShiftedOriginalsCatalog(b * 7 / 8, b / 128); }},
  };
  for (const TKind& kind : kinds) {
    std::printf("\n%s\n", kind.Name);
    for (size_t kb = 64; kb <= 16384; kb *= 2) {
      const std::vector<unsigned char> data = kind.Make(kb << 10);
      WriteFileBytes(file, data);
      std::printf("  %8.1f KB: ", double(data.size()) / 1024.0);
      std::fflush(stdout);
      LoadInChild(file);
    }
  }
  DeleteFileW(file.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
    const std::string name = argv[2];
    return LoadOne(WideString(name.begin(), name.end()));
  }
  return RunAll();
}
