#include <cstdlib>

#include "values/heap.h"

namespace vq {

void* HeapTake(std::size_t byteCount) { return std::malloc(byteCount == 0 ? 1 : byteCount); }

void HeapGive(void* block) { std::free(block); }

}  // namespace vq
