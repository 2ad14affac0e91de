#include "store/file_port_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "values/codepage.h"

namespace vq {

std::string ToLocalPath(const char* path) {
  std::string local;
  for (const char* p = path; *p != '\0';) {
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      local.push_back(p[0]);
      local.push_back(p[1]);
      p += 2;
      continue;
    }
    local.push_back(*p == '\\' ? '/' : *p);
    ++p;
  }
  return local;
}

bool PosixFilePort::Failed() {
  lastError_ = errno;
  return false;
}

bool PosixFilePort::FindEntry(const char* path) {
  const std::string local = ToLocalPath(path);
  const std::size_t slash = local.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : local.substr(0, slash));
  const std::string pattern = slash == std::string::npos ? local : local.substr(slash + 1);
  if (pattern.find_first_of("*?") == std::string::npos) {
    struct stat info;
    return ::lstat(local.c_str(), &info) == 0 ? true : Failed();
  }
  // Wildcards act as a directory search does: "*" also matches names that
  // begin with a dot, and "\" escapes nothing (it may be a second byte).
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return Failed();
  bool found = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (::fnmatch(pattern.c_str(), entry->d_name, FNM_NOESCAPE) == 0) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  if (!found) lastError_ = ENOENT;
  return found;
}

PathKind PosixFilePort::Probe(const char* path) {
  struct stat info;
  if (::stat(ToLocalPath(path).c_str(), &info) != 0) return PathKind::Missing;
  return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

// Only regular files are opened: a folder cannot be opened as a file on
// Windows either, and a pipe or device must not block the caller (hence
// O_NONBLOCK, which changes nothing for a regular file).
FileHandle PosixFilePort::OpenRegularFile(const char* path, int flags) {
  const int fd = ::open(ToLocalPath(path).c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    Failed();
    return kNoFile;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    Failed();
  } else if (!S_ISREG(info.st_mode)) {
    lastError_ = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
  } else {
    return fd;
  }
  ::close(fd);
  return kNoFile;
}

FileHandle PosixFilePort::OpenForReading(const char* path) { return OpenRegularFile(path, O_RDONLY); }

FileHandle PosixFilePort::OpenForWriting(const char* path) {
  return OpenRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC);
}

std::int64_t PosixFilePort::SizeOf(FileHandle file) {
  struct stat info;
  if (::fstat(static_cast<int>(file), &info) != 0) {
    Failed();
    return -1;
  }
  return info.st_size;
}

bool PosixFilePort::Read(FileHandle file, void* into, std::uint32_t count, std::uint32_t* done) {
  const ssize_t got = ::read(static_cast<int>(file), into, count);
  *done = got > 0 ? static_cast<std::uint32_t>(got) : 0;
  return got >= 0 ? true : Failed();
}

bool PosixFilePort::Write(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* done) {
  const ssize_t put = ::write(static_cast<int>(file), from, count);
  *done = put > 0 ? static_cast<std::uint32_t>(put) : 0;
  return put >= 0 ? true : Failed();
}

bool PosixFilePort::Flush(FileHandle file) { return ::fsync(static_cast<int>(file)) == 0 ? true : Failed(); }

bool PosixFilePort::Close(FileHandle file) { return ::close(static_cast<int>(file)) == 0 ? true : Failed(); }

bool PosixFilePort::MakeDirectory(const char* path) {
  return ::mkdir(ToLocalPath(path).c_str(), 0755) == 0 ? true : Failed();
}

bool PosixFilePort::SetAttributes(const char* path, std::uint32_t attributes) {
  const std::string local = ToLocalPath(path);
  struct stat info;
  if (::stat(local.c_str(), &info) != 0) return Failed();
  char value[16];
  std::snprintf(value, sizeof value, "0x%x", attributes);
  return ::setxattr(local.c_str(), "user.DOSATTRIB", value, std::strlen(value), 0) == 0 ? true : Failed();
}

bool PosixFilePort::Move(const char* from, const char* to) {
  const std::string target = ToLocalPath(to);
  struct stat info;
  if (::lstat(target.c_str(), &info) == 0) {  // like MoveFileA: never replaces
    lastError_ = EEXIST;
    return false;
  }
  return ::rename(ToLocalPath(from).c_str(), target.c_str()) == 0 ? true : Failed();
}

bool PosixFilePort::Remove(const char* path) { return ::unlink(ToLocalPath(path).c_str()) == 0 ? true : Failed(); }

void PosixFilePort::NoteShortWrite() { lastError_ = ENOSPC; }

Text PosixFilePort::DescribeLastError() { return DuplicateText(std::strerror(lastError_)); }

Text PosixFilePort::DescribeRefusal(Refusal refusal) {
  switch (refusal) {
    case Refusal::NameNotPlain: return DuplicateText(std::strerror(EINVAL));
    case Refusal::NameTooLong: return DuplicateText(std::strerror(ENAMETOOLONG));
  }
  return DuplicateText(std::strerror(EINVAL));
}

}  // namespace vq
