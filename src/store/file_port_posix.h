#pragma once

#include <string>

#include "store/file_port.h"

namespace vq {

// The native file port. Paths keep their bytes; only the "\" separators
// (never the second byte of a two-byte character) become "/". Attributes are
// kept where Wine keeps them, in the user.DOSATTRIB extended attribute.
class PosixFilePort final : public FilePort {
 public:
  bool FindEntry(const char* path) override;
  PathKind Probe(const char* path) override;
  FileHandle OpenForReading(const char* path) override;
  FileHandle OpenForWriting(const char* path) override;
  std::int64_t SizeOf(FileHandle file) override;
  bool Read(FileHandle file, void* into, std::uint32_t count, std::uint32_t* done) override;
  bool Write(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* done) override;
  bool Flush(FileHandle file) override;
  bool Close(FileHandle file) override;
  bool MakeDirectory(const char* path) override;
  bool SetAttributes(const char* path, std::uint32_t attributes) override;
  bool Move(const char* from, const char* to) override;
  bool Remove(const char* path) override;
  void NoteShortWrite() override;
  Text DescribeLastError() override;
  Text DescribeRefusal(Refusal refusal) override;

 private:
  FileHandle OpenRegularFile(const char* path, int flags);
  bool Failed();  // remembers errno and answers false
  int lastError_ = 0;
};

// The local path for a path of the program: separators become "/".
std::string ToLocalPath(const char* path);

}  // namespace vq
