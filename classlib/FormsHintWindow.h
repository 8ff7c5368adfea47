// The hint window. Part of the Forms unit; include classlib/Forms.h.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "classlib/Forms.h"

// ---- Hint window ----

// The small window that shows a control's hint. Its slots, in order: window creation (the
// creation parameters), painting, activation, activation with data, rectangle calculation.
class THintWindow : public TCustomControl {
  VGT_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows AHint in Rect (screen co-ordinates).
  virtual void ActivateHint(RECT Rect, const AnsiString& AHint);
  virtual void ActivateHintData(RECT Rect, const AnsiString& AHint, void* AData);
  // The size the hint needs at most MaxWidth wide, at (0, 0).
  virtual RECT CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  // Hides the window (destroys it; the next activation makes a new one).
  void ReleaseHandle();
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void CMTextChanged(TMessage& Message);
};
