#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/fatal.h"

namespace vq {

// The native build has no message box: the text goes to standard error.
void ShowFatalErrorBox(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

void TerminateProcessWith(int exitCode) { _exit(exitCode & 0xFF); }

}  // namespace vq
