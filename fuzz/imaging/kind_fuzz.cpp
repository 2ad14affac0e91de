// The picture box's path: recognise the kind, then decode with its decoder.
#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::imaging;
  switch (RecogniseImageKind(data, size)) {
    case ImageKind::Bitmap:
      if (auto image = DecodeBitmap(data, size)) fuzz::CheckImage(*image);
      break;
    case ImageKind::Jpeg:
      if (auto jpeg = DecodeJpeg(data, size, 144, 232)) fuzz::CheckImage(jpeg->image);
      break;
    case ImageKind::Icon:
    case ImageKind::Cursor:
      if (auto entry = SelectIconEntry(data, size)) fuzz::CheckIconEntry(*entry, size);
      break;
    case ImageKind::Gif:
      if (auto animation = DecodeGif(data, size, true)) fuzz::CheckAnimation(*animation, true);
      break;
    case ImageKind::Pcx8:
    case ImageKind::Pcx1:
      if (auto image = DecodePcx(data, size)) fuzz::CheckImage(*image);
      break;
    case ImageKind::None:
      break;
  }
  return 0;
}
