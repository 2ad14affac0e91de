#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto image = vq::imaging::DecodeBitmap(data, size)) vq::imaging::fuzz::CheckImage(*image);
  return 0;
}
