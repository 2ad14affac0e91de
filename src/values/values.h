// Text and byte-buffer values: what the handlers move between controls, the
// record store and the skin engine.
//
// A TextValue is a pointer to bytes in the system code page (GBK) ended by one
// zero byte; a ByteBuffer points at a block of marker (1), length and data.
// Null is the empty value of both. Every operation returns a new value owned by
// the caller (null for an empty result); the owning handles Text and Bytes
// release it with ReleaseValue. Constants live in the ConstantPool and are
// never freed, so a constant may stand wherever an owned value is accepted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace vq {

using TextValue = char*;

struct ByteBlock {
  std::int32_t marker;  // always 1; nobody reads it
  std::int32_t length;  // data bytes that follow the header
};
static_assert(sizeof(ByteBlock) == 8);
using ByteBuffer = ByteBlock*;

inline unsigned char* ByteData(ByteBlock* block) { return reinterpret_cast<unsigned char*>(block + 1); }
inline const unsigned char* ByteData(const ByteBlock* block) {
  return reinterpret_cast<const unsigned char*>(block + 1);
}

// --- the heap and the constant pool ----------------------------------------

// A new, uninitialised block from the process heap. Never null: a failure ends
// the process through ReportFatalError("分配 %d 字节内存失败!", 0).
void* AllocateValue(std::size_t byteCount);
// The message of that report: "分配 <byteCount> 字节内存失败!".
void FormatAllocationFailure(char* out, std::size_t capacity, std::size_t byteCount);
// The same block, or null when the heap cannot supply it: for the few places
// where running out is not fatal (reading a file, a picture box's own copy).
void* TryAllocateValue(std::size_t byteCount);
// Gives an owned block back; ignores null and anything inside the ConstantPool.
void ReleaseValue(const void* value);

// The ConstantPool is a list of address ranges [begin, end).
void RegisterConstantRange(const void* begin, const void* end);
bool IsConstantValue(const void* value);
// Registers the constants of this module (EmptyText, EmptyByteBuffer and the
// fixed texts). Start-up calls it once; calling it again does nothing.
void RegisterValueConstants();

// The constant empty values, handed to an operation in place of null.
extern char* const EmptyText;             // one zero byte
extern ByteBlock* const EmptyByteBuffer;  // marker 1, length 0

// --- owning handles --------------------------------------------------------

class Text {
 public:
  Text() = default;
  explicit Text(TextValue adopted) : value_(adopted) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  Text(Text&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Text& operator=(Text&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  ~Text() { ReleaseValue(value_); }

  // The raw value, possibly null.
  TextValue get() const { return value_; }
  // The value as handed to a command: never null (EmptyText for empty).
  const char* c_str() const { return value_ != nullptr ? value_ : EmptyText; }
  bool empty() const { return value_ == nullptr || value_[0] == '\0'; }
  std::size_t size() const { return value_ != nullptr ? std::strlen(value_) : 0; }
  std::string_view view() const { return {c_str(), size()}; }
  TextValue Release() { return std::exchange(value_, nullptr); }
  void Reset(TextValue adopted = nullptr) {
    ReleaseValue(value_);
    value_ = adopted;
  }

 private:
  TextValue value_ = nullptr;
};

class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(ByteBuffer adopted) : value_(adopted) {}
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;
  Bytes(Bytes&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bytes& operator=(Bytes&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  ~Bytes() { ReleaseValue(value_); }

  ByteBuffer get() const { return value_; }
  // The value as handed to a command: never null (EmptyByteBuffer for empty).
  const ByteBlock* or_empty() const { return value_ != nullptr ? value_ : EmptyByteBuffer; }
  bool empty() const { return value_ == nullptr || value_->length <= 0; }
  std::size_t size() const { return value_ != nullptr && value_->length > 0 ? static_cast<std::size_t>(value_->length) : 0; }
  const unsigned char* data() const { return value_ != nullptr ? ByteData(value_) : nullptr; }
  ByteBuffer Release() { return std::exchange(value_, nullptr); }
  void Reset(ByteBuffer adopted = nullptr) {
    ReleaseValue(value_);
    value_ = adopted;
  }

 private:
  ByteBuffer value_ = nullptr;
};

// --- operations --------------------------------------------------------------

// Null when the text is null or empty.
Text DuplicateText(const char* text);
// The first count bytes plus a terminator; null when count < 1.
Text MakeText(const void* bytes, std::int32_t count);
// A copy of count bytes; null when count is 0 (or negative).
Bytes MakeByteBuffer(const void* bytes, std::int32_t count);
// The text up to the buffer's first zero byte; null when that is empty.
Text BytesToText(const ByteBlock* buffer);
// The text's bytes without the terminator; null for an empty text.
Bytes TextToBytes(const char* text);
// Null when empty.
Bytes CopyByteBuffer(const ByteBlock* buffer);
// 0 for null.
std::int32_t ByteLength(const ByteBlock* buffer);

// Joins the parts end to end (null parts count as empty) into one new text.
// Never null. Measures each part once and allocates exactly once.
inline constexpr std::size_t kMaxJoinParts = 8;
Text JoinTextParts(const char* const* parts, std::size_t count);

inline const char* AsJoinPart(const char* part) { return part; }
inline const char* AsJoinPart(const Text& part) { return part.get(); }

template <typename... Parts>
Text JoinTexts(const Parts&... parts) {
  static_assert(sizeof...(Parts) >= 1 && sizeof...(Parts) <= kMaxJoinParts);
  const std::array<const char*, sizeof...(Parts)> list{AsJoinPart(parts)...};
  return JoinTextParts(list.data(), list.size());
}

}  // namespace vq
