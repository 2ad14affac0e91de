// Direct access to the disk for tests, through the platform's own calls
// rather than the program's file ports, so a port that maps paths wrongly
// cannot hide its fault. Paths are joined with the platform's separator.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vq::disk {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

inline std::string JoinPath(std::initializer_list<std::string_view> parts) {
  std::string path;
  for (const std::string_view part : parts) {
    if (!path.empty()) path.push_back(kSeparator);
    path.append(part);
  }
  return path;
}

// A new, empty folder in the system's temporary folder, removed with all it
// holds when this goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view relative) const { return JoinPath({path_, relative}); }

 private:
  std::string path_;
};

bool MakeFolder(const std::string& path);
bool WriteBytes(const std::string& path, std::string_view bytes);
// Null when the file cannot be read.
std::optional<std::string> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// A file of size bytes that takes almost no room: all zero but its last byte.
bool MakeSparseFile(const std::string& path, std::int64_t size, char lastByte);
// The attributes as the system keeps them for the program (natively the
// user.DOSATTRIB extended attribute); null when there are none.
std::optional<std::uint32_t> StoredAttributes(const std::string& path);
void RemoveTree(const std::string& path);

// What a folder holds, by entry name: a file's bytes, or kFolderEntry for a
// folder.
inline constexpr std::string_view kFolderEntry = "<folder>";
using FolderContents = std::map<std::string, std::string>;
FolderContents ContentsOf(const std::string& folder);

}  // namespace vq::disk
