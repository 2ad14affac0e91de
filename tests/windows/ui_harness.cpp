#include "ui_harness.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>

#include "skin/skin.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

std::map<UINT_PTR, std::function<void()>>& PendingWork() {
  static std::map<UINT_PTR, std::function<void()>> work;
  return work;
}

void CALLBACK RunPendingWork(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  auto found = PendingWork().find(timer);
  if (found == PendingWork().end()) return;
  std::function<void()> work = std::move(found->second);
  PendingWork().erase(found);
  work();
}

WindowDescription LookupWindowWithoutSkin() { return DescribeLookupWindow(nullptr); }

// With VQ_TEST_SKIN set to a skin number, the whole test program runs with the
// skin engine attached, as the program does: deployed from the carried image
// into a folder of its own and handed that skin once, before any window.
class SkinEnvironment final : public ::testing::Environment {
 public:
  explicit SkinEnvironment(int skin) : skin_(skin) {}
  void SetUp() override {
    RegisterValueConstants();
    RegisterSkinConstants();
    folder_ = std::make_unique<TempFolder>();
    store_ = std::make_unique<RecordStore>(port_, folder_->path().c_str());
    table_ = MakeExternalFunctionTable();
    ApplySkin(table_, *store_, skin_);
    ASSERT_NE(nullptr, table_[kSkinAttachFunction].moduleHandle);
  }
  void TearDown() override {
    UnloadExternalLibraries(table_);
    store_.reset();
    folder_.reset();
  }

 private:
  int skin_;
  Win32FilePort port_;
  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<RecordStore> store_;
  ExternalFunctionTable table_{};
};

const bool gSkinEnvironmentAdded = [] {
  const char* skin = std::getenv("VQ_TEST_SKIN");
  if (skin != nullptr && skin[0] != '\0') ::testing::AddGlobalTestEnvironment(new SkinEnvironment(std::atoi(skin)));
  return true;
}();

}  // namespace

TestProgram::TestProgram() {
  RegisterValueConstants();
  OleInitialize(nullptr);
  store_ = std::make_unique<RecordStore>(port_, run_.path().c_str());
  services_ = std::make_unique<WindowServices>(*store_, GetModuleHandleA(nullptr));
  toolWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Static", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  services_->SetToolWindow(toolWindow_);
  services_->AddDescription(kLookupWindowNumber, LookupWindowWithoutSkin);
  services_->AddDescription(kEntryWindowNumber, DescribeEntryWindow);
}

TestProgram::~TestProgram() {
  services_->ReleaseWindows();
  services_.reset();
  DestroyWindow(toolWindow_);
  // Drain what the windows left in the queue (including a quit message).
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageA(&message);
  }
  OleUninitialize();
}

void TestProgram::Put(const std::string& name, const std::string& author, const std::string& synopsis,
                      const std::string& category, const std::string& address, const std::string& cover) {
  CreateDirectoryA((run_ / "数据").c_str(), nullptr);
  const std::string folder = run_ / ("数据\\" + name);
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteBytes(folder + "\\" + name + ".zz", author);
  WriteBytes(folder + "\\" + name + ".jj", synopsis);
  WriteBytes(folder + "\\" + name + ".lb", category);
  WriteBytes(folder + "\\" + name + ".dz", address);
  WriteBytes(folder + "\\" + name + ".jpg", cover);
}

HWND TestProgram::LoadLookupWindow() {
  EXPECT_EQ(StartupLoad::Shown, services_->LoadStartupWindow(kLookupWindowNumber));
  HWND window = Window(kLookupWindowNumber);
  Focus(window);
  Pump(*services_, 50);
  return window;
}

std::string TestProgram::Text(std::uint32_t window, std::uint32_t control, int property) {
  return std::string(services_->ReadText(window, control, property).view());
}

void Pump(WindowServices& services, int milliseconds) {
  PumpUntil(services, [] { return false; }, milliseconds);
}

bool PumpUntil(WindowServices& services, const std::function<bool()>& condition, int timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // leave it for whoever looks next
        return condition();
      }
      if (!services.PreTranslateMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    if (condition()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void RunLater(int delayMs, std::function<void()> work) {
  const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(delayMs), RunPendingWork);
  PendingWork()[timer] = std::move(work);
}

void PressKey(WORD key, bool shift) {
  INPUT inputs[4] = {};
  int count = 0;
  const auto add = [&](WORD virtualKey, bool up) {
    inputs[count].type = INPUT_KEYBOARD;
    inputs[count].ki.wVk = virtualKey;
    inputs[count].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ++count;
  };
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT));
}

void ClickControl(HWND control, int x, int y) {
  POINT at{x, y};
  ClientToScreen(control, &at);
  SetCursorPos(at.x, at.y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void Focus(HWND topLevel) {
  SetForegroundWindow(topLevel);
  SetActiveWindow(topLevel);
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  const LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<std::size_t>(length));
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

}  // namespace vq::testing
