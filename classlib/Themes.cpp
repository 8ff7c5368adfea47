#include "classlib/Themes.h"

#include <vsstyle.h>

#include "classlib/TypInfo.h"

namespace {
std::optional<bool> ThemesOverride;
}

TThemeServices* ThemeServices() {
  static TThemeServices services;
  return &services;
}

TThemeServices::~TThemeServices() { ApplyThemeChange(); }

void TThemeServices::SetThemesEnabledOverride(std::optional<bool> Value) {
  ThemesOverride = Value;
  ThemeServices()->ApplyThemeChange();
}

bool TThemeServices::ThemesAvailable() const { return IsThemeActive() != FALSE; }

bool TThemeServices::ThemesEnabled() const {
  if (ThemesOverride) return *ThemesOverride;
  return IsThemeActive() && IsAppThemed();
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
  HTHEME h = OpenThemeData(nullptr, ClassList);
  FThemes[ClassList] = h;
  return h;
}

void TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const RECT& R, const RECT* Clip) {
  if (!ThemesEnabled()) return;
  if (HTHEME h = Theme(Details.ClassList)) DrawThemeBackground(h, DC, Details.Part, Details.State, &R, Clip);
}

void TThemeServices::DrawText(HDC DC, const TThemedElementDetails& Details, const WideString& Text, RECT R,
                              DWORD Flags, DWORD Flags2) {
  if (!ThemesEnabled()) return;
  if (HTHEME h = Theme(Details.ClassList))
    DrawThemeText(h, DC, Details.Part, Details.State, Text.c_str(), static_cast<int>(Text.size()), Flags, Flags2, &R);
}

void TThemeServices::DrawParentBackground(HWND Wnd, HDC DC, const RECT* R) {
  if (ThemesEnabled()) DrawThemeParentBackground(Wnd, DC, const_cast<RECT*>(R));
}

RECT TThemeServices::ContentRect(HDC DC, const TThemedElementDetails& Details, const RECT& R) {
  RECT content = R;
  if (ThemesEnabled())
    if (HTHEME h = Theme(Details.ClassList)) GetThemeBackgroundContentRect(h, DC, Details.Part, Details.State, &R, &content);
  return content;
}

void TThemeServices::ApplyThemeChange() {
  for (auto& [name, h] : FThemes)
    if (h) CloseThemeData(h);
  FThemes.clear();
}

VGT_UNIT_ANCHOR(Themes)
