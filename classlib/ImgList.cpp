#include "classlib/ImgList.h"

#include <algorithm>
#include <memory>

#include "base/DeviceContext.h"

namespace {

void InitImageLists() {
  static const bool done = [] {
    InitCommonControls();
    return true;
  }();
  (void)done;
}

// A monochrome mask of Image: 1 where the pixel is MaskColor.
HBITMAP MakeMask(TBitmap* Image, COLORREF MaskColor) {
  const int w = Image->Width(), h = Image->Height();
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  TMemoryDC src, dst;
  TSelectedObject image(src, Image->Handle()), target(dst, mask);
  ::SetBkColor(src, MaskColor);
  BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCCOPY);
  return mask;
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() { FreeHandle(); }

void TCustomImageList::FreeHandle() {
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) {
    InitImageLists();
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR24 | (FMasked ? ILC_MASK : 0), 4, 4);
    if (!FHandle) throw EOutOfResources("Die Bildliste kann nicht erstellt werden");
    if (FBkColor != clNone) ImageList_SetBkColor(FHandle, ColorToRGB(FBkColor));
  }
  return FHandle;
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::SetWidth(int Value) {
  if (Value <= 0 || !ChangeField(FWidth, Value)) return;
  FreeHandle();
  Change();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value <= 0 || !ChangeField(FHeight, Value)) return;
  FreeHandle();
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (!ChangeField(FMasked, Value)) return;
  FreeHandle();
  Change();
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (!ChangeField(FBkColor, Value)) return;
  if (FHandle) ImageList_SetBkColor(FHandle, Value == clNone ? CLR_NONE : ColorToRGB(Value));
  Change();
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) throw EInvalidOperation("Ungültiges Bild");
  const int first = Count();
  if (ImageList_Add(Handle(), Image->Handle(), Mask ? Mask->Handle() : nullptr) < 0)
    throw EInvalidOperation("Das Bild kann nicht zur Bildliste hinzugefügt werden");
  Change();
  return first;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) throw EInvalidOperation("Ungültiges Bild");
  const int first = Count();
  if (!FMasked) return Add(Image, nullptr);
  // The image's pixels of the mask colour are made black, so they add nothing where the mask lets
  // the background through.
  TGdiObject<HBITMAP> mask(MakeMask(Image, ColorToRGB(MaskColor)));
  TBitmap copy;
  copy.Assign(Image);
  {
    TMemoryDC dc, mdc;
    TSelectedObject image(dc, copy.Handle()), masking(mdc, mask);
    ::SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, 0, 0, copy.Width(), copy.Height(), mdc, 0, 0, 0x00220326 /* DSna */);
  }
  const int added = ImageList_Add(Handle(), copy.Handle(), mask);
  if (added < 0) throw EInvalidOperation("Das Bild kann nicht zur Bildliste hinzugefügt werden");
  Change();
  return first;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) throw EInvalidOperation("Ungültiges Bild");
  const int i = ImageList_AddIcon(Handle(), Image->Handle());
  if (i < 0) throw EInvalidOperation("Das Bild kann nicht zur Bildliste hinzugefügt werden");
  Change();
  return i;
}

bool TCustomImageList::GetResource(TResType ResType, const WideString& Name, int Width, TColor MaskColor,
                                   HINSTANCE Instance) {
  if (!Instance) Instance = GetModuleHandleW(nullptr);
  if (ResType == TResType::rtIcon) {
    auto icon = static_cast<HICON>(LoadImageW(Instance, Name.c_str(), IMAGE_ICON, FWidth, FHeight, 0));
    if (!icon) return false;
    TIcon i;
    i.SetHandle(icon);
    AddIcon(&i);
    return true;
  }
  if (ResType != TResType::rtBitmap) return false;
  auto bmp = static_cast<HBITMAP>(LoadImageW(Instance, Name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bmp) return false;
  TBitmap b;
  b.SetHandle(bmp);
  if (Width > 0 && Width != FWidth) SetWidth(Width);
  if (FHandle == nullptr && b.Height() != FHeight) SetHeight(b.Height());
  if (MaskColor == clNone) Add(&b, nullptr);
  else AddMasked(&b, MaskColor);
  return true;
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Bildindex außerhalb des gültigen Bereichs");
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return;
  Image->SetSize(FWidth, FHeight);
  TMemoryDC dc;
  TSelectedObject selected(dc, Image->Handle());
  RECT r{0, 0, FWidth, FHeight};
  FillRect(dc, &r, TGdiObject<HBRUSH>(CreateSolidBrush(ColorToRGB(FBkColor == clNone ? clBtnFace : FBkColor))));
  ImageList_Draw(FHandle, Index, dc, 0, 0, ILD_TRANSPARENT);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  HDC dc = Canvas->Handle();
  if (Enabled) {
    static const UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    ImageList_Draw(FHandle, Index, dc, X, Y, styles[static_cast<int>(FDrawingStyle)] | (FMasked ? ILD_TRANSPARENT : 0));
    return;
  }
  // Greyed: the image's shape in the shadow colour, with a highlight copy one pixel lower right.
  HICON icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
  if (!icon) return;
  HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT), dark = GetSysColorBrush(COLOR_BTNSHADOW);
  DrawStateW(dc, light, nullptr, reinterpret_cast<LPARAM>(icon), 0, X + 1, Y + 1, FWidth, FHeight,
             DST_ICON | DSS_MONO);
  DrawStateW(dc, dark, nullptr, reinterpret_cast<LPARAM>(icon), 0, X, Y, FWidth, FHeight, DST_ICON | DSS_MONO);
  DestroyIcon(icon);
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* list = dynamic_cast<TCustomImageList*>(Source);
  if (!list) {
    TComponent::Assign(Source);
    return;
  }
  FreeHandle();
  FWidth = list->FWidth;
  FHeight = list->FHeight;
  FMasked = list->FMasked;
  FBkColor = list->FBkColor;
  FDrawingStyle = list->FDrawingStyle;
  if (list->FHandle) {
    FHandle = ImageList_Duplicate(list->FHandle);
    if (!FHandle) throw EOutOfResources("Die Bildliste kann nicht erstellt werden");
  }
  Change();
}

VGT_PUBLISH(TCustomImageList) {}

VGT_PUBLISH(TImageList) {
  P.Prop(L"BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor)
      .Idents(ColorIdents())
      .Prop(L"DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Prop(L"Height", &TCustomImageList::Height, &TCustomImageList::SetHeight)
      .Prop(L"Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked)
      .Prop(L"Width", &TCustomImageList::Width, &TCustomImageList::SetWidth)
      .Event(L"OnChange", &TCustomImageList::OnChange);
}

VGT_UNIT_ANCHOR(ImgList)
