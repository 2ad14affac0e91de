// JPEG: each variant decodes close to the pixels it was made from and to
// ImageMagick's decoding of the same file; the scale is the smallest that
// covers the request; a file cut short in its data is shown, a corrupt
// header is not.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "imaging/imaging.h"
#include "jpeg_writer.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

// Ours against ImageMagick: the same library, so only rounding differs.
constexpr int kMagickTolerance = 2;

struct JpegCase {
  const char* name;
  JpegRecipe recipe;
  int sourceTolerance;  // the encoding's own loss
  const char* magickOptions = "";
};

class JpegDecodeTest : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegDecodeTest, MatchesSourceAndImageMagick) {
  const JpegCase& c = GetParam();
  const WrittenImage written = WriteJpeg(c.recipe);
  const std::optional<JpegImage> jpeg =
      DecodeJpeg(written.bytes.data(), written.bytes.size(), c.recipe.width, c.recipe.height);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_EQ(jpeg->naturalWidth, c.recipe.width);
  EXPECT_EQ(jpeg->naturalHeight, c.recipe.height);
  ASSERT_EQ(jpeg->image.width, c.recipe.width);
  ASSERT_EQ(jpeg->image.height, c.recipe.height);
  EXPECT_LE(LargestDifference(jpeg->image, ToRgba(written.expected)), c.sourceTolerance);
  if (c.recipe.colour == JpegColour::Grey) {
    for (std::uint32_t pixel : jpeg->image.pixels)
      ASSERT_TRUE((pixel & 0xFF) == ((pixel >> 8) & 0xFF) && (pixel & 0xFF) == ((pixel >> 16) & 0xFF));
  }

  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const std::string path = ScratchPath(std::string("jpeg-") + c.name + ".jpg");
  WriteFileBytes(path, written.bytes);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, c.magickOptions);
  ASSERT_TRUE(magick.has_value());
  EXPECT_LE(LargestDifference(jpeg->image, magick->rgba), kMagickTolerance);
}

JpegRecipe Recipe(int width, int height, JpegColour colour = JpegColour::YCbCr) {
  JpegRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.colour = colour;
  return recipe;
}
JpegRecipe Progressive(JpegRecipe recipe) {
  recipe.progressive = true;
  return recipe;
}
JpegRecipe Restarts(JpegRecipe recipe, int interval) {
  recipe.restartInterval = interval;
  return recipe;
}
JpegRecipe FullChroma(JpegRecipe recipe) {
  recipe.subsampled = false;
  return recipe;
}

INSTANTIATE_TEST_SUITE_P(
    Table, JpegDecodeTest,
    ::testing::Values(
        JpegCase{"Baseline", Recipe(37, 23), 12}, JpegCase{"BaselineFullChroma", FullChroma(Recipe(40, 17)), 8},
        JpegCase{"Progressive", Progressive(Recipe(45, 31)), 12},
        JpegCase{"Greyscale", Recipe(33, 18, JpegColour::Grey), 6},
        JpegCase{"GreyscaleProgressive", Progressive(Recipe(20, 41, JpegColour::Grey)), 6},
        JpegCase{"CmykAdobe", Recipe(29, 19, JpegColour::CmykAdobe), 8, "-colorspace sRGB"},
        // ImageMagick reads every CMYK file as inverted: un-invert what it read.
        JpegCase{"CmykWithoutAdobeMarker", Recipe(29, 19, JpegColour::CmykPlain), 8,
                 "-channel CMYK -negate +channel -colorspace sRGB"},
        JpegCase{"Ycck", Recipe(31, 22, JpegColour::Ycck), 10, "-colorspace sRGB"},
        JpegCase{"RestartMarkers", Restarts(Recipe(64, 40), 1), 12},
        JpegCase{"ProgressiveRestartMarkers", Restarts(Progressive(Recipe(50, 30)), 2), 12},
        JpegCase{"OnePixel", Recipe(1, 1), 12}),
    CaseName());

struct ScaleCase {
  const char* name;
  int minWidth, minHeight;
  int width, height;
};

class JpegScaleTest : public ::testing::TestWithParam<ScaleCase> {};

// A 100 x 60 image: M/8 gives ceil(100 M / 8) x ceil(60 M / 8).
TEST_P(JpegScaleTest, SmallestScaleCoveringRequest) {
  const ScaleCase& c = GetParam();
  static const WrittenImage written = WriteJpeg(Recipe(100, 60));
  const std::optional<JpegImage> jpeg = DecodeJpeg(written.bytes.data(), written.bytes.size(), c.minWidth, c.minHeight);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_EQ(jpeg->image.width, c.width);
  EXPECT_EQ(jpeg->image.height, c.height);
  EXPECT_EQ(jpeg->naturalWidth, 100);
  EXPECT_EQ(jpeg->naturalHeight, 60);
}

INSTANTIATE_TEST_SUITE_P(Table, JpegScaleTest,
                         ::testing::Values(ScaleCase{"NothingAsked", 0, 0, 13, 8}, ScaleCase{"OneEighth", 13, 8, 13, 8},
                                           ScaleCase{"WidthNeedsTwo", 14, 8, 25, 15},
                                           ScaleCase{"HeightNeedsTwo", 13, 9, 25, 15},
                                           ScaleCase{"Half", 50, 30, 50, 30}, ScaleCase{"FiveEighths", 51, 30, 63, 38},
                                           ScaleCase{"Full", 100, 60, 100, 60}, ScaleCase{"BeyondFull", 101, 60, 100, 60},
                                           ScaleCase{"BoxLargerThanImage", 144, 232, 100, 60}),
                         CaseName());

