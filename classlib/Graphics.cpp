#include "classlib/Graphics.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <csetjmp>
#include <cstdlib>
#include <utility>

// The JPEG library's configuration uses the platform's own boolean (unsigned char).
#include <jpeglib.h>

#include "base/DeviceContext.h"
#include "base/KernelHandle.h"
#include "classlib/Filer.h"
#include "classlib/ResStrings.h"

namespace {

int ScreenLogPixelsY() {
  static int dpi = [] {
    const int v = GetDeviceCaps(TWindowDC(), LOGPIXELSY);
    return v > 0 ? v : 96;
  }();
  return dpi;
}

std::vector<unsigned char> ReadWholeFile(const WideString& FileName) {
  TKernelHandle file(
      CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) throw EFOpenError("Datei kann nicht geöffnet werden");
  std::vector<unsigned char> data;
  DWORD size = GetFileSize(file.Get(), nullptr);
  if (size != INVALID_FILE_SIZE) {
    data.resize(size);
    DWORD got = 0;
    if (size && !ReadFile(file.Get(), data.data(), size, &got, nullptr)) got = 0;
    data.resize(got);
  }
  return data;
}

}  // namespace

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

const TIdentInfo& ColorIdents() {
  static const TIdentInfo info{{
      {L"clBlack", clBlack}, {L"clMaroon", clMaroon}, {L"clGreen", clGreen}, {L"clNavy", clNavy},
      {L"clGray", clGray}, {L"clSilver", clSilver}, {L"clRed", clRed}, {L"clLime", clLime},
      {L"clBlue", clBlue}, {L"clYellow", clYellow}, {L"clWhite", clWhite}, {L"clNone", clNone},
      {L"clDefault", clDefault}, {L"clScrollBar", clScrollBar}, {L"clBackground", clBackground},
      {L"clActiveCaption", clActiveCaption}, {L"clWindow", clWindow}, {L"clWindowText", clWindowText},
      {L"clWindowFrame", clWindowFrame}, {L"clHighlight", clHighlight},
      {L"clHighlightText", clHighlightText}, {L"clBtnFace", clBtnFace}, {L"clBtnShadow", clBtnShadow},
      {L"clGrayText", clGrayText}, {L"clBtnText", clBtnText}, {L"clBtnHighlight", clBtnHighlight},
      {L"clInfoText", clInfoText}, {L"clInfoBk", clInfoBk},
  }};
  return info;
}

// ---- TGraphicsObject ----

TGraphicsObject::~TGraphicsObject() { FreeObject(); }

void TGraphicsObject::FreeObject() {
  if (FObject) DeleteObject(FObject);
  FObject = nullptr;
}

// The owner (a canvas that has the object selected) hears of the change first and selects it
// out: a GDI object still selected into a device context cannot be deleted and would leak.
void TGraphicsObject::Changed() {
  TGdiObject<HGDIOBJ> old(std::exchange(FObject, nullptr));
  if (OnChange) OnChange(this);
}

// ---- TFont ----

TDefaultFontData& DefaultFontData() {
  // The dialog font of the system is the library's default face; asked once, not per font.
  static TDefaultFontData data = [] {
    TDefaultFontData d;
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    bool got = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0) != 0;
    if (!got) {
      // Older systems know only the record without its last field.
      m.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
      got = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0) != 0;
    }
    if (got) {
      d.Name = m.lfMessageFont.lfFaceName;
      d.Height = m.lfMessageFont.lfHeight < 0 ? m.lfMessageFont.lfHeight : -m.lfMessageFont.lfHeight;
      if (d.Height == 0) d.Height = -11;
    }
    return d;
  }();
  return data;
}

