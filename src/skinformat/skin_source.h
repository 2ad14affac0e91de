// The readable text form of a skin (skins/NN-name.vqskin), which the skin
// compiler turns into a .VQS image. The grammar is in docs/skin-format.md:
// a `name` line, then sections [window] [caption] [frame] [close] [button]
// and any number of [bitmap N], each a list of `key value...` lines.
#pragma once

#include <string>
#include <string_view>

#include "skinformat/skin_format.h"

namespace vq::skin {

struct SourceError {
  int line = 0;  // 1-based; 0 for an error about the whole text
  std::string message;
};

// Reads the whole source. Every key of every section is required, so a skin
// never silently inherits a value. On failure returns false and fills error.
bool ParseSkinSource(std::string_view text, Skin& out, SourceError& error);

}  // namespace vq::skin
