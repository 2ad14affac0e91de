// The file-system services the record store is built from. Two ports: the
// Win32 one (ANSI functions, path bytes passed unchanged) and a POSIX one for
// the native build; tests add a fault-injecting one.
#pragma once

#include <cstdint>

#include "values/values.h"

namespace vq {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class PathKind { Missing, File, Directory };

// Why the store refused a name before any call of the port.
enum class Refusal {
  NameNotPlain,  // not one plain file name
  NameTooLong,   // its paths would be too long
};

class FilePort {
 public:
  virtual ~FilePort() = default;

  // Whether a directory search finds an entry for the path (files, folders,
  // hidden entries; "*" and "?" in the last part act as wildcards).
  virtual bool FindEntry(const char* path) = 0;
  virtual PathKind Probe(const char* path) = 0;

  // Existing regular file, read only, shared with other readers only.
  virtual FileHandle OpenForReading(const char* path) = 0;
  // Created or truncated, shared with nobody, normal attributes.
  virtual FileHandle OpenForWriting(const char* path) = 0;
  // The size as a 64-bit count, or -1 on failure.
  virtual std::int64_t SizeOf(FileHandle file) = 0;
  // One request each; *done receives the bytes moved.
  virtual bool Read(FileHandle file, void* into, std::uint32_t count, std::uint32_t* done) = 0;
  virtual bool Write(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* done) = 0;
  virtual bool Flush(FileHandle file) = 0;
  virtual bool Close(FileHandle file) = 0;

  virtual bool MakeDirectory(const char* path) = 0;
  // The whole attribute set becomes attributes (already masked to 0x27).
  virtual bool SetAttributes(const char* path, std::uint32_t attributes) = 0;
  // Renames a file; fails when the target exists.
  virtual bool Move(const char* from, const char* to) = 0;
  virtual bool Remove(const char* path) = 0;

  // Records a short write (a full disk) as the last error.
  virtual void NoteShortWrite() = 0;
  // The system's message for the last failed call of this port, without a
  // trailing line end.
  virtual Text DescribeLastError() = 0;
  // The system's message for the error such a name meets in a file
  // operation.
  virtual Text DescribeRefusal(Refusal refusal) = 0;
};

}  // namespace vq
