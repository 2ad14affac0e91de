// Lookup and save in a catalogue of 100,000 records against one of 10. The
// store keeps no index: a lookup is one directory search and five reads, a
// save five written and flushed files and ten renames, whatever the catalogue
// holds; these figures show whether that stays true on a real disk.
//
// The catalogues are built once under /tmp/vq-store-bench and reused; delete
// that folder to build them afresh.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/file_port_posix.h"
#include "store/record_store.h"

namespace vq {
namespace {

constexpr char kBenchRoot[] = "/tmp/vq-store-bench";
// The records that are looked up and saved, spread evenly over the catalogue,
// so both catalogues are measured on a working set of the same size.
constexpr int kProbeRecords = 10;

// What every probed record holds: a typical entry with a mid-sized cover.
struct ProbeContents {
  Bytes author = TextToBytes("刘慈欣");
  Bytes synopsis;
  Bytes category = TextToBytes("科幻");
  Bytes address = TextToBytes("http://example.org/novels/read?id=123456");
  Bytes cover;

  ProbeContents() {
    std::string text;
    while (text.size() < 1000) text += "文化大革命如火如荼地进行，天文学家叶文洁在其间历经劫难。\r\n";
    synopsis = TextToBytes(text.c_str());
    std::string picture(32 * 1024, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 131 + 7);
    cover = MakeByteBuffer(picture.data(), static_cast<std::int32_t>(picture.size()));
  }
};

std::string RecordName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "小说%06d", index);
  return name;
}

class Catalogue {
 public:
  Catalogue(int records, const ProbeContents& probe)
      : records_(records),
        run_(std::string(kBenchRoot) + "/catalogue-" + std::to_string(records)),
        store_(port_, run_.c_str()) {
    for (int i = 0; i < kProbeRecords; ++i) probeNames_.push_back(RecordName(i * records / kProbeRecords));
    const std::string complete = run_ + "/complete";
    struct stat info;
    if (::stat(complete.c_str(), &info) == 0) return;
    Build(probe);
    store_.WriteWholeFile(complete.c_str(), EmptyByteBuffer);
  }

  RecordStore& store() { return store_; }
  const std::string& ProbeName(std::size_t i) const { return probeNames_[i % probeNames_.size()]; }
  int records() const { return records_; }

 private:
  // Every record gets its five files; those not probed hold only an author,
  // which keeps the big catalogue to about 800 MB of folders and blocks.
  void Build(const ProbeContents& probe) {
    std::fprintf(stderr, "building a catalogue of %d records in %s...\n", records_, run_.c_str());
    ::mkdir(kBenchRoot, 0755);
    ::mkdir(run_.c_str(), 0755);
    store_.MakeDirectory((run_ + kDataFolderPart).c_str());
    std::size_t nextProbe = 0;
    for (int i = 0; i < records_; ++i) {
      const std::string name = RecordName(i);
      const bool probed = nextProbe < probeNames_.size() && probeNames_[nextProbe] == name;
      if (probed) ++nextProbe;
      const Bytes filler = TextToBytes(("作者" + std::to_string(i)).c_str());
      const std::string base = run_ + kRecordFolderPart + name;
      store_.MakeDirectory(base.c_str());
      const std::string file = base + kSeparator + name;
      store_.WriteWholeFile((file + kAuthorExtension).c_str(), probed ? probe.author.get() : filler.get());
      store_.WriteWholeFile((file + kSynopsisExtension).c_str(), probed ? probe.synopsis.get() : EmptyByteBuffer);
      store_.WriteWholeFile((file + kCategoryExtension).c_str(), probed ? probe.category.get() : EmptyByteBuffer);
      store_.WriteWholeFile((file + kAddressExtension).c_str(), probed ? probe.address.get() : EmptyByteBuffer);
      store_.WriteWholeFile((file + kCoverExtension).c_str(), probed ? probe.cover.get() : EmptyByteBuffer);
    }
  }

  int records_;
  std::string run_;
  PosixFilePort port_;
  RecordStore store_;
  std::vector<std::string> probeNames_;
};

void LookupFound(benchmark::State& state, Catalogue& catalogue) {
  std::size_t next = 0;
  for (auto _ : state) {
    const LookupResult found = catalogue.store().LookupRecord(catalogue.ProbeName(next++).c_str());
    if (!found.found || found.cover.size() != 32 * 1024) {
      state.SkipWithError("a probed record is missing: delete /tmp/vq-store-bench");
      break;
    }
    benchmark::DoNotOptimize(found.cover.data());
  }
}

void LookupMissing(benchmark::State& state, Catalogue& catalogue) {
  for (auto _ : state) {
    const LookupResult found = catalogue.store().LookupRecord("没有这本小说");
    benchmark::DoNotOptimize(found.found);
  }
}

// Saves a probed record again with the same contents: five files written and
// flushed, ten renames, five removals.
void SaveExisting(benchmark::State& state, Catalogue& catalogue, const ProbeContents& probe) {
  const Text author = BytesToText(probe.author.get());
  const Text synopsis = BytesToText(probe.synopsis.get());
  const Text category = BytesToText(probe.category.get());
  const Text address = BytesToText(probe.address.get());
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& name = catalogue.ProbeName(next++);
    const NovelRecord record = {name.c_str(), author.get(), synopsis.get(), category.get(), address.get(),
                                probe.cover.get()};
    const SaveResult saved = catalogue.store().SaveRecord(record);
    if (saved.outcome != SaveOutcome::Saved) {
      state.SkipWithError(saved.reason.c_str());
      break;
    }
  }
}

}  // namespace
}  // namespace vq

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  vq::RegisterValueConstants();
  const vq::ProbeContents probe;
  std::vector<std::unique_ptr<vq::Catalogue>> catalogues;
  for (const int records : {10, 100000}) catalogues.push_back(std::make_unique<vq::Catalogue>(records, probe));

  for (const auto& owned : catalogues) {
    vq::Catalogue& catalogue = *owned;
    const std::string suffix = "/records:" + std::to_string(catalogue.records());
    benchmark::RegisterBenchmark(("LookupRecord/found" + suffix).c_str(), vq::LookupFound, std::ref(catalogue))
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("LookupRecord/missing" + suffix).c_str(), vq::LookupMissing, std::ref(catalogue))
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("SaveRecord/existing" + suffix).c_str(), vq::SaveExisting, std::ref(catalogue),
                                 std::cref(probe))
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
