#include "wizard/uWizardSupport.h"

void AddFontStyle(TControl* Control, TFontStyle Style) {
  TFontStyles styles = Control->Font()->Style();
  styles.Include(Style);
  Control->Font()->SetStyle(styles);
}
