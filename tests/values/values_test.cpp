#include "values/values.h"

#include <gtest/gtest.h>

#include <string>

namespace vq {
namespace {

std::string Str(const Text& t) { return std::string(t.view()); }
std::string Str(const Bytes& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.size()); }

class ValuesTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterValueConstants(); }
};

TEST_F(ValuesTest, SourceLiteralsBecomeGbkBytes) {
  static_assert(sizeof("数据") == 5);
  const unsigned char expected[] = {0xCA, 0xFD, 0xBE, 0xDD, 0};
  EXPECT_EQ(0, std::memcmp("数据", expected, sizeof expected));
}

TEST_F(ValuesTest, JoinTextsKeepsEveryPartAndNeverReturnsNull) {
  const Text empty = MakeText("", 0);
  ASSERT_EQ(nullptr, empty.get());
  struct Case {
    std::vector<const char*> parts;
    std::string expected;
  };
  const Text run = DuplicateText("C:\\程序");
  const std::vector<Case> cases = {
      {{EmptyText, nullptr}, ""},
      {{nullptr, "\\VQSkin.dll"}, "\\VQSkin.dll"},
      {{run.get(), "\\数据\\", "", "\\", "", ".zz"}, "C:\\程序\\数据\\\\.zz"},  // the doubled separator stays
      {{"a", nullptr, "b", EmptyText, "c"}, "abc"},
  };
  for (const Case& c : cases) {
    const Text joined = JoinTextParts(c.parts.data(), c.parts.size());
    ASSERT_NE(nullptr, joined.get());
    EXPECT_EQ(c.expected, Str(joined));
  }
}

TEST_F(ValuesTest, BytesToTextStopsAtTheFirstZeroByte) {
  const Bytes abc = MakeByteBuffer("AB\0C", 4);
  EXPECT_EQ("AB", Str(BytesToText(abc.get())));
  const Bytes leadingZero = MakeByteBuffer("\0AB", 3);
  EXPECT_EQ(nullptr, BytesToText(leadingZero.get()).get());
  EXPECT_EQ(nullptr, BytesToText(EmptyByteBuffer).get());
  const Bytes lines = MakeByteBuffer("a\r\nb\r\n", 6);
  EXPECT_EQ("a\r\nb\r\n", Str(BytesToText(lines.get())));
}

TEST_F(ValuesTest, TextToBytesDropsTheTerminator) {
  EXPECT_EQ(nullptr, TextToBytes(EmptyText).get());
  const Bytes three = TextToBytes("xyz");
  ASSERT_NE(nullptr, three.get());
  EXPECT_EQ(1, three.get()->marker);
  EXPECT_EQ(3, three.get()->length);
  EXPECT_EQ("xyz", Str(three));
}

TEST_F(ValuesTest, EmptyResultsAreNull) {
  EXPECT_EQ(nullptr, DuplicateText(nullptr).get());
  EXPECT_EQ(nullptr, DuplicateText("").get());
  EXPECT_EQ(nullptr, MakeText("abc", 0).get());
  EXPECT_EQ(nullptr, MakeText("abc", -1).get());
  EXPECT_EQ(nullptr, MakeByteBuffer("abc", 0).get());
  EXPECT_EQ(nullptr, CopyByteBuffer(EmptyByteBuffer).get());
  EXPECT_EQ(0, ByteLength(nullptr));
  EXPECT_EQ(0, ByteLength(EmptyByteBuffer));
}

TEST_F(ValuesTest, ResultsAreCopiesNotViews) {
  char source[] = "原文";
  const Text copy = DuplicateText(source);
  source[0] = 'X';
  EXPECT_EQ("原文", Str(copy));
  const Bytes buffer = MakeByteBuffer("12345", 5);
  const Bytes again = CopyByteBuffer(buffer.get());
  EXPECT_NE(buffer.get(), again.get());
  EXPECT_EQ("12345", Str(again));
  EXPECT_EQ("12", Str(MakeText("12345", 2)));
}

TEST_F(ValuesTest, ConstantsSurviveReleaseValue) {
  ReleaseValue(nullptr);
  ReleaseValue(EmptyText);
  ReleaseValue(EmptyByteBuffer);
  ReleaseValue(EmptyText);
  EXPECT_EQ('\0', EmptyText[0]);
  EXPECT_EQ(1, EmptyByteBuffer->marker);
  EXPECT_EQ(0, EmptyByteBuffer->length);
  EXPECT_TRUE(IsConstantValue(EmptyText));
  const Text owned = DuplicateText("x");
  EXPECT_FALSE(IsConstantValue(owned.get()));
  // A range registered by another module is honoured the same way.
  static const unsigned char skinLike[16] = {1, 0, 0, 0, 8, 0, 0, 0};
  RegisterConstantRange(skinLike, skinLike + sizeof skinLike);
  ReleaseValue(skinLike);
  EXPECT_TRUE(IsConstantValue(skinLike + 15));
  EXPECT_FALSE(IsConstantValue(skinLike + 16));
}

}  // namespace
}  // namespace vq
