#include "classlib/SysUtils.h"

#include "base/TextConversion.h"

WideString Exception::WideMessage() const {
  return CodePageToWide(FMessage, CP_ACP);
}
