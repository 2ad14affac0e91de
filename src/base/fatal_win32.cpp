#include <windows.h>

#include "base/fatal.h"

namespace vq {

void ShowFatalErrorBox(const char* text) {
  // No owner and not task-modal: the program's windows stay enabled.
  MessageBoxA(nullptr, text, "错误", MB_OK | MB_ICONERROR);
}

void TerminateProcessWith(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace vq
