#include "windows/picture_box.h"

#include <algorithm>
#include <cstring>

#include "windows/cover_image.h"
#include "windows/loaded_window.h"

namespace vq {

RECT DisplayRectangle(int mode, int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
  switch (mode) {
    case 1: return {0, 0, clientWidth, clientHeight};
    case 2: {
      int width = imageWidth, height = imageHeight;
      if (width > clientWidth || height > clientHeight) {
        // One factor for both directions, so that it fits; never enlarged.
        const long long byWidth = static_cast<long long>(clientWidth) * imageHeight;
        const long long byHeight = static_cast<long long>(clientHeight) * imageWidth;
        if (byWidth <= byHeight) {
          width = clientWidth;
          height = imageWidth > 0 ? static_cast<int>(byWidth / imageWidth) : 0;
        } else {
          height = clientHeight;
          width = imageHeight > 0 ? static_cast<int>(byHeight / imageHeight) : 0;
        }
      }
      const int left = (clientWidth - width) / 2, top = (clientHeight - height) / 2;
      return {left, top, left + width, top + height};
    }
    default: return {0, 0, imageWidth, imageHeight};
  }
}

PictureBox::PictureBox(const ControlDescription& description) : Control(description) {}

PictureBox::~PictureBox() {
  StopAnimation();
  ReleaseValue(stored_);
}

bool PictureBox::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExA(instance, kPictureBoxClassName, &windowClass)) return true;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kPictureBoxClassName;
  return RegisterClassExA(&windowClass) != 0;
}

bool PictureBox::Create(LoadedWindow& owner, HWND parent) {
  if (!RegisterWindowClass(owner.Instance())) return false;
  const ControlDescription& d = description_;
  // Border 1 is a sunken edge around the client area, which is the drawing area.
  HWND window = CreateWindowExA(border_ == 1 ? WS_EX_CLIENTEDGE : 0, kPictureBoxClassName, "", WS_CHILD | WS_VISIBLE,
                                d.left, d.top, d.width, d.height, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.number)), owner.Instance(), this);
  if (window == nullptr) return false;
  window_ = WindowHandle(window);
  return true;
}

void PictureBox::ParentDestroyed() {
  StopAnimation();
  Control::ParentDestroyed();
}

LRESULT CALLBACK PictureBox::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PictureBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND: return 1;  // painting fills the background itself
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      if (self != nullptr) self->Paint(dc, client);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (self != nullptr) {
        if (wParam == FALSE) {
          self->StopAnimation();
        } else {
          self->StartAnimation();
        }
      }
      break;
    case WM_DESTROY:
      if (self != nullptr) self->StopAnimation();
      break;
    case WM_NCDESTROY: SetWindowLongPtrA(window, GWLP_USERDATA, 0); break;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The button-face background is asked of the window, as its labels ask
// theirs, so that a skin that recolours the window recolours the box too.
COLORREF PictureBox::Background() const {
  if (backgroundColour_ != kSystemButtonFace) return static_cast<COLORREF>(backgroundColour_ & 0x00FFFFFFu);
  COLORREF background = GetSysColor(COLOR_BTNFACE);
  HWND box = Handle();
  if (box != nullptr && GetParent(box) != nullptr) {
    WindowDC dc(box);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(box), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(box)));
    LOGBRUSH look{};
    if (brush != nullptr && GetObjectA(brush, sizeof look, &look) == sizeof look && look.lbStyle == BS_SOLID) {
      background = look.lbColor;
    }
  }
  return background;
}

void PictureBox::Paint(HDC dc, const RECT& client) {
  const COLORREF background = Background();
  Brush fill(CreateSolidBrush(background));
  FillRect(dc, &client, fill.get());
  if (cover_ == nullptr) return;
  const RECT target = DisplayRectangle(displayMode_, client.right - client.left, client.bottom - client.top,
                                       cover_->Width(), cover_->Height());
  cover_->Draw(dc, target, background);
}

Bytes PictureBox::ReadBytes(int property) {
  if (property == property::kPicture) return MakeByteBuffer(stored_, storedLength_);
  return Control::ReadBytes(property);
}

void PictureBox::WriteBytes(int property, const ByteBlock* value) {
  if (property != property::kPicture) return Control::WriteBytes(property, value);
  StopAnimation();
  cover_.reset();
  ReleaseValue(stored_);
  stored_ = nullptr;
  storedLength_ = 0;
  const std::int32_t length = ByteLength(value);
  if (length > 0) {
    // A copy the heap cannot give leaves the box empty; that is no error.
    stored_ = static_cast<unsigned char*>(TryAllocateValue(static_cast<std::size_t>(length)));
    if (stored_ != nullptr) {
      std::memcpy(stored_, ByteData(value), static_cast<std::size_t>(length));
      storedLength_ = length;
      Decode();
    }
  }
  if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
}

std::int32_t PictureBox::ReadInteger(int property) {
  switch (property) {
    case property::kBorder: return border_;
    case property::kBackgroundColour: return static_cast<std::int32_t>(backgroundColour_);
    case property::kDisplayMode: return displayMode_;
    case property::kPlayAnimation: return playAnimation_ ? 1 : 0;
    default: return Control::ReadInteger(property);
  }
}

void PictureBox::WriteInteger(int property, std::int32_t value) {
  switch (property) {
    case property::kDisplayMode: {
      const std::int32_t mode = std::clamp(value, 0, 2);
      if (mode == displayMode_) return;
      displayMode_ = mode;
      if (cover_ != nullptr) cover_->Place({displayMode_, Background()});
      if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
        UpdateWindow(Handle());  // the new mode is on screen before the write returns
      }
      return;
    }
    case property::kBackgroundColour:
      backgroundColour_ = static_cast<std::uint32_t>(value);
      if (cover_ != nullptr) cover_->Place({displayMode_, Background()});
      if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
      return;
    case property::kPlayAnimation:
      playAnimation_ = value != 0;
      return;
    case property::kBorder:
      border_ = std::clamp(value, 0, 5);
      return;
    default: Control::WriteInteger(property, value);
  }
}

void PictureBox::Decode() {
  SIZE client{description_.width, description_.height};
  if (Handle() != nullptr) {
    RECT area;
    GetClientRect(Handle(), &area);
    client = {area.right, area.bottom};
  }
  cover_ = DecodeCover(stored_, static_cast<std::size_t>(storedLength_), client, playAnimation_);
  StartAnimation();
}

void PictureBox::StartAnimation() {
  if (cover_ != nullptr && Handle() != nullptr && (GetWindowLongA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0) {
    cover_->Start(Handle(), {displayMode_, Background()});
  }
}

void PictureBox::StopAnimation() {
  if (cover_ != nullptr) cover_->Stop();
}

}  // namespace vq
