#include <windows.h>

#include "app/application.h"
#include "base/program_end.h"

// The program reads no command line: everything it does is fixed.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vq::ProgramEntry();
  vq::EndProgram(0);
  ExitProcess(0);
}
