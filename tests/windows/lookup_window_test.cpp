// The lookup window's handlers and the window services they use.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "ui_harness.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

using namespace lookup;

class LookupWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { window_ = program_.LoadLookupWindow(); }

  void Search(const std::string& name) {
    program_.Services().WriteText(kLookupWindowNumber, kName, 8, name.c_str());
    ClickControl(program_.Control(kLookupWindowNumber, kSearchButton));
    Pump(program_.Services(), 300);
  }
  std::string Shown(std::uint32_t control) { return program_.Text(kLookupWindowNumber, control); }

  MessageBoxCloser boxes_;
  TestProgram program_;
  HWND window_ = nullptr;
};

TEST_F(LookupWindowTest, FoundRecordFillsEveryControl) {
  program_.Put("三体", "刘慈欣", "第一行\r\n第二行", "科幻", "https://example.com/三体", "NOTANIMAGE");
  Search("三体");
  EXPECT_EQ("刘慈欣", Shown(kAuthor));
  EXPECT_EQ("第一行\r\n第二行", Shown(kSynopsis));  // CR LF kept byte for byte
  EXPECT_EQ("科幻", Shown(kCategory));
  EXPECT_EQ("https://example.com/三体", Shown(kAddress));
  const Bytes cover = program_.Services().ReadBytes(kLookupWindowNumber, kCover, 10);
  EXPECT_EQ("NOTANIMAGE", std::string(reinterpret_cast<const char*>(cover.data()), cover.size()));
  EXPECT_EQ(1, program_.Services().ReadInteger(kLookupWindowNumber, kCover, 11));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LookupWindowTest, NotFoundShowsTheMessageAndChangesNothing) {
  program_.Put("甲", "作者甲", "简介甲", "类别甲", "www.example.com", "COVER");
  Search("甲");
  for (const std::string& missing : {std::string("乙"), std::string(""), std::string("a/b"), std::string("CON")}) {
    SCOPED_TRACE(missing);
    Search(missing);
    EXPECT_EQ("作者甲", Shown(kAuthor));
    EXPECT_EQ("简介甲", Shown(kSynopsis));
    EXPECT_EQ("类别甲", Shown(kCategory));
    EXPECT_EQ("www.example.com", Shown(kAddress));
    EXPECT_EQ(5, program_.Services().ReadBytes(kLookupWindowNumber, kCover, 10).get()->length);
  }
  const auto seen = boxes_.Seen();
  ASSERT_EQ(4u, seen.size());
  for (const SeenBox& box : seen) {
    EXPECT_EQ("信息：", box.caption);
    EXPECT_EQ(kNotFoundMessage, box.text);
  }
}

TEST_F(LookupWindowTest, OnlyTheAuthorFileEmptiesTheOthers) {
  program_.Put("全", "甲", "乙", "丙", "http://x", "COVER");
  Search("全");
  CreateDirectoryA((program_.Run() / "数据\\孤").c_str(), nullptr);
  WriteBytes(program_.Run() / "数据\\孤\\孤.zz", "");  // an empty author file still finds the record
  Search("孤");
  EXPECT_EQ("", Shown(kAuthor));
  EXPECT_EQ("", Shown(kSynopsis));
  EXPECT_EQ("", Shown(kCategory));
  EXPECT_EQ("", Shown(kAddress));
  EXPECT_EQ(nullptr, program_.Services().ReadBytes(kLookupWindowNumber, kCover, 10).get());
  EXPECT_EQ(1, program_.Services().ReadInteger(kLookupWindowNumber, kCover, 11));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(LookupWindowTest, PropertiesReadAndWriteAsValues) {
  WindowServices& services = program_.Services();
  services.WriteText(kLookupWindowNumber, kAuthor, 8, "写入");
  EXPECT_EQ("写入", WindowText(program_.Control(kLookupWindowNumber, kAuthor)));
  services.WriteText(kLookupWindowNumber, kAuthor, 8, nullptr);
  EXPECT_EQ(nullptr, services.ReadText(kLookupWindowNumber, kAuthor, 8).get());  // empty reads as null
  const Text read = services.ReadText(kLookupWindowNumber, kSearchButton, 8);
  services.WriteText(kLookupWindowNumber, kSearchButton, 8, "其他");
  EXPECT_EQ("搜索", std::string(read.view()));  // a copy, not a view of the control
  EXPECT_EQ(24, services.ReadInteger(kLookupWindowNumber, kCover, 0));
  EXPECT_EQ(168, services.ReadInteger(kLookupWindowNumber, kCover, 1));
  EXPECT_EQ(1, services.ReadInteger(kLookupWindowNumber, kCover, 5));
  EXPECT_EQ(0, services.ReadInteger(kLookupWindowNumber, kCover, 6));
  // Display mode writes are clamped to 0..2.
  services.WriteInteger(kLookupWindowNumber, kCover, 11, 7);
  EXPECT_EQ(2, services.ReadInteger(kLookupWindowNumber, kCover, 11));
  services.WriteInteger(kLookupWindowNumber, kCover, 11, -3);
  EXPECT_EQ(0, services.ReadInteger(kLookupWindowNumber, kCover, 11));
}

TEST_F(LookupWindowTest, AddOpensTheEntryWindowModallyAndGivesTheLookupWindowBack) {
  program_.Put("甲", "作者甲", "", "", "");
  Search("甲");
  bool checked = false;
  RunLater(100, [&] {
    HWND entry = program_.Window(kEntryWindowNumber);
    ASSERT_NE(nullptr, entry);
    EXPECT_TRUE(IsWindowVisible(entry));
    EXPECT_FALSE(IsWindowEnabled(window_));
    EXPECT_TRUE(Exists(program_.Run() / "数据"));
    // Clicks on the disabled lookup window do nothing.
    ClickControl(program_.Control(kLookupWindowNumber, kSearchButton));
    checked = true;
    PressKey(VK_ESCAPE);
  });
  ClickControl(program_.Control(kLookupWindowNumber, kAddButton));
  ASSERT_TRUE(PumpUntil(program_.Services(), [&] { return checked && program_.Window(kEntryWindowNumber) == nullptr; }));
  EXPECT_TRUE(IsWindowEnabled(window_));
  EXPECT_EQ("作者甲", Shown(kAuthor));
  EXPECT_TRUE(boxes_.Seen().empty());
  EXPECT_EQ(window_, GetActiveWindow());
}

// What the shell was asked to open: the browser stand-in of the test prefix
// appends each address to a file in the prefix.
std::string OpenedAddressesFile() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr) return "";
  std::string path = std::string("Z:") + prefix + "/opened-addresses.txt";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The browser stand-in sees the address after the system has tidied it
