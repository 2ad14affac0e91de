#include "store/record_store.h"

#include <array>
#include <cctype>
#include <cstring>

#include "values/codepage.h"

namespace vq {
namespace {

// The five record files in the order a save writes them.
constexpr std::array<const char*, 5> kSaveOrder = {kCoverExtension, kAuthorExtension, kSynopsisExtension,
                                                   kAddressExtension, kCategoryExtension};

constexpr std::size_t kLongestExtension = sizeof(kCoverExtension) - 1;
constexpr std::size_t kLongestSuffix =
    sizeof(kTemporarySuffix) > sizeof(kBackupSuffix) ? sizeof(kTemporarySuffix) - 1 : sizeof(kBackupSuffix) - 1;

bool EqualsIgnoringCase(const char* a, std::size_t length, const char* b) {
  if (std::strlen(b) != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any case, alone or before an extension.
bool IsDeviceName(const char* name) {
  const char* dot = std::strchr(name, '.');
  const std::size_t stem = dot != nullptr ? static_cast<std::size_t>(dot - name) : std::strlen(name);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualsIgnoringCase(name, stem, device)) return true;
  }
  if (stem == 4 && name[3] >= '1' && name[3] <= '9') {
    if (EqualsIgnoringCase(name, 3, "COM") || EqualsIgnoringCase(name, 3, "LPT")) return true;
  }
  return false;
}

}  // namespace

bool IsPlainFileName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  const std::size_t length = std::strlen(name);
  if (!IsWellFormedText(name, length)) return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  char last = 0;
  for (std::size_t i = 0; i < length;) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(b)) {
      if (i + 1 >= length) return false;  // a lead byte without its trail byte
      last = 0;
      i += 2;  // the trail byte may be 0x5C or any other; it is part of a character
      continue;
    }
    if (b < 0x20 || std::strchr("\\/:*?\"<>|", b) != nullptr) return false;
    last = static_cast<char>(b);
    ++i;
  }
  if (last == ' ' || last == '.') return false;
  return !IsDeviceName(name);
}

RecordStore::RecordStore(FilePort& port, const char* runDirectory) : port_(port), runDirectory_(DuplicateText(runDirectory)) {}

Text RecordStore::GetRunDirectory() const { return DuplicateText(runDirectory_.get()); }

bool RecordStore::FileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  return port_.FindEntry(path);
}

Bytes RecordStore::ReadWholeFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return Bytes();
  const FileHandle file = port_.OpenForReading(path);
  if (file == kNoFile) return Bytes();
  Bytes result;
  const std::int64_t size = port_.SizeOf(file);
  if (size > 0 && size < kReadWholeFileLimit) {
    // Read straight into the result's block; a block the heap cannot give is
    // no error here, the file just reads as nothing.
    const auto count = static_cast<std::uint32_t>(size);
    if (void* raw = TryAllocateValue(sizeof(ByteBlock) + count)) {
      auto* block = static_cast<ByteBlock*>(raw);
      block->marker = 1;
      std::uint32_t got = 0;
      if (port_.Read(file, ByteData(block), count, &got) && got > 0) {
        block->length = static_cast<std::int32_t>(got);  // a short read keeps what came
        result.Reset(block);
      } else {
        ReleaseValue(block);
      }
    }
  }
  port_.Close(file);
  return result;
}

bool RecordStore::WriteWholeFile(const char* path, const ByteBlock* data) {
  if (path == nullptr || path[0] == '\0') return false;
  const FileHandle file = port_.OpenForWriting(path);
  if (file == kNoFile) return false;
  bool ok = true;
  const std::int32_t length = ByteLength(data);
  if (length > 0) {
    std::uint32_t done = 0;
    ok = port_.Write(file, ByteData(data), static_cast<std::uint32_t>(length), &done) &&
         done == static_cast<std::uint32_t>(length);
  }
  return port_.Close(file) && ok;
}

bool RecordStore::WriteFileAndFlush(const char* path, const ByteBlock* data) {
  const FileHandle file = port_.OpenForWriting(path);
  if (file == kNoFile) return false;
  bool ok = true;
  const std::int32_t length = ByteLength(data);
  if (length > 0) {
    std::uint32_t done = 0;
    ok = port_.Write(file, ByteData(data), static_cast<std::uint32_t>(length), &done);
    if (ok && done != static_cast<std::uint32_t>(length)) {
      ok = false;
      port_.NoteShortWrite();
    }
  }
  ok = ok && port_.Flush(file);
  const bool closed = port_.Close(file);
  return ok && closed;
}

bool RecordStore::MakeDirectory(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  return port_.MakeDirectory(path);
}

bool RecordStore::SetAttributes(const char* path, std::uint32_t attributes) {
  if (path == nullptr || path[0] == '\0') return false;
  return port_.SetAttributes(path, attributes & 0x27u);
}

