#include "unicode/UtxLXUtils.h"

#include "classlib/SysUtils.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxWindows.h"

void CheckFileExists(const WideString& FileName) {
  if (!WideFileExists(FileName))
    throw Exception("Internal Error: File does not exist: " + NarrowText(FileName));
}
