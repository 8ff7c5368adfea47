// The timer component. Its hidden window exists only while the timer runs.
#pragma once

#include "classlib/Controls.h"

class TTimer : public TComponent {
  VGT_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner) : TComponent(AOwner) {}
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  // Runs every Interval milliseconds while enabled; an exception goes to the application's
  // HandleException and the timer keeps running.
  TNotifyEvent OnTimer;
  void SetOnTimer(TNotifyEvent Value);
  void Loaded() override;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);
  HWND FWindow = nullptr;
  bool FEnabled = true;
  unsigned FInterval = 1000;
};