// (lower-case scheme and host, a "/" after a bare host).
std::string Canonical(std::string address) {
  while (!address.empty() && (address.back() == '\n' || address.back() == '/')) address.pop_back();
  for (char& c : address) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return address;
}

TEST_F(LookupWindowTest, PressingTheAddressOpensOnlyWebAddresses) {
  const std::string record = OpenedAddressesFile();
  if (record.empty()) GTEST_SKIP() << "needs the Wine test prefix and its browser stand-in";
  struct Case {
    const char* address;
    const char* opened;  // null: nothing is opened
    bool refused;        // the not-a-web-address message is shown
  };
  const Case cases[] = {
      {"http://example.com/a", "http://example.com/a", false},
      {"https://Example.com/B?q=1", "https://Example.com/B?q=1", false},
      {"HTTPS://Example.com/B?q=1", "HTTPS://Example.com/B?q=1", false},
      {"www.example.com/c", "http://www.example.com/c", false},
      {"WWW.example.com", "http://WWW.example.com", false},
      {"", nullptr, false},
      {"C:\\Windows\\notepad.exe", nullptr, true},
      {"file:///C:/x.txt", nullptr, true},
      {" http://example.com", nullptr, true},  // nothing is trimmed
      {"calc", nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    DeleteFileA(record.c_str());
    const std::size_t boxesBefore = boxes_.Seen().size();
    program_.Services().WriteText(kLookupWindowNumber, kAddress, 8, c.address);
    ClickControl(program_.Control(kLookupWindowNumber, kAddress), 300, 10);  // right of the text, too
    if (c.opened != nullptr) {
      ASSERT_TRUE(PumpUntil(program_.Services(), [&] { return !ReadBytes(record).empty(); }, 5000));
      EXPECT_EQ(Canonical(c.opened), Canonical(ReadBytes(record)));
    } else {
      Pump(program_.Services(), 400);
      EXPECT_EQ("", ReadBytes(record));
    }
    const auto seen = boxes_.Seen();
    EXPECT_EQ(boxesBefore + (c.refused ? 1 : 0), seen.size());
    if (c.refused && !seen.empty()) {
      EXPECT_EQ(kNotWebAddressMessage, seen.back().text);
    }
  }
}

TEST(AddressRuleTest, ClassifiesAsTheTableSays) {
  struct Case {
    const char* address;
    AddressVerdict verdict;
    const char* toOpen;
  };
  const Case cases[] = {
      {nullptr, AddressVerdict::Empty, ""},
      {"", AddressVerdict::Empty, ""},
      {"http://", AddressVerdict::Web, "http://"},
      {"hTTp://a", AddressVerdict::Web, "hTTp://a"},
      {"https://a b", AddressVerdict::Web, "https://a b"},
      {"www.", AddressVerdict::Web, "http://www."},
      {"wwwx.example.com", AddressVerdict::NotWeb, ""},
      {"ftp://example.com", AddressVerdict::NotWeb, ""},
      {"http:/example.com", AddressVerdict::NotWeb, ""},
      {"\\\\server\\share", AddressVerdict::NotWeb, ""},
  };
  for (const Case& c : cases) {
    Text toOpen;
    EXPECT_EQ(c.verdict, ClassifyAddress(c.address, &toOpen)) << (c.address ? c.address : "(null)");
    EXPECT_EQ(c.toOpen, std::string(toOpen.view()));
  }
}

}  // namespace
}  // namespace vq::testing
