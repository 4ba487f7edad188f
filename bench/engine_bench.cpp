// Throughput of whole runs through Run on real files in a temporary folder, with the V135
// language block (75776 bytes) and the V138 cut range (89156 bytes).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model_presets.h"
#include "operations.h"

namespace {

namespace fs = std::filesystem;

class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (fs::temp_directory_path() / "zarneth-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~BenchFolder() { fs::remove_all(m_path); }
  std::string File(const char* name, std::size_t size) const {
    const std::string path = (m_path / name).string();
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<char>(i * 131 + 7);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    return path;
  }
  std::string Path(const char* name) const { return (m_path / name).string(); }

 private:
  fs::path m_path;
};

// A patch of the V135 block into an image of `imageSize` bytes: into a copy, or in place.
zarneth::PatchCopy CopyPatch(const BenchFolder& folder, std::size_t imageSize) {
  zarneth::PatchCopy patch;
  patch.sourcePath = folder.File("image.bin", imageSize);
  patch.transcriptPath = folder.File("transcript.bin", 75776);
  patch.destinationPath = folder.Path("patched.bin");
  patch.at.startText = zarneth::kModelPresets[0].StartText();
  return patch;
}
zarneth::PatchInPlace InPlacePatch(const BenchFolder& folder, std::size_t imageSize) {
  const zarneth::PatchCopy copy = CopyPatch(folder, imageSize);
  zarneth::PatchInPlace patch;
  patch.sourcePath = copy.sourcePath;
  patch.transcriptPath = copy.transcriptPath;
  patch.at = copy.at;
  return patch;
}

void RunOrSkip(benchmark::State& state, const zarneth::WriteOperation& operation) {
  for (auto _ : state) {
    if (zarneth::Run(operation).outcome() != zarneth::PatchOutcome::Done) {
      state.SkipWithError("run failed");
      return;
    }
  }
}

void BM_PatchNewFile(benchmark::State& state) {
  BenchFolder folder;
  const auto imageSize = static_cast<std::size_t>(state.range(0));
  RunOrSkip(state, CopyPatch(folder, imageSize));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * imageSize));
}

void BM_PatchInPlace(benchmark::State& state) {
  BenchFolder folder;
  RunOrSkip(state, InPlacePatch(folder, static_cast<std::size_t>(state.range(0))));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 75776));
}

void BM_CutV138(benchmark::State& state) {
  BenchFolder folder;
  const auto& v138 = zarneth::kModelPresets[3];
  zarneth::CutRange cut;
  cut.sourcePath = folder.File("image.bin", static_cast<std::size_t>(state.range(0)));
  cut.destinationPath = folder.Path("block.bin");
  cut.startText = v138.StartText();
  cut.endText = v138.EndText();
  RunOrSkip(state, cut);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 89156));
}

constexpr int64_t kTwoMiB = 2 << 20;
constexpr int64_t k256MiB = 256 << 20;

BENCHMARK(BM_PatchNewFile)
    ->Arg(kTwoMiB)
    ->Arg(k256MiB)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_PatchInPlace)
    ->Arg(kTwoMiB)
    ->Arg(k256MiB)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_CutV138)->Arg(kTwoMiB)->Arg(k256MiB)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
