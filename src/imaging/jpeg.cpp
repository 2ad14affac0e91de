// JPEG through libjpeg: the cover bytes are handed to the library in blocks
// of 4096 by our own source manager, with an end-of-image marker once they run
// out, so a file cut short in its image data still decodes (the library fills
// the rest). Every library call happens under RunDecode: a fatal library error
// longjmps back to it, passing over only trivially destructible objects; it
// releases the library's memory either way and returns a plain flag, which
// DecodeJpeg turns into the result.
#include <algorithm>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
#include <new>
#include <type_traits>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/caps.h"

namespace vq::imaging {
namespace {

constexpr std::size_t kSourceBlockSize = 4096;
constexpr JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
constexpr int kScaleDenominator = 8;
constexpr JDIMENSION kRowsPerRead = 16;

struct JpegSession {
  jpeg_decompress_struct decompress;
  jpeg_error_mgr errors;
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
  std::jmp_buf failure;
  const std::uint8_t* data;
  std::size_t size;
  std::size_t handed;  // bytes given to the library so far
  int maxScans;
  int minWidth;
  int minHeight;
  int naturalWidth;
  int naturalHeight;
  bool decoded;
  Image* image;  // owned by DecodeJpeg
};
static_assert(std::is_trivially_destructible_v<JpegSession>,
              "a longjmp passes over the session: it must need no destructor");

JpegSession& SessionOf(j_common_ptr common) { return *static_cast<JpegSession*>(common->client_data); }
JpegSession& SessionOf(j_decompress_ptr decompress) {
  return *static_cast<JpegSession*>(decompress->client_data);
}

[[noreturn]] void OnFatalError(j_common_ptr common) { std::longjmp(SessionOf(common).failure, 1); }
void IgnoreMessage(j_common_ptr, int) {}  // warnings (a file cut short among them) change nothing
void IgnoreOutput(j_common_ptr) {}

void OnInitSource(j_decompress_ptr) {}
void OnTermSource(j_decompress_ptr) {}

boolean OnFillInput(j_decompress_ptr decompress) {
  JpegSession& session = SessionOf(decompress);
  jpeg_source_mgr& source = session.source;
  const std::size_t left = session.size - session.handed;
  if (left > 0) {
    const std::size_t block = left < kSourceBlockSize ? left : kSourceBlockSize;
    source.next_input_byte = session.data + session.handed;
    source.bytes_in_buffer = block;
    session.handed += block;
    return TRUE;
  }
  if (session.handed == 0) ERREXIT(decompress, JERR_INPUT_EMPTY);
  WARNMS(decompress, JWRN_JPEG_EOF);
  source.next_input_byte = kEndOfImage;
  source.bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

void OnSkipInput(j_decompress_ptr decompress, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& source = SessionOf(decompress).source;
  std::size_t toSkip = static_cast<std::size_t>(count);
  while (toSkip > source.bytes_in_buffer) {
    toSkip -= source.bytes_in_buffer;
    OnFillInput(decompress);
  }
  source.next_input_byte += toSkip;
  source.bytes_in_buffer -= toSkip;
}

// Called once per row of blocks while the library reads its input. Over the
// scan budget the decode fails (through the fatal-error path; the message
// code is never shown).
void OnProgress(j_common_ptr common) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(common);
  if (decompress->input_scan_number > SessionOf(common).maxScans) ERREXIT(common, JERR_NOT_COMPILED);
}

// CMYK as stored, the black in the fourth byte, to opaque B,G,R,A in place.
// Files with an Adobe marker store the inks inverted (255 = no ink).
void ConvertCmykRow(std::uint32_t* row, JDIMENSION width, bool inverted) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(row);
  for (JDIMENSION x = 0; x < width; ++x, bytes += 4) {
    unsigned c = bytes[0], m = bytes[1], y = bytes[2], k = bytes[3];
    if (!inverted) {
      c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    }
    bytes[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bytes[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bytes[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    bytes[3] = 0xFF;
  }
}

// Every library call. Locals are plain values only: a fatal error leaves
// this function by longjmp.
[[gnu::noinline]] bool DecodeSteps(JpegSession& session) {
  j_decompress_ptr decompress = &session.decompress;
  decompress->err = jpeg_std_error(&session.errors);
  session.errors.error_exit = OnFatalError;
  session.errors.emit_message = IgnoreMessage;
  session.errors.output_message = IgnoreOutput;
  decompress->client_data = &session;  // kept by the create call
  jpeg_create_decompress(decompress);
  decompress->client_data = &session;
  decompress->mem->max_memory_to_use = kMaxJpegWorkingMemory;
  session.source.init_source = OnInitSource;
  session.source.fill_input_buffer = OnFillInput;
  session.source.skip_input_data = OnSkipInput;
  session.source.resync_to_restart = jpeg_resync_to_restart;
  session.source.term_source = OnTermSource;
  decompress->src = &session.source;
  session.maxScans = kMaxJpegScans;
  session.progress.progress_monitor = OnProgress;
  decompress->progress = &session.progress;

  jpeg_read_header(decompress, TRUE);
  const std::uint64_t naturalPixels =
      static_cast<std::uint64_t>(decompress->image_width) * decompress->image_height;
  if (naturalPixels == 0 || naturalPixels > kMaxImagePixels) return false;
  session.naturalWidth = static_cast<int>(decompress->image_width);
  session.naturalHeight = static_cast<int>(decompress->image_height);
  const std::uint64_t scansInBudget = kMaxJpegScanPixels / naturalPixels;
  if (scansInBudget < static_cast<std::uint64_t>(session.maxScans))
    session.maxScans = static_cast<int>(scansInBudget);

  bool cmyk = false;
  switch (decompress->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      decompress->out_color_space = JCS_EXT_BGRA;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      decompress->out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      return false;
  }

  // The smallest scale that still covers the requested size.
  for (int numerator = 1; numerator <= kScaleDenominator; ++numerator) {
    decompress->scale_num = static_cast<unsigned>(numerator);
    decompress->scale_denom = kScaleDenominator;
    jpeg_calc_output_dimensions(decompress);
    if (static_cast<std::int64_t>(decompress->output_width) >= session.minWidth &&
        static_cast<std::int64_t>(decompress->output_height) >= session.minHeight)
      break;
  }

  jpeg_start_decompress(decompress);
  const JDIMENSION width = decompress->output_width;
  const JDIMENSION height = decompress->output_height;
  if (decompress->output_components != 4 ||
      !ReserveImage(*session.image, static_cast<int>(width), static_cast<int>(height)))
    return false;
  JSAMPROW rows[kRowsPerRead];
  while (decompress->output_scanline < height) {
    const JDIMENSION wanted = std::min(height - decompress->output_scanline, kRowsPerRead);
    std::uint32_t* first = AppendRows(*session.image, static_cast<int>(wanted));
    if (first == nullptr) return false;
    for (JDIMENSION i = 0; i < wanted; ++i) rows[i] = reinterpret_cast<JSAMPROW>(first + static_cast<std::size_t>(i) * width);
    // The library hands out at most one row group per call.
    for (JDIMENSION done = 0; done < wanted;) {
      const JDIMENSION read = jpeg_read_scanlines(decompress, rows + done, wanted - done);
      if (read == 0) return false;  // our source never suspends: no progress means a broken stream
      done += read;
    }
    if (cmyk)
      for (JDIMENSION i = 0; i < wanted; ++i)
        ConvertCmykRow(first + static_cast<std::size_t>(i) * width, width, decompress->saw_Adobe_marker);
  }
  // Whatever follows the last row cannot change the image: no finish call,
  // which would read (and could fail on) the rest of the file.
  return true;
}

// The session lives in the caller's frame and is only reached through the
// reference, so nothing here can be clobbered by the jump.
[[gnu::noinline]] bool RunDecode(JpegSession& session) {
  if (setjmp(session.failure) == 0) session.decoded = DecodeSteps(session);
  jpeg_destroy_decompress(&session.decompress);  // safe on a session never created: it is zeroed
  return session.decoded;
}

}  // namespace

std::optional<JpegImage> DecodeJpeg(const std::uint8_t* data, std::size_t size, int minWidth,
                                    int minHeight) {
  if (RecogniseImageKind(data, size) != ImageKind::Jpeg) return std::nullopt;
  JpegImage result;
  JpegSession session{};
  session.data = data;
  session.size = size;
  session.minWidth = minWidth;
  session.minHeight = minHeight;
  session.image = &result.image;
  if (!RunDecode(session)) return std::nullopt;
  result.naturalWidth = session.naturalWidth;
  result.naturalHeight = session.naturalHeight;
  return result;
}

}  // namespace vq::imaging
