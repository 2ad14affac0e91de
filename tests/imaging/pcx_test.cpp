// PCX: one plane of 8 bits with the closing palette, or of 1 bit; the
// decoded pixels match those written and ImageMagick's reading of the file.
#include <gtest/gtest.h>

#include <functional>

#include "imaging/imaging.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

struct PcxCase {
  const char* name;
  PcxRecipe recipe;
  bool magickReadsIt = true;  // ImageMagick takes the closing palette from version 5 files only
};

class PcxDecodeTest : public ::testing::TestWithParam<PcxCase> {};

TEST_P(PcxDecodeTest, MatchesWrittenPixelsAndImageMagick) {
  const PcxCase& c = GetParam();
  const WrittenImage written = WritePcx(c.recipe);
  const std::optional<Image> image = DecodePcx(written.bytes.data(), written.bytes.size());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, c.recipe.width);
  EXPECT_EQ(image->height, c.recipe.height);
  EXPECT_EQ(image->pixels, written.expected.pixels);

  if (!c.magickReadsIt) return;
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const std::string path = ScratchPath(std::string("pcx-") + c.name + ".pcx");
  WriteFileBytes(path, written.bytes);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, "-alpha off -alpha opaque");
  ASSERT_TRUE(magick.has_value());
  EXPECT_EQ(LargestDifference(*image, magick->rgba), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PcxDecodeTest,
                         ::testing::Values(PcxCase{"Bits8OddWidth", {13, 6, 8}},
                                           PcxCase{"Bits8PaddedLines", {10, 5, 8, 14}},
                                           PcxCase{"Bits8Version0", {6, 3, 8, 0, 0}, false},
                                           PcxCase{"Bits8LongRuns", {150, 3, 8}},
                                           PcxCase{"Bits1", {16, 5, 1, 0, 3}},
                                           PcxCase{"Bits1PaddedLines", {13, 7, 1, 4, 3}}),
                         CaseName());

void SetU16(Bytes& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
constexpr std::size_t kXMaxAt = 8, kYMaxAt = 10, kPlanesAt = 65, kBytesPerLineAt = 66;

struct RejectionCase {
  const char* name;
  PcxRecipe recipe;
  std::function<void(Bytes&)> damage;
};

class PcxRejectionTest : public ::testing::TestWithParam<RejectionCase> {};

TEST_P(PcxRejectionTest, GivesNoImage) {
  const RejectionCase& c = GetParam();
  Bytes bytes = WritePcx(c.recipe).bytes;
  c.damage(bytes);
  EXPECT_FALSE(DecodePcx(bytes.data(), bytes.size()).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PcxRejectionTest,
    ::testing::Values(
        RejectionCase{"TwoPlanes", {8, 4, 8}, [](Bytes& b) { b[kPlanesAt] = 2; }},
        RejectionCase{"FourPlanesOfOneBit", {8, 4, 1, 0, 3}, [](Bytes& b) { b[kPlanesAt] = 4; }},
        RejectionCase{"OnlyTheHeader", {8, 4, 1, 0, 3}, [](Bytes& b) { b.resize(128); }},
        RejectionCase{"Unencoded", {8, 4, 8}, [](Bytes& b) { b[2] = 0; }},
        RejectionCase{"OneBitNotVersion3", {8, 4, 1, 0, 5}, [](Bytes&) {}},
        RejectionCase{"FourBits", {8, 4, 8}, [](Bytes& b) { b[3] = 4; }},
        RejectionCase{"LinesShorterThanWidth", {8, 4, 8}, [](Bytes& b) { SetU16(b, kBytesPerLineAt, 7); }},
        RejectionCase{"OneBitLinesShorterThanWidth", {17, 2, 1, 0, 3},
                      [](Bytes& b) { SetU16(b, kBytesPerLineAt, 2); }},
        RejectionCase{"RightEdgeBeforeLeft", {8, 4, 8}, [](Bytes& b) { SetU16(b, kXMaxAt, 1); }},
        RejectionCase{"DataEndsEarly", {9, 9, 1, 0, 3}, [](Bytes& b) { b.resize(b.size() - 2); }},
        RejectionCase{"NoPaletteMarker", {8, 4, 8}, [](Bytes& b) { b[b.size() - 769] = 0x0D; }},
        RejectionCase{"PaletteCut", {8, 4, 8}, [](Bytes& b) { b.resize(b.size() - 1); }},
        RejectionCase{"RunPastLastLine", {1, 1, 8},
                      [](Bytes& b) { b.insert(b.begin() + 128, {0xC3, 0x07}); }},  // 3 bytes for a 1-byte image
        RejectionCase{"OverSizeCap", {8, 4, 8},
                      [](Bytes& b) {
                        SetU16(b, kXMaxAt, 65535);
                        SetU16(b, kYMaxAt, 65535);
                        SetU16(b, kBytesPerLineAt, 65535);
                      }}),
    CaseName());

// Encoders may let a run carry over into the next line.
TEST(PcxDecodeTest, RunAcrossLineEnd) {
  Bytes bytes = WritePcx({4, 2, 8}).bytes;  // 4 x 2, its closing palette kept
  const Bytes data = {0xC6, 7, 3, 0xC1, 0xC1};  // six of index 7 across both lines, then 3, then 0xC1
  bytes.erase(bytes.begin() + 128, bytes.end() - 769);
  bytes.insert(bytes.begin() + 128, data.begin(), data.end());
  const auto colour = [&bytes](int index) {
    const std::size_t at = bytes.size() - 768 + static_cast<std::size_t>(index) * 3;
    return Bgra(bytes[at + 2], bytes[at + 1], bytes[at]);
  };
  const std::optional<Image> image = DecodePcx(bytes.data(), bytes.size());
  ASSERT_TRUE(image.has_value());
  const std::uint32_t seven = colour(7);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{seven, seven, seven, seven, seven, seven, colour(3), colour(0xC1)}));
}

}  // namespace
}  // namespace vq::imaging::test
