// What the probe library (a stand-in for VQSkin.dll) saw of its last call.
#pragma once

#include <cstdint>

struct ProbeCall {
  std::uint32_t calls = 0;
  std::uint32_t arguments[6] = {};
  std::uint32_t checksum = 0;
  bool thirdIsEmptyText = false;
};

inline constexpr std::int32_t kProbeResult = 77;

// FNV-1a of the bytes; 0 bytes (or none) give the basis.
inline std::uint32_t ProbeChecksum(const unsigned char* data, std::int32_t length) {
  std::uint32_t hash = 2166136261u;
  for (std::int32_t i = 0; data != nullptr && i < length; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}
