#include "test_port.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/disk.h"

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

}  // namespace vq
