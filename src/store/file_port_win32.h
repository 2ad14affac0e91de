#pragma once

#include "store/file_port.h"

namespace vq {

// The Win32 file port: ANSI functions, path bytes handed over unchanged.
class Win32FilePort final : public FilePort {
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
  bool Failed();  // remembers GetLastError() and answers false
  unsigned long lastError_ = 0;
};

// The system's message for an error code, without its trailing line end.
Text DescribeSystemError(unsigned long code);

}  // namespace vq
