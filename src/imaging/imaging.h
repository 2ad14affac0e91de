// Decoders of the cover picture formats. Portable: the picture box on top of
// them does the drawing. Every decoder takes untrusted bytes, checks each
// size, offset and index before use and gives no image (std::nullopt) on
// anything inconsistent; the caps in limits.h bound memory and time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vq::imaging {

enum class ImageKind { None, Bitmap, Jpeg, Icon, Cursor, Gif, Pcx8, Pcx1 };

// The kind from the first six bytes alone; fewer than six bytes are None.
ImageKind RecogniseImageKind(const std::uint8_t* data, std::size_t size);

// 32-bit pixels, top-down rows, bytes B,G,R,A in memory (A = 255 opaque,
// 0 transparent; only GIF makes transparent pixels, and those are all zero).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

std::optional<Image> DecodeBitmap(const std::uint8_t* data, std::size_t size);
std::optional<Image> DecodePcx(const std::uint8_t* data, std::size_t size);

// Decodes at the smallest scale M/8 (M = 1..8) whose result is at least
// minWidth x minHeight, or at full size when none is; naturalWidth and
// naturalHeight are the image's own size.
struct JpegImage {
  Image image;
  int naturalWidth = 0;
  int naturalHeight = 0;
};
std::optional<JpegImage> DecodeJpeg(const std::uint8_t* data, std::size_t size, int minWidth,
                                    int minHeight);

// The icon or cursor entry to show: the first one 32 pixels wide (a width
// byte of 0 means 256) whose colour-count byte is 16..255, else the last one.
// offset and size locate the entry's bytes inside the file (checked);
// width and height are the directory's (0 read as 256).
struct IconEntry {
  std::size_t offset = 0;
  std::size_t size = 0;
  int width = 0;
  int height = 0;
  bool isCursor = false;
  int hotspotX = 0;
  int hotspotY = 0;
};
std::optional<IconEntry> SelectIconEntry(const std::uint8_t* data, std::size_t size);

// GIF frames composited on the logical screen, each a full-screen Image.
// loopCount comes from the NETSCAPE2.0 extension (0 = forever); without it
// (hasLoopExtension false) the animation plays once and stays on its last
// frame. Delays under 20 ms count as 100 ms.
struct GifFrame {
  Image image;
  int delayMs = 100;
};
struct GifAnimation {
  int width = 0;
  int height = 0;
  int loopCount = 0;
  bool hasLoopExtension = false;
  std::vector<GifFrame> frames;
};
// allFrames = false decodes the first frame only.
std::optional<GifAnimation> DecodeGif(const std::uint8_t* data, std::size_t size, bool allFrames);

}  // namespace vq::imaging
