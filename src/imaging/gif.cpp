// GIF 87a/89a: frames composited on the logical screen, which starts fully
// transparent. Disposal 1 keeps a frame, 2 clears its rectangle to
// transparent, 3 restores what was there before it; 0 is treated as 1 and
// the reserved values 4 to 7 reject the file. Parts of a frame outside the
// screen are clipped. Short LZW data, codes outside the table and colour
// indices outside the palette reject the file.
#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/byte_reader.h"
#include "imaging/caps.h"

namespace vq::imaging {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
constexpr int kShortestDelayMs = 20;
constexpr int kDelayForShortMs = 100;

struct Palette {
  std::uint32_t colours[256] = {};
  unsigned count = 0;
};

bool ReadPalette(ByteReader& reader, unsigned sizeField, Palette& palette) {
  palette.count = 2u << sizeField;
  for (unsigned i = 0; i < palette.count; ++i) {
    const std::uint8_t* rgb = reader.Bytes(3);
    if (rgb == nullptr) return false;
    palette.colours[i] = PackBgra(rgb[2], rgb[1], rgb[0], 0xFF);
  }
  return true;
}

// Reads the data sub-blocks up to and including their terminator.
bool SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    const std::uint8_t length = reader.U8();
    if (!reader.ok()) return false;
    if (length == 0) return true;
    if (!reader.Skip(length)) return false;
  }
}

// The LZW codes of one image, least significant bit first, across data
// sub-blocks.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& reader) : reader_(reader) {}

  // The next code, or -1 when the sub-blocks end (terminator read) or the
  // bytes run out (the reader then fails).
  int Next(int width) {
    while (bitCount_ < width) {
      if (blockLeft_ == 0) {
        if (ended_) return -1;
        blockLeft_ = reader_.U8();
        if (!reader_.ok()) return -1;
        if (blockLeft_ == 0) {
          ended_ = true;
          return -1;
        }
      }
      const std::uint8_t byte = reader_.U8();
      if (!reader_.ok()) return -1;
      --blockLeft_;
      bits_ |= static_cast<std::uint32_t>(byte) << bitCount_;
      bitCount_ += 8;
    }
    const int code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bitCount_ -= width;
    return code;
  }

  // Skips what is left of the image data, terminator included.
  bool Finish() {
    if (ended_) return true;
    if (!reader_.Skip(blockLeft_)) return false;
    blockLeft_ = 0;
    ended_ = true;
    return SkipSubBlocks(reader_);
  }

 private:
  ByteReader& reader_;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  std::size_t blockLeft_ = 0;
  bool ended_ = false;
};

struct FrameControl {
  int disposal = 0;
  int delayCs = 0;
  bool transparent = false;
  std::uint8_t transparentIndex = 0;
};

struct FrameGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlaced = false;
};

// Puts decoded colour indices onto the canvas in the frame's row order,
// leaving transparent ones and clipping at the screen's edges.
class FramePainter {
 public:
  FramePainter(Image& canvas, const FrameGeometry& frame, const Palette& palette,
               const FrameControl& control)
      : canvas_(canvas), frame_(frame), palette_(palette), control_(control) {
    BeginRow();
  }

  bool Complete() const { return rowsDone_ >= frame_.height || frame_.width == 0; }

  // False for an index outside the palette.
  bool Put(std::uint8_t index) {
    if (!(control_.transparent && index == control_.transparentIndex)) {
      if (index >= palette_.count) return false;
      if (row_ != nullptr && frame_.left + x_ < canvas_.width) row_[x_] = palette_.colours[index];
    }
    if (++x_ == frame_.width) {
      x_ = 0;
      ++rowsDone_;
      NextRow();
    }
    return true;
  }

 private:
  void NextRow() {
    if (!frame_.interlaced) {
      ++y_;
    } else {
      static constexpr int kStart[4] = {0, 4, 2, 1};
      static constexpr int kStep[4] = {8, 8, 4, 2};
      y_ += kStep[pass_];
      while (y_ >= frame_.height && pass_ < 3) {
        ++pass_;
        y_ = kStart[pass_];
      }
    }
    BeginRow();
  }
  void BeginRow() {
    const long long canvasY = static_cast<long long>(frame_.top) + y_;
    row_ = nullptr;
    if (!Complete() && y_ < frame_.height && canvasY < canvas_.height && frame_.left < canvas_.width)
      row_ = canvas_.pixels.data() + static_cast<std::size_t>(canvasY) * static_cast<std::size_t>(canvas_.width) +
             static_cast<std::size_t>(frame_.left);
  }

