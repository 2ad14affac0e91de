#include <cstdint>

#include "skin/skin.h"

namespace vq {

void DeploySkinEngine(RecordStore& store) {
  const Text runDirectory = store.GetRunDirectory();
  const Text path = JoinTexts(runDirectory, "\\", kSkinEngineFileName);
  // Only presence counts: a file already there is never replaced here.
  if (store.FileExists(path.get())) return;
  store.WriteWholeFile(path.get(), SkinEngineImage());
  store.SetAttributes(path.get(), kHiddenAttribute);
}

void ApplySkin(ExternalFunctionTable& table, RecordStore& store, std::int32_t skinNumber) {
  DeploySkinEngine(store);
  // The engine gets a copy that lives only for the call.
  const Bytes skin = CopyByteBuffer(SkinCatalogueEntry(skinNumber));
  const ExternalArguments arguments{
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(skin.data())),
      static_cast<std::uint32_t>(ByteLength(skin.get())),
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(EmptyText)),
      0,
      0,
      0};
  CallExternalFunction(table, kSkinAttachFunction, store, arguments);
}

}  // namespace vq
