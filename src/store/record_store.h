// The record store: one folder per novel under 数据 next to the executable,
// five files named after the novel. No index, no cache: every lookup and save
// goes straight to the files.
#pragma once

#include <cstdint>

#include "store/file_port.h"
#include "values/values.h"

namespace vq {

// Files of 64 MiB or more read as nothing: a 32-bit process cannot afford to
// hold two or three copies of anything larger, and no cover needs it.
inline constexpr std::int64_t kReadWholeFileLimit = 64LL * 1024 * 1024;
// Longest path the ANSI file functions take (MAX_PATH less the terminator).
inline constexpr std::size_t kMaxPathBytes = 259;

inline constexpr char kDataFolderPart[] = "\\数据";      // the DataDirectory below the RunDirectory
inline constexpr char kRecordFolderPart[] = "\\数据\\";  // the same, followed by a separator
inline constexpr char kSeparator[] = "\\";
inline constexpr char kAuthorExtension[] = ".zz";
inline constexpr char kSynopsisExtension[] = ".jj";
inline constexpr char kCategoryExtension[] = ".lb";
inline constexpr char kAddressExtension[] = ".dz";
inline constexpr char kCoverExtension[] = ".jpg";
// A save writes each file under a temporary name first and moves the old one
// aside under a backup name while the new one takes its place.
inline constexpr char kTemporarySuffix[] = ".vqnew";
inline constexpr char kBackupSuffix[] = ".vqold";
static_assert(sizeof(kDataFolderPart) == 6, "数据 must be the four GBK bytes CA FD BE DD");

// What a save is handed: borrowed values; null reads as empty.
struct NovelRecord {
  const char* name = nullptr;
  const char* author = nullptr;
  const char* synopsis = nullptr;
  const char* category = nullptr;
  const char* readingAddress = nullptr;
  const ByteBlock* cover = nullptr;
};

struct LookupResult {
  bool found = false;
  Text author;
  Text synopsis;
  Text category;
  Bytes cover;
  Text readingAddress;
};

enum class NameVerdict {
  Plain,     // one plain file name of the system code page
  NotPlain,  // empty, a reserved character, device name, malformed bytes...
  TooLong,   // its longest path (backups included) would not fit in 259 bytes
};

enum class SaveOutcome { Saved, NameNotPlain, NameTooLong, Failed };

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::Failed;
  // Unless Saved: the system's message for the failing call (or, for a
  // refused name, for the error such a name meets), without its line end.
  Text reason;
};

// Whether a name may become a record folder and file base name. Examined
// character by character, so a GBK character whose second byte is 0x5C is
// accepted.
bool IsPlainFileName(const char* name);

class RecordStore {
 public:
  RecordStore(FilePort& port, const char* runDirectory);

  // A new copy of the RunDirectory; null when it is empty.
  Text GetRunDirectory() const;

  bool FileExists(const char* path);
  // Null when the file is empty, unreadable or of kReadWholeFileLimit or more.
  Bytes ReadWholeFile(const char* path);
  // Creates or truncates the file and writes the buffers in order.
  bool WriteWholeFile(const char* path, const ByteBlock* data);
  bool MakeDirectory(const char* path);
  // Only the bits 0x27 (read-only, hidden, system, archive) are kept.
  bool SetAttributes(const char* path, std::uint32_t attributes);

  NameVerdict CheckName(const char* name) const;
  LookupResult LookupRecord(const char* name);
  // Either the whole new record is stored, or the old one stays as it was.
  SaveResult SaveRecord(const NovelRecord& record);

 private:
  bool WriteFileAndFlush(const char* path, const ByteBlock* data);

  FilePort& port_;
  Text runDirectory_;
};

}  // namespace vq