TFont::TFont() {
  const TDefaultFontData& d = DefaultFontData();
  if (!d.Name.empty()) {
    FName = d.Name;
    FHeight = d.Height;
  }
  FPixelsPerInch = ScreenLogPixelsY();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    FName = f->FName;
    FHeight = f->FHeight;
    FColor = f->FColor;
    FStyle = f->FStyle;
    FCharset = f->FCharset;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HFONT TFont::Handle() {
  if (!FObject) {
    LOGFONTA lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(TFontStyle::fsItalic);
    lf.lfUnderline = FStyle.Contains(TFontStyle::fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
    FObject = CreateFontIndirectA(&lf);
  }
  return static_cast<HFONT>(FObject);
}

void TFont::SetHandle(HFONT Value) {
  LOGFONTA lf{};
  if (!Value || Value == FObject) return;
  if (!GetObjectA(Value, sizeof lf, &lf)) {
    DeleteObject(Value);  // ours to delete, though no font
    return;
  }
  FName = lf.lfFaceName;
  FHeight = lf.lfHeight;
  FCharset = lf.lfCharSet;
  TFontStyles s;
  if (lf.lfWeight >= FW_BOLD) s.Include(TFontStyle::fsBold);
  if (lf.lfItalic) s.Include(TFontStyle::fsItalic);
  if (lf.lfUnderline) s.Include(TFontStyle::fsUnderline);
  if (lf.lfStrikeOut) s.Include(TFontStyle::fsStrikeOut);
  FStyle = s;
  Changed();
  // The handle given is the font's handle from now on, deleted with the font or the next change.
  FreeObject();
  FObject = Value;
}

void TFont::SetName(const AnsiString& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (ChangeField(FHeight, Value)) Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  if (OnChange) OnChange(this);  // the colour is not part of the GDI font
}

void TFont::SetStyle(TFontStyles Value) {
  if (ChangeField(FStyle, Value)) Changed();
}

void TFont::SetCharset(BYTE Value) {
  if (ChangeField(FCharset, Value)) Changed();
}

// ---- TBrush / TPen ----

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HBRUSH TBrush::Handle() {
  if (!FObject) {
    if (FStyle == TBrushStyle::bsClear) FObject = GetStockObject(NULL_BRUSH);
    else FObject = CreateSolidBrush(ColorToRGB(FColor));
    if (FStyle == TBrushStyle::bsClear) {
      HGDIOBJ stock = FObject;
      FObject = nullptr;  // stock objects are never deleted
      return static_cast<HBRUSH>(stock);
    }
  }
  return static_cast<HBRUSH>(FObject);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle == TBrushStyle::bsSolid) return;
  FColor = Value;
  FStyle = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (ChangeField(FStyle, Value)) Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HPEN TPen::Handle() {
  if (!FObject) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
    FObject = CreatePen(styles[static_cast<int>(FStyle)], FWidth, ColorToRGB(FColor));
  }
  return static_cast<HPEN>(FObject);
}

void TPen::SetColor(TColor Value) {
  if (ChangeField(FColor, Value)) Changed();
}

void TPen::SetWidth(int Value) {
  if (ChangeField(FWidth, Value)) Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (ChangeField(FStyle, Value)) Changed();
}

// ---- TCanvas ----

TCanvas::TCanvas() : FFont(new TFont), FBrush(new TBrush), FPen(new TPen) {
  FFont->OnChange = [this](TObject* s) { FontChanged(s); };
  FBrush->OnChange = [this](TObject* s) { BrushChanged(s); };
  FPen->OnChange = [this](TObject* s) { PenChanged(s); };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  RequiredState(csHandleValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = Value;
  FState = Value ? static_cast<uint32_t>(csHandleValid) : 0u;
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FOldFont) SelectObject(FHandle, FOldFont);
  if (FOldPen) SelectObject(FHandle, FOldPen);
  if (FOldBrush) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FState &= csHandleValid;
}

void TCanvas::RequiredState(uint32_t State) {
  uint32_t need = State & ~FState;
  if (!need) return;
  if (need & csHandleValid) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Leinwand/Bild erlaubt kein Zeichnen");
  }
  if (need & csFontValid) {
    HGDIOBJ old = SelectObject(FHandle, FFont->Handle());
    if (!FOldFont) FOldFont = old;
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  }
  if (need & csPenValid) {
    HGDIOBJ old = SelectObject(FHandle, FPen->Handle());
    if (!FOldPen) FOldPen = old;
  }
  if (need & csBrushValid) {
    HGDIOBJ old = SelectObject(FHandle, FBrush->Handle());
    if (!FOldBrush) FOldBrush = old;
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, FBrush->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
  }
  FState |= State;
}

