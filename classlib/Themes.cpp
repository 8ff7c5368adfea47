#include "classlib/Themes.h"

#include <vsstyle.h>

#include "classlib/TypInfo.h"

namespace {

std::optional<bool> ThemesOverride;

// Visual styles came with Windows XP: the theme library is bound at run time, so the programs
// still start where it is missing (themes are then off).
struct ThemeApi {
  HMODULE Lib = nullptr;
  BOOL(WINAPI* IsThemeActive)() = nullptr;
  BOOL(WINAPI* IsAppThemed)() = nullptr;
  HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
  HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeText)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
  HRESULT(WINAPI* GetThemeBackgroundContentRect)(HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
  bool Complete() const {
    return IsThemeActive && IsAppThemed && OpenThemeData && CloseThemeData && DrawThemeBackground && DrawThemeText &&
           DrawThemeParentBackground && GetThemeBackgroundContentRect;
  }
};

template <class F>
void Bind(HMODULE Lib, F& Fn, const char* Name) {
  Fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Lib, Name)));
}

const ThemeApi& Api() {
  static ThemeApi api = [] {
    ThemeApi a;
    a.Lib = LoadLibraryA("uxtheme.dll");
    if (!a.Lib) return a;
    Bind(a.Lib, a.IsThemeActive, "IsThemeActive");
    Bind(a.Lib, a.IsAppThemed, "IsAppThemed");
    Bind(a.Lib, a.OpenThemeData, "OpenThemeData");
    Bind(a.Lib, a.CloseThemeData, "CloseThemeData");
    Bind(a.Lib, a.DrawThemeBackground, "DrawThemeBackground");
    Bind(a.Lib, a.DrawThemeText, "DrawThemeText");
    Bind(a.Lib, a.DrawThemeParentBackground, "DrawThemeParentBackground");
    Bind(a.Lib, a.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
    if (!a.Complete()) a = ThemeApi{};
    return a;
  }();
  return api;
}

}  // namespace

TThemeServices* ThemeServices() {
  static TThemeServices services;
  return &services;
}

TThemeServices::~TThemeServices() { ApplyThemeChange(); }

void TThemeServices::SetThemesEnabledOverride(std::optional<bool> Value) {
  ThemesOverride = Value;
  ThemeServices()->ApplyThemeChange();
}

bool TThemeServices::ThemesAvailable() const {
  if (!Api().Complete()) return false;
  if (!FActive) FActive = Api().IsThemeActive() != FALSE;
  return *FActive;
}

bool TThemeServices::ThemesEnabled() const {
  if (ThemesOverride) return *ThemesOverride;
  if (!ThemesAvailable()) return false;
  if (!FAppThemed) FAppThemed = Api().IsAppThemed() != FALSE;
  return *FAppThemed;
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedButton Detail) const {
  switch (Detail) {
    case TThemedButton::tbPushButtonNormal: return {L"BUTTON", BP_PUSHBUTTON, PBS_NORMAL};
    case TThemedButton::tbPushButtonHot: return {L"BUTTON", BP_PUSHBUTTON, PBS_HOT};
    case TThemedButton::tbPushButtonPressed: return {L"BUTTON", BP_PUSHBUTTON, PBS_PRESSED};
    case TThemedButton::tbPushButtonDisabled: return {L"BUTTON", BP_PUSHBUTTON, PBS_DISABLED};
    case TThemedButton::tbPushButtonDefaulted: return {L"BUTTON", BP_PUSHBUTTON, PBS_DEFAULTED};
    case TThemedButton::tbGroupBoxNormal: return {L"BUTTON", BP_GROUPBOX, GBS_NORMAL};
    case TThemedButton::tbGroupBoxDisabled: return {L"BUTTON", BP_GROUPBOX, GBS_DISABLED};
  }
  return {};
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedPanel Detail) const {
  switch (Detail) {
    case TThemedPanel::tpPanelBackground: return {L"WINDOW", WP_DIALOG, 0};
    case TThemedPanel::tpPanelBevel: return {L"WINDOW", WP_FRAMEBOTTOM, 0};
  }
  return {};
}

HTHEME TThemeServices::Theme(const wchar_t* ClassList) {
  auto it = FThemes.find(ClassList);
  if (it != FThemes.end()) return it->second;
  HTHEME h = Api().Complete() ? Api().OpenThemeData(nullptr, ClassList) : nullptr;
  FThemes[ClassList] = h;
  return h;
}

void TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const RECT& R, const RECT* Clip) {
  if (!ThemesEnabled()) return;
  if (HTHEME h = Theme(Details.ClassList)) Api().DrawThemeBackground(h, DC, Details.Part, Details.State, &R, Clip);
}

void TThemeServices::DrawText(HDC DC, const TThemedElementDetails& Details, const WideString& Text, RECT R,
                              DWORD Flags, DWORD Flags2) {
  if (!ThemesEnabled()) return;
  if (HTHEME h = Theme(Details.ClassList))
    Api().DrawThemeText(h, DC, Details.Part, Details.State, Text.c_str(), static_cast<int>(Text.size()), Flags, Flags2, &R);
}

void TThemeServices::DrawParentBackground(HWND Wnd, HDC DC, const RECT* R) {
  if (ThemesEnabled() && Api().Complete()) Api().DrawThemeParentBackground(Wnd, DC, R);
}

RECT TThemeServices::ContentRect(HDC DC, const TThemedElementDetails& Details, const RECT& R) {
  RECT content = R;
  if (ThemesEnabled())
    if (HTHEME h = Theme(Details.ClassList)) Api().GetThemeBackgroundContentRect(h, DC, Details.Part, Details.State, &R, &content);
  return content;
}

void TThemeServices::ApplyThemeChange() {
  FActive.reset();
  FAppThemed.reset();
  for (auto& [name, h] : FThemes)
    if (h) Api().CloseThemeData(h);
  FThemes.clear();
}

VGT_UNIT_ANCHOR(Themes)
