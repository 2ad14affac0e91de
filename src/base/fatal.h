// The program's one reaction to a condition it cannot go on from: a message
// box captioned "错误", then the end routine, then exit code -1. It sits at the
// bottom of the layers because the lowest one (a failed value allocation) ends
// here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vq {

inline constexpr int kFatalExitCode = -1;

// The box text: "运行时出错!\r\n\r\n", then the code line when code != 0, then
// the message line when the message is not empty. Writes at most capacity
// bytes including the terminator (truncating the message if it must) and
// returns the length written. Uses no heap, so it works after an allocation
// failure.
std::size_t BuildFatalErrorText(char* out, std::size_t capacity, const char* message, std::int32_t code);

// Shows the box, clears the exit routine, runs EndProgram(-1) and ends the
// process with -1. Never returns.
[[noreturn]] void ReportFatalError(const char* message, std::int32_t code);

// Platform part: shows the finished box text and waits for the user.
void ShowFatalErrorBox(const char* text);
// Platform part: ends the process at once with the code.
[[noreturn]] void TerminateProcessWith(int exitCode);

}  // namespace vq
