#include "zonedialog/vgtImageList.h"

#include <memory>

#include "base/DeviceContext.h"

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

// The class library's masking works on colours, which a bitmap with a colour table does not
// give pixel operations: the images are copied into 24 bits first.
std::unique_ptr<TBitmap> TrueColourCopy(TBitmap* Source) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Source->Width();
  info.bmiHeader.biHeight = Source->Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiObject<HBITMAP> copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy) throw EOutOfResources("Die Bildliste kann nicht erstellt werden");
  {
    const TMemoryDC src, dst;
    const TSelectedObject fromSource(src, Source->Handle()), intoCopy(dst, copy);
    BitBlt(dst, 0, 0, Source->Width(), Source->Height(), src, 0, 0, SRCCOPY);
  }
  auto result = std::make_unique<TBitmap>();
  result->SetHandle(copy.Release());
  return result;
}

COLORREF TopLeftColour(TBitmap* Bitmap) {
  const TWindowDC screen;
  const TMemoryDC dc(screen);
  const TSelectedObject selected(dc, Bitmap->Handle());
  return GetPixel(dc, 0, 0);
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
    std::unique_ptr<TBitmap> bitmap = TrueColourCopy(LoadToolbarBitmap(Instance, name).get());
    // The corner pixel's colour is transparent wherever it occurs in the picture.
    images->AddMasked(bitmap.get(), static_cast<TColor>(TopLeftColour(bitmap.get())));
  }
  holder = std::move(images);
}

TImageList* VgtToolbarImages() {
  if (!ImagesHolder()) RebuildVgtToolbarImages();
  return ImagesHolder().get();
}
