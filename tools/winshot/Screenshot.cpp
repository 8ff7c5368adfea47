#include "tools/winshot/Screenshot.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/DeviceContext.h"

namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBE32(out, Crc32(body.data(), body.size()));
}

// A zlib stream of stored (uncompressed) blocks: large files, but no codec needed.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z{0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
             raw.begin() + static_cast<ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);
  return z;
}

BOOL CALLBACK CollectChild(HWND Child, LPARAM List) {
  reinterpret_cast<std::vector<HWND>*>(List)->push_back(Child);
  return TRUE;
}

}  // namespace

std::wstring ScreenshotDir() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"VGT_SCREENSHOT_DIR", buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

bool SaveWindowPng(HWND Window, const std::wstring& Path) {
  RECT r{};
  if (!GetWindowRect(Window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  // Each window's own surface, the children over their parent: what reaches the display may lag
  // behind what was painted.
  TWholeWindowDC screen(Window);
  if (!screen.Get()) return false;
  TPixelCanvas canvas(w, h, screen);
  if (!canvas.Valid()) return false;
  BitBlt(canvas.DC(), 0, 0, w, h, screen, 0, 0, SRCCOPY);
  std::vector<HWND> children;
  EnumChildWindows(Window, &CollectChild, reinterpret_cast<LPARAM>(&children));
  // Enumerated parents first, each level topmost first: draw the bottom ones first.
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    RECT c{};
    GetWindowRect(*it, &c);
    TWholeWindowDC child(*it);
    BitBlt(canvas.DC(), c.left - r.left, c.top - r.top, c.right - c.left, c.bottom - c.top, child, 0, 0, SRCCOPY);
  }
  GdiFlush();
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(h) * (1 + 3 * static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      const DWORD p = canvas.Pixel(x, y);
      raw.push_back(static_cast<uint8_t>(p >> 16));
      raw.push_back(static_cast<uint8_t>(p >> 8));
      raw.push_back(static_cast<uint8_t>(p));
    }
  }

  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, static_cast<uint32_t>(w));
  PutBE32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", ZlibStored(raw));
  Chunk(png, "IEND", {});
  FILE* f = _wfopen(Path.c_str(), L"wb");
  if (!f) return false;
  const bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
  return fclose(f) == 0 && ok;
}

bool SaveScreenshotOnRequest(HWND Window, const std::wstring& Name) {
  const std::wstring dir = ScreenshotDir();
  if (dir.empty() || !Window) return false;
  RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
  return SaveWindowPng(Window, dir + L"\\" + Name + L".png");
}
