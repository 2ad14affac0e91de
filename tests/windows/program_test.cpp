// Start-up, the quit rule and the end of the program: in process where the
// message loop can be driven, and as child processes for exit codes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/application.h"
#include "base/program_end.h"
#include "ui_harness.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

bool QuitPosted() {
  MSG message;
  return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST(QuitRuleTest, AWindowGoneBeforeTheLoopStartedPostsNoQuit) {
  TestProgram program;
  HWND window = program.LoadLookupWindow();
  DestroyWindow(window);
  Pump(program.Services(), 50);
  EXPECT_FALSE(QuitPosted());
  EXPECT_FALSE(program.Services().AnyWindowExists());
  program.Services().RunMessageLoop();  // no window at loop start: returns at once
  EXPECT_TRUE(program.Services().LoopStarted());
}

TEST(QuitRuleTest, ClosingTheLastWindowEndsTheLoop) {
  TestProgram program;
  HWND window = program.LoadLookupWindow();
  RunLater(100, [&] {
    // Closing the entry window leaves the lookup window: the program goes on.
    RunLater(100, [&] { PostMessageA(program.Window(kEntryWindowNumber), WM_CLOSE, 0, 0); });
    program.Services().LoadWindowModal(kEntryWindowNumber);
    EXPECT_TRUE(IsWindow(window));
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
  program.Services().RunMessageLoop();  // returns on the quit message
  EXPECT_FALSE(IsWindow(window));
}

int gExitRoutineCalls = 0;

TEST(ProgramEndTest, ExitRoutineRunsOnceAtANormalEnd) {
  gExitRoutineCalls = 0;
  RegisterExitRoutine([] { ++gExitRoutineCalls; });
  EndProgram(0);
  EndProgram(0);
  EXPECT_EQ(1, gExitRoutineCalls);
}

// A child process: the real program or the stand-in, in a folder of its own.
class Child {
 public:
  Child(const char* exe, const std::string& arguments,
        const std::function<void(const TempFolder&)>& prepare = nullptr) {
    if (prepare) prepare(folder_);
    const std::string name = std::string(exe).substr(std::string(exe).find_last_of("/\\") + 1);
    copy_ = folder_ / name;
    CopyFileA(exe, copy_.c_str(), FALSE);
    std::string commandLine = "\"" + copy_ + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(copy_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.path().c_str(), &startup, &process_) != FALSE;
  }
  ~Child() {
    if (started_) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }
  bool Started() const { return started_; }
  const TempFolder& Folder() const { return folder_; }
  DWORD Id() const { return process_.dwProcessId; }

  // A top-level window of the child with this class (and caption, if given).
  HWND WaitForWindow(const char* className, const char* caption, int timeoutMs = 15000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      HWND found = nullptr;
      while ((found = FindWindowExA(nullptr, found, className, caption)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == process_.dwProcessId && IsWindowVisible(found)) return found;
      }
      Sleep(50);
    }
    return nullptr;
  }
  DWORD WaitForExit(int timeoutMs = 15000) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return 0xDEAD;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  // The lookup window shows; closing it ends the child with 0.
  void ExpectNormalEnd() {
    HWND window = WaitForWindow(kWindowClassName, "Vellorin-Quobarra v1.0");
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitForExit());
  }
  // Only the fatal error box shows, with this message; OK ends the child with -1.
  void ExpectFatalEnd(const std::string& message) {
    HWND box = WaitForWindow("#32770", "错误");
    ASSERT_NE(nullptr, box);
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ("运行时出错!\r\n\r\n错误信息：" + message + "\r\n", text);
    EXPECT_EQ(nullptr, WaitForWindow(kWindowClassName, "Vellorin-Quobarra v1.0", 0));  // never shown
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0xFFFFFFFFu, WaitForExit());
  }

 private:
  TempFolder folder_;
  std::string copy_;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

TEST(ProgramTest, ClosingTheWindowEndsTheProgramWithZero) {
  Child program(VQ_PROGRAM_EXE, "");
  ASSERT_TRUE(program.Started());
  program.ExpectNormalEnd();
}

TEST(ProgramTest, FatalStartUpErrorsShowTheBoxAndEndWithMinusOne) {
  struct Case {
    const char* scenario;
    const char* message;
  };
  const Case cases[] = {
      {"broken-table", kDescriptionsUnreadableMessage},
      {"missing-startup-window", kStartupWindowFailedMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Child child(VQ_CHILD_EXE, c.scenario);
    ASSERT_TRUE(child.Started());
    child.ExpectFatalEnd(c.message);
    EXPECT_FALSE(Exists(child.Folder() / "exit-routine-ran"));  // a fatal end skips the exit routine
  }
}

TEST(ProgramTest, FirstStartDeploysTheSkinEngineHidden) {
  std::string firstImage;
  {
    Child program(VQ_PROGRAM_EXE, "");
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForWindow(kWindowClassName, "Vellorin-Quobarra v1.0");
    ASSERT_NE(nullptr, window);
    const std::string engine = program.Folder() / "VQSkin.dll";
    firstImage = ReadBytes(engine);
    EXPECT_GT(firstImage.size(), 4096u);
    EXPECT_EQ("MZ", firstImage.substr(0, 2));
    // Hidden; Wine adds the archive mark to what it reports.
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA(engine.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitForExit());
  }
}

TEST(ProgramTest, AnEngineThatCannotBeWrittenEndsWithTheFatalBox) {
  // A non-empty folder where the engine belongs: it can be neither loaded nor replaced.
  Child program(VQ_PROGRAM_EXE, "", [](const TempFolder& folder) {
    CreateDirectoryA((folder / "VQSkin.dll").c_str(), nullptr);
    WriteBytes(folder / "VQSkin.dll\\inside.txt", "x");
  });
  ASSERT_TRUE(program.Started());
  program.ExpectFatalEnd("无法找到指定DLL库文件“VQSkin.dll”中的输出命令“VQSkinAttach”");
}

TEST(ProgramTest, ANormalEndRunsTheExitRoutine) {
  Child child(VQ_CHILD_EXE, "normal");
  ASSERT_TRUE(child.Started());
  child.ExpectNormalEnd();
  EXPECT_TRUE(Exists(child.Folder() / "exit-routine-ran"));
}

}  // namespace
}  // namespace vq::testing
