#include "protocol/uVgtSignal.h"

#include "VgtDialog_h.h"
#include "base/GuidText.h"

WideString ZoneDialogSignalProperty() {
  static const WideString name = GuidText(IID_IZoneDialog);
  return name;
}
