// The ports the store's tests run on: the system's own (the Win32 one under
// Wine, the POSIX one natively) and a fault-injecting one wrapped around it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_port.h"

namespace vq {

std::unique_ptr<FilePort> MakeSystemPort();

enum class PortCall {
  FindEntry,
  Probe,
  OpenForReading,
  OpenForWriting,
  SizeOf,
  Read,
  Write,
  ShortWrite,  // only as a fault: the write takes all but the last byte
  Flush,
  Close,
  MakeDirectory,
  SetAttributes,
  Move,
  Remove,
};
std::string_view NameOf(PortCall call);

// One failure to inject: the first call of that kind on a path ending with
// pathSuffix fails (for a move, the suffix is matched against the target;
// for calls on an open file, against the path it was opened with).
struct Fault {
  PortCall call;
  std::string pathSuffix;
};

// Passes every call to the real port, logs it, and fails the one armed fault
// once. A failure it injects is described as "injected <call> failure on
// <path>", so a test can tell which call a reported reason came from.
class FaultyFilePort final : public FilePort {
 public:
  struct LoggedCall {
    PortCall call;
    std::string path;
    std::string target;  // for a move
  };

  explicit FaultyFilePort(FilePort& real) : real_(real) {}

  void Arm(Fault fault);
  bool Fired() const { return fired_; }
  // The description of the failure injected last; empty before one fired.
  const std::string& InjectedMessage() const { return injectedMessage_; }
  const std::vector<LoggedCall>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }

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
  // Logs the call and answers whether the armed fault strikes it.
  bool Strikes(PortCall call, const std::string& path, const std::string& target = {});
  std::string PathOf(FileHandle file) const;
  // Passes a real call's answer on, remembering that the last failure is
  // the real port's to describe.
  bool Passed(bool answer);

  FilePort& real_;
  std::optional<Fault> armed_;
  bool fired_ = false;
  bool lastFailureInjected_ = false;
  std::string injectedMessage_;
  std::vector<LoggedCall> log_;
  std::map<FileHandle, std::string> openFiles_;
};

}  // namespace vq
