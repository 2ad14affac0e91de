#include "scratch.h"

#include <atomic>
#include <fstream>
#include <iterator>

namespace vq::testing {
namespace {

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

struct BoxSearch {
  DWORD process = 0;
  HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (process == search->process && std::string(className) == "#32770" && IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
  static std::atomic<int> counter{0};  // distinct folders within one process
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  path_ = std::string(temp) + "vqskin-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

std::string ExecutableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string directory = path;
  return directory.substr(0, directory.find_last_of('\\'));
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void SetAttributesOf(const std::string& path, DWORD attributes) { SetFileAttributesA(path.c_str(), attributes); }

bool HasDisplay() {
  HWND probe = CreateWindowExA(0, "Static", "", 0, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}

ChildOutcome RunChild(const std::string& scenario, const std::string& directory) {
  ChildOutcome outcome;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command;
  for (const std::string& part : {std::string("\""), std::string(self), std::string("\" --child "), scenario,
                                  std::string(" \""), directory, std::string("\"")}) {
    command.append(part);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    outcome.exitCode = 0xDEAD;
    return outcome;
  }
  const DWORD start = GetTickCount();
  bool answered = false;
  while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
    if (answered) continue;
    BoxSearch search{process.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.box == nullptr) continue;
    char caption[256] = {};
    char text[1024] = {};
    GetWindowTextA(search.box, caption, sizeof caption);
    GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text);
    outcome.boxCaption = caption;
    outcome.boxText = text;
    PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    answered = true;
  }
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 0xBAD);
  WaitForSingleObject(process.hProcess, 5000);
  GetExitCodeProcess(process.hProcess, &outcome.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return outcome;
}

}  // namespace vq::testing
