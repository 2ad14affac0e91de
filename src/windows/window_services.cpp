#include "windows/window_services.h"

#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "store/record_store.h"
#include "windows/cover_choice.h"
#include "windows/loaded_window.h"
#include "windows/picture_box.h"

namespace vq {
namespace {

constexpr int kProgramIconId = 1;

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text == '\0') return false;
    if (std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix))) {
      return false;
    }
  }
  return true;
}

}  // namespace

AddressVerdict ClassifyAddress(const char* address, Text* toOpen) {
  if (address == nullptr || address[0] == '\0') return AddressVerdict::Empty;
  if (StartsWithIgnoringCase(address, "http://") || StartsWithIgnoringCase(address, "https://")) {
    if (toOpen != nullptr) *toOpen = DuplicateText(address);
    return AddressVerdict::Web;
  }
  if (StartsWithIgnoringCase(address, "www.")) {
    if (toOpen != nullptr) *toOpen = JoinTexts("http://", address);
    return AddressVerdict::Web;
  }
  return AddressVerdict::NotWeb;
}

WindowServices::WindowServices(RecordStore& store, HINSTANCE instance) : store_(store), instance_(instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = LoadedWindow::WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.lpszClassName = kWindowClassName;
  RegisterClassExA(&windowClass);
  PictureBox::RegisterWindowClass(instance);
}

WindowServices::~WindowServices() {
  ReleaseWindows();
  UnregisterClassA(kPictureBoxClassName, instance_);
  UnregisterClassA(kWindowClassName, instance_);
}

void WindowServices::AddDescription(std::uint32_t windowNumber, DescriptionFactory factory) {
  descriptions_.emplace_back(windowNumber, factory);
}

bool WindowServices::HasDescription(std::uint32_t windowNumber) const {
  return std::any_of(descriptions_.begin(), descriptions_.end(),
                     [&](const auto& entry) { return entry.first == windowNumber && entry.second != nullptr; });
}

LoadedWindow* WindowServices::Find(std::uint32_t windowNumber) const {
  for (const auto& window : windows_) {
    if (window->Number() == windowNumber) return window.get();
  }
  return nullptr;
}

LoadedWindow* WindowServices::FindByHandle(HWND handle) const {
  if (handle == nullptr) return nullptr;
  for (const auto& window : windows_) {
    if (window->Handle() == handle) return window.get();
  }
  return nullptr;
}

Control* WindowServices::FindControl(std::uint32_t window, std::uint32_t control) const {
  LoadedWindow* loaded = Find(window);
  return loaded != nullptr ? loaded->FindControl(control) : nullptr;
}

LoadedWindow* WindowServices::Build(std::uint32_t windowNumber, HWND owner) {
  for (const auto& [number, factory] : descriptions_) {
    if (number != windowNumber || factory == nullptr) continue;
    windows_.push_back(std::make_unique<LoadedWindow>(*this, factory()));
    LoadedWindow* window = windows_.back().get();
    if (!window->Create(owner)) {
      windows_.erase(std::find_if(windows_.begin(), windows_.end(),
                                  [&](const auto& entry) { return entry.get() == window; }));
      return nullptr;
    }
    return window;
  }
  return nullptr;
}

StartupLoad WindowServices::LoadStartupWindow(std::uint32_t windowNumber) {
  if (!HasDescription(windowNumber)) return StartupLoad::NoDescription;
  LoadedWindow* window = Build(windowNumber, nullptr);
  if (window == nullptr) return StartupLoad::NotCreated;
  const HWND handle = window->Handle();
  window->RaiseCreated();
  window = FindByHandle(handle);
  if (window == nullptr) return StartupLoad::GoneDuringCreated;
  if (window->Description().visible) window->ShowCentred();
  return StartupLoad::Shown;
}

bool WindowServices::LoadWindowModal(std::uint32_t windowNumber) {
  LoadedWindow* window = Build(windowNumber, toolWindow_);
  if (window == nullptr) return false;
  const HWND handle = window->Handle();
  window->RaiseCreated();
  window = FindByHandle(handle);
  if (window == nullptr) return true;
  window->ShowCentred();
  // Disable the other top-level windows, remembering how they were.
  std::vector<std::pair<HWND, bool>> disabled;
  for (const auto& other : windows_) {
    if (other.get() == window || (GetWindowLongA(other->Handle(), GWL_STYLE) & WS_CHILD) != 0) continue;
    disabled.emplace_back(other->Handle(), IsWindowEnabled(other->Handle()) != FALSE);
    EnableWindow(other->Handle(), FALSE);
  }
  window->RememberDisabled(std::move(disabled));
  // The window's events run in this loop, inside the caller's handler.
  MSG message;
  while (FindByHandle(handle) != nullptr) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // the outer loop must see it too
      break;
    }
    if (got == -1) break;
    if (!PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return true;
}

