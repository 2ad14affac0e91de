// Sample windows of the same kinds as the program's (fixed frame with a
// system menu, labels, edit boxes, push buttons, a label and a box with
// colours of their own), for the engine's screenshot tests and the skin
// renderer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vq::testing {

inline constexpr COLORREF kOwnAddressColour = RGB(0, 0, 255);
inline constexpr COLORREF kOwnBoxColour = RGB(192, 192, 192);

struct SampleWindow {
  HWND window = nullptr;
  HWND label = nullptr;
  HWND edit = nullptr;
  HWND address = nullptr;   // own text colour, system background
  HWND greyBox = nullptr;   // own background brush
  HWND searchButton = nullptr;
  HWND addButton = nullptr;
  HWND disabledButton = nullptr;
};

// Registers the class once and builds a window with controls, not shown.
// clientWidth x clientHeight is the client size asked for.
SampleWindow CreateSampleWindow(const char* title, int x, int y, int clientWidth, int clientHeight);

// Dispatches the thread's messages for about the given time.
void PumpMessages(DWORD milliseconds);

// The screen's pixels in a rectangle, 0x00RRGGBB, row by row.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
Capture CaptureScreen(const RECT& area);
bool SaveBitmap(const Capture& capture, const std::string& path);

}  // namespace vq::testing
