// Screenshots for the dialog tests: a window's rectangle as the screen shows it, saved as a PNG
// (24-bit colour, stored deflate blocks, so that nothing but this file is needed).
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pictolumen::testing {

// Pixels top-down, three bytes each (red, green, blue).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::uint32_t At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
  }
};

// Copies `bounds` (screen coordinates) from the screen.
inline Image CaptureScreen(const RECT& bounds) {
  Image image;
  image.width = bounds.right - bounds.left;
  image.height = bounds.bottom - bounds.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, image.width, image.height, screen, bounds.left, bounds.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  image.rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
  for (int i = 0; i < image.width * image.height; ++i) {
    image.rgb.push_back(pixels[i * 4 + 2]);
    image.rgb.push_back(pixels[i * 4 + 1]);
    image.rgb.push_back(pixels[i * 4]);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

namespace png {

inline std::uint32_t Crc(const std::string& bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char byte : bytes) c = table[(c ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

inline void Put32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

inline void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = type + data;
  out += body;
  Put32(out, Crc(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
inline std::string Zlib(const std::string& raw) {
  std::string out = "\x78\x01";
  std::uint32_t a = 1, b = 0;
  for (const char byte : raw) {
    a = (a + static_cast<std::uint8_t>(byte)) % 65521;
    b = (b + a) % 65521;
  }
  constexpr std::size_t kBlock = 65535;
  std::size_t at = 0;
  do {
    const std::size_t n = std::min(kBlock, raw.size() - at);
    out.push_back(at + n == raw.size() ? 1 : 0);
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>(n >> 8));
    out.push_back(static_cast<char>(~n & 0xFF));
    out.push_back(static_cast<char>((~n >> 8) & 0xFF));
    out.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  Put32(out, (b << 16) | a);
  return out;
}

}  // namespace png

inline void SavePng(const Image& image, const std::string& path) {
  std::string header;
  png::Put32(header, static_cast<std::uint32_t>(image.width));
  png::Put32(header, static_cast<std::uint32_t>(image.height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back('\0');  // filter: none
    raw.append(reinterpret_cast<const char*>(image.rgb.data()) +
                   static_cast<std::size_t>(y) * image.width * 3,
               static_cast<std::size_t>(image.width) * 3);
  }
  std::string file = "\x89PNG\r\n\x1a\n";
  png::Chunk(file, "IHDR", header);
  png::Chunk(file, "IDAT", png::Zlib(raw));
  png::Chunk(file, "IEND", "");
  platform::WriteWholeFile(path, file);
}

}  // namespace pictolumen::testing
