#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto entry = vq::imaging::SelectIconEntry(data, size)) vq::imaging::fuzz::CheckIconEntry(*entry, size);
  return 0;
}
