#include "common/trvAPI.h"

#include <mmsystem.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "common/trvTools.h"
#include "unicode/UtxWindows.h"

namespace {

// A narrowed argument of an A call: null stays null.
class TNarrowArg {
 public:
  explicit TNarrowArg(LPCWSTR Text) : FNull(Text == nullptr), FText(NarrowText(Text)) {}
  LPCSTR Get() const { return FNull ? nullptr : FText.c_str(); }
  LPSTR GetMutable() { return FNull ? nullptr : FText.data(); }

 private:
  bool FNull;
  AnsiString FText;
};

}  // namespace

LONG ApiRegOpenKeyEx(HKEY Key, LPCWSTR SubKey, DWORD Options, REGSAM Access, PHKEY Result) {
  if (UnicodePlatform()) return RegOpenKeyExW(Key, SubKey, Options, Access, Result);
  TNarrowArg subKey(SubKey);
  return RegOpenKeyExA(Key, subKey.Get(), Options, Access, Result);
}

LONG ApiRegCreateKeyEx(HKEY Key, LPCWSTR SubKey, DWORD Reserved, LPWSTR Class, DWORD Options,
                       REGSAM Access, LPSECURITY_ATTRIBUTES Security, PHKEY Result,
                       LPDWORD Disposition) {
  if (UnicodePlatform())
    return RegCreateKeyExW(Key, SubKey, Reserved, Class, Options, Access, Security, Result, Disposition);
  TNarrowArg subKey(SubKey), keyClass(Class);
  return RegCreateKeyExA(Key, subKey.Get(), Reserved, keyClass.GetMutable(), Options, Access, Security, Result,
                         Disposition);
}

LONG ApiRegQueryValueEx(HKEY Key, LPCWSTR ValueName, LPDWORD Reserved, LPDWORD Type, LPBYTE Data,
                        LPDWORD DataSize) {
  if (UnicodePlatform()) return RegQueryValueExW(Key, ValueName, Reserved, Type, Data, DataSize);
  TNarrowArg name(ValueName);
  if (!DataSize) return RegQueryValueExA(Key, name.Get(), Reserved, Type, Data, nullptr);

  // Probe: the type, and the size of anything that does not fit 8 bytes.
  BYTE probe[8];
  DWORD probeSize = sizeof probe;
  DWORD probeType = REG_NONE;
  LONG result = RegQueryValueExA(Key, name.Get(), Reserved, &probeType, probe, &probeSize);
  if (Type) *Type = probeType;
  if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return result;

  if (IsRegistryTextType(probeType)) {
    // The 8-bit text is read whole and widened with its terminators, so sizes come out in
    // UTF-16 bytes as the W call reports them.
    std::vector<char> bytes(probeSize);
    DWORD size = probeSize;
    DWORD type = probeType;
    result = RegQueryValueExA(Key, name.Get(), Reserved, &type,
                              reinterpret_cast<LPBYTE>(bytes.data()), &size);
    if (result != ERROR_SUCCESS) return result;
    const WideString wide = WidenText(bytes.data(), static_cast<int>(size < bytes.size() ? size : bytes.size()));
    const DWORD wideSize = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    if (!Data) {
      *DataSize = wideSize;
      return ERROR_SUCCESS;
    }
    if (*DataSize < wideSize) {
      *DataSize = wideSize;
      return ERROR_MORE_DATA;
    }
    if (wideSize) std::memcpy(Data, wide.data(), wideSize);
    *DataSize = wideSize;
    return ERROR_SUCCESS;
  }

  if (result == ERROR_MORE_DATA) return RegQueryValueExA(Key, name.Get(), Reserved, Type, Data, DataSize);

  // Any other type that fitted the probe. Asked for the size alone, the W call answers it
  // whatever the size variable held, so the caller's size only matters when there is data.
  if (Data && *DataSize < probeSize) {
    *DataSize = probeSize;
    return ERROR_MORE_DATA;
  }
  if (Data && probeSize) std::memcpy(Data, probe, probeSize);
  *DataSize = probeSize;
  return ERROR_SUCCESS;
}

