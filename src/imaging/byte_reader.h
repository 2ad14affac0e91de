// Bounds-checked reading of untrusted bytes. A read past the end fails the
// reader for good: it returns zeros from then on and ok() turns false, so a
// parser can read a whole header and check once before using any of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vq::imaging {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}

  bool ok() const { return ok_; }
  std::size_t size() const { return size_; }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ == size_; }

  // Moves to an absolute offset within the bytes (the end included).
  bool Seek(std::size_t offset) {
    if (!ok_ || offset > size_) return Fail();
    position_ = offset;
    return true;
  }
  bool Skip(std::size_t count) {
    if (!ok_ || count > remaining()) return Fail();
    position_ += count;
    return true;
  }

  std::uint8_t U8() {
    if (!ok_ || remaining() < 1) {
      Fail();
      return 0;
    }
    return data_[position_++];
  }
  std::uint16_t U16LE() {
    if (!ok_ || remaining() < 2) {
      Fail();
      return 0;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t U32LE() {
    if (!ok_ || remaining() < 4) {
      Fail();
      return 0;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += 4;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  std::int32_t I32LE() {
    const std::uint32_t bits = U32LE();
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // The next count bytes, or null (and the reader failed) when fewer remain.
  const std::uint8_t* Bytes(std::size_t count) {
    if (!ok_ || count > remaining()) {
      Fail();
      return nullptr;
    }
    const std::uint8_t* p = data_ + position_;
    position_ += count;
    return p;
  }

  // The byte at an absolute offset without moving; 0 and failed when outside.
  std::uint8_t PeekAt(std::size_t offset) {
    if (!ok_ || offset >= size_) {
      Fail();
      return 0;
    }
    return data_[offset];
  }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace vq::imaging
