// Choosing a cover on the entry window: the open-file dialog and the drop
// target on the picture box.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>

#include "windows/controls.h"

namespace vq {

// The open-file dialog: open kind, no filter (every file), file and path must
// exist, read-only box hidden, explorer style, resizable, paths of at most 259
// bytes; a confirmed choice may change the current directory.
class FileDialogControl final : public Control {
 public:
  using Control::Control;
  bool Create(LoadedWindow& owner, HWND parent) override;
  Text ReadText(int property) override;
  void WriteText(int property, const char* value) override;
  // True when the user confirmed a file; Cancel or a failure keeps the file name.
  bool Show();

 private:
  HWND owner_ = nullptr;
  Text fileName_;
};

// The effect offered for a drag: copy, move or link by the keys held (Ctrl,
// Shift) and what the source allows; none when the drag is not acceptable.
DWORD ChooseDropEffect(bool acceptable, DWORD keyState, DWORD allowed);

class DropTargetObject;

// The drop target: accepts the kinds its four settings enable (files only on
// the entry window) and raises their events synchronously inside the drop.
class DropTargetControl final : public Control {
 public:
  explicit DropTargetControl(const ControlDescription& description);
  ~DropTargetControl() override;
  bool Create(LoadedWindow& owner, HWND parent) override;
  std::int32_t ReadInteger(int property) override;
  void WriteInteger(int property, std::int32_t value) override;

  // False when a window is registered already or the system refuses.
  bool RegisterDropWindow(HWND target);
  void Revoke();

  // For the COM object.
  bool Accepts(IDataObject* data) const;
  void Deliver(IDataObject* data);
  HWND Target() const { return target_; }

 private:
  static LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
  void Raise(EventHandler handler, const char* text);

  LoadedWindow* owner_ = nullptr;
  DropTargetObject* object_ = nullptr;  // one reference held here
  HWND target_ = nullptr;
  bool registered_ = false;
  bool accept_[4] = {false, false, false, true};  // text, HTML, web address, files
};

}  // namespace vq
