// Drives the running program from outside, for screenshots: types into the
// lookup window, clicks its buttons, opens the entry window.
//   ui-driver search <name>      type the name and click 搜索
//   ui-driver add                click 加入数据 (opens the entry window)
//   ui-driver set <window> <control> <text>   set a control's text
//   ui-driver wait <title>       wait until a window with that title is visible
//   ui-driver rect <title>       print the window's outer rectangle as WxH+X+Y
//   ui-driver close <title>      close every window of the program that shows it (message boxes first)
//   ui-driver save               in the entry window, click 保存
//   ui-driver cover <path>       in the entry window, choose the cover through the open-file dialog
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kWindowClass[] = "VellorinQuobarraWindow";

// One of the program's windows, or else a message box, with that title.
HWND WaitFor(const char* title) {
  for (int waited = 0; waited < 20000; waited += 50) {
    HWND window = FindWindowA(kWindowClass, title);
    if (window == nullptr) window = FindWindowA("#32770", title);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

int Fail(const char* what) {
  std::fprintf(stderr, "ui-driver: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: ui-driver search <name> | add | set <title> <control> <text> | wait <title>");
  const std::string command = argv[1];
  if (command == "rect" && argc == 3) {
    HWND window = WaitFor(argv[2]);
    if (window == nullptr) return Fail("no such window");
    RECT box;
    GetWindowRect(window, &box);
    std::printf("%ldx%ld+%ld+%ld\n", box.right - box.left, box.bottom - box.top, box.left, box.top);
    return 0;
  }
  if (command == "wait" && argc == 3) return WaitFor(argv[2]) != nullptr ? 0 : Fail("no such window");
  if (command == "search" && argc == 3) {
    HWND lookup = WaitFor("Vellorin-Quobarra v1.0");
    if (lookup == nullptr) return Fail("the lookup window is not there");
    SendMessageA(GetDlgItem(lookup, 369164313), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    PostMessageA(GetDlgItem(lookup, 369164315), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "close" && argc == 3) {
    // A task-modal message box keeps the program's windows disabled: answer it first.
    for (int tries = 0; tries < 20; ++tries) {
      HWND box = FindWindowA("#32770", nullptr);
      if (box == nullptr || !IsWindowVisible(box)) break;
      SendMessageA(box, WM_COMMAND, IDOK, 0);
      Sleep(100);
    }
    if (HWND entry = FindWindowA(kWindowClass, "添加")) {
      SendMessageA(entry, WM_CLOSE, 0, 0);
      Sleep(100);
    }
    HWND window = FindWindowA(kWindowClass, argv[2]);
    if (window == nullptr) return Fail("no such window");
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "save") {
    HWND entry = WaitFor("添加");
    if (entry == nullptr) return Fail("the entry window is not there");
    PostMessageA(GetDlgItem(entry, 369164341), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "add") {
    HWND lookup = WaitFor("Vellorin-Quobarra v1.0");
    if (lookup == nullptr) return Fail("the lookup window is not there");
    PostMessageA(GetDlgItem(lookup, 369164327), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "set" && argc == 5) {
    HWND window = WaitFor(argv[2]);
    if (window == nullptr) return Fail("no such window");
    HWND control = GetDlgItem(window, static_cast<int>(std::strtoul(argv[3], nullptr, 10)));
    if (control == nullptr) return Fail("no such control");
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (command == "cover" && argc == 3) {
    HWND entry = WaitFor("添加");
    if (entry == nullptr) return Fail("the entry window is not there");
    PostMessageA(GetDlgItem(entry, 369164336), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(GetDlgItem(entry, 369164336), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    for (int waited = 0; waited < 20000; waited += 50) {
      HWND dialog = FindWindowA("#32770", nullptr);
      if (dialog != nullptr && IsWindowVisible(dialog) && GetDlgItem(dialog, 0x47c) != nullptr) {
        SendMessageA(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return 0;
      }
      Sleep(50);
    }
    return Fail("the open-file dialog did not show");
  }
  return Fail("unknown command");
}
