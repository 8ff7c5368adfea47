#include "tools/pagehost/SiteMap.h"

#include <windows.h>
#include <shlwapi.h>

#include "tools/pagehost/HostText.h"

namespace pagehost {
namespace {

bool StartsWithAscii(const WideString& text, const WideString& prefix) {
  return text.size() >= prefix.size() && SameAscii(text.substr(0, prefix.size()), prefix);
}

bool EndsWithAscii(const WideString& text, const WideString& suffix) {
  return text.size() >= suffix.size() &&
         SameAscii(text.substr(text.size() - suffix.size()), suffix);
}

ResourceKind KindOf(const WideString& path, const AnsiString& bytes) {
  if (LooksLikeMarkup(bytes)) return ResourceKind::Html;
  if (EndsWithAscii(path, L".css")) return ResourceKind::StyleSheet;
  return ResourceKind::Other;
}

WideString TrimLine(const AnsiString& line) {
  size_t b = line.find_first_not_of(" \t\r\n");
  if (b == AnsiString::npos) return {};
  size_t e = line.find_last_not_of(" \t\r\n");
  return Utf8ToWide(std::string_view(line).substr(b, e - b + 1));
}

// A file with the cookie text of its side file ("<file>.cookie"), when there is one.
std::optional<Resource> ReadResource(const WideString& path) {
  Resource r;
  if (!ReadFileBytes(path, r.Bytes)) return std::nullopt;
  r.Kind = KindOf(path, r.Bytes);
  AnsiString cookie;
  if (ReadFileBytes(path + L".cookie", cookie)) r.Cookie = TrimLine(cookie);
  return r;
}

}  // namespace

bool LooksLikeMarkup(const AnsiString& bytes) {
  size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                              bytes[i] == '\n' || bytes[i] == '\f'))
    ++i;
  if (i + 1 >= bytes.size() || bytes[i] != '<') return false;
  const char c = bytes[i + 1];
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '!' || c == '/' || c == '?';
}

bool ReadFileBytes(const WideString& path, AnsiString& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(h);
  return ok;
}

WideString PagesBesideProgram() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString p(path, n);
  return p.substr(0, p.find_last_of(L"\\/")) + L"\\pages";
}

void SiteMap::MapFolder(const WideString& prefix, const WideString& folder) {
  FFolders.push_back({prefix, folder});
}

bool SiteMap::LoadMapFile(const WideString& folder) {
  AnsiString bytes;
  if (!ReadFileBytes(folder + L"\\sites.txt", bytes)) return false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == AnsiString::npos) end = bytes.size();
    WideString line = TrimLine(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == L'#') continue;
    size_t gap = line.find_first_of(L" \t");
    if (gap == WideString::npos) continue;
    WideString prefix = line.substr(0, gap);
    WideString sub = line.substr(line.find_first_not_of(L" \t", gap));
    MapFolder(prefix, folder + L"\\" + sub);
  }
  return true;
}

void SiteMap::AddPage(const WideString& url, AnsiString bytes, ResourceKind kind,
                      WideString cookie) {
  FPages[LowerAscii(url)] = Resource{kind, std::move(bytes), std::move(cookie)};
}

std::optional<Resource> SiteMap::Fetch(const WideString& url) const {
  auto page = FPages.find(LowerAscii(url));
  if (page != FPages.end()) return page->second;
  if (LowerAscii(url) == L"about:blank")
    return Resource{ResourceKind::Html, "<html><head></head><body></body></html>", {}};
  for (const auto& f : FFolders) {
    if (!StartsWithAscii(url, f.Prefix)) continue;
    WideString rest = url.substr(f.Prefix.size());
    size_t cut = rest.find_first_of(L"?#");
    if (cut != WideString::npos) rest.resize(cut);
    if (rest.empty() || rest.back() == L'/') rest += L"index.html";
    if (rest.find(L"..") != WideString::npos) return std::nullopt;  // stay inside the site
    for (auto& c : rest)
      if (c == L'/') c = L'\\';
    if (auto r = ReadResource(f.Path + L"\\" + rest)) return r;
  }
  if (StartsWithAscii(url, L"file:")) {
    wchar_t path[MAX_PATH + 1];
    DWORD n = MAX_PATH;
    if (PathCreateFromUrlW(url.c_str(), path, &n, 0) != S_OK) return std::nullopt;
    return ReadResource(path);
  }
  return std::nullopt;
}

WideString SiteMap::Combine(const WideString& base, const WideString& relative) {
  if (base.empty()) return relative;
  WideString out(4096, L'\0');
  DWORD size = static_cast<DWORD>(out.size());
  if (FAILED(UrlCombineW(base.c_str(), relative.c_str(), out.data(), &size, 0))) return relative;
  out.resize(size);
  return out;
}

WideString SiteMap::FileUrl(const WideString& path) {
  wchar_t full[MAX_PATH + 1];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n > MAX_PATH) return path;
  wchar_t url[3 * MAX_PATH];
  DWORD size = 3 * MAX_PATH;
  if (FAILED(UrlCreateFromPathW(full, url, &size, 0))) return path;
  return url;
}

}  // namespace pagehost
