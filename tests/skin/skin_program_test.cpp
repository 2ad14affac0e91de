// The program's side of the skin engine under Wine: the carried constants,
// deployment, binding, calling and the fatal ends (in child processes).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "probe_library.h"
#include "scratch.h"
#include "skin/skin.h"
#include "skinformat/skin_format.h"
#include "store/file_port_win32.h"

namespace vq {
namespace {

using testing::ExecutableDirectory;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::SetAttributesOf;
using testing::WriteBytes;

std::vector<unsigned char> DataOf(const ByteBlock* block) {
  return {ByteData(block), ByteData(block) + block->length};
}

std::uint32_t AttributesOf(const std::string& path) {
  // Wine adds ARCHIVE to whatever was set; what matters is the rest.
  return GetFileAttributesA(path.c_str()) & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
}

class SkinProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterValueConstants();
    RegisterSkinConstants();
  }
  void TearDown() override { UnloadExternalLibraries(table_); }

  std::string EnginePath() const { return scratch_.path() + "\\VQSkin.dll"; }
  void PlaceProbeAsEngine() {
    ASSERT_TRUE(CopyFileA((ExecutableDirectory() + "\\vqskin_probe.dll").c_str(), EnginePath().c_str(), FALSE));
  }
  const ProbeCall& LastProbeCall() {
    using Read = const ProbeCall*(__stdcall*)();
    auto read = reinterpret_cast<Read>(
        reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(table_[0].moduleHandle), "ProbeLastCall")));
    return *read();
  }

  ScratchDirectory scratch_;
  Win32FilePort port_;
  RecordStore store_{port_, scratch_.path().c_str()};
  ExternalFunctionTable table_ = MakeExternalFunctionTable();
};

TEST_F(SkinProgramTest, CarriedConstantsAreByteBlocksOfTheBuiltEngineAndSkins) {
  const ByteBlock* image = SkinEngineImage();
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(1, image->marker);
  EXPECT_EQ(ReadBytes(VQ_BUILT_ENGINE), DataOf(image));
  EXPECT_TRUE(IsConstantValue(image));
  for (std::int32_t number = -1; number <= kSkinCount + 1; ++number) {
    const ByteBlock* skin = SkinCatalogueEntry(number);
    if (number < 1 || number > kSkinCount) {
      EXPECT_EQ(nullptr, skin) << number;
      continue;
    }
    ASSERT_NE(nullptr, skin) << number;
    EXPECT_EQ(1, skin->marker);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(skin) % 4) << number;
    EXPECT_TRUE(IsConstantValue(skin)) << number;
    skin::Skin parsed;
    EXPECT_EQ(skin::SkinError::None, skin::ParseSkin(DataOf(skin), parsed)) << number;
  }
  EXPECT_EQ(table_[0].carriedImage, image);
  EXPECT_STREQ("VQSkin.dll", table_[0].libraryFileName);
  EXPECT_STREQ("VQSkinAttach", table_[0].exportName);
  EXPECT_EQ(nullptr, table_[0].boundAddress);
}

