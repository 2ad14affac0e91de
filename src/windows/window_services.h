// The window services both windows use: loading windows from their
// descriptions, control properties, events, the keyboard rules, the message
// loops, the message box and opening a reading address.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "values/values.h"
#include "windows/window_description.h"

namespace vq {

class RecordStore;
class LoadedWindow;

using DescriptionFactory = WindowDescription (*)();

enum class StartupLoad { Shown, NoDescription, NotCreated, GoneDuringCreated };

class WindowServices {
 public:
  WindowServices(RecordStore& store, HINSTANCE instance);
  ~WindowServices();
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;

  RecordStore& Store() { return store_; }
  HINSTANCE Instance() const { return instance_; }

  // The invisible owner of modally shown windows (made by start-up).
  void SetToolWindow(HWND toolWindow) { toolWindow_ = toolWindow; }
  // Descriptions are made afresh by their factory at every load.
  void AddDescription(std::uint32_t windowNumber, DescriptionFactory factory);
  void ClearDescriptions() { descriptions_.clear(); }
  bool HasDescription(std::uint32_t windowNumber) const;

  // Builds the window without an owner, raises its created event and shows it.
  StartupLoad LoadStartupWindow(std::uint32_t windowNumber);
  // Builds the window owned by the tool window, shows it, disables the other
  // windows and runs a nested loop until it is gone. False when it cannot be built.
  bool LoadWindowModal(std::uint32_t windowNumber);

  // Sets LoopStarted; returns at once when no window exists, otherwise when
  // the quit message arrives.
  void RunMessageLoop();
  bool LoopStarted() const { return loopStarted_; }
  bool AnyWindowExists() const { return !windows_.empty(); }
  // The keyboard rules, applied before the focused control sees the key.
  bool PreTranslateMessage(const MSG& message);
  // Destroys every loaded window and releases its description (the end routine).
  void ReleaseWindows();

  // Control properties by window, control and property number. Reads return
  // new owned values (null for empty); writes keep the caller's value.
  Text ReadText(std::uint32_t window, std::uint32_t control, int property);
  Bytes ReadBytes(std::uint32_t window, std::uint32_t control, int property);
  std::int32_t ReadInteger(std::uint32_t window, std::uint32_t control, int property);
  void WriteText(std::uint32_t window, std::uint32_t control, int property, const char* value);
  void WriteBytes(std::uint32_t window, std::uint32_t control, int property, const ByteBlock* value);
  void WriteInteger(std::uint32_t window, std::uint32_t control, int property, std::int32_t value);

  HWND WindowHandleOf(std::uint32_t window) const;
  HWND ControlWindowHandle(std::uint32_t window, std::uint32_t control) const;

  // A task-modal box without owner, captioned "信息：", with one OK button.
  int ShowMessage(const char* text);
  // Hands a web address to the shell; anything else is refused with a message.
  void OpenAddress(const char* address);
  bool ShowFileDialog(std::uint32_t window, std::uint32_t control);
  bool RegisterDropWindow(std::uint32_t window, std::uint32_t control, HWND target);

  // For the window procedure.
  void WindowGone(LoadedWindow* window);

 private:
  LoadedWindow* Find(std::uint32_t windowNumber) const;
  LoadedWindow* FindByHandle(HWND window) const;
  LoadedWindow* Build(std::uint32_t windowNumber, HWND owner);
  class Control* FindControl(std::uint32_t window, std::uint32_t control) const;

  RecordStore& store_;
  HINSTANCE instance_;
  HWND toolWindow_ = nullptr;
  bool loopStarted_ = false;
  std::vector<std::pair<std::uint32_t, DescriptionFactory>> descriptions_;
  std::vector<std::unique_ptr<LoadedWindow>> windows_;
};

// What OpenAddress hands the shell: http(s) addresses unchanged, "www."
// addresses with "http://" before them, anything else nothing.
enum class AddressVerdict { Empty, Web, NotWeb };
AddressVerdict ClassifyAddress(const char* address, Text* toOpen);

inline constexpr char kMessageCaption[] = "信息：";
inline constexpr char kNotWebAddressMessage[] = "观看地址不是网址，无法打开！";
inline constexpr char kWindowClassName[] = "VellorinQuobarraWindow";

}  // namespace vq
