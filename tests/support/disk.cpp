// Direct access to the disk for tests (see disk.h).
#include "support/disk.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace vq {

namespace disk {

#ifdef _WIN32

namespace {

// Closes a file handle when it goes.
class FileHandleOwner {
 public:
  explicit FileHandleOwner(HANDLE handle) : handle_(handle) {}
  ~FileHandleOwner() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandleOwner(const FileHandleOwner&) = delete;
  FileHandleOwner& operator=(const FileHandleOwner&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Calls each entry of a folder but "." and "..".
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA(JoinPath({folder, "*"}).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
    visit(std::string(entry.cFileName), (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof base, base);
  std::string root(base, length);
  if (!root.empty() && root.back() == '\\') root.pop_back();
  for (unsigned attempt = 0;; ++attempt) {
    char leaf[64];
    std::snprintf(leaf, sizeof leaf, "vq-store-%lu-%u", GetCurrentProcessId(), attempt);
    path_ = JoinPath({root, leaf});
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 1000) {
      std::fprintf(stderr, "cannot make a folder under %s\n", root.c_str());
      std::abort();
    }
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool WriteBytes(const std::string& path, std::string_view bytes) {
  const FileHandleOwner file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD written = 0;
  return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                           written == bytes.size());
}

std::optional<std::string> ReadBytes(const std::string& path) {
  const FileHandleOwner file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeSparseFile(const std::string& path, std::int64_t size, char lastByte) {
  const FileHandleOwner file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER at;
  at.QuadPart = size - 1;
  DWORD written = 0;
  return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
         WriteFile(file.get(), &lastByte, 1, &written, nullptr) && written == 1;
}

std::optional<std::uint32_t> StoredAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

void RemoveTree(const std::string& path) {
  ForEachEntry(path, [&](const std::string& name, bool isFolder) {
    const std::string inner = JoinPath({path, name});
    if (isFolder) {
      RemoveTree(inner);
    } else {
      SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(inner.c_str());
    }
  });
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
}

FolderContents ContentsOf(const std::string& folder) {
  FolderContents contents;
  ForEachEntry(folder, [&](const std::string& name, bool isFolder) {
    contents[name] = isFolder ? std::string(kFolderEntry) : ReadBytes(JoinPath({folder, name})).value_or("<unreadable>");
  });
  return contents;
}

#else  // POSIX

namespace {

// Closes a descriptor when it goes.
class DescriptorOwner {
 public:
  explicit DescriptorOwner(int fd) : fd_(fd) {}
  ~DescriptorOwner() {
    if (fd_ >= 0) ::close(fd_);
  }
  DescriptorOwner(const DescriptorOwner&) = delete;
  DescriptorOwner& operator=(const DescriptorOwner&) = delete;
  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

 private:
  int fd_;
};

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

}  // namespace

TempFolder::TempFolder() {
  char pattern[] = "/tmp/vq-store-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = pattern;
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

bool WriteBytes(const std::string& path, std::string_view bytes) {
  const DescriptorOwner file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.valid()) return false;
  return bytes.empty() || ::write(file.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::optional<std::string> ReadBytes(const std::string& path) {
  const DescriptorOwner file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  ssize_t got = 0;
  while ((got = ::read(file.get(), chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<std::size_t>(got));
  if (got < 0) return std::nullopt;  // a folder, for one
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

bool MakeSparseFile(const std::string& path, std::int64_t size, char lastByte) {
  const DescriptorOwner file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  return file.valid() && ::pwrite(file.get(), &lastByte, 1, static_cast<off_t>(size - 1)) == 1;
}

std::optional<std::uint32_t> StoredAttributes(const std::string& path) {
  char value[32] = {};
  const ssize_t length = ::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
  if (length <= 0) return std::nullopt;
  return static_cast<std::uint32_t>(std::strtoul(value, nullptr, 16));
}

void RemoveTree(const std::string& path) { ::nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

FolderContents ContentsOf(const std::string& folder) {
  FolderContents contents;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return contents;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string inner = JoinPath({folder, name});
    struct stat info;
    const bool isFolder = ::lstat(inner.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    contents[name] = isFolder ? std::string(kFolderEntry) : ReadBytes(inner).value_or("<unreadable>");
  }
  ::closedir(dir);
  return contents;
}

#endif

}  // namespace disk
}  // namespace vq
