// A record store over a fresh run folder (with its 数据 folder) on the
// system's port, and the record contents the tests save and plant.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/record_store.h"
#include "support/disk.h"
#include "test_port.h"

namespace vq {

// The five contents of a record as they lie on disk.
struct RecordContents {
  std::string author;
  std::string synopsis;
  std::string category;
  std::string address;
  std::string cover;
};

// A record to hand to SaveRecord; empty texts and covers go as null.
class RecordToSave {
 public:
  RecordToSave(std::string name, RecordContents contents)
      : name_(std::move(name)),
        contents_(std::move(contents)),
        cover_(MakeByteBuffer(contents_.cover.data(), static_cast<std::int32_t>(contents_.cover.size()))) {}

  NovelRecord get() const {
    const auto orNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
    return {name_.c_str(),          orNull(contents_.author),  orNull(contents_.synopsis),
            orNull(contents_.category), orNull(contents_.address), cover_.get()};
  }

 private:
  std::string name_;
  RecordContents contents_;
  Bytes cover_;
};

inline std::string AsString(const Text& text) { return std::string(text.view()); }
inline std::string AsString(const Bytes& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
inline std::string FirstLine(const Text& text) {
  const std::string all = AsString(text);
  return all.substr(0, all.find_first_of("\r\n"));
}

class StoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterValueConstants();
    ASSERT_TRUE(disk::MakeFolder(DataFolder()));
  }

  std::string DataFolder() const { return disk::JoinPath({run_.path(), "数据"}); }
  std::string RecordFolder(const std::string& name) const { return disk::JoinPath({DataFolder(), name}); }
  std::string RecordFile(const std::string& name, const std::string& extension) const {
    return disk::JoinPath({RecordFolder(name), name + extension});
  }
  // The same path as the program builds it, "\" separators and all.
  std::string ProgramPath(const std::string& relative) const { return run_.path() + "\\" + relative; }

  // What a record folder holds when exactly this record lies in it.
  static disk::FolderContents FilesOf(const std::string& name, const RecordContents& contents) {
    return {{name + ".zz", contents.author},
            {name + ".jj", contents.synopsis},
            {name + ".lb", contents.category},
            {name + ".dz", contents.address},
            {name + ".jpg", contents.cover}};
  }
  // Writes the record's five files straight to the disk.
  void Plant(const std::string& name, const RecordContents& contents) {
    disk::MakeFolder(RecordFolder(name));
    for (const auto& [file, bytes] : FilesOf(name, contents)) {
      ASSERT_TRUE(disk::WriteBytes(disk::JoinPath({RecordFolder(name), file}), bytes)) << file;
    }
  }
  // Expects a lookup to find exactly these contents.
  void ExpectLookup(const std::string& name, const RecordContents& expected) {
    const LookupResult found = store_.LookupRecord(name.c_str());
    ASSERT_TRUE(found.found) << name;
    EXPECT_EQ(expected.author, AsString(found.author));
    EXPECT_EQ(expected.synopsis, AsString(found.synopsis));
    EXPECT_EQ(expected.category, AsString(found.category));
    EXPECT_EQ(expected.address, AsString(found.readingAddress));
    EXPECT_EQ(expected.cover, AsString(found.cover));
  }

  disk::TempFolder run_;
  std::unique_ptr<FilePort> systemPort_ = MakeSystemPort();
  RecordStore store_{*systemPort_, run_.path().c_str()};
};

}  // namespace vq
