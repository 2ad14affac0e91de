// Helpers of the imaging tests: files in a scratch folder, ImageMagick's own
// decoding of a file (on the build host only), pixel comparison, and small
// writers of bitmap, PCX and icon bytes whose pixels the test knows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/imaging.h"

namespace vq::imaging::test {

using Bytes = std::vector<std::uint8_t>;

// Names the cases of a parameterised test after their `name` field.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

// Fresh per-process scratch folder.
std::string ScratchPath(const std::string& name);
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

// ImageMagick is a Linux program: the Windows build (under Wine) has none.
bool HaveImageMagick();
// Runs convert with the arguments (file names quoted by the caller); true on exit status 0.
bool RunMagick(const std::string& arguments);

// ImageMagick's decoding: R,G,B,A bytes of every frame one after another.
struct MagickPixels {
  int width = 0;
  int height = 0;
  int frames = 0;
  Bytes rgba;
};
// `options` go between the input and the output (for example "-coalesce",
// "-alpha off"); `readOptions` before the input (for example a -define).
std::optional<MagickPixels> DecodeWithMagick(const std::string& path, const std::string& options,
                                             const std::string& readOptions = "");

// Largest per-channel difference between an image and RGBA bytes starting at
// `offset`; pixels transparent in both compare equal whatever their colour.
// Returns 255 for a size or alpha mismatch.
int LargestDifference(const Image& image, const Bytes& rgba, std::size_t offset = 0);

std::uint32_t Bgra(int blue, int green, int red, int alpha = 255);
// An image as R,G,B,A bytes, to compare with LargestDifference.
Bytes ToRgba(const Image& image);

// A bitmap written from known pixels.
struct BitmapRecipe {
  int width = 0;
  int height = 0;
  int bits = 24;
  bool topDown = false;
  std::uint32_t coloursUsed = 0;   // colour-table entries written (0: 2^bits)
  std::uint32_t headerSize = 40;
  std::uint32_t compression = 0;
};
struct WrittenImage {
  Bytes bytes;
  Image expected;
};
WrittenImage WriteBitmap(const BitmapRecipe& recipe);

// A run-length PCX of one plane written from known pixels; lines carry
// padding bytes past the width.
struct PcxRecipe {
  int width = 0;
  int height = 0;
  int bits = 8;              // 8 or 1
  int bytesPerLine = 0;      // 0: the least the width needs
  int version = 5;
};
WrittenImage WritePcx(const PcxRecipe& recipe);

// An icon or cursor directory entry and the file they make; each entry's
// data is `dataSize` bytes placed after the directory unless an offset is given.
struct IconRecipeEntry {
  int widthByte = 32;
  int heightByte = 32;
  int colourCount = 0;
  int planesOrHotspotX = 1;
  int bitsOrHotspotY = 32;
  std::uint32_t dataSize = 40;
  std::optional<std::uint32_t> offset;
};
Bytes WriteIconFile(int type, const std::vector<IconRecipeEntry>& entries);

// A GIF built from colour indices, each pixel coded as a clear code and a
// literal so any index (valid or not) can be written.
struct GifFrameRecipe {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;       // display order, width x height
  std::vector<std::uint32_t> localPalette;  // 0xRRGGBB; empty: none
  bool interlaced = false;
  bool control = true;  // write a graphic control extension
  int disposal = 0;
  int delayCs = 0;
  int transparentIndex = -1;
  int minimumCodeSize = 8;
};
struct GifRecipe {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> globalPalette;  // 0xRRGGBB; empty: none
  std::optional<int> loopCount;              // NETSCAPE2.0 extension when set
  std::vector<GifFrameRecipe> frames;
  bool trailer = true;
};
Bytes WriteGif(const GifRecipe& recipe);

}  // namespace vq::imaging::test
