// The timer component (its hidden window exists only while the timer runs), the image, the
// panel and the control bar.
#pragma once

#include <memory>

#include "classlib/Controls.h"
#include "classlib/StdCtrls.h"

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

// ======================= Image =======================

// Shows a picture: at its own size, stretched (optionally keeping its proportions) or centred.
class TImage : public TGraphicControl {
  VGT_CLASS(TImage, TGraphicControl)
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  // Copies Value into the image's own picture.
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  // A transparent bitmap leaves out the colour of its bottom-left pixel.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Where the picture is drawn, in client co-ordinates.
  RECT DestRect();
  TNotifyEvent OnProgress;

 protected:
  void Paint() override;
  // The picture changed: resize (AutoSize) and repaint.
  virtual void PictureChanged(TObject* Sender);
  // The picture object, for a derived image that puts a picture class of its own in place.
  std::unique_ptr<TPicture> FPicture;

 private:
  bool FAutoSize = false;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
};

// ======================= Panel =======================

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
VGT_ENUM(TBevelCut, L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace");
using TBevelWidth = int;
// The window's own edge, drawn in its frame around the client area (apart from the panel's face
// bevels): none, raised-and-sunken tiles, soft, or flat.
enum class TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
VGT_ENUM(TBevelKind, L"bkNone", L"bkTile", L"bkSoft", L"bkFlat");
enum class TBevelEdge { beLeft, beTop, beRight, beBottom };
VGT_ENUM(TBevelEdge, L"beLeft", L"beTop", L"beRight", L"beBottom");
using TBevelEdges = TSet<TBevelEdge>;

// The colours of a three-dimensional edge: top-left and bottom-right.
void GetBevelColors(TBevelCut Cut, TColor& TopColor, TColor& BottomColor);
// Draws Width nested frame lines inside Rect (top and left in TopColor, bottom and right in
// BottomColor) and leaves Rect inside them.
void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width);

class TCustomPanel : public TCustomControl {
  VGT_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind Value);
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges Value);
  // The frame's width on each side (left, top, right, bottom) that the window's edge takes.
  RECT BevelEdgeWidths() const;
  // Children are aligned inside the border and the bevels.
  void AdjustClientRect(RECT& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // The painting slot: bevels, border, face and caption.
  void Paint() override;
  // Paints the bevels, the border and the face (unless the parent's background shows); answers
  // the rectangle inside them, where the caption goes.
  RECT PaintFrame();
  // Whether the face is left to the parent's themed background.
  bool ShowsParentBackground() const;

  TAlignment FAlignment = TAlignment::taCenter;
  TBevelCut FBevelInner = TBevelCut::bvNone;
  TBevelCut FBevelOuter = TBevelCut::bvRaised;
  TBevelWidth FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = TBorderStyle::bsNone;
  bool FFullRepaint = true;
  bool FLocked = false;

 private:
  void EdgeChanged();
  void PaintEdge();
  TBevelKind FBevelKind = TBevelKind::bkNone;
  TBevelEdges FBevelEdges{TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight, TBevelEdge::beBottom};
};

class TPanel : public TCustomPanel {
  VGT_CLASS(TPanel, TCustomPanel)
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ======================= Control bar =======================

// A bar of bands: each child control sits in a band with a grip at its left, the bands in rows of
// RowSize pixels. A child's row comes from its Top, its place in the row from its Left.
class TCustomControlBar : public TCustomControl {
  VGT_CLASS(TCustomControlBar, TCustomControl)
 public:
  explicit TCustomControlBar(TComponent* AOwner);
  ~TCustomControlBar() override;

  int RowSize() const { return FRowSize; }
  void SetRowSize(int Value);
  bool RowSnap() const { return FRowSnap; }
  void SetRowSnap(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // A picture tiled behind the bands.
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  // The band of a child: the child with its grip; empty for a child that is no band.
  RECT BandRect(TControl* Control) const;
  // Width of the grip in front of every band's control.
  static constexpr int GripWidth = 11;
  TNotifyEvent OnPaint;
  void Dispatch(TMessage& Message) override;

 protected:
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void Paint() override;
  virtual void PaintBand(TControl* Control, const RECT& Band);

 private:
  std::unique_ptr<TPicture> FPicture;
  int FRowSize = 26;
  bool FRowSnap = true;
  bool FAutoSize = false;
  TBevelCut FBevelInner = TBevelCut::bvRaised;
  TBevelCut FBevelOuter = TBevelCut::bvLowered;
  bool FArranging = false;
};

class TControlBar : public TCustomControlBar {
  VGT_CLASS(TControlBar, TCustomControlBar)
 public:
  explicit TControlBar(TComponent* AOwner) : TCustomControlBar(AOwner) {}
};

// The control bar's properties in form descriptions, for every published control bar (the class
// library's and the Unicode layer's).
template <class C>
TPublisher<C>& PublishControlBar(TPublisher<C>& P) {
  return P.Prop(L"AutoSize", &TCustomControlBar::AutoSize, &TCustomControlBar::SetAutoSize)
      .Prop(L"BevelInner", &TCustomControlBar::BevelInner, &TCustomControlBar::SetBevelInner)
      .Prop(L"BevelOuter", &TCustomControlBar::BevelOuter, &TCustomControlBar::SetBevelOuter)
      .Prop(L"Picture", &TCustomControlBar::Picture, &TCustomControlBar::SetPicture)
      .Prop(L"RowSize", &TCustomControlBar::RowSize, &TCustomControlBar::SetRowSize)
      .Prop(L"RowSnap", &TCustomControlBar::RowSnap, &TCustomControlBar::SetRowSnap)
      .Event(L"OnPaint", &TCustomControlBar::OnPaint);
}
