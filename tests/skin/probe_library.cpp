// A stand-in for VQSkin.dll that records how it was called, and an export
// with the wrong calling convention for the stack check.
#include <windows.h>

#include <cstdint>

#include "probe_library.h"

namespace {
ProbeCall gLastCall;  // one probe per process; read back through ProbeLastCall
}

extern "C" std::int32_t __stdcall VQSkinAttach(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                                               std::uint32_t e, std::uint32_t f) {
  ++gLastCall.calls;
  const std::uint32_t arguments[6] = {a, b, c, d, e, f};
  for (int i = 0; i < 6; ++i) gLastCall.arguments[i] = arguments[i];
  // The data is valid only now: take what the test needs before returning.
  gLastCall.checksum = ProbeChecksum(reinterpret_cast<const unsigned char*>(a), static_cast<std::int32_t>(b));
  gLastCall.thirdIsEmptyText = c != 0 && *reinterpret_cast<const char*>(c) == '\0';
  return kProbeResult;
}

// Leaves its arguments on the stack for the caller, like any cdecl function.
extern "C" std::int32_t __cdecl AttachCdecl(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                            std::uint32_t, std::uint32_t) {
  return 0;
}

extern "C" const ProbeCall* __stdcall ProbeLastCall() { return &gLastCall; }
