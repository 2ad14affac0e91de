// JPEG fixtures written with libjpeg from known pixels, so that every
// variant (colour spaces, progressive, restart markers) can be made on any
// build, Wine included.
#pragma once

#include "support.h"

namespace vq::imaging::test {

enum class JpegColour { YCbCr, Grey, CmykAdobe, CmykPlain, Ycck };

struct JpegRecipe {
  int width = 0;
  int height = 0;
  JpegColour colour = JpegColour::YCbCr;
  bool progressive = false;
  int restartInterval = 0;  // in MCUs; 0: no restart markers
  bool subsampled = true;   // 2x2 chroma for YCbCr
  int quality = 95;
};

// The file, and the pixels it was made from as opaque B,G,R,A (for CMYK
// the colours the inks stand for).
WrittenImage WriteJpeg(const JpegRecipe& recipe);

}  // namespace vq::imaging::test