// A handle change of one of the objects: the old GDI object may be selected, so select the
// original back before the object frees it.
void TCanvas::FontChanged(TObject*) {
  if (FHandle && (FState & csFontValid)) {
    if (FOldFont) SelectObject(FHandle, FOldFont);
    FOldFont = nullptr;
    FState &= ~csFontValid;
  }
}
void TCanvas::PenChanged(TObject*) {
  if (FHandle && (FState & csPenValid)) {
    if (FOldPen) SelectObject(FHandle, FOldPen);
    FOldPen = nullptr;
    FState &= ~csPenValid;
  }
}
void TCanvas::BrushChanged(TObject*) {
  if (FHandle && (FState & csBrushValid)) {
    if (FOldBrush) SelectObject(FHandle, FOldBrush);
    FOldBrush = nullptr;
    FState &= ~csBrushValid;
  }
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  RequiredState(csHandleValid);
  return (GetTextAlign(FHandle) & TA_RTLREADING) ? TCanvasOrientation::coRightToLeft
                                                  : TCanvasOrientation::coLeftToRight;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  if (CanvasOrientation() == TCanvasOrientation::coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutA(FHandle, X, Y, FTextFlags, nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const RECT& Rect, int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = FTextFlags | ETO_CLIPPED;
  if (FBrush->Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, X, Y, options, &Rect, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const AnsiString& Text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE s{0, 0};
  GetTextExtentPoint32A(FHandle, Text.c_str(), static_cast<int>(Text.size()), &s);
  return s;
}

void TCanvas::FillRect(const RECT& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FillRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  ::FrameRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::MoveTo(int X, int Y) {
  FPenPos = POINT{X, Y};
  if (FHandle) MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
  ::LineTo(FHandle, X, Y);
  FPenPos = POINT{X, Y};
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(RECT{X, Y, X + Graphic->Width(), Y + Graphic->Height()}, Graphic);
}

void TCanvas::StretchDraw(const RECT& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState(csHandleValid);
  Graphic->Draw(this, Rect);
  Changed();
}

// ---- TGraphic ----

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const WideString& FileName) {
  auto data = ReadWholeFile(FileName);
  LoadFromMemory(data.data(), data.size());
}

void TGraphic::LoadFromResourceData(HINSTANCE Instance, const wchar_t* Name) {
  HRSRC r = FindResourceW(Instance, Name, reinterpret_cast<LPCWSTR>(RT_RCDATA));
  HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
  const void* p = g ? LockResource(g) : nullptr;
  if (!p) {
    const WideString name = IS_INTRESOURCE(Name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(Name)) : Name;
    throw EResNotFound(FmtResStringA(SResNotFound, {name}));
  }
  LoadFromMemory(p, SizeofResource(Instance, r));
}

// ---- TBitmap ----

// A memory context with the bitmap selected into it: what the canvas draws through, and where a
// bitmap without a canvas is copied from.
struct TBitmap::TSelectedBitmap {
  TSelectedBitmap(HBITMAP Bitmap, HDC Like) : DC(Like), Selected(DC, Bitmap) {}
  TMemoryDC DC;
  TSelectedObject Selected;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { FreeImage(); }

void TBitmap::FreeImage() {
  FCanvas.reset();
  FDC.reset();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FWidth = FHeight = 0;
}

void TBitmap::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    FreeImage();
    if (b->FHandle) {
      FHandle = static_cast<HBITMAP>(CopyImage(b->FHandle, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      FWidth = b->FWidth;
      FHeight = b->FHeight;
    }
    Changed();
    return;
  }
  if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    Assign(j->Bitmap());
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::SetSize(int W, int H) {
  FreeImage();
  if (W > 0 && H > 0) {
    void* bits = nullptr;
    FHandle = CreateTopDownSection(nullptr, W, H, 24, &bits);
    if (!FHandle) throw EOutOfResources("Nicht genügend Speicher für das Bild");
    FWidth = W;
    FHeight = H;
  }
  Changed();
}

void TBitmap::SetHandle(HBITMAP Value) {
  FreeImage();
  FHandle = Value;
  BITMAP bm{};
  if (Value && GetObjectA(Value, sizeof bm, &bm)) {
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
  }
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  FCanvas.reset();
  FDC.reset();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  return h;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FDC = std::make_unique<TSelectedBitmap>(FHandle, nullptr);
    FCanvas.reset(new TCanvas);
    FCanvas->SetHandle(FDC->DC);
  }
  return FCanvas.get();
}

TColor TBitmap::Pixel(int X, int Y) {
  return static_cast<TColor>(GetPixel(Canvas()->Handle(), X, Y));
}

void TBitmap::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (!FHandle) return;
  std::unique_ptr<TSelectedBitmap> temp;
  if (!FDC) temp = std::make_unique<TSelectedBitmap>(FHandle, ACanvas->Handle());
  const HDC src = FDC ? FDC->DC.Get() : temp->DC.Get();
  SetStretchBltMode(ACanvas->Handle(), COLORONCOLOR);
  StretchBlt(ACanvas->Handle(), Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, src, 0, 0,
             FWidth, FHeight, SRCCOPY);
}

void TBitmap::LoadFromMemory(const void* Data, size_t Size) {
  const auto* p = static_cast<const unsigned char*>(Data);
  if (Size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || p[0] != 'B' || p[1] != 'M')
    throw EInvalidGraphic("Bitmap ist ungültig");
  BITMAPFILEHEADER fh;
  std::memcpy(&fh, p, sizeof fh);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(p + sizeof fh);
  if (fh.bfOffBits >= Size) throw EInvalidGraphic("Bitmap ist ungültig");
  HBITMAP h = CreateDIBitmap(TWindowDC(), &info->bmiHeader, CBM_INIT, p + fh.bfOffBits, info, DIB_RGB_COLORS);
  if (!h) throw EInvalidGraphic("Bitmap ist ungültig");
  SetHandle(h);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name) {
  auto h = static_cast<HBITMAP>(LoadImageW(Instance, Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!h) throw EResNotFound("Ressource wurde nicht gefunden");
  SetHandle(h);
}

// ---- TIcon ----

TIcon::~TIcon() { FreeIcon(); }

void TIcon::FreeIcon() {
  if (FHandle && !FShared) DestroyIcon(FHandle);
  FHandle = nullptr;
  FWidth = FHeight = 0;
}

void TIcon::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    if (i == this) return;
    SetHandle(i->FHandle ? CopyIcon(i->FHandle) : nullptr);
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::SetHandle(HICON Value, bool Shared) {
  FreeIcon();
  FHandle = Value;
  FShared = Shared;
  if (Value) {
    ICONINFO ii{};
    if (GetIconInfo(Value, &ii)) {
      // The two bitmaps are copies made for the caller.
      TGdiObject<HBITMAP> color(ii.hbmColor), mask(ii.hbmMask);
      BITMAP bm{};
      if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm)) {
        FWidth = bm.bmWidth;
        FHeight = bm.bmHeight;
      } else if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof bm, &bm)) {
        FWidth = bm.bmWidth;
        FHeight = bm.bmHeight / 2;
      }
    }
  }
  Changed();
}

