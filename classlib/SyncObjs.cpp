#include "classlib/SyncObjs.h"

TCriticalSection::TCriticalSection() {
  InitializeCriticalSection(&FSection);
}

TCriticalSection::~TCriticalSection() {
  DeleteCriticalSection(&FSection);
}