NameVerdict RecordStore::CheckName(const char* name) const {
  if (!IsPlainFileName(name)) return NameVerdict::NotPlain;
  // The longest path a save makes: <run>\数据\<name>\<name>.jpg.vqnew
  const std::size_t nameLength = std::strlen(name);
  const std::size_t longest = runDirectory_.size() + (sizeof(kRecordFolderPart) - 1) + nameLength + 1 + nameLength +
                              kLongestExtension + kLongestSuffix;
  return longest <= kMaxPathBytes ? NameVerdict::Plain : NameVerdict::TooLong;
}

LookupResult RecordStore::LookupRecord(const char* name) {
  LookupResult result;
  if (CheckName(name) != NameVerdict::Plain) return result;  // never touches the disk
  const auto recordFile = [&](const char* extension) {
    return JoinTexts(runDirectory_, kRecordFolderPart, name, kSeparator, name, extension);
  };
  if (!FileExists(recordFile(kAuthorExtension).get())) return result;
  result.found = true;
  const auto readText = [&](const char* extension) {
    const Bytes raw = ReadWholeFile(recordFile(extension).get());
    return BytesToText(raw.or_empty());
  };
  result.author = readText(kAuthorExtension);
  result.synopsis = readText(kSynopsisExtension);
  result.category = readText(kCategoryExtension);
  // The cover's bytes are kept as read: a copy would only double the peak.
  result.cover = ReadWholeFile(recordFile(kCoverExtension).get());
  result.readingAddress = readText(kAddressExtension);
  return result;
}

SaveResult RecordStore::SaveRecord(const NovelRecord& record) {
  SaveResult result;
  switch (CheckName(record.name)) {
    case NameVerdict::NotPlain:
      result.outcome = SaveOutcome::NameNotPlain;
      result.reason = port_.DescribeRefusal(Refusal::NameNotPlain);
      return result;
    case NameVerdict::TooLong:
      result.outcome = SaveOutcome::NameTooLong;
      result.reason = port_.DescribeRefusal(Refusal::NameTooLong);
      return result;
    case NameVerdict::Plain: break;
  }
  const char* name = record.name;
  MakeDirectory(JoinTexts(runDirectory_, kRecordFolderPart, name).get());  // an existing folder is the normal case

  const Bytes author = TextToBytes(record.author);
  const Bytes synopsis = TextToBytes(record.synopsis);
  const Bytes address = TextToBytes(record.readingAddress);
  const Bytes category = TextToBytes(record.category);
  const std::array<const ByteBlock*, 5> contents = {record.cover != nullptr ? record.cover : EmptyByteBuffer,
                                                    author.or_empty(), synopsis.or_empty(), address.or_empty(),
                                                    category.or_empty()};

  struct Slot {
    Text final, temporary, backup;
    bool movedAside = false;  // the old file now lies under the backup name
    bool placed = false;      // the new file now lies under the final name
  };
  std::array<Slot, 5> slots;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    slots[i].final = JoinTexts(runDirectory_, kRecordFolderPart, name, kSeparator, name, kSaveOrder[i]);
    slots[i].temporary = JoinTexts(slots[i].final, kTemporarySuffix);
    slots[i].backup = JoinTexts(slots[i].final, kBackupSuffix);
  }

  // What an interrupted save left behind: a backup whose file is missing was
  // moved aside and never replaced, so it goes back; a backup beside its file
  // is stale; temporaries were never put in place.
  for (const Slot& slot : slots) {
    if (port_.Probe(slot.backup.get()) == PathKind::File) {
      if (port_.Probe(slot.final.get()) == PathKind::Missing) {
        port_.Move(slot.backup.get(), slot.final.get());
      } else {
        port_.Remove(slot.backup.get());
      }
    }
    if (port_.Probe(slot.temporary.get()) == PathKind::File) port_.Remove(slot.temporary.get());
  }

  const auto fail = [&](Text reason) {
    // Put every old file back and drop what is new, newest first.
    for (std::size_t j = slots.size(); j-- > 0;) {
      Slot& slot = slots[j];
      if (slot.placed) port_.Remove(slot.final.get());
      if (slot.movedAside) port_.Move(slot.backup.get(), slot.final.get());
      port_.Remove(slot.temporary.get());
    }
    result.outcome = SaveOutcome::Failed;
    result.reason = std::move(reason);
    return std::move(result);
  };

  // 1. Every new file under its temporary name, flushed to the disk.
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (!WriteFileAndFlush(slots[i].temporary.get(), contents[i])) return fail(port_.DescribeLastError());
  }
  // 2. Each old file aside, each new one in its place. Only a file is moved
  // aside: a folder under the final name stays, and the move onto it fails.
  for (Slot& slot : slots) {
    if (port_.Probe(slot.final.get()) == PathKind::File) {
      if (!port_.Move(slot.final.get(), slot.backup.get())) return fail(port_.DescribeLastError());
      slot.movedAside = true;
    }
    if (!port_.Move(slot.temporary.get(), slot.final.get())) return fail(port_.DescribeLastError());
    slot.placed = true;
  }
  // 3. The new record is complete; the backups are no longer needed.
  for (Slot& slot : slots) {
    if (slot.movedAside) port_.Remove(slot.backup.get());
  }
  result.outcome = SaveOutcome::Saved;
  return result;
}

}  // namespace vq