void TIcon::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (FHandle)
    DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, FHandle, Rect.right - Rect.left, Rect.bottom - Rect.top, 0,
               nullptr, DI_NORMAL);
}

void TIcon::LoadFromMemory(const void* Data, size_t Size) {
  // Directory: reserved 0, type 1, count; then 16-byte entries with size and offset.
  const auto* p = static_cast<const unsigned char*>(Data);
  if (Size < 6 + 16 || p[0] || p[1] || p[2] != 1 || p[3]) throw EInvalidGraphic("Symbol ist ungültig");
  DWORD bytes, offset;
  std::memcpy(&bytes, p + 6 + 8, 4);
  std::memcpy(&offset, p + 6 + 12, 4);
  if (offset >= Size || bytes > Size - offset) throw EInvalidGraphic("Symbol ist ungültig");
  HICON h = CreateIconFromResourceEx(const_cast<unsigned char*>(p + offset), bytes, TRUE, 0x00030000, 0, 0,
                                     LR_DEFAULTCOLOR);
  if (!h) throw EInvalidGraphic("Symbol ist ungültig");
  SetHandle(h);
}

// ---- TJPEGImage ----

namespace {

struct JpegError {
  jpeg_error_mgr Mgr;
  jmp_buf Jump;
};

void JpegErrorExit(j_common_ptr info) {
  longjmp(reinterpret_cast<JpegError*>(info->err)->Jump, 1);
}

void JpegSilent(j_common_ptr, int) {}

// The largest decoded picture accepted (a pixel buffer of 256 MB).
constexpr uint64_t MaxJpegPixelBytes = uint64_t{1} << 28;
void JpegNoOutput(j_common_ptr) {}

// Decodes into rows of BGR pixels, 4-byte aligned, top row first. False on any decoder error.
// Kept free of C++ objects with destructors: the decoder leaves through longjmp.
bool DecodeJpeg(const unsigned char* data, unsigned long size, unsigned char** out, int* width, int* height) {
  jpeg_decompress_struct info;
  JpegError err;
  info.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegErrorExit;
  err.Mgr.emit_message = JpegSilent;
  err.Mgr.output_message = JpegNoOutput;
  unsigned char* volatile buffer = nullptr;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&info);
    std::free(buffer);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  const size_t stride = (info.output_width * 3 + 3) & ~3u;
  // The size comes from the file: a damaged or hostile header must not wrap the buffer size.
  if (static_cast<uint64_t>(stride) * info.output_height > MaxJpegPixelBytes) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  buffer = static_cast<unsigned char*>(std::malloc(stride * info.output_height));
  if (!buffer) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = buffer + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  *width = static_cast<int>(info.output_width);
  *height = static_cast<int>(info.output_height);
  jpeg_destroy_decompress(&info);
  *out = buffer;
  return true;
}

}  // namespace

