// Renders the sample windows and a message box under one skin of the
// catalogue (0: no skin engine at all) to a BMP file:
//   skin_render <skin number> <out.bmp>
// The engine is deployed and called exactly as the program does it, with a
// scratch folder as the RunDirectory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sample_windows.h"
#include "skin/skin.h"
#include "store/file_port_win32.h"
#include "store/record_store.h"

namespace {

struct RenderJob {
  std::string output;
  bool saved = false;
};

RenderJob* gJob = nullptr;  // the timer callback carries no context

void CALLBACK CaptureWhileBoxIsUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  gJob->saved = vq::testing::SaveBitmap(vq::testing::CaptureScreen(RECT{0, 0, 720, 400}), gJob->output);
  if (HWND box = FindWindowA("#32770", "Message")) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// The box opens in the middle of the screen: bring it into the picture
// first, then let it repaint before the capture.
void CALLBACK PlaceBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (HWND box = FindWindowA("#32770", "Message")) {
    SetWindowPos(box, nullptr, 200, 215, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  SetTimer(nullptr, 0, 300, CaptureWhileBoxIsUp);
}


}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skin_render <skin 0..33> <out.bmp>\n");
    return 2;
  }
  const int skin = std::atoi(argv[1]);
  RenderJob job{argv[2]};
  gJob = &job;

  vq::RegisterValueConstants();
  vq::RegisterSkinConstants();
  vq::NarrowLibrarySearch();
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string runDirectory = std::string(temp) + "vqskin-render-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(runDirectory.c_str(), nullptr);
  vq::Win32FilePort port;
  vq::RecordStore store(port, runDirectory.c_str());
  vq::ExternalFunctionTable table = vq::MakeExternalFunctionTable();

  // One window stays inactive behind the active one.
  const auto back = vq::testing::CreateSampleWindow("添加 (inactive)", 370, 30, 300, 160);
  const auto front = vq::testing::CreateSampleWindow("Vellorin-Quobarra v1.0", 20, 20, 300, 160);
  if (front.window == nullptr || back.window == nullptr) return 3;
  if (skin > 0) vq::ApplySkin(table, store, skin);
  ShowWindow(back.window, SW_SHOWNOACTIVATE);
  ShowWindow(front.window, SW_SHOW);
  SetForegroundWindow(front.window);
  SetFocus(front.searchButton);
  RECT add{};
  GetWindowRect(front.addButton, &add);
  SetCursorPos((add.left + add.right) / 2, (add.top + add.bottom) / 2);
  vq::testing::PumpMessages(300);

  SetTimer(nullptr, 0, 300, PlaceBox);
  MessageBoxA(nullptr, "The quick brown fox jumps over the lazy dog.", "Message", MB_OK | MB_ICONINFORMATION);

  DestroyWindow(front.window);
  DestroyWindow(back.window);
  vq::UnloadExternalLibraries(table);
  const std::string dll = runDirectory + "\\VQSkin.dll";
  SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(dll.c_str());
  RemoveDirectoryA(runDirectory.c_str());
  return job.saved ? 0 : 1;
}
