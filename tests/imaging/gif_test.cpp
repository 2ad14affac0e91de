// GIF: frames composited on the logical screen as ImageMagick coalesces them;
// loop count, delays and the first-frame-only decode; and the rejections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "imaging/imaging.h"
#include "support.h"

namespace vq::imaging::test {
namespace {

// Removes the NETSCAPE2.0 application extension (19 bytes) from a GIF.
void StripLoopExtension(Bytes& bytes) {
  static const std::uint8_t kHead[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  const auto at = std::search(bytes.begin(), bytes.end(), std::begin(kHead), std::end(kHead));
  ASSERT_NE(at, bytes.end());
  bytes.erase(at, at + 19);
}

struct MagickGifCase {
  const char* name;
  const char* convertArguments;  // the output file name follows
  bool stripLoop;
  std::size_t frames;
};

class GifMagickTest : public ::testing::TestWithParam<MagickGifCase> {};

TEST_P(GifMagickTest, FramesMatchImageMagickCoalesced) {
  const MagickGifCase& c = GetParam();
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick runs on the build host only";
  const std::string path = ScratchPath(std::string("gif-") + c.name + ".gif");
  ASSERT_TRUE(RunMagick(std::string(c.convertArguments) + " '" + path + "'"));
  Bytes bytes = ReadFileBytes(path);
  if (c.stripLoop) {
    StripLoopExtension(bytes);
    WriteFileBytes(path, bytes);
  }

  const std::optional<GifAnimation> animation = DecodeGif(bytes.data(), bytes.size(), true);
  ASSERT_TRUE(animation.has_value());
  ASSERT_EQ(animation->frames.size(), c.frames);
  EXPECT_EQ(animation->hasLoopExtension, c.frames > 1 && !c.stripLoop);
  const std::optional<MagickPixels> magick = DecodeWithMagick(path, "-coalesce");
  ASSERT_TRUE(magick.has_value());
  ASSERT_EQ(static_cast<std::size_t>(magick->frames), c.frames);
  ASSERT_EQ(animation->width, magick->width);
  ASSERT_EQ(animation->height, magick->height);
  const std::size_t frameBytes = static_cast<std::size_t>(magick->width) * static_cast<std::size_t>(magick->height) * 4;
  for (std::size_t i = 0; i < c.frames; ++i)
    EXPECT_EQ(LargestDifference(animation->frames[i].image, magick->rgba, i * frameBytes), 0) << "frame " << i;

  const std::optional<GifAnimation> first = DecodeGif(bytes.data(), bytes.size(), false);
  ASSERT_TRUE(first.has_value());
  ASSERT_EQ(first->frames.size(), 1u);
  EXPECT_EQ(first->frames[0].image.pixels, animation->frames[0].image.pixels);
}

// Three frames drawn over a gradient screen: an opaque one at an offset, one
// with transparent pixels, one reaching past the screen's right and bottom
// edges. The first frame keeps disposal 1: what restoring "the previous"
// state after the very first frame means is where ImageMagick (the first
// frame itself) and the GIF rule (the empty screen) part; a test below pins ours.
#define VQ_THREE_FRAMES(dispose)                                                                            \
  "-dispose None -delay 7 -size 9x7 gradient:red-yellow -dispose " dispose                                 \
  " \\( -size 4x3 xc:blue -repage +1+2 \\)" \
  " \\( -size 5x4 xc:none -fill lime -draw 'rectangle 1,1 2,2' -fill navy -draw 'point 4,3' -repage +3+1 \\)" \
  " \\( -size 6x4 xc:orange -repage +6+5 \\) -loop 0"

INSTANTIATE_TEST_SUITE_P(
    Table, GifMagickTest,
    ::testing::Values(
        MagickGifCase{"Still", "-size 13x9 gradient:red-blue -colors 20", false, 1},
        MagickGifCase{"StillWithTransparency", "-size 7x5 xc:none -fill red -draw 'rectangle 1,1 4,2'", false, 1},
        MagickGifCase{"Interlaced", "-size 11x19 gradient:green-purple -colors 40 -interlace GIF", false, 1},
        MagickGifCase{"DisposeNone", VQ_THREE_FRAMES("None"), false, 4},
        MagickGifCase{"DisposeBackground", VQ_THREE_FRAMES("Background"), false, 4},
        MagickGifCase{"DisposePrevious", VQ_THREE_FRAMES("Previous"), false, 4},
        MagickGifCase{"LocalPalettes", "-delay 10 -size 6x4 gradient:red-yellow -size 6x4 gradient:blue-cyan -loop 0",
                      false, 2},
        MagickGifCase{"InterlacedAnimation",
                      "-delay 10 -size 10x12 gradient:red-yellow -size 10x12 gradient:blue-cyan -interlace GIF -loop 0",
                      false, 2},
        MagickGifCase{"WithoutLoopExtension", VQ_THREE_FRAMES("Background"), true, 4},
        MagickGifCase{"LongLzwStrings", "-size 300x40 xc:white -fill black -draw 'line 0,0 299,39' -colors 4",
                      false, 1}),
    CaseName());

GifFrameRecipe Frame(int width, int height, std::uint8_t index) {
  GifFrameRecipe frame;
  frame.width = width;
  frame.height = height;
  frame.indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), index);
  return frame;
}

GifRecipe TwoColourScreen(int width, int height) {
  GifRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.globalPalette = {0xFF0000, 0x0000FF};
  return recipe;
}

struct TimingCase {
  const char* name;
  std::optional<int> loopCount;
  int delayCs;
  int expectedDelayMs;
};

class GifTimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(GifTimingTest, LoopAndDelay) {
  const TimingCase& c = GetParam();
  GifRecipe recipe = TwoColourScreen(2, 2);
  recipe.loopCount = c.loopCount;
  recipe.frames = {Frame(2, 2, 0), Frame(2, 2, 1)};
  recipe.frames[0].delayCs = c.delayCs;
  recipe.frames[1].delayCs = 10;
  const Bytes bytes = WriteGif(recipe);
  const std::optional<GifAnimation> animation = DecodeGif(bytes.data(), bytes.size(), true);
  ASSERT_TRUE(animation.has_value());
  ASSERT_EQ(animation->frames.size(), 2u);
  EXPECT_EQ(animation->frames[0].delayMs, c.expectedDelayMs);
  EXPECT_EQ(animation->frames[1].delayMs, 100);
  EXPECT_EQ(animation->hasLoopExtension, c.loopCount.has_value());
  EXPECT_EQ(animation->loopCount, c.loopCount.value_or(0));
}

INSTANTIATE_TEST_SUITE_P(Table, GifTimingTest,
                         ::testing::Values(TimingCase{"LoopForever", 0, 50, 500}, TimingCase{"LoopThrice", 3, 2, 20},
                                           TimingCase{"NoLoopExtension", std::nullopt, 7, 70},
                                           TimingCase{"ZeroDelay", 0, 0, 100}, TimingCase{"TenMs", 0, 1, 100}),
                         CaseName());

TEST(GifDecodeTest, FirstFrameOnlyStopsAfterIt) {
  GifRecipe recipe = TwoColourScreen(3, 1);
  recipe.frames = {Frame(3, 1, 1), Frame(3, 1, 0)};
  recipe.frames[1].indices[1] = 7;  // broken, but never read
  const Bytes bytes = WriteGif(recipe);
  const std::optional<GifAnimation> first = DecodeGif(bytes.data(), bytes.size(), false);
  ASSERT_TRUE(first.has_value());
  ASSERT_EQ(first->frames.size(), 1u);
  EXPECT_EQ(first->frames[0].image.pixels, std::vector<std::uint32_t>(3, Bgra(255, 0, 0)));
  EXPECT_FALSE(DecodeGif(bytes.data(), bytes.size(), true).has_value());
}

TEST(GifDecodeTest, TransparentIndexOutsidePaletteIsTransparent) {
  GifRecipe recipe = TwoColourScreen(2, 1);
  recipe.frames = {Frame(2, 1, 9)};
  recipe.frames[0].indices[0] = 1;
  recipe.frames[0].transparentIndex = 9;
  const Bytes bytes = WriteGif(recipe);
  const std::optional<GifAnimation> animation = DecodeGif(bytes.data(), bytes.size(), true);
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(animation->frames[0].image.pixels, (std::vector<std::uint32_t>{Bgra(255, 0, 0), 0}));
}

// Restoring after the first frame goes back to the empty, transparent screen.
TEST(GifDecodeTest, DisposePreviousOnFirstFrameRestoresEmptyScreen) {
  GifRecipe recipe = TwoColourScreen(2, 1);
  recipe.frames = {Frame(2, 1, 0), Frame(1, 1, 1)};
  recipe.frames[0].disposal = 3;
  const Bytes bytes = WriteGif(recipe);
  const std::optional<GifAnimation> animation = DecodeGif(bytes.data(), bytes.size(), true);
  ASSERT_TRUE(animation.has_value());
  ASSERT_EQ(animation->frames.size(), 2u);
  EXPECT_EQ(animation->frames[0].image.pixels, std::vector<std::uint32_t>(2, Bgra(0, 0, 255)));
  EXPECT_EQ(animation->frames[1].image.pixels, (std::vector<std::uint32_t>{Bgra(255, 0, 0), 0}));
}

struct RejectionCase {
  const char* name;
  std::function<Bytes()> make;
};

class GifRejectionTest : public ::testing::TestWithParam<RejectionCase> {};

TEST_P(GifRejectionTest, GivesNoImage) {
  const Bytes bytes = GetParam().make();
  EXPECT_FALSE(DecodeGif(bytes.data(), bytes.size(), true).has_value());
  EXPECT_FALSE(DecodeGif(bytes.data(), bytes.size(), false).has_value());
}

Bytes OneFrame(const std::function<void(GifRecipe&)>& change) {
  GifRecipe recipe = TwoColourScreen(4, 3);
  recipe.frames = {Frame(4, 3, 1)};
  change(recipe);
  return WriteGif(recipe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GifRejectionTest,
    ::testing::Values(
        RejectionCase{"IndexOutsidePalette", [] { return OneFrame([](GifRecipe& s) { s.frames[0].indices[5] = 2; }); }},
        RejectionCase{"NoPalette", [] { return OneFrame([](GifRecipe& s) { s.globalPalette.clear(); }); }},
        RejectionCase{"ReservedDisposal", [] { return OneFrame([](GifRecipe& s) { s.frames[0].disposal = 4; }); }},
        RejectionCase{"ZeroWidthScreen", [] { return OneFrame([](GifRecipe& s) { s.width = 0; }); }},
        RejectionCase{"CodeSizeNine", [] { return OneFrame([](GifRecipe& s) { s.frames[0].minimumCodeSize = 9; }); }},
        RejectionCase{"CodeSizeOne", [] { return OneFrame([](GifRecipe& s) { s.frames[0].minimumCodeSize = 1; }); }},
        RejectionCase{"NoFrames", [] { return OneFrame([](GifRecipe& s) { s.frames.clear(); }); }},
        RejectionCase{"ScreenOverSizeCap", [] { return OneFrame([](GifRecipe& s) { s.width = s.height = 65535; }); }},
        RejectionCase{"DataEndsEarly",
                      [] {
                        Bytes b = OneFrame([](GifRecipe&) {});
                        b.resize(b.size() - 8);
                        return b;
                      }},
        RejectionCase{"EndCodeBeforeLastPixel",
                      [] {
                        // Minimum code size 2: clear (4), index 1, end (5) for a 4 x 3 frame.
                        Bytes b = OneFrame([](GifRecipe& s) { s.frames[0].indices.assign(12, 0); });
                        const auto image = std::find(b.begin(), b.end(), std::uint8_t{0x2C});
                        Bytes cut(b.begin(), image + 10);
                        cut.insert(cut.end(), {2, 2, 0x4C, 0x01, 0, 0x3B});
                        return cut;
                      }},
        RejectionCase{"CodeBeyondTable",
                      [] {
                        Bytes b = OneFrame([](GifRecipe&) {});
                        const auto image = std::find(b.begin(), b.end(), std::uint8_t{0x2C});
                        Bytes cut(b.begin(), image + 10);
                        // clear (4), index 1, then code 7 while the next free code is 6.
                        cut.insert(cut.end(), {2, 2, 0x4C, 0x07, 0, 0x3B});
                        return cut;
                      }},
        RejectionCase{"UnknownBlock",
                      [] {
                        Bytes b = OneFrame([](GifRecipe&) {});
                        b.insert(b.begin() + 13 + 6, 0x99);
                        return b;
                      }}),
    CaseName());

// What the caps keep out, without building the picture: frames beyond the
// count cap, and composited frames beyond the pixel cap (two 6000 x 6000
// frames are 72 megapixels; the first alone decodes).
TEST(GifCapTest, FrameCountCap) {
  GifRecipe recipe = TwoColourScreen(1, 1);
  recipe.frames.assign(4097, Frame(1, 1, 0));
  const Bytes bytes = WriteGif(recipe);
  EXPECT_FALSE(DecodeGif(bytes.data(), bytes.size(), true).has_value());
  recipe.frames.resize(4096);
  const Bytes fewer = WriteGif(recipe);
  EXPECT_TRUE(DecodeGif(fewer.data(), fewer.size(), true).has_value());
}

TEST(GifCapTest, CompositedPixelCap) {
  GifRecipe recipe = TwoColourScreen(6000, 6000);
  recipe.frames = {Frame(1, 1, 0), Frame(1, 1, 1)};
  const Bytes bytes = WriteGif(recipe);
  EXPECT_FALSE(DecodeGif(bytes.data(), bytes.size(), true).has_value());
  EXPECT_TRUE(DecodeGif(bytes.data(), bytes.size(), false).has_value());
}

}  // namespace
}  // namespace vq::imaging::test
