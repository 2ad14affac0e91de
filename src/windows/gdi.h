// Owning wrappers for GDI objects and windows. Each keeps a live count, so
// tests can prove that nothing is left behind (Wine's GetGuiResources is a
// stub that always answers 0).
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace vq {

struct LiveObjectCounts {
  static std::atomic<long>& Gdi() {
    static std::atomic<long> count{0};
    return count;
  }
  static std::atomic<long>& User() {
    static std::atomic<long> count{0};
    return count;
  }
};

inline long LiveGdiObjects() { return LiveObjectCounts::Gdi().load(); }
inline long LiveUserObjects() { return LiveObjectCounts::User().load(); }

// A font, brush, bitmap or other GDI object, deleted with DeleteObject.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {
    if (handle_ != nullptr) ++LiveObjectCounts::Gdi();
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~GdiObject() { Reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset() {
    if (handle_ != nullptr) {
      DeleteObject(handle_);
      --LiveObjectCounts::Gdi();
      handle_ = nullptr;
    }
  }

 private:
  Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

// An icon or cursor made by CreateIconFromResourceEx, destroyed with DestroyIcon.
class IconHandle {
 public:
  IconHandle() = default;
  explicit IconHandle(HICON icon) : icon_(icon) {
    if (icon_ != nullptr) ++LiveObjectCounts::User();
  }
  IconHandle(const IconHandle&) = delete;
  IconHandle& operator=(const IconHandle&) = delete;
  IconHandle(IconHandle&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
  IconHandle& operator=(IconHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      icon_ = std::exchange(other.icon_, nullptr);
    }
    return *this;
  }
  ~IconHandle() { Reset(); }
  HICON get() const { return icon_; }
  void Reset() {
    if (icon_ != nullptr) {
      DestroyIcon(icon_);
      --LiveObjectCounts::User();
      icon_ = nullptr;
    }
  }

 private:
  HICON icon_ = nullptr;
};

// A window destroyed with DestroyWindow unless it is already gone.
class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(HWND window) : window_(window) {
    if (window_ != nullptr) ++LiveObjectCounts::User();
  }
  WindowHandle(const WindowHandle&) = delete;
  WindowHandle& operator=(const WindowHandle&) = delete;
  WindowHandle(WindowHandle&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
  WindowHandle& operator=(WindowHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      window_ = std::exchange(other.window_, nullptr);
    }
    return *this;
  }
  ~WindowHandle() { Reset(); }
  HWND get() const { return window_; }
  // The window was destroyed by the system (as a child of its parent).
  void Forget() {
    if (window_ != nullptr) --LiveObjectCounts::User();
    window_ = nullptr;
  }
  void Reset() {
    if (window_ != nullptr) {
      if (IsWindow(window_)) DestroyWindow(window_);
      Forget();
    }
  }

 private:
  HWND window_ = nullptr;
};

// A device context from GetDC, given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for one scope.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace vq
