#include "values/values.h"

#include <cstdio>
#include <vector>

#include "base/fatal.h"
#include "values/heap.h"

namespace vq {
namespace {

struct ConstantRange {
  const unsigned char* begin;
  const unsigned char* end;
};

// The ConstantPool: a handful of ranges registered at start-up.
std::vector<ConstantRange>& ConstantRanges() {
  static std::vector<ConstantRange> ranges;
  return ranges;
}

// The constants of this module, in one block so one range covers them.
struct ValueConstants {
  char emptyText[4];
  ByteBlock emptyByteBuffer;
};
ValueConstants gValueConstants = {{0, 0, 0, 0}, {1, 0}};

}  // namespace

char* const EmptyText = gValueConstants.emptyText;
ByteBlock* const EmptyByteBuffer = &gValueConstants.emptyByteBuffer;

void FormatAllocationFailure(char* out, std::size_t capacity, std::size_t byteCount) {
  std::snprintf(out, capacity, "分配 %lu 字节内存失败!", static_cast<unsigned long>(byteCount));
}

void* AllocateValue(std::size_t byteCount) {
  void* block = HeapTake(byteCount);
  if (block == nullptr) {
    char message[64];
    FormatAllocationFailure(message, sizeof message, byteCount);
    ReportFatalError(message, 0);
  }
  return block;
}

void* TryAllocateValue(std::size_t byteCount) { return HeapTake(byteCount); }

void ReleaseValue(const void* value) {
  if (value == nullptr || IsConstantValue(value)) return;
  HeapGive(const_cast<void*>(value));
}

void RegisterConstantRange(const void* begin, const void* end) {
  for (const ConstantRange& range : ConstantRanges()) {
    if (range.begin == begin && range.end == end) return;
  }
  ConstantRanges().push_back({static_cast<const unsigned char*>(begin), static_cast<const unsigned char*>(end)});
}

bool IsConstantValue(const void* value) {
  const auto* p = static_cast<const unsigned char*>(value);
  for (const ConstantRange& range : ConstantRanges()) {
    if (p >= range.begin && p < range.end) return true;
  }
  return false;
}

void RegisterValueConstants() { RegisterConstantRange(&gValueConstants, &gValueConstants + 1); }

Text DuplicateText(const char* text) {
  if (text == nullptr || text[0] == '\0') return Text();
  const std::size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(AllocateValue(length + 1));
  std::memcpy(copy, text, length + 1);
  return Text(copy);
}

Text MakeText(const void* bytes, std::int32_t count) {
  if (count < 1) return Text();
  const auto length = static_cast<std::size_t>(count);
  auto* copy = static_cast<char*>(AllocateValue(length + 1));
  std::memcpy(copy, bytes, length);
  copy[length] = '\0';
  return Text(copy);
}

Bytes MakeByteBuffer(const void* bytes, std::int32_t count) {
  if (count < 1) return Bytes();
  const auto length = static_cast<std::size_t>(count);
  auto* block = static_cast<ByteBlock*>(AllocateValue(sizeof(ByteBlock) + length));
  block->marker = 1;
  block->length = count;
  std::memcpy(ByteData(block), bytes, length);
  return Bytes(block);
}

Text BytesToText(const ByteBlock* buffer) {
  const std::int32_t length = ByteLength(buffer);
  if (length < 1) return Text();
  const unsigned char* data = ByteData(buffer);
  const void* zero = std::memchr(data, 0, static_cast<std::size_t>(length));
  const std::int32_t textLength =
      zero != nullptr ? static_cast<std::int32_t>(static_cast<const unsigned char*>(zero) - data) : length;
  return MakeText(data, textLength);
}

Bytes TextToBytes(const char* text) {
  if (text == nullptr) return Bytes();
  return MakeByteBuffer(text, static_cast<std::int32_t>(std::strlen(text)));
}

Bytes CopyByteBuffer(const ByteBlock* buffer) {
  if (buffer == nullptr) return Bytes();
  return MakeByteBuffer(ByteData(buffer), buffer->length);
}

std::int32_t ByteLength(const ByteBlock* buffer) { return buffer != nullptr ? buffer->length : 0; }

Text JoinTextParts(const char* const* parts, std::size_t count) {
  std::size_t lengths[kMaxJoinParts];
  if (count > kMaxJoinParts) ReportFatalError("JoinTexts: too many parts", 0);
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    lengths[i] = parts[i] != nullptr ? std::strlen(parts[i]) : 0;
    total += lengths[i];
  }
  auto* joined = static_cast<char*>(AllocateValue(total + 1));
  std::size_t at = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (lengths[i] != 0) std::memcpy(joined + at, parts[i], lengths[i]);
    at += lengths[i];
  }
  joined[at] = '\0';
  return Text(joined);
}

}  // namespace vq