TEST_F(SkinProgramTest, FirstStartWritesTheImageHiddenAndLaterStartsLeaveTheFileAlone) {
  DeploySkinEngine(store_);
  EXPECT_EQ(DataOf(SkinEngineImage()), ReadBytes(EnginePath()));
  EXPECT_EQ(static_cast<std::uint32_t>(FILE_ATTRIBUTE_HIDDEN), AttributesOf(EnginePath()));

  // Changed but loadable, and no longer hidden: still not touched.
  SetAttributesOf(EnginePath(), FILE_ATTRIBUTE_NORMAL);
  PlaceProbeAsEngine();
  const std::vector<unsigned char> probe = ReadBytes(EnginePath());
  DeploySkinEngine(store_);
  ApplySkin(table_, store_, kHouseSkin);
  EXPECT_EQ(probe, ReadBytes(EnginePath()));
  EXPECT_EQ(0u, AttributesOf(EnginePath()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SkinProgramTest, TheEngineReceivesACopyOfTheChosenSkinAndAnEmptyText) {
  PlaceProbeAsEngine();
  struct Case {
    std::int32_t number;
    bool hasSkin;
  };
  for (const Case test : {Case{kHouseSkin, true}, Case{1, true}, Case{33, true}, Case{0, false}, Case{34, false},
                          Case{-6, false}}) {
    ApplySkin(table_, store_, test.number);
    const ProbeCall& call = LastProbeCall();
    if (test.hasSkin) {
      const ByteBlock* entry = SkinCatalogueEntry(test.number);
      EXPECT_NE(0u, call.arguments[0]) << test.number;
      EXPECT_NE(reinterpret_cast<std::uintptr_t>(ByteData(entry)), call.arguments[0]) << "not a copy";
      EXPECT_EQ(static_cast<std::uint32_t>(entry->length), call.arguments[1]) << test.number;
      EXPECT_EQ(ProbeChecksum(ByteData(entry), entry->length), call.checksum) << test.number;
    } else {
      EXPECT_EQ(0u, call.arguments[0]) << test.number;
      EXPECT_EQ(0u, call.arguments[1]) << test.number;
    }
    EXPECT_TRUE(call.thirdIsEmptyText) << test.number;
    EXPECT_EQ(0u, call.arguments[3]);
    EXPECT_EQ(0u, call.arguments[4]);
    EXPECT_EQ(0u, call.arguments[5]);
  }
  EXPECT_EQ(6u, LastProbeCall().calls);
}

TEST_F(SkinProgramTest, TheBindingIsMadeOnceAndUnloadedOnce) {
  PlaceProbeAsEngine();
  const ExternalArguments none{0, 0, reinterpret_cast<std::uintptr_t>(EmptyText), 0, 0, 0};
  EXPECT_EQ(static_cast<std::uint32_t>(kProbeResult), CallExternalFunction(table_, 0, store_, none));
  void* const bound = table_[0].boundAddress;
  void* const module = table_[0].moduleHandle;
  ASSERT_NE(nullptr, bound);
  EXPECT_EQ(static_cast<std::uint32_t>(kProbeResult), CallExternalFunction(table_, 0, store_, none));
  EXPECT_EQ(bound, BindExternalFunction(table_, 0, store_));
  EXPECT_EQ(module, table_[0].moduleHandle);
  UnloadExternalLibraries(table_);
  EXPECT_EQ(nullptr, table_[0].boundAddress);
  // One load, one unload: nothing keeps the library in the process.
  EXPECT_EQ(nullptr, GetModuleHandleA(EnginePath().c_str()));
}

TEST_F(SkinProgramTest, AFileThatCannotBeBoundIsReplacedByTheCarriedImageOnce) {
  const std::vector<unsigned char> garbage(4096, 0xCC);
  struct Case {
    const char* what;
    bool exportless;
    DWORD attributes;
  };
  for (const Case test : {Case{"damaged", false, FILE_ATTRIBUTE_NORMAL},
                          Case{"damaged, read-only and hidden", false, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
                          Case{"a library without the export", true, FILE_ATTRIBUTE_NORMAL}}) {
    SetAttributesOf(EnginePath(), FILE_ATTRIBUTE_NORMAL);
    if (test.exportless) {
      ASSERT_TRUE(CopyFileA((ExecutableDirectory() + "\\vqskin_exportless.dll").c_str(), EnginePath().c_str(), FALSE));
    } else {
      WriteBytes(EnginePath(), garbage);
    }
    SetAttributesOf(EnginePath(), test.attributes);
    EXPECT_NE(nullptr, BindExternalFunction(table_, 0, store_)) << test.what;
    UnloadExternalLibraries(table_);
    EXPECT_EQ(DataOf(SkinEngineImage()), ReadBytes(EnginePath())) << test.what;
    EXPECT_EQ(static_cast<std::uint32_t>(FILE_ATTRIBUTE_HIDDEN), AttributesOf(EnginePath())) << test.what;
  }
}

// --- fatal ends, each in a child process of this executable ---------------

struct FatalEnd {
  const char* scenario;
  const char* boxText;
};

TEST(SkinFatalEndTest, EndsWithTheBoxAndMinusOne) {
  const FatalEnd cases[] = {
      {"engine-is-a-folder", "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“VQSkin.dll”中的输出命令“VQSkinAttach”\r\n"},
      // A library of that name in the current directory is never used.
      {"engine-is-a-folder-and-one-is-planted",
       "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“VQSkin.dll”中的输出命令“VQSkinAttach”\r\n"},
      {"unbalanced-stack", "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
  };
  for (const FatalEnd& test : cases) {
    ScratchDirectory scratch;
    const testing::ChildOutcome outcome = testing::RunChild(test.scenario, scratch.path());
    EXPECT_EQ(0xFFFFFFFFu, outcome.exitCode) << test.scenario;
    if (testing::HasDisplay()) {
      EXPECT_EQ("错误", outcome.boxCaption) << test.scenario;
      EXPECT_EQ(test.boxText, outcome.boxText) << test.scenario;
    }
  }
}

// The child's side: sets the scenario up in the given RunDirectory and runs
// the program's functions into their fatal end.
int RunScenario(const std::string& scenario, const std::string& runDirectory) {
  RegisterValueConstants();
  RegisterSkinConstants();
  Win32FilePort port;
  RecordStore store(port, runDirectory.c_str());
  ExternalFunctionTable table = MakeExternalFunctionTable();
  const std::string engine = runDirectory + "\\VQSkin.dll";
  if (scenario == "deploy") {
    DeploySkinEngine(store);
    return 0;
  }
  if (scenario == "engine-is-a-folder" || scenario == "engine-is-a-folder-and-one-is-planted") {
    CreateDirectoryA(engine.c_str(), nullptr);
    WriteBytes(engine + "\\inside", {1, 2, 3});
    if (scenario != "engine-is-a-folder") {
      // Searched by bare name, this one would be found first.
      const std::string planted = runDirectory + "\\planted";
      CreateDirectoryA(planted.c_str(), nullptr);
      CopyFileA((ExecutableDirectory() + "\\vqskin_probe.dll").c_str(), (planted + "\\VQSkin.dll").c_str(), FALSE);
      SetCurrentDirectoryA(planted.c_str());
    }
    ApplySkin(table, store, kHouseSkin);
  } else if (scenario == "unbalanced-stack") {
    CopyFileA((ExecutableDirectory() + "\\vqskin_probe.dll").c_str(), engine.c_str(), FALSE);
    table[0].exportName = "AttachCdecl";
    ApplySkin(table, store, kHouseSkin);
  }
  return 3;  // not reached when the scenario ends as it should
}

}  // namespace
}  // namespace vq

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return vq::RunScenario(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