  Image& canvas_;
  const FrameGeometry& frame_;
  const Palette& palette_;
  const FrameControl& control_;
  std::uint32_t* row_ = nullptr;
  int x_ = 0;
  int y_ = 0;
  int pass_ = 0;
  int rowsDone_ = 0;
};

// Decodes one image's LZW data onto the canvas. False when the data is
// malformed or ends before every pixel of the frame is there.
bool DecodeImageData(ByteReader& reader, FramePainter& painter) {
  const int minimumCodeSize = reader.U8();
  if (!reader.ok() || minimumCodeSize < 2 || minimumCodeSize > 8) return false;
  const int clearCode = 1 << minimumCodeSize;
  const int endCode = clearCode + 1;

  // Each string is its prefix's string followed by one index.
  std::uint16_t prefix[kTableSize];
  std::uint8_t suffix[kTableSize];
  std::uint8_t first[kTableSize];
  std::uint16_t length[kTableSize];
  for (int code = 0; code < clearCode; ++code) {
    prefix[code] = 0;
    suffix[code] = first[code] = static_cast<std::uint8_t>(code);
    length[code] = 1;
  }
  std::uint8_t string[kTableSize];

  CodeReader codes(reader);
  int width = minimumCodeSize + 1;
  int next = clearCode + 2;
  int previous = -1;
  while (!painter.Complete()) {
    const int code = codes.Next(width);
    if (code < 0 || code == endCode) return false;  // the data ended before the frame did
    if (code == clearCode) {
      width = minimumCodeSize + 1;
      next = clearCode + 2;
      previous = -1;
      continue;
    }
    int stringCode = code;
    std::uint8_t extra = 0;  // a code not yet in the table: previous string plus its first index
    bool hasExtra = false;
    if (previous < 0) {
      if (code >= clearCode) return false;
    } else if (code == next && next < kTableSize) {
      stringCode = previous;
      extra = first[previous];
      hasExtra = true;
    } else if (code >= next) {
      return false;
    }

    int count = length[stringCode];
    for (int at = count - 1, walk = stringCode; at >= 0; --at) {
      string[at] = suffix[walk];
      walk = prefix[walk];
    }
    if (hasExtra) string[count++] = extra;
    for (int i = 0; i < count && !painter.Complete(); ++i)
      if (!painter.Put(string[i])) return false;

    if (previous >= 0 && next < kTableSize) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      first[next] = first[previous];
      suffix[next] = hasExtra ? extra : first[stringCode];
      length[next] = static_cast<std::uint16_t>(length[previous] + 1);
      ++next;
      if (next == (1 << width) && width < kMaxCodeBits) ++width;
    }
    previous = code;
  }
  return codes.Finish();
}

void ClearRectangle(Image& canvas, const FrameGeometry& frame) {
  const int right = std::min(canvas.width, frame.left + frame.width);
  const int bottom = std::min(canvas.height, frame.top + frame.height);
  for (int y = frame.top; y < bottom; ++y)
    for (int x = frame.left; x < right; ++x)
      canvas.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width) + static_cast<std::size_t>(x)] = 0;
}

