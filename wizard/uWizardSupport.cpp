#include "wizard/uWizardSupport.h"

#include "classlib/Forms.h"
#include "common/trvTools.h"
#include "unicode/UtxWindows.h"

void UseDialogFont(TFont* Font) { Font->SetName(NarrowText(GetDialogFontName())); }

void AddFontStyle(TControl* Control, TFontStyle Style) {
  TFontStyles styles = Control->Font()->Style();
  styles.Include(Style);
  Control->Font()->SetStyle(styles);
}

void SetApplicationTitleWide(const WideString& Title) {
  Application->SetTitle(NarrowText(Title));
  if (UnicodePlatform() && Application->HandleAllocated())
    DefWindowProcW(Application->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Title.c_str()));
}
