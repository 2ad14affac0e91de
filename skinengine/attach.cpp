// VQSkin.dll's entry points: VQSkinAttach, and DllMain, which detaches the
// engine when the library is unloaded while windows still use it.
#include <windows.h>

#include <cstdint>
#include <span>

#include "engine.h"
#include "skinformat/skin_format.h"

// Six 4-byte arguments, stdcall (exported undecorated through VQSkin.def):
// the skin's bytes and their count, a name (unused), and three reserved
// zeros. The bytes are read during the call only. Answers 1 when the skin
// was attached, 0 when it was refused (nothing changes then).
extern "C" std::int32_t __stdcall VQSkinAttach(const void* skinData, std::int32_t skinLength,
                                                                     const char* /*name*/, std::int32_t /*reserved1*/,
                                                                     std::int32_t /*reserved2*/,
                                                                     std::int32_t /*reserved3*/) {
  if (skinData == nullptr || skinLength <= 0) return 0;
  vq::skin::Skin skin;
  const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(skinData),
                                            static_cast<std::size_t>(skinLength));
  if (vq::skin::ParseSkin(bytes, skin) != vq::skin::SkinError::None) return 0;
  vqskin::Engine::Install(std::move(skin));
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: give the windows back before our code goes.
    // (At process exit nothing needs restoring and other threads are gone.)
    vqskin::Engine::Uninstall();
  }
  return TRUE;
}