std::optional<GifAnimation> Decode(const std::uint8_t* data, std::size_t size, bool allFrames) {
  if (RecogniseImageKind(data, size) != ImageKind::Gif) return std::nullopt;
  ByteReader reader(data, size);
  reader.Skip(6);
  GifAnimation animation;
  animation.width = reader.U16LE();
  animation.height = reader.U16LE();
  const std::uint8_t screenFlags = reader.U8();
  reader.Skip(2);  // background colour index and aspect ratio: the screen starts transparent
  Palette globalPalette;
  if ((screenFlags & 0x80) != 0 && !ReadPalette(reader, screenFlags & 7, globalPalette)) return std::nullopt;
  if (!reader.ok()) return std::nullopt;

  Image canvas;
  if (!AllocateImage(canvas, animation.width, animation.height, 0)) return std::nullopt;
  const std::uint64_t screenPixels = canvas.pixels.size();
  std::uint64_t decodedPixels = 0;
  Image previousCanvas;
  FrameControl control;

  for (;;) {
    if (reader.AtEnd()) break;  // a missing trailer ends the file as well
    const std::uint8_t introducer = reader.U8();
    if (introducer == kTrailer) break;
    if (introducer == kExtensionIntroducer) {
      const std::uint8_t label = reader.U8();
      if (label == kGraphicControlLabel) {
        if (reader.U8() != 4) return std::nullopt;
        const std::uint8_t flags = reader.U8();
        control.disposal = (flags >> 2) & 7;
        control.transparent = (flags & 1) != 0;
        control.delayCs = reader.U16LE();
        control.transparentIndex = reader.U8();
        if (control.disposal > 3) return std::nullopt;
      } else if (label == kApplicationLabel) {
        const std::uint8_t* identity = reader.U8() == 11 ? reader.Bytes(11) : nullptr;
        if (identity == nullptr) return std::nullopt;
        if (std::memcmp(identity, "NETSCAPE2.0", 11) == 0) {
          for (std::uint8_t length = reader.U8(); reader.ok() && length != 0; length = reader.U8()) {
            const std::uint8_t* block = reader.Bytes(length);
            if (block != nullptr && length == 3 && block[0] == 1 && !animation.hasLoopExtension) {
              animation.loopCount = block[1] | (block[2] << 8);
              animation.hasLoopExtension = true;
            }
          }
          if (!reader.ok()) return std::nullopt;
          continue;
        }
      } else if (label == kPlainTextLabel) {
        control = FrameControl{};  // its control block was for the text, which is not drawn
      }
      if (!SkipSubBlocks(reader)) return std::nullopt;
      continue;
    }
    if (introducer != kImageSeparator || !reader.ok()) return std::nullopt;

    FrameGeometry frame;
    frame.left = reader.U16LE();
    frame.top = reader.U16LE();
    frame.width = reader.U16LE();
    frame.height = reader.U16LE();
    const std::uint8_t frameFlags = reader.U8();
    frame.interlaced = (frameFlags & 0x40) != 0;
    Palette localPalette;
    if ((frameFlags & 0x80) != 0 && !ReadPalette(reader, frameFlags & 7, localPalette)) return std::nullopt;
    const Palette& palette = (frameFlags & 0x80) != 0 ? localPalette : globalPalette;
    if (!reader.ok() || palette.count == 0) return std::nullopt;

    // Caps on frames, on what they decode and on what is kept.
    decodedPixels += static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height);
    const std::uint64_t keptPixels = (animation.frames.size() + 1) * screenPixels;
    if (animation.frames.size() >= kMaxGifFrames || decodedPixels > kMaxGifTotalPixels ||
        keptPixels > kMaxGifTotalPixels)
      return std::nullopt;

    if (control.disposal == 3) previousCanvas.pixels = canvas.pixels;
    FramePainter painter(canvas, frame, palette, control);
    if (!DecodeImageData(reader, painter)) return std::nullopt;

    GifFrame shown;
    shown.delayMs = control.delayCs * 10 < kShortestDelayMs ? kDelayForShortMs : control.delayCs * 10;
    if (!allFrames) {
      shown.image = std::move(canvas);
      animation.frames.push_back(std::move(shown));
      return animation;
    }
    shown.image = canvas;
    animation.frames.push_back(std::move(shown));
    if (control.disposal == 2) ClearRectangle(canvas, frame);
    if (control.disposal == 3) canvas.pixels.swap(previousCanvas.pixels);
    control = FrameControl{};
  }
  if (animation.frames.empty()) return std::nullopt;
  return animation;
}

}  // namespace

std::optional<GifAnimation> DecodeGif(const std::uint8_t* data, std::size_t size, bool allFrames) {
  try {
    return Decode(data, size, allFrames);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vq::imaging
