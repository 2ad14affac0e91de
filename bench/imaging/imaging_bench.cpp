// Decode time of each cover format from the box's size to 24 megapixels,
// JPEG at full size and at the scale the box asks for, into fresh memory (as
// the box decodes) and, as ".../warm", into memory already mapped. Fixtures come from
// make-fixtures.sh into $VQ_IMAGING_BENCH_DIR (default /tmp/vq-imaging-bench).
//
//   imaging_bench [benchmark flags]
//   imaging_bench --peak-memory FILE MIN_WIDTH MIN_HEIGHT
//       decodes FILE once (by its kind) and prints, in KiB, the resident
//       memory before and the peak during the decode (Linux: /proc/self).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/imaging.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace vq::imaging;

std::string FixtureFolder() {
  const char* folder = std::getenv("VQ_IMAGING_BENCH_DIR");
  return folder ? folder : "/tmp/vq-imaging-bench";
}

// Read at its exact size, so that reading leaves no larger peak behind than
// the file itself.
Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot read " + path);
  Bytes bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Files stay loaded once read: the benchmarks time decoding, not reading.
const Bytes& Fixture(const std::string& name) {
  static std::map<std::string, Bytes> loaded;
  auto found = loaded.find(name);
  if (found == loaded.end()) found = loaded.emplace(name, ReadFile(FixtureFolder() + "/" + name)).first;
  return found->second;
}

constexpr int kBoxWidth = 144, kBoxHeight = 232;
const char* const kSizes[] = {"144x232", "1200x800", "6000x4000"};

void SetPixelRate(benchmark::State& state, int width, int height) {
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6 * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// While alive, freed memory stays with the process (no mmap, no trimming),
// so a decode reuses pages already mapped, as tjbench reuses its one output
// buffer: the time is then the decode's alone, without the page faults of
// fresh memory. Only for the "warm" benchmarks.
class ResidentHeap {
 public:
  ResidentHeap() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
  ~ResidentHeap() {
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    malloc_trim(0);
  }
  ResidentHeap(const ResidentHeap&) = delete;
  ResidentHeap& operator=(const ResidentHeap&) = delete;
};

// Every (format, size) pair is one benchmark, named <format>/<size>[/<request>].
void DecodeJpegAt(benchmark::State& state, const std::string& file, bool box, bool warm) {
  const Bytes& bytes = Fixture(file);
  int width = 0, height = 0;
  std::optional<ResidentHeap> resident;
  if (warm) resident.emplace();
  for (auto _ : state) {
    auto jpeg = DecodeJpeg(bytes.data(), bytes.size(), box ? kBoxWidth : 1 << 20, box ? kBoxHeight : 1 << 20);
    if (!jpeg) state.SkipWithError("decode failed");
    else width = jpeg->image.width, height = jpeg->image.height;
    benchmark::DoNotOptimize(jpeg);
  }
  state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
  SetPixelRate(state, width, height);
}

template <typename Decode>
void DecodeImage(benchmark::State& state, const std::string& file, Decode decode) {
  const Bytes& bytes = Fixture(file);
  int width = 0, height = 0;
  for (auto _ : state) {
    auto image = decode(bytes);
    if (!image) state.SkipWithError("decode failed");
    else width = image->width, height = image->height;
    benchmark::DoNotOptimize(image);
  }
  SetPixelRate(state, width, height);
}

void RegisterAll() {
  for (const std::string size : kSizes) {
    for (const bool box : {false, true})
      for (const std::string kind : {"cover", "progressive"})
        benchmark::RegisterBenchmark(("jpeg/" + kind + "/" + size + (box ? "/box" : "/full")).c_str(),
                                     [=](benchmark::State& s) { DecodeJpegAt(s, kind + "-" + size + ".jpg", box, false); })
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("bitmap/" + size).c_str(), [=](benchmark::State& s) {
      DecodeImage(s, "cover-" + size + ".bmp", [](const Bytes& b) { return DecodeBitmap(b.data(), b.size()); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("pcx/" + size).c_str(), [=](benchmark::State& s) {
      DecodeImage(s, "cover-" + size + ".pcx", [](const Bytes& b) { return DecodePcx(b.data(), b.size()); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("gif/" + size).c_str(), [=](benchmark::State& s) {
      DecodeImage(s, "cover-" + size + ".gif", [](const Bytes& b) -> std::optional<Image> {
        auto animation = DecodeGif(b.data(), b.size(), true);
        if (!animation) return std::nullopt;
        return std::move(animation->frames.front().image);
      });
    })->Unit(benchmark::kMillisecond);
  }
  for (const std::string size : kSizes)
    for (const bool box : {false, true})
      for (const std::string kind : {"cover", "progressive"})
        benchmark::RegisterBenchmark(("jpeg/" + kind + "/" + size + (box ? "/box" : "/full") + "/warm").c_str(),
                                     [=](benchmark::State& s) { DecodeJpegAt(s, kind + "-" + size + ".jpg", box, true); })
            ->Unit(benchmark::kMillisecond);
}

// A line of /proc/self/status in KiB (VmRSS: resident now, VmHWM: peak).
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long value = -1;
  while (status >> name) {
    if (name == field + ":") {
      status >> value;
      break;
    }
    status.ignore(1 << 16, '\n');
  }
  return value;
}

int PeakMemory(const std::string& path, int minWidth, int minHeight) {
  const Bytes bytes = ReadFile(path);
  const long before = StatusKiB("VmRSS");
  std::ofstream("/proc/self/clear_refs") << "5";  // peak := resident now
  bool decoded = false;
  switch (RecogniseImageKind(bytes.data(), bytes.size())) {
    case ImageKind::Jpeg: decoded = DecodeJpeg(bytes.data(), bytes.size(), minWidth, minHeight).has_value(); break;
    case ImageKind::Bitmap: decoded = DecodeBitmap(bytes.data(), bytes.size()).has_value(); break;
    case ImageKind::Gif: decoded = DecodeGif(bytes.data(), bytes.size(), true).has_value(); break;
    case ImageKind::Pcx8:
    case ImageKind::Pcx1: decoded = DecodePcx(bytes.data(), bytes.size()).has_value(); break;
    default: break;
  }
  const long peak = StatusKiB("VmHWM");
  std::printf("file_bytes=%zu resident_kib_before=%ld process_peak_kib=%ld decode_peak_kib=%ld decoded=%d\n",
              bytes.size(), before, peak, peak - before, decoded ? 1 : 0);
  return decoded ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--peak-memory") return PeakMemory(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  const std::string script = VQ_IMAGING_FIXTURE_SCRIPT;
  if (std::system(("'" + script + "' '" + FixtureFolder() + "'").c_str()) != 0) return 1;
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
