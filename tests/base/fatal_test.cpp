#include "base/fatal.h"

#include <gtest/gtest.h>

#include <string>

#include "base/program_end.h"
#ifdef _WIN32
#include "support/message_box_closer.h"
#endif
#include "values/values.h"

#if defined(__SANITIZE_ADDRESS__)
// The allocation test asks for more than any heap has: let it fail plainly.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace vq {
namespace {

std::string BoxText(const char* message, int code) {
  char text[512];
  BuildFatalErrorText(text, sizeof text, message, code);
  return text;
}

TEST(FatalErrorTest, BoxTextHasOnlyTheLinesThatApply) {
  EXPECT_EQ("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n", BoxText("载入启动窗口失败", 0));
  EXPECT_EQ("运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n",
            BoxText("调用DLL命令后发现堆栈错误", 6));
  EXPECT_EQ("运行时出错!\r\n\r\n", BoxText("", 0));
  EXPECT_EQ("运行时出错!\r\n\r\n", BoxText(nullptr, 0));
  EXPECT_EQ("运行时出错!\r\n\r\n错误代码：-7\r\n\r\n", BoxText("", -7));
}

TEST(FatalErrorTest, BoxTextIsCutToTheBufferNeverOverrun) {
  char text[12];
  std::memset(text, 'Z', sizeof text);
  const std::size_t length = BuildFatalErrorText(text, sizeof text, "long message", 0);
  EXPECT_EQ(11u, length);
  EXPECT_EQ('\0', text[11]);
}

TEST(FatalErrorTest, AllocationFailureMessage) {
  char message[64];
  FormatAllocationFailure(message, sizeof message, 41106);
  EXPECT_STREQ("分配 41106 字节内存失败!", message);
}

int gExitRoutineCalls = 0;
std::string gEndOrder;

TEST(ProgramEndTest, StepsRunInOrderAndTheExitRoutineOnce) {
  gExitRoutineCalls = 0;
  gEndOrder.clear();
  SetEndStep(EndStep::UninitialiseOle, [] { gEndOrder += "5"; });
  SetEndStep(EndStep::ReleaseWindowDescriptions, [] { gEndOrder += "1"; });
  SetEndStep(EndStep::UnloadLibraries, [] { gEndOrder += "3"; });
  SetEndStep(EndStep::ReleaseProcessResources, [] { gEndOrder += "4"; });
  RegisterExitRoutine([] {
    ++gExitRoutineCalls;
    gEndOrder += "2";
  });
  EndProgram(0);
  EndProgram(0);
  EXPECT_EQ("12345", gEndOrder);
  EXPECT_EQ(1, gExitRoutineCalls);
}

#ifdef _WIN32
constexpr int kExpectedFatalStatus = -1;  // the process's own exit code
constexpr const char* kExpectedFatalOutput = "";  // the text went to the box
#else
constexpr int kExpectedFatalStatus = 255;  // -1 as a POSIX exit status
constexpr const char* kExpectedFatalOutput = "\\d+";
#endif

// A failed allocation ends the process with -1 through the fatal report and
// does not run the exit routine.
TEST(FatalErrorDeathTest, FailedAllocationIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
#ifdef _WIN32
        static vq::testing::MessageBoxCloser closer;  // the child answers its own box
#endif
        RegisterExitRoutine([] { std::fputs("exit routine ran", stderr); });
        AllocateValue(static_cast<std::size_t>(-64));
      },
      ::testing::ExitedWithCode(kExpectedFatalStatus), kExpectedFatalOutput);
}

}  // namespace
}  // namespace vq
