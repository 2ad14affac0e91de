#include "windows/loaded_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "windows/cover_choice.h"
#include "windows/picture_box.h"
#include "windows/window_services.h"

namespace vq {
namespace {

constexpr UINT_PTR kControlSubclassId = 1;

bool SameFont(const FontDescription& a, const FontDescription& b) {
  return std::strcmp(a.face, b.face) == 0 && a.characterHeight == b.characterHeight && a.bold == b.bold &&
         a.underline == b.underline;
}

int CALLBACK NoteFaceFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const char* face) {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  WindowDC screen(nullptr);
  EnumFontFamiliesExA(screen.get(), &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// "宋体" where it is installed; otherwise its Latin name, and failing that the
// face of the default GUI font.
void ChooseFace(const char* wanted, char (&face)[LF_FACESIZE]) {
  for (const char* candidate : {wanted, "SimSun", "NSimSun"}) {
    if (FaceInstalled(candidate)) {
      lstrcpynA(face, candidate, LF_FACESIZE);
      return;
    }
  }
  LOGFONTA fallback{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof fallback, &fallback);
  lstrcpynA(face, fallback.lfFaceName, LF_FACESIZE);
}

COLORREF ToColorRef(const Colour& colour, COLORREF otherwise) {
  return colour.set ? RGB(colour.red, colour.green, colour.blue) : otherwise;
}

std::unique_ptr<Control> MakeControl(const ControlDescription& description) {
  switch (description.kind) {
    case ControlKind::Label:
    case ControlKind::EditBox:
    case ControlKind::Button: return std::make_unique<TextControl>(description);
    case ControlKind::PictureBox: return std::make_unique<PictureBox>(description);
    case ControlKind::FileDialog: return std::make_unique<FileDialogControl>(description);
    case ControlKind::DropTarget: return std::make_unique<DropTargetControl>(description);
  }
  return nullptr;
}

}  // namespace

LoadedWindow::LoadedWindow(WindowServices& services, WindowDescription description)
    : services_(services), description_(std::move(description)) {}

LoadedWindow::~LoadedWindow() {
  // Invisible controls (the drop target) let go of what they registered first.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) it->reset();
}

HINSTANCE LoadedWindow::Instance() const { return services_.Instance(); }

bool LoadedWindow::Create(HWND owner) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int left = (screenWidth - description_.width) / 2;
  const int top = (screenHeight - description_.height) / 2;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  HWND window = CreateWindowExA(0, kWindowClassName, description_.title, style, left, top, description_.width,
                                description_.height, owner, nullptr, Instance(), this);
  if (window == nullptr) return false;  // (window_ was set by WM_NCCREATE)
  for (const ControlDescription& description : description_.controls) {
    std::unique_ptr<Control> control = MakeControl(description);
    if (control == nullptr || !control->Create(*this, window)) {
      // Not a loaded window after all: take it down without the loaded-window
      // bookkeeping of its last message.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      for (auto& made : controls_) made->ParentDestroyed();
      controls_.clear();
      window_.Reset();
      return false;
    }
    if (HWND controlWindow = control->Handle()) {
      SetWindowSubclass(controlWindow, ControlProcedure, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
    controls_.push_back(std::move(control));
  }
  return true;
}

void LoadedWindow::RaiseCreated() {
  if (description_.created != nullptr) {
    Event event{services_, description_.number};
    description_.created(event);
  }
}

void LoadedWindow::ShowCentred() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

Control* LoadedWindow::FindControl(std::uint32_t number) const {
  for (const auto& control : controls_) {
    if (control->Number() == number) return control.get();
  }
  return nullptr;
}

Control* LoadedWindow::FindControlByHandle(HWND window) const {
  if (window == nullptr) return nullptr;
  for (const auto& control : controls_) {
    if (control->Handle() == window) return control.get();
  }
  return nullptr;
}

HFONT LoadedWindow::FontFor(const ControlDescription& control) {
  if (control.font.face == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const auto& [description, font] : fonts_) {
    if (SameFont(description, control.font)) return font.get();
  }
  LOGFONTA font{};
  font.lfHeight = -control.font.characterHeight;  // negative: the character height, without leading
  font.lfWeight = control.font.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = control.font.underline ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  ChooseFace(control.font.face, font.lfFaceName);
  Font made(CreateFontIndirectA(&font));
  if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace_back(control.font, std::move(made));
  return fonts_.back().second.get();
}

int LoadedWindow::MinimumSingleLineEditHeight(const ControlDescription& control) {
  WindowDC screen(nullptr);
  SelectionScope selected(screen.get(), FontFor(control));
  TEXTMETRICA metrics{};
  GetTextMetricsA(screen.get(), &metrics);
  return metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
}

void LoadedWindow::MoveFocus(bool backwards) {
  const auto& order = description_.tabOrder;
  if (order.empty()) return;
  const int count = static_cast<int>(order.size());
  int at = -1;
  if (Control* focused = FindControlByHandle(GetFocus())) {
    const auto found = std::find(order.begin(), order.end(), focused->Number());
    if (found != order.end()) at = static_cast<int>(found - order.begin());
  }
  if (at < 0 && backwards) at = 0;  // so that the first step back lands on the last
  for (int step = 1; step <= count; ++step) {
    const int next = ((at + (backwards ? -step : step)) % count + count) % count;
    Control* control = FindControl(order[static_cast<std::size_t>(next)]);
    if (control != nullptr && control->Handle() != nullptr && IsWindowVisible(control->Handle()) &&
        IsWindowEnabled(control->Handle())) {
      SetFocus(control->Handle());
      return;
    }
  }
}

void LoadedWindow::FocusFirst() {
  for (std::uint32_t number : description_.tabOrder) {
    Control* control = FindControl(number);
    if (control != nullptr && control->Handle() != nullptr && IsWindowVisible(control->Handle()) &&
        IsWindowEnabled(control->Handle())) {
      SetFocus(control->Handle());
      return;
    }
  }
}

bool LoadedWindow::KeepsEnter(HWND focus) const {
  const auto* control = dynamic_cast<const TextControl*>(FindControlByHandle(focus));
  return control != nullptr && control->IsEditableMultiLine();
}

LRESULT LoadedWindow::ColourControl(HDC dc, HWND controlWindow) {
  Control* control = FindControlByHandle(controlWindow);
  if (control == nullptr) return DefWindowProcA(Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                reinterpret_cast<LPARAM>(controlWindow));
  const ControlDescription& d = control->Description();
  const COLORREF fallback = d.kind == ControlKind::EditBox ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE);
  const COLORREF background = ToColorRef(d.backgroundColour, fallback);
  SetTextColor(dc, ToColorRef(d.textColour, RGB(0, 0, 0)));
  SetBkColor(dc, background);
  if (!d.backgroundColour.set && d.kind != ControlKind::EditBox) {
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  for (const auto& [colour, brush] : brushes_) {
    if (colour == background) return reinterpret_cast<LRESULT>(brush.get());
  }
  brushes_.emplace_back(background, Brush(CreateSolidBrush(background)));
  return reinterpret_cast<LRESULT>(brushes_.back().second.get());
}

LRESULT CALLBACK LoadedWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    reinterpret_cast<LoadedWindow*>(create->lpCreateParams)->window_ = WindowHandle(window);
  }
  auto* self = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->Dispatch(message, wParam, lParam);
}

LRESULT LoadedWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = Handle();
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return ColourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        // The control comes from lParam: the 16 bits of wParam cannot hold our numbers.
        Control* control = FindControlByHandle(reinterpret_cast<HWND>(lParam));
        if (control != nullptr && control->Description().clicked != nullptr) {
          Event event{services_, description_.number, control->Number()};
          control->Description().clicked(event);
        }
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsChild(window, lastFocus_) &&
          IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        FocusFirst();
      }
      return 0;
    case WM_CLOSE:
      // Give the disabled windows back first, so activation returns to them.
      for (const auto& [other, wasEnabled] : disabledByMe_) {
        if (IsWindow(other)) EnableWindow(other, wasEnabled ? TRUE : FALSE);
      }
      disabledByMe_.clear();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      for (const auto& [other, wasEnabled] : disabledByMe_) {
        if (IsWindow(other)) EnableWindow(other, wasEnabled ? TRUE : FALSE);
      }
      disabledByMe_.clear();
      break;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      for (auto& control : controls_) control->ParentDestroyed();
      window_.Forget();
      services_.WindowGone(this);  // deletes this
      return result;
    }
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK LoadedWindow::ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) {
  auto* owner = reinterpret_cast<LoadedWindow*>(self);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {  // the second press of a double click goes down too
      Control* control = owner->FindControlByHandle(window);
      if (control != nullptr && control->Description().leftButtonPressed != nullptr) {
        Event event{owner->services_, owner->description_.number, control->Number()};
        event.x = LOWORD(lParam);
        event.y = HIWORD(lParam);
        event.modifiers = ((wParam & MK_CONTROL) != 0 ? 1 : 0) | ((wParam & MK_SHIFT) != 0 ? 2 : 0) |
                          (GetKeyState(VK_MENU) < 0 ? 4 : 0);
        const HandlerResult result = control->Description().leftButtonPressed(event);
        if (result == HandlerResult::False || !IsWindow(window)) return 0;  // swallowed, or gone meanwhile
      }
      break;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(window, ControlProcedure, kControlSubclassId); break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace vq
