// Controls that paint on a canvas: the control canvas, graphic controls (painted by their
// parent) and custom controls (windowed, painting their own window).
#include "classlib/Controls.h"

// ======================= TControlCanvas =======================

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    FDeviceContext = std::make_unique<TWindowDC>(w->Handle());
  } else {
    TWinControl* p = FControl->Parent();
    if (!p) return;
    FDeviceContext = std::make_unique<TWindowDC>(p->Handle());
    SetViewportOrgEx(*FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
    IntersectClipRect(*FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
  }
  SetHandle(*FDeviceContext);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  // The canvas lets go of the context (its objects deselected) before the context goes back.
  std::unique_ptr<TWindowDC> dc = std::move(FDeviceContext);
  SetHandle(nullptr);
}

// ======================= TGraphicControl / TCustomControl =======================

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TControlCanvas(this)) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() const { return FCanvas.get(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_PAINT || !Message.WParam) {
    TControl::Dispatch(Message);
    return;
  }
  // Painted by the parent, in its device context moved to our origin.
  FCanvas->FreeHandle();
  TCanvasHandleLoan loan(FCanvas.get(), reinterpret_cast<HDC>(Message.WParam));
  FCanvas->Font()->Assign(Font());
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {
  FControlState |= csCustomPaint;
}
TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas() const { return FCanvas.get(); }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  TCanvasHandleLoan loan(FCanvas.get(), DC);
  FCanvas->Font()->Assign(Font());
  FCanvas->Brush()->SetColor(FColor);
  Paint();
}
