// One loaded window: its system window, its controls and the GDI objects its
// description asks for. Built afresh from the description at every load.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "windows/controls.h"
#include "windows/gdi.h"
#include "windows/window_description.h"

namespace vq {

class WindowServices;

class LoadedWindow {
 public:
  LoadedWindow(WindowServices& services, WindowDescription description);
  ~LoadedWindow();
  LoadedWindow(const LoadedWindow&) = delete;
  LoadedWindow& operator=(const LoadedWindow&) = delete;

  // Creates the window (invisible) and its controls; false when it cannot.
  bool Create(HWND owner);
  // Raises the created event; false when the window is gone afterwards.
  void RaiseCreated();
  void ShowCentred();

  std::uint32_t Number() const { return description_.number; }
  const WindowDescription& Description() const { return description_; }
  HWND Handle() const { return window_.get(); }
  HINSTANCE Instance() const;
  WindowServices& Services() { return services_; }

  Control* FindControl(std::uint32_t number) const;
  Control* FindControlByHandle(HWND window) const;

  // Fonts and the sizes they imply.
  HFONT FontFor(const ControlDescription& control);
  int MinimumSingleLineEditHeight(const ControlDescription& control);

  // The keyboard rules.
  void MoveFocus(bool backwards);
  void FocusFirst();
  bool KeepsEnter(HWND focus) const;

  // Modal loading: the windows this one disabled, given back on close.
  void RememberDisabled(std::vector<std::pair<HWND, bool>> windows) { disabledByMe_ = std::move(windows); }

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ColourControl(HDC dc, HWND control);
  static LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self);
  HandlerResult Raise(EventHandler handler, const Event& event);

  WindowServices& services_;
  WindowDescription description_;
  WindowHandle window_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::pair<FontDescription, Font>> fonts_;
  std::vector<std::pair<COLORREF, Brush>> brushes_;
  HWND lastFocus_ = nullptr;
  std::vector<std::pair<HWND, bool>> disabledByMe_;
};

}  // namespace vq