TEST(JpegScaleTest, ScaledPixelsMatchImageMagick) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const WrittenImage written = WriteJpeg(Recipe(100, 60));
  const std::optional<JpegImage> jpeg = DecodeJpeg(written.bytes.data(), written.bytes.size(), 25, 15);
  ASSERT_TRUE(jpeg.has_value());
  ASSERT_EQ(jpeg->image.width, 25);
  const std::string path = ScratchPath("jpeg-quarter.jpg");
  WriteFileBytes(path, written.bytes);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, "", "-define jpeg:size=25x15");
  ASSERT_TRUE(magick.has_value());
  ASSERT_EQ(magick->width, 25);
  EXPECT_LE(LargestDifference(jpeg->image, magick->rgba), kMagickTolerance);
}

// Offset of the first marker FF <marker>.
std::size_t MarkerAt(const Bytes& bytes, std::uint8_t marker) {
  for (std::size_t i = 2; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == marker) return i;
  return 0;
}

// Cut in its image data: shown at full size, the rows that arrived as they
// were, the rest as the library fills it (as ImageMagick shows it too).
TEST(JpegDecodeTest, CutShortInImageDataIsShown) {
  const WrittenImage written = WriteJpeg(Recipe(64, 64));
  const std::size_t scanAt = MarkerAt(written.bytes, 0xDA);
  ASSERT_GT(scanAt, 0u);
  const Bytes cut(written.bytes.begin(),
                  written.bytes.begin() + static_cast<std::ptrdiff_t>(scanAt + (written.bytes.size() - scanAt) / 2));
  const std::optional<JpegImage> jpeg = DecodeJpeg(cut.data(), cut.size(), 64, 64);
  ASSERT_TRUE(jpeg.has_value());
  ASSERT_EQ(jpeg->image.width, 64);
  ASSERT_EQ(jpeg->image.height, 64);
  Image topRows = jpeg->image, expectedTop = written.expected;
  topRows.height = expectedTop.height = 16;
  topRows.pixels.resize(64 * 16);
  expectedTop.pixels.resize(64 * 16);
  EXPECT_LE(LargestDifference(topRows, ToRgba(expectedTop)), 12);

  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const std::string path = ScratchPath("jpeg-cut.jpg");
  WriteFileBytes(path, cut);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, "");
  ASSERT_TRUE(magick.has_value());
  EXPECT_LE(LargestDifference(jpeg->image, magick->rgba), kMagickTolerance);
}

std::size_t FrameHeaderAt(const Bytes& bytes) { return MarkerAt(bytes, 0xC0); }

// A progressive file whose last scan is repeated: each repeat only warns in
// the library, but every scan walks the whole image, so the number of scans
// is capped (1000 for an image this small).
TEST(JpegCapTest, ScanCountCap) {
  const Bytes original = WriteJpeg(Progressive(Recipe(24, 16))).bytes;
  // Scan headers: FF DA never occurs inside coded data, where FF is stuffed.
  std::vector<std::size_t> scans;
  for (std::size_t at = 0; at + 1 < original.size(); ++at)
    if (original[at] == 0xFF && original[at + 1] == 0xDA) scans.push_back(at);
  ASSERT_GT(scans.size(), 1u);
  const Bytes lastScan(original.begin() + static_cast<std::ptrdiff_t>(scans.back()), original.end() - 2);
  const auto withScans = [&](std::size_t total) {
    Bytes bytes(original.begin(), original.end() - 2);
    for (std::size_t count = scans.size(); count < total; ++count) bytes.insert(bytes.end(), lastScan.begin(), lastScan.end());
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    return bytes;
  };
  const Bytes within = withScans(1000), over = withScans(1001);
  EXPECT_TRUE(DecodeJpeg(within.data(), within.size(), 24, 16).has_value());
  EXPECT_FALSE(DecodeJpeg(over.data(), over.size(), 24, 16).has_value());
}

struct RejectionCase {
  const char* name;
  std::function<void(Bytes&)> damage;
};

class JpegRejectionTest : public ::testing::TestWithParam<RejectionCase> {};

TEST_P(JpegRejectionTest, GivesNoImage) {
  Bytes bytes = WriteJpeg(Recipe(24, 16)).bytes;
  GetParam().damage(bytes);
  EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0).has_value());
  EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size(), 1 << 20, 1 << 20).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, JpegRejectionTest,
    ::testing::Values(
        RejectionCase{"ZeroHeight", [](Bytes& b) { b[FrameHeaderAt(b) + 5] = b[FrameHeaderAt(b) + 6] = 0; }},
        RejectionCase{"UndefinedQuantTable", [](Bytes& b) { b[FrameHeaderAt(b) + 12] = 3; }},
        RejectionCase{"BadPrecision", [](Bytes& b) { b[FrameHeaderAt(b) + 4] = 7; }},
        RejectionCase{"FrameHeaderLengthWrong", [](Bytes& b) { b[FrameHeaderAt(b) + 3] = 5; }},
        RejectionCase{"CutInHeader", [](Bytes& b) { b.resize(FrameHeaderAt(b) + 6); }},
        RejectionCase{"NoFrame", [](Bytes& b) { b = {0xFF, 0xD8, 0xFF, 0xD9, 0, 0}; }},
        RejectionCase{"OverSizeCap",
                      [](Bytes& b) {
                        const std::size_t at = FrameHeaderAt(b);
                        b[at + 5] = b[at + 7] = 0xFE;  // 65048 x 65048
                        b[at + 6] = b[at + 8] = 0x18;
                      }},
        RejectionCase{"NotJpeg", [](Bytes& b) { b[1] = 0xD9; }}),
    CaseName());

}  // namespace
}  // namespace vq::imaging::test
