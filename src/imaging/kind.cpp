// Recognition of the cover's kind from its first six bytes; the tests run in
// a fixed order and the first match wins.
#include "imaging/imaging.h"

namespace vq::imaging {

ImageKind RecogniseImageKind(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 6) return ImageKind::None;
  const auto u16 = [data](int at) { return data[at] | (data[at + 1] << 8); };
  if (data[0] == 0x42 && data[1] == 0x4D) return ImageKind::Bitmap;
  if (data[0] == 0xFF && data[1] == 0xD8) return ImageKind::Jpeg;
  if (u16(0) == 0 && u16(2) == 1 && u16(4) > 0) return ImageKind::Icon;
  if (u16(0) == 0 && u16(2) == 2 && u16(4) > 0) return ImageKind::Cursor;
  if (data[0] == 0x47 && data[1] == 0x49 && data[2] == 0x46 && data[3] == 0x38 &&
      (data[4] == 0x37 || data[4] == 0x39) && data[5] == 0x61)
    return ImageKind::Gif;
  if (data[0] == 0x0A && data[1] <= 5 && data[2] == 0x01 && data[3] == 0x08) return ImageKind::Pcx8;
  if (data[0] == 0x0A && data[1] == 0x03 && data[2] == 0x01 && data[3] == 0x01) return ImageKind::Pcx1;
  return ImageKind::None;
}

}  // namespace vq::imaging
