#include "store/file_port_win32.h"

#include <windows.h>

#include <cstdio>

namespace vq {
namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

Text DescribeSystemError(unsigned long code) {
  char* message = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<char*>(&message), 0, nullptr);
  Text text;
  if (length > 0 && message != nullptr) {
    DWORD end = length;
    while (end > 0 && (message[end - 1] == '\r' || message[end - 1] == '\n')) --end;
    text = MakeText(message, static_cast<std::int32_t>(end));
  }
  if (message != nullptr) LocalFree(message);
  if (text.empty()) {
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "%lu", code);  // a code the system has no text for
    text = DuplicateText(fallback);
  }
  return text;
}

bool Win32FilePort::Failed() {
  lastError_ = GetLastError();
  return false;
}

bool Win32FilePort::FindEntry(const char* path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return Failed();
  FindClose(search);
  return true;
}

PathKind Win32FilePort::Probe(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::File;
}

FileHandle Win32FilePort::OpenForReading(const char* path) {
  const HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed();
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(file);
}

FileHandle Win32FilePort::OpenForWriting(const char* path) {
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed();
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(file);
}

// The size by moving the file pointer to the end and back. The high part is
// asked for, so a file of 4 GiB and more cannot pass for a small one.
std::int64_t Win32FilePort::SizeOf(FileHandle file) {
  // INVALID_SET_FILE_POINTER is also a valid low part: only the last error
  // tells a failure.
  SetLastError(NO_ERROR);
  LONG high = 0;
  const DWORD low = SetFilePointer(AsHandle(file), 0, &high, FILE_END);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    Failed();
    return -1;
  }
  LONG startHigh = 0;
  if (SetFilePointer(AsHandle(file), 0, &startHigh, FILE_BEGIN) != 0) {
    Failed();
    return -1;
  }
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low);
}

bool Win32FilePort::Read(FileHandle file, void* into, std::uint32_t count, std::uint32_t* done) {
  DWORD got = 0;
  const BOOL ok = ReadFile(AsHandle(file), into, count, &got, nullptr);
  *done = got;
  return ok ? true : Failed();
}

bool Win32FilePort::Write(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* done) {
  DWORD put = 0;
  const BOOL ok = WriteFile(AsHandle(file), from, count, &put, nullptr);
  *done = put;
  return ok ? true : Failed();
}

bool Win32FilePort::Flush(FileHandle file) { return FlushFileBuffers(AsHandle(file)) ? true : Failed(); }

bool Win32FilePort::Close(FileHandle file) { return CloseHandle(AsHandle(file)) ? true : Failed(); }

bool Win32FilePort::MakeDirectory(const char* path) { return CreateDirectoryA(path, nullptr) ? true : Failed(); }

bool Win32FilePort::SetAttributes(const char* path, std::uint32_t attributes) {
  // 0 would be refused: "no attribute at all" is FILE_ATTRIBUTE_NORMAL.
  return SetFileAttributesA(path, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL) ? true : Failed();
}

bool Win32FilePort::Move(const char* from, const char* to) { return MoveFileA(from, to) ? true : Failed(); }

bool Win32FilePort::Remove(const char* path) {
  // A leftover may carry attributes that make DeleteFileA refuse it.
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path) ? true : Failed();
}

void Win32FilePort::NoteShortWrite() { lastError_ = ERROR_DISK_FULL; }

Text Win32FilePort::DescribeLastError() { return DescribeSystemError(lastError_); }

Text Win32FilePort::DescribeRefusal(Refusal refusal) {
  switch (refusal) {
    case Refusal::NameNotPlain: return DescribeSystemError(ERROR_INVALID_NAME);
    case Refusal::NameTooLong: return DescribeSystemError(ERROR_FILENAME_EXCED_RANGE);
  }
  return DescribeSystemError(ERROR_INVALID_NAME);
}

}  // namespace vq
