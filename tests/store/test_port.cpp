#include "test_port.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "test_disk.h"

#ifdef _WIN32
#include <windows.h>

#include "store/file_port_win32.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>

#include "store/file_port_posix.h"
#endif

namespace vq {

// --- the system's port --------------------------------------------------------

std::unique_ptr<FilePort> MakeSystemPort() {
#ifdef _WIN32
  return std::make_unique<Win32FilePort>();
#else
  return std::make_unique<PosixFilePort>();
#endif
}

// --- the fault-injecting port -------------------------------------------------

std::string_view NameOf(PortCall call) {
  switch (call) {
    case PortCall::FindEntry: return "FindEntry";
    case PortCall::Probe: return "Probe";
    case PortCall::OpenForReading: return "OpenForReading";
    case PortCall::OpenForWriting: return "OpenForWriting";
    case PortCall::SizeOf: return "SizeOf";
    case PortCall::Read: return "Read";
    case PortCall::Write: return "Write";
    case PortCall::ShortWrite: return "ShortWrite";
    case PortCall::Flush: return "Flush";
    case PortCall::Close: return "Close";
    case PortCall::MakeDirectory: return "MakeDirectory";
    case PortCall::SetAttributes: return "SetAttributes";
    case PortCall::Move: return "Move";
    case PortCall::Remove: return "Remove";
  }
  return "?";
}

namespace {

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

void FaultyFilePort::Arm(Fault fault) {
  armed_ = std::move(fault);
  fired_ = false;
}

bool FaultyFilePort::Strikes(PortCall call, const std::string& path, const std::string& target) {
  log_.push_back({call, path, target});
  if (!armed_ || fired_ || armed_->call != call) return false;
  if (!EndsWith(call == PortCall::Move ? target : path, armed_->pathSuffix)) return false;
  fired_ = true;
  lastFailureInjected_ = true;
  injectedMessage_ = "injected " + std::string(NameOf(call)) + " failure on " + (call == PortCall::Move ? target : path);
  return true;
}

std::string FaultyFilePort::PathOf(FileHandle file) const {
  const auto found = openFiles_.find(file);
  return found != openFiles_.end() ? found->second : std::string();
}

bool FaultyFilePort::Passed(bool answer) {
  if (!answer) lastFailureInjected_ = false;
  return answer;
}

bool FaultyFilePort::FindEntry(const char* path) {
  if (Strikes(PortCall::FindEntry, path)) return false;
  return Passed(real_.FindEntry(path));
}

PathKind FaultyFilePort::Probe(const char* path) {
  if (Strikes(PortCall::Probe, path)) return PathKind::Missing;
  return real_.Probe(path);
}

FileHandle FaultyFilePort::OpenForReading(const char* path) {
  if (Strikes(PortCall::OpenForReading, path)) return kNoFile;
  const FileHandle file = real_.OpenForReading(path);
  if (!Passed(file != kNoFile)) return kNoFile;
  openFiles_[file] = path;
  return file;
}

FileHandle FaultyFilePort::OpenForWriting(const char* path) {
  if (Strikes(PortCall::OpenForWriting, path)) return kNoFile;
  const FileHandle file = real_.OpenForWriting(path);
  if (!Passed(file != kNoFile)) return kNoFile;
  openFiles_[file] = path;
  return file;
}

std::int64_t FaultyFilePort::SizeOf(FileHandle file) {
  if (Strikes(PortCall::SizeOf, PathOf(file))) return -1;
  const std::int64_t size = real_.SizeOf(file);
  Passed(size >= 0);
  return size;
}

bool FaultyFilePort::Read(FileHandle file, void* into, std::uint32_t count, std::uint32_t* done) {
  if (Strikes(PortCall::Read, PathOf(file))) {
    *done = 0;
    return false;
  }
  return Passed(real_.Read(file, into, count, done));
}

bool FaultyFilePort::Write(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* done) {
  const std::string path = PathOf(file);
  if (Strikes(PortCall::Write, path)) {
    *done = 0;
    return false;
  }
  // A full disk: all but the last byte go, and the call itself succeeds.
  if (count > 0 && armed_ && !fired_ && armed_->call == PortCall::ShortWrite && EndsWith(path, armed_->pathSuffix)) {
    fired_ = true;
    return Passed(real_.Write(file, from, count - 1, done));
  }
  return Passed(real_.Write(file, from, count, done));
}

bool FaultyFilePort::Flush(FileHandle file) {
  if (Strikes(PortCall::Flush, PathOf(file))) return false;
  return Passed(real_.Flush(file));
}

bool FaultyFilePort::Close(FileHandle file) {
  const std::string path = PathOf(file);
  openFiles_.erase(file);
  const bool strikes = Strikes(PortCall::Close, path);
  const bool closed = real_.Close(file);  // the handle goes either way
  return strikes ? false : Passed(closed);
}

bool FaultyFilePort::MakeDirectory(const char* path) {
  if (Strikes(PortCall::MakeDirectory, path)) return false;
  return Passed(real_.MakeDirectory(path));
}

bool FaultyFilePort::SetAttributes(const char* path, std::uint32_t attributes) {
  if (Strikes(PortCall::SetAttributes, path)) return false;
  return Passed(real_.SetAttributes(path, attributes));
}

bool FaultyFilePort::Move(const char* from, const char* to) {
  if (Strikes(PortCall::Move, from, to)) return false;
  return Passed(real_.Move(from, to));
}

bool FaultyFilePort::Remove(const char* path) {
  if (Strikes(PortCall::Remove, path)) return false;
  return Passed(real_.Remove(path));
}

void FaultyFilePort::NoteShortWrite() {
  lastFailureInjected_ = false;
  real_.NoteShortWrite();
}

Text FaultyFilePort::DescribeLastError() {
  return lastFailureInjected_ ? DuplicateText(injectedMessage_.c_str()) : real_.DescribeLastError();
}

Text FaultyFilePort::DescribeRefusal(Refusal refusal) { return real_.DescribeRefusal(refusal); }

// --- direct access to the disk ------------------------------------------------

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