LONG ApiRegSetValueEx(HKEY Key, LPCWSTR ValueName, DWORD Reserved, DWORD Type, const BYTE* Data,
                      DWORD DataSize) {
  if (UnicodePlatform()) return RegSetValueExW(Key, ValueName, Reserved, Type, Data, DataSize);
  TNarrowArg name(ValueName);
  if (IsRegistryTextType(Type)) {
    // The terminator, when the size counts it, is narrowed with the rest and counted.
    const AnsiString text =
        Data ? NarrowText(reinterpret_cast<const wchar_t*>(Data), static_cast<int>(DataSize / 2)) : AnsiString();
    return RegSetValueExA(Key, name.Get(), Reserved, Type, reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size()));
  }
  return RegSetValueExA(Key, name.Get(), Reserved, Type, Data, DataSize);
}

void ApiOutputDebugString(LPCWSTR Text) {
  if (UnicodePlatform()) {
    OutputDebugStringW(Text);
    return;
  }
  TNarrowArg text(Text);
  OutputDebugStringA(text.Get());
}

HFONT ApiCreateFontIndirect(const LOGFONTW* LogFont) {
  if (UnicodePlatform() || !LogFont) return CreateFontIndirectW(LogFont);
  LOGFONTA font{};
  // The five metrics and the eight byte fields are laid out alike in both records.
  static_assert(offsetof(LOGFONTW, lfFaceName) == 28 && offsetof(LOGFONTA, lfFaceName) == 28);
  std::memcpy(&font, LogFont, 28);
  size_t length = 0;
  while (length < LF_FACESIZE && LogFont->lfFaceName[length]) ++length;
  const AnsiString face = NarrowText(LogFont->lfFaceName, static_cast<int>(length));
  // At most 30 bytes, and never the first half of a double-byte character.
  size_t take = 0;
  while (take < face.size()) {
    const size_t width = IsDBCSLeadByteEx(ConversionCodePage(), static_cast<BYTE>(face[take])) ? 2 : 1;
    if (take + width > 30) break;
    take += width;
  }
  std::memcpy(font.lfFaceName, face.data(), take);
  font.lfFaceName[take] = '\0';
  return CreateFontIndirectA(&font);
}

BOOL ApiGetTextMetrics(HDC DC, TEXTMETRICW* Metrics) {
  if (UnicodePlatform()) return GetTextMetricsW(DC, Metrics);
  TEXTMETRICA a;
  const BOOL result = GetTextMetricsA(DC, &a);
  if (!result || !Metrics) return result;
  Metrics->tmHeight = a.tmHeight;
  Metrics->tmAscent = a.tmAscent;
  Metrics->tmDescent = a.tmDescent;
  Metrics->tmInternalLeading = a.tmInternalLeading;
  Metrics->tmExternalLeading = a.tmExternalLeading;
  Metrics->tmAveCharWidth = a.tmAveCharWidth;
  Metrics->tmMaxCharWidth = a.tmMaxCharWidth;
  Metrics->tmWeight = a.tmWeight;
  Metrics->tmOverhang = a.tmOverhang;
  Metrics->tmDigitizedAspectX = a.tmDigitizedAspectX;
  Metrics->tmDigitizedAspectY = a.tmDigitizedAspectY;
  Metrics->tmFirstChar = AnsiCharToWideChar(static_cast<char>(a.tmFirstChar));
  Metrics->tmLastChar = AnsiCharToWideChar(static_cast<char>(a.tmLastChar));
  Metrics->tmDefaultChar = AnsiCharToWideChar(static_cast<char>(a.tmDefaultChar));
  Metrics->tmBreakChar = AnsiCharToWideChar(static_cast<char>(a.tmBreakChar));
  Metrics->tmItalic = a.tmItalic;
  Metrics->tmUnderlined = a.tmUnderlined;
  Metrics->tmStruckOut = a.tmStruckOut;
  Metrics->tmPitchAndFamily = a.tmPitchAndFamily;
  Metrics->tmCharSet = a.tmCharSet;
  return result;
}

BOOL ApiPlaySound(LPCWSTR SoundName, HMODULE Module, DWORD Flags) {
  if (UnicodePlatform()) return PlaySoundW(SoundName, Module, Flags);
  // Resource identifiers and sounds in memory are not names.
  if (!SoundName || IsIntResourceId(SoundName) || (Flags & SND_MEMORY))
    return PlaySoundA(reinterpret_cast<LPCSTR>(SoundName), Module, Flags);
  TNarrowArg name(SoundName);
  return PlaySoundA(name.Get(), Module, Flags);
}
