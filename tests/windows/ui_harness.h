// Test support for the windows under Wine: a program on a temporary run
// directory, message pumping, work scheduled inside nested loops, and real
// keyboard and mouse input.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "store/file_port_win32.h"
#include "store/record_store.h"
#include "support/disk.h"
#include "support/message_box_closer.h"
#include "windows/window_services.h"

namespace vq::testing {

using disk::Exists;
using disk::RemoveTree;
using disk::TempFolder;
using disk::WriteBytes;
// The file's bytes; "" when it cannot be read.
inline std::string ReadBytes(const std::string& path) { return disk::ReadBytes(path).value_or(""); }

// The two windows on a store in a temporary run directory. The lookup
// window's created event does nothing here (no skin).
class TestProgram {
 public:
  TestProgram();
  ~TestProgram();
  WindowServices& Services() { return *services_; }
  RecordStore& Store() { return *store_; }
  const TempFolder& Run() const { return run_; }
  // Stores a record the way a save would, bypassing the windows.
  void Put(const std::string& name, const std::string& author, const std::string& synopsis,
           const std::string& category, const std::string& address, const std::string& cover = "");

  HWND LoadLookupWindow();
  HWND Window(std::uint32_t window) const { return services_->WindowHandleOf(window); }
  HWND Control(std::uint32_t window, std::uint32_t control) const {
    return services_->ControlWindowHandle(window, control);
  }
  std::string Text(std::uint32_t window, std::uint32_t control, int property = 8);

 private:
  TempFolder run_;
  Win32FilePort port_;
  std::unique_ptr<RecordStore> store_;
  std::unique_ptr<WindowServices> services_;
  HWND toolWindow_ = nullptr;
};

// Dispatches messages (with the keyboard rules) for the given time.
void Pump(WindowServices& services, int milliseconds);
// Dispatches until the condition holds; false on timeout.
bool PumpUntil(WindowServices& services, const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs work on this thread after a delay, from whichever loop is running then
// (a nested modal loop, a message box, a dialog).
void RunLater(int delayMs, std::function<void()> work);

// Real input through the system's input queue.
void PressKey(WORD key, bool shift = false);
void ClickControl(HWND control, int x = 4, int y = 4);
void Focus(HWND topLevel);

// The text of a window (GBK), through WM_GETTEXT.
std::string WindowText(HWND window);
std::string ClassOf(HWND window);

}  // namespace vq::testing
