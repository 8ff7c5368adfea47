#include "zonedialog/vgtImageList.h"

#include <memory>

namespace {

std::unique_ptr<TImageList>& ImagesHolder() {
  static std::unique_ptr<TImageList> images;
  return images;
}

// The bitmap of that name, or NIL32 in its place (a missing NIL32 raises).
std::unique_ptr<TBitmap> LoadToolbarBitmap(HINSTANCE Instance, const wchar_t* Name) {
  auto bitmap = std::make_unique<TBitmap>();
  try {
    bitmap->LoadFromResourceName(Instance, Name);
  } catch (const Exception&) {
    bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(Instance, L"NIL32");
  }
  return bitmap;
}

COLORREF TopLeftColour(TBitmap* Bitmap) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, Bitmap->Handle());
  const COLORREF colour = GetPixel(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

}  // namespace

void RebuildVgtToolbarImages(HINSTANCE Instance) {
  if (!Instance) Instance = GetModuleHandleW(nullptr);
  auto& holder = ImagesHolder();
  holder.reset();
  auto images = std::make_unique<TImageList>(nullptr);
  images->SetWidth(32);
  images->SetHeight(32);
  for (const wchar_t* name : {L"REFRESH32", L"PROPERTIES32", L"SUBDOMAINS32", L"ABOUT32"}) {
    std::unique_ptr<TBitmap> bitmap = LoadToolbarBitmap(Instance, name);
    // The corner pixel's colour is transparent wherever it occurs in the picture.
    images->AddMasked(bitmap.get(), static_cast<TColor>(TopLeftColour(bitmap.get())));
  }
  holder = std::move(images);
}

TImageList* VgtToolbarImages() {
  if (!ImagesHolder()) RebuildVgtToolbarImages();
  return ImagesHolder().get();
}
