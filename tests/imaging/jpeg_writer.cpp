#include "jpeg_writer.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace vq::imaging::test {

WrittenImage WriteJpeg(const JpegRecipe& recipe) {
  WrittenImage written;
  written.expected.width = recipe.width;
  written.expected.height = recipe.height;
  const bool cmyk = recipe.colour == JpegColour::CmykAdobe || recipe.colour == JpegColour::CmykPlain ||
                    recipe.colour == JpegColour::Ycck;
  const int components = recipe.colour == JpegColour::Grey ? 1 : cmyk ? 4 : 3;
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(recipe.width) * recipe.height * components);
  for (int y = 0; y < recipe.height; ++y)
    for (int x = 0; x < recipe.width; ++x) {
      // Smooth enough that quality 95 stays within a few levels.
      const int a = x * 255 / std::max(1, recipe.width - 1), b = y * 255 / std::max(1, recipe.height - 1);
      std::uint8_t* s = &samples[(static_cast<std::size_t>(y) * recipe.width + x) * components];
      std::uint32_t& pixel = written.expected.pixels.emplace_back();
      if (components == 1) {
        s[0] = static_cast<std::uint8_t>((a + b) / 2);
        pixel = Bgra(s[0], s[0], s[0]);
      } else if (components == 3) {
        s[0] = static_cast<std::uint8_t>(a), s[1] = static_cast<std::uint8_t>(b),
        s[2] = static_cast<std::uint8_t>(255 - (a + b) / 2);
        pixel = Bgra(s[2], s[1], s[0]);
      } else {
        const int ink[4] = {a / 2, b / 2, (a + b) / 4, (a * b) / 512};  // C, M, Y, K amounts
        const int rgb[3] = {(255 - ink[0]) * (255 - ink[3]) / 255, (255 - ink[1]) * (255 - ink[3]) / 255,
                            (255 - ink[2]) * (255 - ink[3]) / 255};
        pixel = Bgra(rgb[2], rgb[1], rgb[0]);
        const bool inverted = recipe.colour != JpegColour::CmykPlain;  // the Adobe convention
        for (int c = 0; c < 4; ++c) s[c] = static_cast<std::uint8_t>(inverted ? 255 - ink[c] : ink[c]);
      }
    }

  jpeg_compress_struct compress{};
  jpeg_error_mgr errors{};
  compress.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compress);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compress, &buffer, &size);
  compress.image_width = static_cast<JDIMENSION>(recipe.width);
  compress.image_height = static_cast<JDIMENSION>(recipe.height);
  compress.input_components = components;
  compress.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&compress);
  if (recipe.colour == JpegColour::Ycck) jpeg_set_colorspace(&compress, JCS_YCCK);
  if (recipe.colour == JpegColour::CmykPlain) compress.write_Adobe_marker = FALSE;
  if (components == 3 && !recipe.subsampled) compress.comp_info[0].h_samp_factor = compress.comp_info[0].v_samp_factor = 1;
  jpeg_set_quality(&compress, recipe.quality, TRUE);
  if (recipe.progressive) jpeg_simple_progression(&compress);
  compress.restart_interval = static_cast<unsigned>(recipe.restartInterval);
  jpeg_start_compress(&compress, TRUE);
  while (compress.next_scanline < compress.image_height) {
    JSAMPROW row = &samples[static_cast<std::size_t>(compress.next_scanline) * recipe.width * components];
    jpeg_write_scanlines(&compress, &row, 1);
  }
  jpeg_finish_compress(&compress);
  written.bytes.assign(buffer, buffer + size);
  jpeg_destroy_compress(&compress);
  std::free(buffer);
  return written;
}

}  // namespace vq::imaging::test
