// Allocations that fail on demand, to prove that no failed allocation leaves a load as an
// exception. The program that links FailingAllocations.cpp replaces the global operator new;
// only the thread that asks sees failures, so gtest and Wine go on as usual.
#pragma once

// Lets Count allocations of this thread succeed and refuses every later one, until destroyed.
class TFailingAllocations {
 public:
  explicit TFailingAllocations(long Count);
  ~TFailingAllocations();
  TFailingAllocations(const TFailingAllocations&) = delete;
  TFailingAllocations& operator=(const TFailingAllocations&) = delete;
  // Whether an allocation of this thread was refused since the last start.
  static bool Refused();
};
