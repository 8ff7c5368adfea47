// Load time and peak memory of catalogs of growing size, usual and hostile. Each load runs in a
// process of its own (this program, started again with "load <file>"), so every peak is that one
// load's. Both columns per file byte stay flat when loading is linear in the catalog's size.
//   GettextBench            all kinds, 64 KB to 16 MB
//   GettextBench load FILE BYTES [LABEL]  one load (used by the above; LABEL names its figure)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/support/MoCatalogMaker.h"
#include "tests/support/BenchFigures.h"
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

int LoadOne(const WideString& File, double FileBytes, const char* Label) {
  const PROCESS_MEMORY_COUNTERS before = Memory();
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  TMoCatalog catalog;
  const TMoCatalog::TLoadResult result = catalog.LoadFromFile(File);
  QueryPerformanceCounter(&stop);
  const PROCESS_MEMORY_COUNTERS after = Memory();
  const double ms = 1000.0 * double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  auto growth = [](size_t peak, size_t base) { return double(peak > base ? peak - base : 0); };
  const double workingSet = growth(after.PeakWorkingSetSize, before.WorkingSetSize);
  const double pagefile = growth(after.PeakPagefileUsage, before.PagefileUsage);
  const double mb = FileBytes / 1048576.0;
  std::printf("%-8s %7zu entries %8.2f ms (%6.2f ms/MB)  peak working set +%6.2f MB (%4.2f x file), "
              "private +%6.2f MB (%4.2f x file)\n",
              ResultName(result), catalog.Count(), ms, ms / mb, workingSet / 1048576.0, workingSet / FileBytes,
              pagefile / 1048576.0, pagefile / FileBytes);
  std::fflush(stdout);
  if (Label) {
    const std::string what = std::string("gettext: ") + Label;
    const size_t kb = what.rfind(", ");
    bench::Figure((what + ", ms a MB").c_str(), ms / mb, "ms/MB",
                  kb == std::string::npos ? nullptr : (what.substr(0, kb) + ", 64 KB, ms a MB").c_str());
  }
  return 0;
}

WideString ThisProgram() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return WideString(buffer, n);
}

void LoadInChild(const WideString& File, size_t FileBytes, const std::string& Label) {
  WideString command =
      L"\"" + ThisProgram() + L"\" load \"" + File + L"\" " + std::to_wstring(FileBytes);
  if (!Label.empty()) command += L" \"" + WideString(Label.begin(), Label.end()) + L"\"";
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
      {"64-byte windows of one string, just within what a catalog may name",
       [](size_t b) {
         const size_t entries = b / 33, length = entries * 17;
         TMoCatalogMaker maker;
         const TMoText shared = maker.AddText(std::string(length, 'w'), false);
         for (size_t i = 0; i < entries; ++i) {
           const TMoText window{shared.At + static_cast<uint32_t>(i % (length - 64)), 64};
           maker.AddEntry(window, window);
         }
         return maker.Build();
       }},
      {"one unterminated string for every entry", [](size_t b) { return SharedUnterminatedCatalog(b / 2, b / 32); }},
      {"originals a byte apart in one string", [](size_t b) { return ShiftedOriginalsCatalog(b * 7 / 8, b / 128); }},
  };
  int kindNumber = 0;
  for (const TKind& kind : kinds) {
    ++kindNumber;
    std::printf("\n%s\n", kind.Name);
    for (size_t kb = 64; kb <= 16384; kb *= 2) {
      const std::vector<unsigned char> data = kind.Make(kb << 10);
      WriteFileBytes(file, data);
      std::printf("  %7.0f KB: ", double(data.size()) / 1024.0);
      std::fflush(stdout);
      // The figures: the smallest and largest of each kind, the largest against the smallest.
      const std::string label = kb == 64 || kb == 16384
                                    ? "kind " + std::to_string(kindNumber) + ", " + (kb == 64 ? "64 KB" : "16 MB")
                                    : std::string();
      LoadInChild(file, data.size(), label);
    }
  }
  DeleteFileW(file.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "load") == 0) {
    const std::string name = argv[2];
    return LoadOne(WideString(name.begin(), name.end()), std::atof(argv[3]), argc == 5 ? argv[4] : nullptr);
  }
  return RunAll();
}
