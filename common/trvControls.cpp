#include "common/trvControls.h"

#include <cstdlib>
#include <vector>

#include "common/trvAPI.h"

// ---- TtrvForm ----

void TtrvForm::InitInstance() {
  // The empty form's own design-font step (AfterConstruction) is left to this one.
  FCreatedThroughCreate = true;
  TUtxForm::InitInstance();
  ApplyDefaultDesignFont();
  SetKeyPreview(true);
}

void TtrvForm::AfterConstruction() {
  if (!FCreatedThroughCreate) ApplyDefaultDesignFont();
  TUtxForm::AfterConstruction();
}

// The class library runs the create event during construction with OldCreateOrder and after it
// without. Swallowing the early call (and clearing the flag) makes the late one run always, so the
// event sees the whole constructor's work.
void TtrvForm::DoCreate() {
  if (OldCreateOrder()) {
    SetOldCreateOrder(false);
    return;
  }
  TUtxForm::DoCreate();
}

void TtrvForm::Loaded() {
  TUtxForm::Loaded();
  SetKeyPreview(true);
}

void TtrvForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_QUERYENDSESSION) {
    // The form never holds up a log-off or shutdown; its close query is not asked.
    Message.Result = 1;
    return;
  }
  TUtxForm::Dispatch(Message);
}

void TtrvForm::ChangeScale(int M, int D) {
  const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
  TUtxForm::ChangeScale(M, D);
  SetClientSize(MulDiv(std::abs(clientWidth), M, D), MulDiv(std::abs(clientHeight), M, D));
  TSizeConstraints* limits = Constraints();
  if (limits->MinWidth() != 0) limits->SetMinWidth(MulDiv(limits->MinWidth(), M, D));
  if (limits->MinHeight() != 0) limits->SetMinHeight(MulDiv(limits->MinHeight(), M, D));
  if (limits->MaxWidth() != 0) limits->SetMaxWidth(MulDiv(limits->MaxWidth(), M, D));
  if (limits->MaxHeight() != 0) limits->SetMaxHeight(MulDiv(limits->MaxHeight(), M, D));
}

void TtrvForm::CenterOnWindow(HWND Wnd) {
  RECT reference{};
  // The handle may come from another process through a COM call: it may never have been a
  // window, or may be gone by now. Such a handle counts as none.
  const bool overWindow = Wnd && IsWindow(Wnd) && GetWindowRect(Wnd, &reference);
  if (!overWindow) reference = GetPrimaryMonitor()->WorkareaRect();
  const int width = Width(), height = Height();
  const int left = (reference.left + reference.right - width) / 2;
  const int top = (reference.top + reference.bottom - height) / 2;
  SetBoundsRect(FitRectIntoWorkArea(RECT{left, top, left + width, top + height}));
}

void TtrvForm::ApplyDesignFont(const LOGFONTW* LogFont, int D, int M, int /*ButtonHeight*/) {
  if (FDesignFontApplied || !LogFont) return;
  FDesignFontApplied = true;
  // A scale of zero or less would leave the form with no size, or a negative one.
  if (M > 0 && D > 0) ChangeScale(M, D);
  // The form's font takes the attributes of the handle; the handle itself stays ours.
  if (HFONT font = ApiCreateFontIndirect(LogFont)) {
    Font()->SetHandle(font);
    DeleteObject(font);
  }
}

void TtrvForm::ApplyDefaultDesignFont() {
  ApplyDesignFont(DefaultDesignLogFont, DefaultDesignFontD, DefaultDesignFontM, DefaultToolButtonHeight);
}

VGT_PUBLISH(TtrvForm) {}
VGT_PUBLISH(TtrvNoResourceForm) {}

// ---- Work areas ----

RECT FitRectIntoWorkArea(const RECT& R) {
  RECT result = R;
  TMonitor* monitor = Screen->MonitorFromRect(R, TMonitorDefaultTo::mdNearest);
  if (!monitor) return result;
  const RECT area = monitor->WorkareaRect();
  if (result.right > area.right) OffsetRect(&result, area.right - result.right, 0);
  if (result.bottom > area.bottom) OffsetRect(&result, 0, area.bottom - result.bottom);
  if (result.top < area.top) OffsetRect(&result, 0, area.top - result.top);
  if (result.left < area.left) OffsetRect(&result, area.left - result.left, 0);
  return result;
}

TMonitor* GetPrimaryMonitor() {
  const int count = Screen->MonitorCount();
  for (int i = 0; i < count; ++i)
    if (Screen->Monitors(i)->Primary()) return Screen->Monitors(i);
  return Screen->Monitors(0);
}

// ---- The screen-cursor stack ----

TCursorDelay::TCursorDelay() : FTimer(new TTimer(nullptr)) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(DelayMilliseconds);
  FTimer->SetOnTimer([this](TObject* Sender) { Tick(Sender); });
}

TCursorDelay::~TCursorDelay() = default;

void TCursorDelay::Start() { FTimer->SetEnabled(true); }
void TCursorDelay::Stop() { FTimer->SetEnabled(false); }
bool TCursorDelay::Running() const { return FTimer->Enabled(); }

void TCursorDelay::Tick(TObject*) {
  FTimer->SetEnabled(false);
  Screen->SetCursor(crDefault);
}

namespace {

// Made on first use, on the user-interface thread, and gone before the class library's globals.
struct TCursorStack {
  std::vector<TCursor> Saved;
  TCursorDelay Delay;
};

TCursorStack& CursorStack() {
  static TCursorStack stack;
  return stack;
}

void PushCursor(TCursor Shown) {
  TCursorStack& stack = CursorStack();
  stack.Delay.Stop();
  stack.Saved.push_back(Screen->Cursor());
  Screen->SetCursor(Shown);
}

}  // namespace

void PushHourGlassCursor() { PushCursor(crHourGlass); }
void PushDefaultCursor() { PushCursor(crDefault); }

void PopCursor() {
  TCursorStack& stack = CursorStack();
  if (stack.Saved.empty()) return;
  // The last pop leaves the cursor for a moment: a push right after it then does not flicker, and
  // the cursor finally shown is crDefault, not the one the first push found.
  const bool last = stack.Saved.size() == 1;
  const TCursor saved = stack.Saved.back();
  stack.Saved.pop_back();
  if (last) stack.Delay.Start();
  else Screen->SetCursor(saved);
}

int CursorStackDepth() { return static_cast<int>(CursorStack().Saved.size()); }

TPushedCursor::TPushedCursor(TKind Kind) {
  if (Kind == TKind::HourGlass) PushHourGlassCursor();
  else PushDefaultCursor();
}

TPushedCursor::~TPushedCursor() {
  try {
    PopCursor();
  } catch (...) {
    // No timer to be had: the cursor stays as it is rather than the unwinding stop here.
  }
}
