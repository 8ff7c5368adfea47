// Unicode forms, the scroll box and the application's Unicode companion: forms get Unicode windows
// and wide captions and hints, the application keeps a wide hint for status lines, and typed
// characters above $FF reach Unicode windows past the class library's 8-bit message loop.
#pragma once

#include <windows.h>

#include "classlib/Forms.h"
#include "unicode/UtxActnList.h"
#include "unicode/UtxControlBase.h"
#include "unicode/UtxControls.h"

// The form every window of the programs descends from. Its descriptions are read for the classes
// below TUtxForm; a TUtxForm itself reads none.
class TUtxForm : public TUtxControlBase<TForm> {
  VGT_CLASS(TUtxForm, TForm)
 public:
  using TUtxControlBase::TUtxControlBase;

  // The inherited action update, then the application's wide hint.
  void UpdateActions() override;

 protected:
  TClass DescriptionRootClass() const override { return TUtxForm::StaticClass(); }
  // A layered window is made plain and gets its attributes once it exists.
  void CreateWindowHandle(const TCreateParams& Params) override;
  void DestroyWindowHandle() override;
};

// The scroll box with a Unicode window and a wide hint.
class TUtxScrollBox : public TUtxControlBase<TScrollBox> {
  VGT_CLASS(TUtxScrollBox, TScrollBox)
 public:
  using TUtxControlBase::TUtxControlBase;

  void Dispatch(TMessage& Message) override;

 private:
  int FSizeDepth = 0;
};

class TUtxApplication;

// Lets the class library's idle action updating reach the wide hint on a main form that is not
// a TUtxForm.
class TUtxAppIdleEventControl : public TControl {
  VGT_CLASS(TUtxAppIdleEventControl, TControl)
 public:
  explicit TUtxAppIdleEventControl(TComponent* AOwner);
  ~TUtxAppIdleEventControl() override;
};

class TUtxApplication : public TComponent {
  VGT_CLASS(TUtxApplication, TComponent)
 public:
  TUtxApplication();
  ~TUtxApplication() override;

  // Hooked into the class library application's main window.
  bool ApplicationMainWindowHook(TMessage& Message);
  // Consumes a WM_CHAR above $FF for a Unicode window by dispatching it as a wide message.
  bool ProcessWideCharMessage(MSG& Msg);

 private:
  friend WideString ApplicationWideHint();
  friend void SetApplicationWideHint(const WideString&);
  friend class TUtxAppIdleEventControl;
  WideString FWideHint;
  TUtxAppIdleEventControl* FIdleEventControl = nullptr;
  bool FMainFormSeen = false;
};

// The one TUtxApplication while the unit is started, else nullptr.
extern TUtxApplication* UtxApplication;

// The application's wide hint (held against the class library application's 8-bit hint).
WideString ApplicationWideHint();
void SetApplicationWideHint(const WideString& Value);
// The long part of the wide hint of the control under the mouse (or of its parents).
void UpdateApplicationWideHint();
// The get-message hook of the user-interface thread.
LRESULT CALLBACK WideCharMessageHook(int Code, WPARAM WParam, LPARAM LParam);
// True when the class library application has a dialog window and it takes the message.
bool IsApplicationDialogMessage(MSG& Msg);
// True inside the platform's server host processes (w3wp, dllhost).
bool IsServerHostProcess();

// Start and stop of the unit (the first start and the last stop act): the TUtxApplication and,
// on NT, the get-message hook for the calling thread. The programs call these after the class
// library application is initialised.
void UtxFormsStart();
void UtxFormsStop();
