// Windows bitmaps: a 14-byte file header, an info header of 40 bytes or more,
// uncompressed rows of 1, 4, 8, 24 or 32 bits padded to four bytes, bottom-up
// (positive height) or top-down (negative height).
#include <new>

#include "imaging/byte_reader.h"
#include "imaging/caps.h"

namespace vq::imaging {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;

std::optional<Image> Decode(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  if (reader.U8() != 'B' || reader.U8() != 'M') return std::nullopt;
  reader.Skip(8);  // file size and reserved words: writers disagree on them
  const std::uint32_t pixelOffset = reader.U32LE();
  const std::uint32_t headerSize = reader.U32LE();
  const std::int32_t width = reader.I32LE();
  const std::int32_t signedHeight = reader.I32LE();
  const std::uint16_t planes = reader.U16LE();
  const std::uint16_t bitCount = reader.U16LE();
  const std::uint32_t compression = reader.U32LE();
  reader.Skip(12);  // image size, resolution
  const std::uint32_t coloursUsed = reader.U32LE();
  if (!reader.ok() || headerSize < kInfoHeaderSize || planes != 1 || compression != kUncompressed)
    return std::nullopt;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return std::nullopt;
  if (width <= 0 || signedHeight == 0 || signedHeight == INT32_MIN) return std::nullopt;
  const bool topDown = signedHeight < 0;
  const std::int32_t height = topDown ? -signedHeight : signedHeight;

  // The colour table follows the info header and ends before the pixels.
  std::size_t tableStart = 0;
  if (!CheckedAdd(kFileHeaderSize, headerSize, tableStart)) return std::nullopt;
  std::uint32_t tableEntries = 0;
  if (bitCount <= 8) {
    const std::uint32_t fullTable = 1u << bitCount;
    if (coloursUsed > fullTable) return std::nullopt;
    tableEntries = coloursUsed == 0 ? fullTable : coloursUsed;
  }
  std::size_t tableEnd = 0;
  if (!CheckedAdd(tableStart, static_cast<std::size_t>(tableEntries) * 4, tableEnd) ||
      tableEnd > pixelOffset)
    return std::nullopt;
  std::uint32_t palette[256] = {};
  reader.Seek(tableStart);
  for (std::uint32_t i = 0; i < tableEntries; ++i) {
    const std::uint8_t* entry = reader.Bytes(4);
    if (entry == nullptr) return std::nullopt;
    palette[i] = PackBgra(entry[0], entry[1], entry[2], 0xFF);
  }

  std::size_t rowBits = 0;
  std::size_t stride = 0;
  std::size_t pixelBytes = 0;
  if (!CheckedMul(static_cast<std::size_t>(width), bitCount, rowBits) ||
      !CheckedAdd(rowBits, 31, rowBits))
    return std::nullopt;
  stride = rowBits / 32 * 4;
  if (!CheckedMul(stride, static_cast<std::size_t>(height), pixelBytes)) return std::nullopt;
  reader.Seek(pixelOffset);
  const std::uint8_t* pixels = reader.Bytes(pixelBytes);  // all rows, or none
  if (pixels == nullptr) return std::nullopt;

  Image image;
  if (!AllocateImage(image, width, height, 0)) return std::nullopt;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride;
    std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    switch (bitCount) {
      case 24:
        for (std::int32_t x = 0; x < width; ++x, row += 3) out[x] = PackBgra(row[0], row[1], row[2], 0xFF);
        break;
      case 32:  // the fourth byte is not alpha in an uncompressed bitmap
        for (std::int32_t x = 0; x < width; ++x, row += 4) out[x] = PackBgra(row[0], row[1], row[2], 0xFF);
        break;
      default: {
        const unsigned perByte = 8u / bitCount;
        const unsigned mask = (1u << bitCount) - 1;
        for (std::int32_t x = 0; x < width; ++x) {
          const unsigned slot = static_cast<unsigned>(x) % perByte;
          const unsigned shift = 8 - bitCount * (slot + 1);
          const unsigned index = (row[static_cast<unsigned>(x) / perByte] >> shift) & mask;
          if (index >= tableEntries) return std::nullopt;  // past the colour table
          out[x] = palette[index];
        }
        break;
      }
    }
  }
  return image;
}

}  // namespace

std::optional<Image> DecodeBitmap(const std::uint8_t* data, std::size_t size) {
  try {
    return Decode(data, size);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vq::imaging