TJPEGImage::TJPEGImage() : FBitmap(new TBitmap) {}
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    FBitmap->Assign(j->FBitmap.get());
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const RECT& Rect) { FBitmap->Draw(ACanvas, Rect); }

void TJPEGImage::LoadFromMemory(const void* Data, size_t Size) {
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  if (!Data || Size < 4 || !DecodeJpeg(static_cast<const unsigned char*>(Data), static_cast<unsigned long>(Size),
                                       &pixels, &w, &h))
    throw EInvalidGraphic("JPEG-Fehler: das Bild kann nicht gelesen werden");
  std::unique_ptr<unsigned char, void (*)(void*)> own(pixels, std::free);
  FBitmap->SetSize(w, h);
  DIBSECTION ds{};
  if (!GetObjectA(FBitmap->Handle(), sizeof ds, &ds) || !ds.dsBm.bmBits)
    throw EOutOfResources("Nicht genügend Speicher für das Bild");
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
  std::memcpy(ds.dsBm.bmBits, pixels, stride * static_cast<size_t>(h));
  Changed();
}

// ---- TPicture ----

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Take(TGraphic* Graphic) {
  FGraphic.reset(Graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject* s) { Changed(s); };
  Changed(this);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    Take(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) {
    Take(nullptr);
    return;
  }
  TGraphic* copy = nullptr;
  if (dynamic_cast<TBitmap*>(Value)) copy = new TBitmap;
  else if (dynamic_cast<TIcon*>(Value)) copy = new TIcon;
  else if (dynamic_cast<TJPEGImage*>(Value)) copy = new TJPEGImage;
  else throw EInvalidGraphic("Unbekannter Bildtyp");
  std::unique_ptr<TGraphic> guard(copy);
  copy->Assign(Value);
  Take(guard.release());
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Take(new TBitmap);
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic.get())) Take(new TIcon);
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromMemory(const void* Data, size_t Size) {
  const auto* p = static_cast<const unsigned char*>(Data);
  std::unique_ptr<TGraphic> g;
  if (Size >= 2 && p[0] == 'B' && p[1] == 'M') g.reset(new TBitmap);
  else if (Size >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0) g.reset(new TIcon);
  else if (Size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) g.reset(new TJPEGImage);
  else throw EInvalidGraphic("Unbekannter Bildtyp");
  g->LoadFromMemory(Data, Size);
  Take(g.release());
}

void TPicture::LoadFromResourceName(HINSTANCE Instance, const WideString& Name) {
  HRSRC r = FindResourceW(Instance, Name.c_str(), reinterpret_cast<LPCWSTR>(RT_RCDATA));
  HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
  const void* p = g ? LockResource(g) : nullptr;
  if (!p) throw EResNotFound(FmtResStringA(SResNotFound, {Name}));
  LoadFromMemory(p, SizeofResource(Instance, r));
}

void TPicture::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      L"Data",
      [this](TReader* Reader) {
        std::string bytes = Reader->ReadBinary();
        if (bytes.empty()) SetGraphic(nullptr);
        else LoadFromMemory(bytes.data(), bytes.size());
      },
      nullptr, FGraphic != nullptr);
}

void TPicture::LoadFromFile(const WideString& FileName) {
  auto data = ReadWholeFile(FileName);
  LoadFromMemory(data.data(), data.size());
}

VGT_PUBLISH(TFont) {
  P.Prop(L"Charset", &TFont::Charset, &TFont::SetCharset)
      .Prop(L"Color", &TFont::Color, &TFont::SetColor)
      .Idents(ColorIdents())
      .Prop(L"Height", &TFont::Height, &TFont::SetHeight)
      .Prop(L"Name", &TFont::Name, &TFont::SetName)
      .Prop(L"Size", &TFont::Size, &TFont::SetSize)
      .Prop(L"Style", &TFont::Style, &TFont::SetStyle);
}

VGT_UNIT_ANCHOR(Graphics)
