#include <windows.h>

#include "values/heap.h"

namespace vq {

// The process heap, without clearing (HeapAlloc with no flags).
void* HeapTake(std::size_t byteCount) { return HeapAlloc(GetProcessHeap(), 0, byteCount); }

void HeapGive(void* block) { HeapFree(GetProcessHeap(), 0, block); }

}  // namespace vq
