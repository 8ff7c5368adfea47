// Theme services: whether visual styles are in use, and drawing of the themed elements the
// controls need (group box, push button, panel background). Tests can force themes on or off.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <map>
#include <optional>

#include "classlib/System.h"

enum class TThemedButton {
  tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDisabled, tbPushButtonDefaulted,
  tbGroupBoxNormal, tbGroupBoxDisabled
};
enum class TThemedPanel { tpPanelBackground, tpPanelBevel };

struct TThemedElementDetails {
  const wchar_t* ClassList = L"";
  int Part = 0;
  int State = 0;
};

class TThemeServices : public TObject {
  VGT_CLASS(TThemeServices, TObject)
 public:
  ~TThemeServices() override;

  // The system draws with visual styles for this program (or a test forced the answer).
  bool ThemesEnabled() const;
  bool ThemesAvailable() const;
  // nullopt: ask the system; true/false: answer so regardless (tests).
  static void SetThemesEnabledOverride(std::optional<bool> Value);

  TThemedElementDetails GetElementDetails(TThemedButton Detail) const;
  TThemedElementDetails GetElementDetails(TThemedPanel Detail) const;
  // Draws the element; nothing when themes are off or the element is not in the theme.
  void DrawElement(HDC DC, const TThemedElementDetails& Details, const RECT& R, const RECT* Clip = nullptr);
  // Draws Text with the element's theme font and colour (DrawThemeText flags).
  void DrawText(HDC DC, const TThemedElementDetails& Details, const WideString& Text, RECT R, DWORD Flags,
                DWORD Flags2 = 0);
  // Paints the parent's background behind a control (for ParentBackground).
  void DrawParentBackground(HWND Wnd, HDC DC, const RECT* R);
  RECT ContentRect(HDC DC, const TThemedElementDetails& Details, const RECT& R);
  // Closes the open theme data and asks the system anew whether themes are on (after
  // WM_THEMECHANGED, which the library's windows pass here).
  void ApplyThemeChange();

 private:
  HTHEME Theme(const wchar_t* ClassList);
  std::map<const wchar_t*, HTHEME> FThemes;
  // The system's answers, kept until the theme changes: each question is several trips to the
  // window server and the registry, and controls ask while they are made and painted.
  mutable std::optional<bool> FActive, FAppThemed;
};

// The program's theme services (made on first use).
TThemeServices* ThemeServices();
