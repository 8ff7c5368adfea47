#include "classlib/ExtCtrls.h"

TTimer::~TTimer() {
  if (FWindow) {
    KillTimer(FWindow, 1);
    DeallocateHWnd(FWindow);
  }
}

void TTimer::SetEnabled(bool Value) {
  if (ChangeField(FEnabled, Value)) UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (ChangeField(FInterval, Value)) UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  OnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FWindow) KillTimer(FWindow, 1);
  if (HasState(csLoading) || !FEnabled || FInterval == 0 || !OnTimer) return;
  if (!FWindow) FWindow = AllocateHWnd(TWndMethod::Of<TTimer, &TTimer::WndProc>(this));
  if (!SetTimer(FWindow, 1, FInterval, nullptr)) throw EOutOfResources("Zu wenig Zeitgeber verfügbar");
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  // A timer freed by its own handler is deleted once the handler is done.
  TBusyScope busy(this);
  try {
    Timer();
  } catch (...) {
    HandleCurrentException(this);
  }
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

VGT_PUBLISH(TTimer) {
  P.Prop(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
      .Prop(L"Interval", &TTimer::Interval, &TTimer::SetInterval)
      .Prop(L"OnTimer", [](TTimer* t) { return t->OnTimer; }, &TTimer::SetOnTimer);
}

VGT_UNIT_ANCHOR(ExtCtrls)
