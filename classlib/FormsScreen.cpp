// The screen: the program's forms, the active form, the screen cursor and the monitors.
#include "classlib/FormsScreen.h"

#include <algorithm>
#include <exception>

#include "base/DeviceContext.h"

// ======================= Screen =======================

RECT TMonitor::BoundsRect() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return mi.rcMonitor;
}

RECT TMonitor::WorkareaRect() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return mi.rcWork;
}

bool TMonitor::Primary() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.Remove(Form);
  if (FActiveForm == Form) FActiveForm = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) { FActiveForm = Form; }

void TScreen::SetCursor(TCursor Value) {
  ScreenCursor = Value;
  if (Value == crDefault) {
    // The window under the mouse, if it is ours, chooses its own cursor again.
    POINT p;
    GetCursorPos(&p);
    HWND wnd = WindowFromPoint(p);
    if (wnd && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = SendMessageA(wnd, WM_NCHITTEST, 0, PointToLParam(p));
      SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(hit, WM_MOUSEMOVE));
      return;
    }
  }
  ::SetCursor(CursorHandle(Value));
}

int TScreen::PixelsPerInch() const {
  return GetDeviceCaps(TWindowDC(), LOGPIXELSY);
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

namespace {

struct MonitorHandles {
  std::vector<HMONITOR> Handles;
  std::exception_ptr Failure;  // what stopped the enumeration, raised once it is over
};

// Exceptions stop here: they cannot cross the platform's enumeration.
BOOL CALLBACK CollectMonitor(HMONITOR m, HDC, LPRECT, LPARAM d) {
  auto* found = reinterpret_cast<MonitorHandles*>(d);
  try {
    found->Handles.push_back(m);
    return TRUE;
  } catch (...) {
    found->Failure = std::current_exception();
    return FALSE;
  }
}

}  // namespace

void TScreen::RefreshMonitors() {
  MonitorHandles found;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&found));
  if (found.Failure) std::rethrow_exception(found.Failure);
  const std::vector<HMONITOR>& handles = found.Handles;
  FMonitors.clear();
  for (size_t i = 0; i < handles.size(); ++i) FMonitors.emplace_back(new TMonitor(handles[i], static_cast<int>(i)));
}

int TScreen::MonitorCount() {
  RefreshMonitors();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int Index) {
  if (FMonitors.empty()) RefreshMonitors();
  return FMonitors.at(static_cast<size_t>(Index)).get();
}

TMonitor* TScreen::MonitorOf(HMONITOR H) {
  if (!H) return nullptr;
  for (auto& m : FMonitors)
    if (m->Handle() == H) return m.get();
  RefreshMonitors();
  for (auto& m : FMonitors)
    if (m->Handle() == H) return m.get();
  return nullptr;
}

static DWORD MonitorFlag(TMonitorDefaultTo d) {
  return d == TMonitorDefaultTo::mdNearest ? MONITOR_DEFAULTTONEAREST
         : d == TMonitorDefaultTo::mdNull  ? MONITOR_DEFAULTTONULL
                                           : MONITOR_DEFAULTTOPRIMARY;
}

TMonitor* TScreen::MonitorFromRect(const RECT& Rect, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromRect(&Rect, MonitorFlag(Default)));
}

TMonitor* TScreen::MonitorFromPoint(POINT P, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromPoint(P, MonitorFlag(Default)));
}

TMonitor* TScreen::MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromWindow(Wnd, MonitorFlag(Default)));
}
