// A critical section object and a scoped guard for it.
#pragma once

#include <windows.h>

#include "classlib/System.h"

class TCriticalSection : public TObject {
  VGT_CLASS(TCriticalSection, TObject)
 public:
  TCriticalSection();
  ~TCriticalSection() override;
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Acquire() { EnterCriticalSection(&FSection); }
  void Release() { LeaveCriticalSection(&FSection); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }

 private:
  CRITICAL_SECTION FSection;
};

// Holds a TCriticalSection from construction to the end of the scope.
class TCriticalSectionGuard {
 public:
  explicit TCriticalSectionGuard(TCriticalSection& Section) : FSection(Section) { FSection.Acquire(); }
  ~TCriticalSectionGuard() { FSection.Release(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

 private:
  TCriticalSection& FSection;
};
