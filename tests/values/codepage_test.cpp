#include "values/codepage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vq {
namespace {

// 乗 is 81 5C in GBK: its second byte is the "\" byte.
TEST(CodePageTest, LastSeparatorStepsOverTrailBytes) {
  static_assert(sizeof("乗") == 3);
  ASSERT_EQ('\\', "乗"[1]);
  struct Case {
    const char* path;
    long separatorAt;  // -1: none
  };
  const Case cases[] = {
      {"C:\\app\\vq.exe", 6},
      {"C:\\乗\\vq.exe", 5},
      {"C:\\dir\\乗", 6},
      {"乗", -1},
      {"vq.exe", -1},
      {"C:\\vq.exe", 2},
  };
  for (const Case& c : cases) {
    const char* found = FindLastSeparator(c.path);
    EXPECT_EQ(c.separatorAt, found == nullptr ? -1 : found - c.path) << c.path;
  }
}

TEST(CodePageTest, WellFormedTexts) {
  EXPECT_TRUE(IsWellFormedText("abc", 3));
  EXPECT_TRUE(IsWellFormedText("小说乗", std::strlen("小说乗")));
  EXPECT_FALSE(IsWellFormedText("a\xB0", 2));      // lead byte at the end
  EXPECT_FALSE(IsWellFormedText("\xB0\x20x", 3));  // a space cannot be a second byte
}

}  // namespace
}  // namespace vq
