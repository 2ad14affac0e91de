// PCX: run-length encoded, one colour plane, 8 bits per pixel with the
// 256-colour palette that ends the file, or 1 bit per pixel in black (set
// bits) and white (clear bits), the header's 16-colour palette unused. Runs
// may cross line ends; bytes past the width on a line are padding.
#include <new>

#include "imaging/byte_reader.h"
#include "imaging/caps.h"

namespace vq::imaging {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 1 + 256 * 3;  // marker byte 0x0C, then R,G,B entries
constexpr std::uint8_t kPaletteMarker = 0x0C;

// Expands the run-length stream line by line; a run may carry over into the
// next line. Reading from the bounded stream, it fails when the bytes end.
class RunExpander {
 public:
  explicit RunExpander(ByteReader& stream) : stream_(stream) {}

  bool Fill(std::uint8_t* out, std::size_t count) {
    while (count > 0) {
      if (pending_ == 0) {
        value_ = stream_.U8();
        pending_ = 1;
        if ((value_ & 0xC0) == 0xC0) {
          pending_ = value_ & 0x3F;
          value_ = stream_.U8();
        }
        if (!stream_.ok()) return false;
      }
      const std::size_t step = pending_ < count ? pending_ : count;
      for (std::size_t i = 0; i < step; ++i) *out++ = value_;
      pending_ -= step;
      count -= step;
    }
    return true;
  }
  // A run reaching past the last line means the stream does not fit the header.
  bool Finished() const { return pending_ == 0; }

 private:
  ByteReader& stream_;
  std::uint8_t value_ = 0;
  std::size_t pending_ = 0;
};

std::optional<Image> Decode(const std::uint8_t* data, std::size_t size) {
  const ImageKind kind = RecogniseImageKind(data, size);
  if ((kind != ImageKind::Pcx8 && kind != ImageKind::Pcx1) || size <= kHeaderSize) return std::nullopt;
  ByteReader header(data, size);
  header.Skip(3);
  const std::uint8_t bitsPerPixel = header.U8();
  const std::uint16_t xMin = header.U16LE();
  const std::uint16_t yMin = header.U16LE();
  const std::uint16_t xMax = header.U16LE();
  const std::uint16_t yMax = header.U16LE();
  header.Seek(65);
  const std::uint8_t planes = header.U8();
  const std::uint16_t bytesPerLine = header.U16LE();
  if (!header.ok() || planes != 1 || xMax < xMin || yMax < yMin) return std::nullopt;
  const int width = xMax - xMin + 1;
  const int height = yMax - yMin + 1;
  const std::size_t bytesForWidth =
      bitsPerPixel == 8 ? static_cast<std::size_t>(width) : (static_cast<std::size_t>(width) + 7) / 8;
  if (bytesPerLine < bytesForWidth) return std::nullopt;

  std::uint32_t palette[256] = {};
  std::size_t streamEnd = size;
  if (bitsPerPixel == 8) {
    if (size < kHeaderSize + kPaletteSize) return std::nullopt;
    streamEnd = size - kPaletteSize;
    ByteReader tail(data, size);
    tail.Seek(streamEnd);
    if (tail.U8() != kPaletteMarker) return std::nullopt;
    for (std::uint32_t& colour : palette) {
      const std::uint8_t* rgb = tail.Bytes(3);
      if (rgb == nullptr) return std::nullopt;
      colour = PackBgra(rgb[2], rgb[1], rgb[0], 0xFF);
    }
  } else {
    palette[0] = PackBgra(0xFF, 0xFF, 0xFF, 0xFF);
    palette[1] = PackBgra(0, 0, 0, 0xFF);
  }

  Image image;
  if (!AllocateImage(image, width, height, 0)) return std::nullopt;
  std::vector<std::uint8_t> line(bytesPerLine);
  ByteReader stream(data, streamEnd);
  stream.Seek(kHeaderSize);
  RunExpander runs(stream);
  for (int y = 0; y < height; ++y) {
    if (!runs.Fill(line.data(), line.size())) return std::nullopt;
    std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    if (bitsPerPixel == 8) {
      for (int x = 0; x < width; ++x) out[x] = palette[line[x]];
    } else {
      for (int x = 0; x < width; ++x) out[x] = palette[(line[x >> 3] >> (7 - (x & 7))) & 1];
    }
  }
  if (!runs.Finished()) return std::nullopt;
  return image;
}

}  // namespace

std::optional<Image> DecodePcx(const std::uint8_t* data, std::size_t size) {
  try {
    return Decode(data, size);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vq::imaging
