// Figures of a benchmark for tools/bench.sh. Each figure is one line,
//   BENCH<tab>what<tab>value<tab>unit<tab>baseline
// where baseline names another figure of the same run ("-" for none): the table shows the ratio
// of the two as measured in one run, which stays meaningful on a loaded machine where absolute
// times do not. The benchmark's own readable lines may stand beside them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / perMs;
}

inline double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

inline void Figure(const char* What, double Value, const char* Unit = "ms", const char* Baseline = nullptr) {
  std::printf("BENCH\t%s\t%.4f\t%s\t%s\n", What, Value, Unit, Baseline ? Baseline : "-");
  std::fflush(stdout);
}

}  // namespace bench
