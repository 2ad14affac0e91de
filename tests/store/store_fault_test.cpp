// A save that fails at any call leaves the record as it was and says why; the
// failures are injected by a port wrapped around the system's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store_fixture.h"

namespace vq {
namespace {

class StoreFaultTest : public StoreFixture {
 protected:
  FaultyFilePort faulty_{*systemPort_};
  RecordStore faultyStore_{faulty_, run_.path().c_str()};
};

const RecordContents kOldRecord = {"旧作者", "旧简介\r\n", "旧类", "http://old", "old cover"};
const RecordContents kNewRecord = {"新作者", "新简介\r\n第二行", "新类", "http://new", std::string("new\0cover", 9)};

// The extensions in the order a save writes them.
const char* const kSaveOrder[] = {".jpg", ".zz", ".jj", ".dz", ".lb"};

TEST_F(StoreFaultTest, AFailureAnywhereLeavesTheRecordAsItWas) {
  const std::string temporary = kTemporarySuffix;
  const std::string backup = kBackupSuffix;
  struct Case {
    Fault fault;
    bool needsOldRecord;  // the call happens only when there is one
  };
  std::vector<Case> cases;
  for (const char* extension : kSaveOrder) {
    for (const PortCall call :
         {PortCall::OpenForWriting, PortCall::Write, PortCall::ShortWrite, PortCall::Flush, PortCall::Close}) {
      cases.push_back({{call, extension + temporary}, false});
    }
    cases.push_back({{PortCall::Move, extension + backup}, true});  // the old file aside
    cases.push_back({{PortCall::Move, std::string(extension)}, false});  // the new one in place
  }

  // What the system says of a full disk, which a short write reports.
  const std::unique_ptr<FilePort> reference = MakeSystemPort();
  reference->NoteShortWrite();
  const std::string diskFull = FirstLine(reference->DescribeLastError());

  int index = 0;
  for (const bool withOldRecord : {true, false}) {
    for (const Case& c : cases) {
      if (c.needsOldRecord && !withOldRecord) continue;
      const std::string name = "书" + std::to_string(index++);
      SCOPED_TRACE(::testing::Message() << NameOf(c.fault.call) << " on " << c.fault.pathSuffix
                                        << (withOldRecord ? " over an old record" : " of a new record"));
      if (withOldRecord) Plant(name, kOldRecord);

      faulty_.Arm(c.fault);
      const RecordToSave record(name, kNewRecord);
      const SaveResult saved = faultyStore_.SaveRecord(record.get());
      ASSERT_TRUE(faulty_.Fired());
      EXPECT_EQ(SaveOutcome::Failed, saved.outcome);
      EXPECT_EQ(c.fault.call == PortCall::ShortWrite ? diskFull : faulty_.InjectedMessage(), FirstLine(saved.reason));

      if (withOldRecord) {
        EXPECT_EQ(FilesOf(name, kOldRecord), disk::ContentsOf(RecordFolder(name)));
        ExpectLookup(name, kOldRecord);
      } else {
        EXPECT_TRUE(disk::ContentsOf(RecordFolder(name)).empty());
        EXPECT_FALSE(store_.LookupRecord(name.c_str()).found);
      }
    }
  }
}

// Every new file is written and flushed under its temporary name before any
// old file is moved; then file by file the old one goes aside and the new
// one takes its place, in the order .jpg .zz .jj .dz .lb.
TEST_F(StoreFaultTest, SaveWritesAllFiveBeforeMovingAny) {
  const std::string name = "书";
  Plant(name, kOldRecord);
  const RecordToSave record(name, kNewRecord);
  ASSERT_EQ(SaveOutcome::Saved, faultyStore_.SaveRecord(record.get()).outcome);

  const std::string base = ProgramPath("数据\\" + name + "\\" + name);
  std::vector<std::string> expectedWrites;
  std::vector<std::pair<std::string, std::string>> expectedMoves;
  for (const char* extension : kSaveOrder) {
    const std::string final = base + extension;
    expectedWrites.push_back(final + kTemporarySuffix);
    expectedMoves.push_back({final, final + kBackupSuffix});
    expectedMoves.push_back({final + kTemporarySuffix, final});
  }
  std::vector<std::string> writes;
  std::vector<std::pair<std::string, std::string>> moves;
  int flushesBeforeFirstMove = 0;
  for (const FaultyFilePort::LoggedCall& call : faulty_.Log()) {
    if (call.call == PortCall::OpenForWriting) writes.push_back(call.path);
    if (call.call == PortCall::Move) moves.push_back({call.path, call.target});
    if (call.call == PortCall::Flush && moves.empty()) ++flushesBeforeFirstMove;
  }
  EXPECT_EQ(expectedWrites, writes);
  EXPECT_EQ(expectedMoves, moves);
  EXPECT_EQ(5, flushesBeforeFirstMove);
  EXPECT_EQ(FilesOf(name, kNewRecord), disk::ContentsOf(RecordFolder(name)));
}

TEST_F(StoreFaultTest, LookupSearchesForTheAuthorFileThenReadsInOrder) {
  const std::string name = "书";
  Plant(name, kOldRecord);
  const std::string base = ProgramPath("数据\\" + name + "\\" + name);

  ASSERT_TRUE(faultyStore_.LookupRecord(name.c_str()).found);
  std::vector<std::string> searched, read;
  for (const FaultyFilePort::LoggedCall& call : faulty_.Log()) {
    if (call.call == PortCall::FindEntry) searched.push_back(call.path);
    if (call.call == PortCall::OpenForReading) read.push_back(call.path);
  }
  EXPECT_EQ(std::vector<std::string>{base + ".zz"}, searched);
  EXPECT_EQ((std::vector<std::string>{base + ".zz", base + ".jj", base + ".lb", base + ".jpg", base + ".dz"}), read);

  faulty_.ClearLog();
  EXPECT_FALSE(faultyStore_.LookupRecord("无此书").found);
  ASSERT_EQ(1u, faulty_.Log().size());
  EXPECT_EQ(PortCall::FindEntry, faulty_.Log()[0].call);
}

// A failed read makes only that field empty.
TEST_F(StoreFaultTest, AnUnreadableFileGivesAnEmptyField) {
  const std::string name = "书";
  Plant(name, kOldRecord);
  for (const PortCall call : {PortCall::OpenForReading, PortCall::SizeOf, PortCall::Read}) {
    SCOPED_TRACE(NameOf(call));
    faulty_.Arm({call, name + ".jj"});
    const LookupResult found = faultyStore_.LookupRecord(name.c_str());
    ASSERT_TRUE(faulty_.Fired());
    ASSERT_TRUE(found.found);
    EXPECT_EQ(nullptr, found.synopsis.get());
    EXPECT_EQ(kOldRecord.author, AsString(found.author));
    EXPECT_EQ(kOldRecord.cover, AsString(found.cover));
  }
}

TEST_F(StoreFaultTest, RefusedNamesNeverReachTheDisk) {
  const std::string tooLong(kMaxPathBytes, 'n');
  for (const std::string& name : {std::string(), std::string("..\\书"), std::string("CON"),
                                  std::string("乗\\"), std::string("a*"), tooLong}) {
    SCOPED_TRACE(name);
    const RecordToSave record(name, kNewRecord);
    EXPECT_NE(SaveOutcome::Saved, faultyStore_.SaveRecord(record.get()).outcome);
    EXPECT_FALSE(faultyStore_.LookupRecord(name.c_str()).found);
    EXPECT_TRUE(faulty_.Log().empty());
  }
}

}  // namespace
}  // namespace vq
