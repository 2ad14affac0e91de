#include "sample_windows.h"

#include <fstream>

namespace vq::testing {
namespace {

constexpr char kClassName[] = "VQSkinSampleWindow";

LRESULT CALLBACK SampleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      if (GetDlgCtrlID(control) == 103) {
        // The address: own text colour on the system's background.
        const LRESULT brush = DefWindowProcA(window, message, wParam, lParam);
        SetTextColor(dc, kOwnAddressColour);
        return brush;
      }
      if (GetDlgCtrlID(control) == 104) {
        // The stock light grey brush is kOwnBoxColour and needs no cleanup.
        SetBkColor(dc, kOwnBoxColour);
        return reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH));
      }
      break;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id, int x, int y,
           int w, int h) {
  HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

}  // namespace

SampleWindow CreateSampleWindow(const char* title, int x, int y, int clientWidth, int clientHeight) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SampleProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered

  const DWORD style = WS_CAPTION | WS_SYSMENU;
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  SampleWindow sample;
  sample.window = CreateWindowExA(0, kClassName, title, style, x, y, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (sample.window == nullptr) return sample;
  const HWND w = sample.window;
  sample.label = Child(w, "Static", "Name:", SS_LEFT, 0, 101, 12, 14, 60, 16);
  sample.edit = Child(w, "Edit", "Sample text", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 102, 76, 10, 200, 22);
  sample.address = Child(w, "Static", "http://example.org/read", SS_LEFT | SS_NOTIFY, 0, 103, 12, 44, 200, 16);
  sample.greyBox = Child(w, "Static", "A grey box of its own", SS_LEFT, 0, 104, 12, 66, 200, 40);
  sample.searchButton = Child(w, "Button", "Search", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 105, 12, 118, 90, 28);
  sample.addButton = Child(w, "Button", "Add", BS_PUSHBUTTON | WS_TABSTOP, 0, 106, 112, 118, 90, 28);
  sample.disabledButton = Child(w, "Button", "Off", BS_PUSHBUTTON | WS_DISABLED, 0, 107, 212, 118, 70, 28);
  return sample;
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
}

Capture CaptureScreen(const RECT& area) {
  Capture capture;
  capture.width = area.right - area.left;
  capture.height = area.bottom - area.top;
  if (capture.width <= 0 || capture.height <= 0) return capture;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  capture.pixels.assign(pixels, pixels + static_cast<std::size_t>(capture.width) * capture.height);
  for (std::uint32_t& pixel : capture.pixels) pixel &= 0xFFFFFF;
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

bool SaveBitmap(const Capture& capture, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(capture.pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = capture.width;
  header.biHeight = -capture.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(capture.pixels.data()), imageBytes);
  return static_cast<bool>(out);
}

}  // namespace vq::testing
