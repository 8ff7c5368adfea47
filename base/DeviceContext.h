// Device contexts and the objects selected into them, each given back on every path: a window's
// or the screen's context, a memory context, a selection that puts the previous object back, a
// saved state that is restored, and a GDI object that is deleted.
#pragma once

#include <windows.h>

#include <utility>

#include "base/OwnedHandle.h"

// GetDC/ReleaseDC. A null window is the screen.
class TWindowDC {
 public:
  explicit TWindowDC(HWND Window = nullptr) : TWindowDC(Window, GetDC(Window)) {}
  ~TWindowDC() {
    if (FDC) ReleaseDC(FWindow, FDC);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }

 protected:
  TWindowDC(HWND Window, HDC DC) : FWindow(Window), FDC(DC) {}

 private:
  HWND FWindow;
  HDC FDC;
};

// GetWindowDC/ReleaseDC: the whole window, its frame included, for what is drawn on the border.
class TWholeWindowDC : public TWindowDC {
 public:
  explicit TWholeWindowDC(HWND Window) : TWindowDC(Window, GetWindowDC(Window)) {}
};

// CreateCompatibleDC/DeleteDC.
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC Like = nullptr) : FDC(CreateCompatibleDC(Like)) {}
  ~TMemoryDC() {
    if (FDC) DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }

 private:
  HDC FDC;
};

// SelectObject, and the object it replaced selected again at the end. Declare it after the
// object it selects, so the object is deselected before it is deleted.
class TSelectedObject {
 public:
  TSelectedObject(HDC DC, HGDIOBJ Object) : FDC(DC), FPrevious(Object ? SelectObject(DC, Object) : nullptr) {}
  ~TSelectedObject() {
    if (FPrevious) SelectObject(FDC, FPrevious);
  }
  TSelectedObject(const TSelectedObject&) = delete;
  TSelectedObject& operator=(const TSelectedObject&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FPrevious;
};

// SaveDC/RestoreDC: clip regions, origins, modes and selections set inside the scope are undone.
class TSavedDCState {
 public:
  explicit TSavedDCState(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSavedDCState() {
    if (FSaved) RestoreDC(FDC, FSaved);
  }
  TSavedDCState(const TSavedDCState&) = delete;
  TSavedDCState& operator=(const TSavedDCState&) = delete;
  // False when the context could not save its state (there is then nothing to restore).
  explicit operator bool() const { return FSaved != 0; }

 private:
  HDC FDC;
  int FSaved;
};

// A GDI object (bitmap, brush, pen, font, region) owned and deleted; it passes for the raw
// handle where GDI calls take one.
template <class H>
struct TGdiObjectTraits {
  using Handle = H;
  static bool Valid(H Object) { return Object != nullptr; }
  static void Close(H Object) { DeleteObject(Object); }
};

template <class H>
class TGdiObject : public TOwnedHandle<TGdiObjectTraits<H>> {
 public:
  using TOwnedHandle<TGdiObjectTraits<H>>::TOwnedHandle;
  operator H() const { return this->Get(); }
};

// A top-down device-independent section of Width x Height at BitCount bits a pixel; Bits receives
// where its pixels are. Null when the system cannot make it.
inline HBITMAP CreateTopDownSection(HDC DC, int Width, int Height, WORD BitCount, void** Bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = BitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(DC, &info, DIB_RGB_COLORS, Bits, nullptr, 0);
}

// A top-down 32-bit section of Width x Height whose pixels the caller reads and writes directly,
// selected into a memory context of its own: where code draws and then counts or compares pixels.
class TPixelCanvas {
 public:
  // Like: the context whose format the section follows (null: the screen's).
  TPixelCanvas(int Width, int Height, HDC Like = nullptr) : FWidth(Width), FHeight(Height), FDC(Like) {
    void* bits = nullptr;
    FBitmap.Reset(CreateTopDownSection(FDC, Width, Height, 32, &bits));
    FBits = static_cast<DWORD*>(bits);
    if (FBitmap) FPrevious = SelectObject(FDC, FBitmap);
  }
  ~TPixelCanvas() {
    if (FPrevious) SelectObject(FDC, FPrevious);
  }
  TPixelCanvas(const TPixelCanvas&) = delete;
  TPixelCanvas& operator=(const TPixelCanvas&) = delete;

  bool Valid() const { return FBits != nullptr; }
  HDC DC() const { return FDC; }
  HBITMAP Bitmap() const { return FBitmap; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The pixel at (X, Y) as 0x00RRGGBB.
  DWORD Pixel(int X, int Y) const { return FBits[Y * FWidth + X] & 0xFFFFFF; }
  DWORD* Bits() const { return FBits; }

 private:
  int FWidth, FHeight;
  TMemoryDC FDC;
  TGdiObject<HBITMAP> FBitmap;
  DWORD* FBits = nullptr;
  HGDIOBJ FPrevious = nullptr;
};
