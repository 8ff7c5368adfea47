// Drawing objects of the class library over GDI: colours, fonts, brushes, pens, the canvas, and
// the graphics a picture can hold (bitmap, icon, JPEG image).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/TypInfo.h"

// A colour: an RGB value, or a system colour as $FF000000 plus the COLOR_* index.
using TColor = int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

COLORREF ColorToRGB(TColor Color);
// The colour identifiers form descriptions accept for colour properties.
const TIdentInfo& ColorIdents();

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VGT_ENUM(TFontStyle, L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut");
using TFontStyles = TSet<TFontStyle>;

enum class TBrushStyle { bsSolid, bsClear };
VGT_ENUM(TBrushStyle, L"bsSolid", L"bsClear");
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
VGT_ENUM(TPenStyle, L"psSolid", L"psDash", L"psDot", L"psDashDot", L"psDashDotDot", L"psClear");

// A GDI object made on demand; changing a property frees the handle and reports OnChange.
class TGraphicsObject : public TPersistent {
  VGT_CLASS(TGraphicsObject, TPersistent)
 public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
  void FreeObject();
  HGDIOBJ FObject = nullptr;
};

// What a new font starts with: the system's message font as the program first asked for it.
// The program (or a test) may change it; fonts made before keep what they had.
struct TDefaultFontData {
  AnsiString Name;
  int Height = -11;
};
TDefaultFontData& DefaultFontData();

class TFont : public TGraphicsObject {
  VGT_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  void Assign(TPersistent* Source) override;

  HFONT Handle();
  // Takes over a font handle (e.g. the system's message font): its attributes become ours, and
  // the font owns the handle (it deletes it with itself or on the next change, and deletes the
  // handle it had).
  void SetHandle(HFONT Value);

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  int Size() const;
  void SetSize(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

 private:
  AnsiString FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  BYTE FCharset = DEFAULT_CHARSET;
  int FPixelsPerInch = 96;
};

class TBrush : public TGraphicsObject {
  VGT_CLASS(TBrush, TGraphicsObject)
 public:
  void Assign(TPersistent* Source) override;
  HBRUSH Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
};

class TPen : public TGraphicsObject {
  VGT_CLASS(TPen, TGraphicsObject)
 public:
  void Assign(TPersistent* Source) override;
  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = TPenStyle::psSolid;
};

class TGraphic;

enum class TCanvasOrientation { coLeftToRight, coRightToLeft };

// What a drawing operation needs selected into the device context.
enum TCanvasStateBit : uint32_t {
  csHandleValid = 1,
  csFontValid = 2,
  csPenValid = 4,
  csBrushValid = 8,
};

class TCanvas : public TPersistent {
  VGT_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Makes the handle and the given objects valid in the device context.
  void RequiredState(uint32_t State);

  TFont* Font() const { return FFont.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TPen* Pen() const { return FPen.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }

  void TextOut(int X, int Y, const AnsiString& Text);
  void TextRect(const RECT& Rect, int X, int Y, const AnsiString& Text);
  SIZE TextExtent(const AnsiString& Text);
  int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
  void FillRect(const RECT& Rect);
  void FrameRect(const RECT& Rect);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const RECT& Rect, TGraphic* Graphic);

  POINT PenPos() const { return FPenPos; }
  void SetPenPos(POINT Value) { MoveTo(Value.x, Value.y); }
  // ExtTextOut options used by the text operations (ETO_*).
  UINT TextFlags() const { return FTextFlags; }
  void SetTextFlags(UINT Value) { FTextFlags = Value; }
  TCanvasOrientation CanvasOrientation();

  // Notifications around every drawing operation.
  virtual void Changing();
  virtual void Changed();
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Called when a handle is needed and none is set.
  virtual void CreateHandle() {}
  void DeselectHandles();

  HDC FHandle = nullptr;
  uint32_t FState = 0;

 private:
  void FontChanged(TObject*);
  void PenChanged(TObject*);
  void BrushChanged(TObject*);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  POINT FPenPos{0, 0};
  UINT FTextFlags = 0;
  HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
};

// Lends a device context to a canvas for a scope: the canvas lets go of it (and deselects its
// objects) on every way out, so a paint that throws leaves no borrowed context in the canvas.
class TCanvasHandleLoan {
 public:
  TCanvasHandleLoan(TCanvas* Canvas, HDC DC) : FCanvas(Canvas) { FCanvas->SetHandle(DC); }
  ~TCanvasHandleLoan() { FCanvas->SetHandle(nullptr); }
  TCanvasHandleLoan(const TCanvasHandleLoan&) = delete;
  TCanvasHandleLoan& operator=(const TCanvasHandleLoan&) = delete;

 private:
  TCanvas* FCanvas;
};

// ---- Graphics ----

class TGraphic : public TPersistent {
  VGT_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws the graphic into Rect of the canvas (stretched to it).
  virtual void Draw(TCanvas* ACanvas, const RECT& Rect) = 0;
  virtual void LoadFromMemory(const void* Data, size_t Size) = 0;
  void LoadFromFile(const WideString& FileName);
  // Loads the bytes of an RCDATA resource of Instance (a name, or MAKEINTRESOURCE).
  void LoadFromResourceData(HINSTANCE Instance, const wchar_t* Name);
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

using TGraphicClass = TGraphic* (*)();

class TBitmap : public TGraphic {
  VGT_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetSize(int W, int H);
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  // A .bmp file image (with its file header).
  void LoadFromMemory(const void* Data, size_t Size) override;
  void LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name);

  HBITMAP Handle() const { return FHandle; }
  // Takes ownership of Value.
  void SetHandle(HBITMAP Value);
  HBITMAP ReleaseHandle();
  // A canvas drawing on the bitmap.
  TCanvas* Canvas();
  // The colour of pixel (X, Y), for checks and transparency.
  TColor Pixel(int X, int Y);

 private:
  friend class TJPEGImage;
  void FreeImage();
  HBITMAP FHandle = nullptr;
  int FWidth = 0, FHeight = 0;
  std::unique_ptr<TCanvas> FCanvas;
  struct TSelectedBitmap;
  std::unique_ptr<TSelectedBitmap> FDC;
};

class TIcon : public TGraphic {
  VGT_CLASS(TIcon, TGraphic)
 public:
  ~TIcon() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  // A .ico file image; the first icon of its directory.
  void LoadFromMemory(const void* Data, size_t Size) override;
  HICON Handle() const { return FHandle; }
  // Takes ownership of Value unless Shared (system icons are not destroyed).
  void SetHandle(HICON Value, bool Shared = false);

 private:
  void FreeIcon();
  HICON FHandle = nullptr;
  bool FShared = false;
  int FWidth = 0, FHeight = 0;
};

// A JPEG image, decoded on load into a 24-bit bitmap.
class TJPEGImage : public TGraphic {
  VGT_CLASS(TJPEGImage, TGraphic)
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FBitmap->Empty(); }
  int Width() const override { return FBitmap->Width(); }
  int Height() const override { return FBitmap->Height(); }
  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  // Raises EInvalidGraphic on data that is not a JPEG image it can decode.
  void LoadFromMemory(const void* Data, size_t Size) override;
  TBitmap* Bitmap() const { return FBitmap.get(); }

 private:
  std::unique_ptr<TBitmap> FBitmap;
};

VGT_EXCEPTION(EInvalidGraphic, Exception);

// Holds one graphic of any kind; the kind is chosen by the data loaded.
class TPicture : public TPersistent {
  VGT_CLASS(TPicture, TPersistent)
 public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Takes ownership of a copy: Value is assigned into a new graphic of its class.
  void SetGraphic(TGraphic* Value);
  // Typed access: creates an empty graphic of the kind when another kind is held.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  // Recognises BMP, ICO and JPEG data by their first bytes.
  void LoadFromMemory(const void* Data, size_t Size);
  void LoadFromFile(const WideString& FileName);
  // An RCDATA resource of Instance holding BMP, ICO or JPEG data; a missing resource raises
  // EResNotFound naming it.
  void LoadFromResourceName(HINSTANCE Instance, const WideString& Name);
  TNotifyEvent OnChange;

 protected:
  virtual void Changed(TObject* Sender);
  // "Data" in a form description: the picture's file bytes (BMP, ICO or JPEG) in hexadecimal.
  void DefineProperties(TFiler* Filer) override;

 private:
  void Take(TGraphic* Graphic);
  std::unique_ptr<TGraphic> FGraphic;
};
