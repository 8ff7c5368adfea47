// The screen: the program's forms, the active form, the screen cursor and the monitors. Part of
// the Forms unit; include classlib/Forms.h.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "classlib/Forms.h"

// ---- Screen ----

class TMonitor : public TObject {
  VGT_CLASS(TMonitor, TObject)
 public:
  explicit TMonitor(HMONITOR H, int Num) : FHandle(H), FNum(Num) {}
  HMONITOR Handle() const { return FHandle; }
  int MonitorNum() const { return FNum; }
  RECT BoundsRect() const;
  RECT WorkareaRect() const;
  bool Primary() const;

 private:
  HMONITOR FHandle;
  int FNum;
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TScreen : public TComponent {
  VGT_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveForm ? FActiveForm->ActiveControl() : nullptr; }

  // The cursor shown over every window of the program (crDefault: the controls' own).
  TCursor Cursor() const { return ScreenCursor; }
  void SetCursor(TCursor Value);
  HCURSOR Cursors(TCursor Index) const { return CursorHandle(Index); }

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() const;
  RECT WorkAreaRect() const;
  int MonitorCount();
  TMonitor* Monitors(int Index);
  TMonitor* MonitorFromRect(const RECT& Rect, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  TMonitor* MonitorFromPoint(POINT P, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  TMonitor* MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);

  TFont* HintFont() const { return FHintFont.get(); }
  TFont* IconFont() const { return FIconFont.get(); }
  TFont* MenuFont() const { return FMenuFont.get(); }

 private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  TMonitor* MonitorOf(HMONITOR H);
  void RefreshMonitors();

  TLiveList<TCustomForm> FForms;
  TCustomForm* FActiveForm = nullptr;
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
  std::unique_ptr<TFont> FHintFont, FIconFont, FMenuFont;
};