void WindowServices::RunMessageLoop() {
  loopStarted_ = true;
  if (windows_.empty()) return;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

bool WindowServices::PreTranslateMessage(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  LoadedWindow* window = FindByHandle(root);
  if (window == nullptr) return false;
  switch (message.wParam) {
    case VK_ESCAPE:
      PostMessageA(root, WM_SYSCOMMAND, SC_CLOSE, 0);  // exactly as the close box
      return true;
    case VK_RETURN: return !window->KeepsEnter(message.hwnd);
    case VK_TAB: window->MoveFocus(GetKeyState(VK_SHIFT) < 0); return true;
    default: return false;
  }
}

void WindowServices::WindowGone(LoadedWindow* window) {
  const auto found =
      std::find_if(windows_.begin(), windows_.end(), [&](const auto& entry) { return entry.get() == window; });
  if (found == windows_.end()) return;
  windows_.erase(found);
  // The program ends when its last window is gone, once the loop has started.
  if (windows_.empty() && loopStarted_) PostQuitMessage(0);
}

void WindowServices::ReleaseWindows() {
  while (!windows_.empty()) {
    const HWND handle = windows_.back()->Handle();
    if (handle != nullptr && IsWindow(handle)) {
      DestroyWindow(handle);  // its last message takes it off the list
    }
    if (!windows_.empty() && windows_.back()->Handle() == handle) windows_.pop_back();
  }
}

Text WindowServices::ReadText(std::uint32_t window, std::uint32_t control, int property) {
  Control* found = FindControl(window, control);
  return found != nullptr ? found->ReadText(property) : Text();
}

Bytes WindowServices::ReadBytes(std::uint32_t window, std::uint32_t control, int property) {
  Control* found = FindControl(window, control);
  return found != nullptr ? found->ReadBytes(property) : Bytes();
}

std::int32_t WindowServices::ReadInteger(std::uint32_t window, std::uint32_t control, int property) {
  Control* found = FindControl(window, control);
  return found != nullptr ? found->ReadInteger(property) : 0;
}

void WindowServices::WriteText(std::uint32_t window, std::uint32_t control, int property, const char* value) {
  if (Control* found = FindControl(window, control)) found->WriteText(property, value);
}

void WindowServices::WriteBytes(std::uint32_t window, std::uint32_t control, int property, const ByteBlock* value) {
  if (Control* found = FindControl(window, control)) found->WriteBytes(property, value);
}

void WindowServices::WriteInteger(std::uint32_t window, std::uint32_t control, int property, std::int32_t value) {
  if (Control* found = FindControl(window, control)) found->WriteInteger(property, value);
}

HWND WindowServices::WindowHandleOf(std::uint32_t window) const {
  LoadedWindow* loaded = Find(window);
  return loaded != nullptr ? loaded->Handle() : nullptr;
}

HWND WindowServices::ControlWindowHandle(std::uint32_t window, std::uint32_t control) const {
  Control* found = FindControl(window, control);
  return found != nullptr ? found->Handle() : nullptr;
}

int WindowServices::ShowMessage(const char* text) {
  return MessageBoxA(nullptr, text != nullptr ? text : "", kMessageCaption, MB_OK | MB_TASKMODAL);
}

void WindowServices::OpenAddress(const char* address) {
  Text toOpen;
  switch (ClassifyAddress(address, &toOpen)) {
    case AddressVerdict::Empty: return;
    case AddressVerdict::NotWeb: ShowMessage(kNotWebAddressMessage); return;
    case AddressVerdict::Web: break;
  }
  HWND owner = FindWindowA(nullptr, "Microsoft Internet Explorer");
  ShellExecuteA(owner, "open", toOpen.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool WindowServices::ShowFileDialog(std::uint32_t window, std::uint32_t control) {
  auto* dialog = dynamic_cast<FileDialogControl*>(FindControl(window, control));
  return dialog != nullptr && dialog->Show();
}

bool WindowServices::RegisterDropWindow(std::uint32_t window, std::uint32_t control, HWND target) {
  auto* dropTarget = dynamic_cast<DropTargetControl*>(FindControl(window, control));
  return dropTarget != nullptr && dropTarget->RegisterDropWindow(target);
}

}  // namespace vq
