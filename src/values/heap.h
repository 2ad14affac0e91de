// The platform's heap behind AllocateValue and ReleaseValue.
#pragma once

#include <cstddef>

namespace vq {

// A block of byteCount bytes, or null when the heap cannot supply it.
void* HeapTake(std::size_t byteCount);
void HeapGive(void* block);

}  // namespace vq
