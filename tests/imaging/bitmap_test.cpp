// Windows bitmaps: every accepted layout decodes to the pixels it was written
// from, and to what ImageMagick reads from the same file; every rejection
// leaves no image.
#include <gtest/gtest.h>

#include <functional>

#include "imaging/imaging.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

struct BitmapCase {
  const char* name;
  BitmapRecipe recipe;
};

class BitmapDecodeTest : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapDecodeTest, MatchesWrittenPixelsAndImageMagick) {
  const BitmapCase& c = GetParam();
  const WrittenImage written = WriteBitmap(c.recipe);
  const std::optional<Image> image = DecodeBitmap(written.bytes.data(), written.bytes.size());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, c.recipe.width);
  EXPECT_EQ(image->height, c.recipe.height);
  EXPECT_EQ(image->pixels, written.expected.pixels);

  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const std::string path = ScratchPath(std::string("bitmap-") + c.name + ".bmp");
  WriteFileBytes(path, written.bytes);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, "-alpha off -alpha opaque");
  ASSERT_TRUE(magick.has_value());
  EXPECT_EQ(LargestDifference(*image, magick->rgba), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BitmapDecodeTest,
    ::testing::Values(BitmapCase{"Bits1", {13, 5, 1}}, BitmapCase{"Bits1TwoColoursUsed", {9, 4, 1, false, 2}},
                      BitmapCase{"Bits1OneColourUsed", {9, 4, 1, false, 1}},
                      BitmapCase{"Bits4", {7, 6, 4}}, BitmapCase{"Bits4FiveColoursUsed", {11, 3, 4, false, 5}},
                      BitmapCase{"Bits8", {5, 7, 8}}, BitmapCase{"Bits8TwoHundredColoursUsed", {33, 9, 8, false, 200}},
                      BitmapCase{"Bits8TopDown", {6, 5, 8, true, 20}}, BitmapCase{"Bits24OddWidth", {7, 5, 24}},
                      BitmapCase{"Bits24TopDown", {5, 6, 24, true}}, BitmapCase{"Bits32", {6, 4, 32}},
                      BitmapCase{"Bits32TopDown", {3, 7, 32, true}},
                      BitmapCase{"Bits24Header108", {5, 3, 24, false, 0, 108}},
                      BitmapCase{"Bits8Header124", {10, 3, 8, false, 16, 124}},
                      BitmapCase{"OnePixel", {1, 1, 24}}),
    CaseName());

void SetU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void SetU16(Bytes& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Offsets in the headers.
constexpr std::size_t kPixelOffsetAt = 10, kHeaderSizeAt = 14, kWidthAt = 18, kHeightAt = 22, kPlanesAt = 26,
                      kColoursUsedAt = 46;

struct RejectionCase {
  const char* name;
  BitmapRecipe recipe;
  std::function<void(Bytes&)> damage;
};

class BitmapRejectionTest : public ::testing::TestWithParam<RejectionCase> {};

TEST_P(BitmapRejectionTest, GivesNoImage) {
  const RejectionCase& c = GetParam();
  Bytes bytes = WriteBitmap(c.recipe).bytes;
  if (c.damage) c.damage(bytes);
  EXPECT_FALSE(DecodeBitmap(bytes.data(), bytes.size()).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BitmapRejectionTest,
    ::testing::Values(
        RejectionCase{"RunLength8", {8, 4, 8, false, 0, 40, 1}, nullptr},
        RejectionCase{"RunLength4", {8, 4, 4, false, 0, 40, 2}, nullptr},
        RejectionCase{"BitFields32", {8, 4, 32, false, 0, 40, 3}, nullptr},
        RejectionCase{"Bits16", {8, 4, 16}, nullptr},
        RejectionCase{"Bits2", {8, 4, 24}, [](Bytes& b) { SetU16(b, 28, 2); }},
        RejectionCase{"CoreHeader", {4, 4, 24}, [](Bytes& b) { SetU32(b, kHeaderSizeAt, 12); }},
        RejectionCase{"Header39", {4, 4, 24}, [](Bytes& b) { SetU32(b, kHeaderSizeAt, 39); }},
        RejectionCase{"LastPixelByteMissing", {5, 3, 24}, [](Bytes& b) { b.pop_back(); }},
        RejectionCase{"NoPixelData", {5, 3, 8}, [](Bytes& b) { b.resize(54 + 256 * 4); }},
        RejectionCase{"PixelOffsetPastEnd", {5, 3, 24}, [](Bytes& b) { SetU32(b, kPixelOffsetAt, 100000); }},
        RejectionCase{"ColoursUsedAboveBitCount", {8, 2, 4}, [](Bytes& b) { SetU32(b, kColoursUsedAt, 17); }},
        RejectionCase{"ColourTableOverlapsPixels", {4, 4, 8}, [](Bytes& b) { SetU32(b, kPixelOffsetAt, 54); }},
        RejectionCase{"IndexPastColourTable", {4, 4, 8, false, 4}, [](Bytes& b) { b[b.size() - 16] = 200; }},
        RejectionCase{"ZeroWidth", {4, 4, 24}, [](Bytes& b) { SetU32(b, kWidthAt, 0); }},
        RejectionCase{"NegativeWidth", {4, 4, 24}, [](Bytes& b) { SetU32(b, kWidthAt, 0xFFFFFFFC); }},
        RejectionCase{"ZeroHeight", {4, 4, 24}, [](Bytes& b) { SetU32(b, kHeightAt, 0); }},
        RejectionCase{"MostNegativeHeight", {4, 4, 24}, [](Bytes& b) { SetU32(b, kHeightAt, 0x80000000); }},
        RejectionCase{"TwoPlanes", {4, 4, 24}, [](Bytes& b) { SetU16(b, kPlanesAt, 2); }},
        RejectionCase{"HugeWidthWrapsRowSize", {4, 4, 32}, [](Bytes& b) { SetU32(b, kWidthAt, 0x40000001); }},
        RejectionCase{"NotBitmap", {4, 4, 24}, [](Bytes& b) { b[1] = 'A'; }}),
    CaseName());

// 8200 x 8200 pixels of one bit are only 8.4 MB on disk, but more pixels than
// any decoder makes.
TEST(BitmapCapTest, DeclaredSizeOverCapGivesNoImage) {
  WrittenImage small = WriteBitmap({8, 8, 1});
  Bytes bytes(small.bytes.begin(), small.bytes.begin() + 62);
  SetU32(bytes, kWidthAt, 8200);
  SetU32(bytes, kHeightAt, 8200);
  bytes.resize(bytes.size() + static_cast<std::size_t>(8200 / 32 + 1) * 4 * 8200, 0);
  EXPECT_FALSE(DecodeBitmap(bytes.data(), bytes.size()).has_value());
  SetU32(bytes, kHeightAt, 100);  // the same bytes with fewer rows decode
  EXPECT_TRUE(DecodeBitmap(bytes.data(), bytes.size()).has_value());
}

}  // namespace
}  // namespace vq::imaging::test
