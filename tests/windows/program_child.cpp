// A stand-in for the program, started by program_test as a child process. It
// runs the real start-up with one thing changed, chosen by its command line.
#include <windows.h>

#include <cstring>

#include "app/application.h"
#include "base/program_end.h"
#include "windows/lookup_window.h"

namespace {

vq::WindowDescription BrokenTable() {
  vq::WindowDescription table = vq::DescribeLookupWindow(nullptr);
  table.tabOrder.push_back(123);  // a tab stop that does not exist
  return table;
}

// Leaves a mark next to the executable, so the parent can tell it ran.
void MarkingExitRoutine() {
  HANDLE mark = CreateFileA("exit-routine-ran", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const char* scenario = commandLine != nullptr ? commandLine : "";
  if (std::strcmp(scenario, "broken-table") == 0) {
    const vq::DescriptionEntry entries[] = {{vq::kLookupWindowNumber, BrokenTable}};
    vq::InitialiseApplicationWith(entries, 1);
  } else {
    vq::InitialiseApplication();
  }
  vq::RegisterExitRoutine(MarkingExitRoutine);
  if (std::strcmp(scenario, "missing-startup-window") == 0) {
    vq::LoadStartupWindow(4711);
  } else {
    vq::LoadStartupWindow(vq::kLookupWindowNumber);
  }
  vq::RunMessageLoop();
  vq::EndProgram(0);
  ExitProcess(0);
}
