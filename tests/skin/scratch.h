// Test support (Win32): scratch folders, whole-file helpers, and running this
// test executable again as a child that is expected to end fatally.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vq::testing {

// A new empty folder under the temp folder, removed with all it holds.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  ~ScratchDirectory();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ExecutableDirectory();
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
void SetAttributesOf(const std::string& path, DWORD attributes);

// Whether windows can be created (a display is there).
bool HasDisplay();

struct ChildOutcome {
  DWORD exitCode = 0;
  std::string boxCaption;  // the first message box the child showed
  std::string boxText;
};

// Runs "<this exe> --child <scenario> <directory>", answers the first
// message box it shows (recording it) and waits for its end (20 s at most).
ChildOutcome RunChild(const std::string& scenario, const std::string& directory);

}  // namespace vq::testing
