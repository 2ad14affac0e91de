// Icon and cursor files: a directory of entries, of which one is shown. The
// system turns the chosen entry's bytes into an icon; here only the choice
// and the bounds of those bytes.
#include "imaging/byte_reader.h"
#include "imaging/caps.h"

namespace vq::imaging {
namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr int kPreferredWidth = 32;

struct DirectoryEntry {
  int width = 0;
  int height = 0;
  int colourCount = 0;
  int planesOrHotspotX = 0;
  int bitCountOrHotspotY = 0;
  std::uint32_t bytes = 0;
  std::uint32_t offset = 0;
};

DirectoryEntry ReadEntry(ByteReader& reader) {
  DirectoryEntry entry;
  const std::uint8_t widthByte = reader.U8();
  const std::uint8_t heightByte = reader.U8();
  entry.width = widthByte == 0 ? 256 : widthByte;
  entry.height = heightByte == 0 ? 256 : heightByte;
  entry.colourCount = reader.U8();
  reader.Skip(1);
  entry.planesOrHotspotX = reader.U16LE();
  entry.bitCountOrHotspotY = reader.U16LE();
  entry.bytes = reader.U32LE();
  entry.offset = reader.U32LE();
  return entry;
}

}  // namespace

std::optional<IconEntry> SelectIconEntry(const std::uint8_t* data, std::size_t size) {
  const ImageKind kind = RecogniseImageKind(data, size);
  if (kind != ImageKind::Icon && kind != ImageKind::Cursor) return std::nullopt;
  ByteReader reader(data, size);
  reader.Skip(4);
  const std::size_t count = reader.U16LE();
  const std::size_t directoryEnd = kDirectoryHeaderSize + count * kEntrySize;  // at most 1 MiB
  if (!reader.ok() || count == 0 || directoryEnd > size) return std::nullopt;

  DirectoryEntry chosen;
  for (std::size_t i = 0; i < count; ++i) {
    chosen = ReadEntry(reader);
    if (chosen.width == kPreferredWidth && chosen.colourCount >= 16 && chosen.colourCount <= 255) break;
  }  // when none qualifies, the loop leaves the last entry chosen
  if (!reader.ok()) return std::nullopt;

  // The entry's bytes lie after the directory and inside the file.
  std::size_t end = 0;
  if (chosen.bytes == 0 || chosen.offset < directoryEnd ||
      !CheckedAdd(chosen.offset, chosen.bytes, end) || end > size)
    return std::nullopt;
  IconEntry entry;
  entry.offset = chosen.offset;
  entry.size = chosen.bytes;
  entry.width = chosen.width;
  entry.height = chosen.height;
  entry.isCursor = kind == ImageKind::Cursor;
  if (entry.isCursor) {
    entry.hotspotX = chosen.planesOrHotspotX;
    entry.hotspotY = chosen.bitCountOrHotspotY;
  }
  return entry;
}

}  // namespace vq::imaging
