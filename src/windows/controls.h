// The controls of a loaded window. Each kind answers the property numbers it
// owns; the common ones (0 to 7) are answered here for every windowed kind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "values/values.h"
#include "windows/gdi.h"
#include "windows/window_description.h"

namespace vq {

class WindowServices;
class LoadedWindow;

class Control {
 public:
  explicit Control(const ControlDescription& description) : description_(description) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDescription& Description() const { return description_; }
  std::uint32_t Number() const { return description_.number; }
  // The control's own window; null for the invisible kinds.
  HWND Handle() const { return window_.get(); }

  // Makes the control's window (if it has one) in the parent's client area.
  virtual bool Create(LoadedWindow& owner, HWND parent) = 0;
  // The parent is being destroyed: the system destroys child windows itself.
  virtual void ParentDestroyed() { window_.Forget(); }

  virtual Text ReadText(int property);
  virtual Bytes ReadBytes(int property);
  virtual std::int32_t ReadInteger(int property);
  virtual void WriteText(int property, const char* value);
  virtual void WriteBytes(int property, const ByteBlock* value);
  virtual void WriteInteger(int property, std::int32_t value);

 protected:
  ControlDescription description_;
  WindowHandle window_;
  Text tag_;
  std::int32_t mousePointer_ = 0;
};

// Labels, edit boxes and buttons: system controls that keep their caption or
// content as their window text.
class TextControl final : public Control {
 public:
  using Control::Control;
  bool Create(LoadedWindow& owner, HWND parent) override;
  Text ReadText(int property) override;
  void WriteText(int property, const char* value) override;
  bool IsEditableMultiLine() const {
    return description_.kind == ControlKind::EditBox && description_.multiLine && !description_.readOnly;
  }
};

// Colours and font of a control as its window draws it.
struct ControlLook {
  COLORREF text = RGB(0, 0, 0);
  COLORREF background = RGB(255, 255, 255);
  HBRUSH brush = nullptr;
};

// The text of a window as GBK bytes; null when empty.
Text WindowTextOf(HWND window);

}  // namespace vq
