// Test support (Win32): answers the message boxes a test provokes, so a test
// never waits on a box nobody will click. Records each box's caption and text.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vq::testing {

struct SeenBox {
  std::string caption;
  std::string text;
};

class MessageBoxCloser {
 public:
  MessageBoxCloser() : worker_([this] { Run(); }) {}
  ~MessageBoxCloser() {
    stop_ = true;
    worker_.join();
  }
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

  std::vector<SeenBox> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    if (GetWindowThreadProcessId(window, nullptr) == 0) return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    auto* closer = reinterpret_cast<MessageBoxCloser*>(self);
    char caption[256] = {};
    char text[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    {
      std::lock_guard<std::mutex> lock(closer->mutex_);
      closer->seen_.push_back({caption, text});
    }
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }

  void Run() {
    while (!stop_) {
      EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::thread worker_;
};

}  // namespace vq::testing
