#include <cstdint>

#include "skin/skin.h"

// The block generated at build time from the freshly built VQSkin.dll and
// the compiled skins: entry 0 is the library image, entries 1..33 the skins.
namespace vq::generated {
extern const unsigned char kEmbeddedBlock[] asm("vq_embedded_block");
extern const std::uint32_t kEmbeddedBlockSize;
extern const std::uint32_t kEmbeddedCount;
extern const std::uint32_t kEmbeddedOffsets[];
}  // namespace vq::generated

namespace vq {
namespace {

const ByteBlock* EmbeddedEntry(std::uint32_t index) {
  if (index >= generated::kEmbeddedCount) return nullptr;
  return reinterpret_cast<const ByteBlock*>(generated::kEmbeddedBlock + generated::kEmbeddedOffsets[index]);
}

}  // namespace

void RegisterSkinConstants() {
  RegisterConstantRange(generated::kEmbeddedBlock, generated::kEmbeddedBlock + generated::kEmbeddedBlockSize);
}

const ByteBlock* SkinEngineImage() { return EmbeddedEntry(0); }

const ByteBlock* SkinCatalogueEntry(std::int32_t number) {
  if (number < 1 || number > kSkinCount) return nullptr;
  return EmbeddedEntry(static_cast<std::uint32_t>(number));
}

}  // namespace vq
