// Image lists: equally sized pictures kept in one platform image list (with masks), drawn by
// index. Tool bars and page controls show their images from one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

enum class TResType { rtBitmap, rtCursor, rtIcon };
enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
VGT_ENUM(TDrawingStyle, L"dsFocus", L"dsSelected", L"dsNormal", L"dsTransparent");

class TCustomImageList : public TComponent {
  VGT_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // The platform image list, made on first use.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  int Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

  // The size of every image; changing it empties the list.
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value) { FDrawingStyle = Value; }

  // Adds Image (cut into Width-wide pieces when it is wider) with an optional mask bitmap;
  // returns the index of the first image added.
  int Add(TBitmap* Image, TBitmap* Mask);
  // Adds Image with every pixel of MaskColor transparent.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  // Loads a bitmap (cut into images, MaskColor transparent; clNone: no mask) or an icon from
  // Instance's resources; false when the resource is missing.
  bool GetResource(TResType ResType, const WideString& Name, int Width, TColor MaskColor,
                   HINSTANCE Instance = nullptr);
  void Delete(int Index);
  void Clear();
  // Copies image Index into Image (sized Width x Height), drawn on the list's background colour.
  void GetBitmap(int Index, TBitmap* Image);
  // Draws image Index at (X, Y); a disabled image is drawn greyed. An index outside the list
  // draws nothing.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Assign(TPersistent* Source) override;
  // Tells the users of the list (tool bars) that its images changed.
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  void FreeHandle();
  HIMAGELIST FHandle = nullptr;
  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  TColor FBkColor = clNone;
  TDrawingStyle FDrawingStyle = TDrawingStyle::dsNormal;
};

class TImageList : public TCustomImageList {
  VGT_CLASS(TImageList, TCustomImageList)
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
