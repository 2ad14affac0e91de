// Owning wrappers for the GDI and USER handles the engine makes: every one is
// given back on every path, so a long session does not leak.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace vqskin {

template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~GdiObject() { Reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a DC for the lifetime of the guard.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's DC (client or whole window), released on scope exit.
class WindowDc {
 public:
  WindowDc(HWND window, bool wholeWindow)
      : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A 32-bit top-down DIB section with its own memory DC: the engine draws a
// whole frame or button into it and copies it out in one step, so nothing
// flickers. Pixels are 0x00RRGGBB.
class Canvas {
 public:
  Canvas(HDC reference, int width, int height);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas();

  bool ok() const { return dc_ != nullptr && pixels_ != nullptr; }
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t* Row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * width_; }

  // Flushes GDI drawing before direct pixel access.
  void Sync() { GdiFlush(); }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  Bitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

inline COLORREF ToColorRef(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace vqskin
