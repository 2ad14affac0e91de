// The box asks for its own size; the size of the input picks one of three
// requests so that the small scales and full size are all exercised.
#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::imaging;
  static constexpr int kRequests[3][2] = {{144, 232}, {1, 1}, {1 << 20, 1 << 20}};
  const int* request = kRequests[size % 3];
  if (auto jpeg = DecodeJpeg(data, size, request[0], request[1])) {
    fuzz::CheckImage(jpeg->image);
    fuzz::Require(jpeg->image.width <= jpeg->naturalWidth && jpeg->image.height <= jpeg->naturalHeight);
  }
  return 0;
}
