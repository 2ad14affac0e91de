#include "base/fatal.h"

#include <cstdio>
#include <cstring>

#include "base/program_end.h"

namespace vq {
namespace {

// Appends text to out without overflowing it; keeps the terminator.
void Append(char* out, std::size_t capacity, std::size_t& length, const char* text) {
  while (*text != '\0' && length + 1 < capacity) out[length++] = *text++;
  out[length] = '\0';
}

}  // namespace

std::size_t BuildFatalErrorText(char* out, std::size_t capacity, const char* message, std::int32_t code) {
  if (capacity == 0) return 0;
  std::size_t length = 0;
  out[0] = '\0';
  Append(out, capacity, length, "运行时出错!\r\n\r\n");
  if (code != 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(code));
    Append(out, capacity, length, "错误代码：");
    Append(out, capacity, length, number);
    Append(out, capacity, length, "\r\n\r\n");
  }
  if (message != nullptr && message[0] != '\0') {
    Append(out, capacity, length, "错误信息：");
    Append(out, capacity, length, message);
    Append(out, capacity, length, "\r\n");
  }
  return length;
}

void ReportFatalError(const char* message, std::int32_t code) {
  char text[1024];
  BuildFatalErrorText(text, sizeof text, message, code);
  ShowFatalErrorBox(text);
  RegisterExitRoutine(nullptr);  // a fatal end never runs the exit routine
  EndProgram(kFatalExitCode);
  TerminateProcessWith(kFatalExitCode);
}

}  // namespace vq
