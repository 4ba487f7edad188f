// Which version an image is, by the fingerprints of the model tables: the image's length,
// the SHA-256 of its bytes outside the version's block, and the CRC-32 of the block as the
// image held it when the version was added. One read of the image serves every version.
#include <algorithm>
#include <memory>

#include "block_search.h"
#include "hex_address.h"
#include "model_presets.h"
#include "model_table.h"
#include "operations.h"
#include "quoted_name.h"
#include "run_files.h"
#include "run_report.h"
#include "sha256.h"
#include "stream_copy.h"
#include "version_check.h"
#include "words.h"

namespace zarneth {
namespace {

// A version whose fingerprint is being checked against the image read.
struct Candidate {
  explicit Candidate(const ModelEntry& entry) : model(&entry) {}
  const ModelEntry* model;
  Sha256 outside;
  std::uint32_t blockCrc = 0;
};

// The window of the image at `at`: its bytes outside the version's block to the hash, those
// inside to the block's CRC-32.
void Feed(Candidate& candidate, std::uint64_t at, std::span<const unsigned char> window) {
  const std::uint64_t end = at + window.size();
  const std::uint64_t inFrom = std::clamp<std::uint64_t>(candidate.model->start, at, end);
  const std::uint64_t inTo =
      std::clamp<std::uint64_t>(std::uint64_t{candidate.model->end} + 1, at, end);
  candidate.outside.Add(window.subspan(0, inFrom - at));
  candidate.blockCrc = UpdateCrc(candidate.blockCrc, window.subspan(inFrom - at, inTo - inFrom));
  candidate.outside.Add(window.subspan(inTo - at));
}

}  // namespace

Checked<std::vector<VersionFound>> VersionsOfImage(CFile& image, std::uint64_t length,
                                                   std::uint64_t& imageBytes) {
  std::vector<std::unique_ptr<Candidate>> candidates;
  for (const ModelEntry& model : KnownModels())
    if (model.fingerprint && model.fingerprint->size == length && model.end < length)
      candidates.push_back(std::make_unique<Candidate>(model));
  // An image no fingerprint's length fits is no version: nothing to read.
  if (candidates.empty()) {
    imageBytes = length;
    return std::vector<VersionFound>{};
  }
  imageBytes = ScanImage(image, 0, [&](std::uint64_t at, std::span<const unsigned char> window) {
    for (const auto& candidate : candidates)
      Feed(*candidate, at, window);
  });
  if (imageBytes != length)
    return Refused(Refusal::ShortRead, ShortReadReason(image, Role::Source, imageBytes, length));
  std::vector<VersionFound> found;
  for (const auto& candidate : candidates) {
    const ModelEntry& model = *candidate->model;
    if (candidate->outside.Finish() != model.fingerprint->outside)
      continue;
    found.push_back({model.name, model.start, model.end,
                     candidate->blockCrc == model.fingerprint->stock, model.from});
  }
  return found;
}

// The table entry of `model` where it has a fingerprint; none otherwise.
const ModelEntry* FingerprintedModel(const std::string& model) {
  const auto named = FindModel(model);
  for (const ModelEntry& known : KnownModels())
    if (named && known.name == named->model && known.fingerprint)
      return &known;
  return nullptr;
}

RunStatus RefuseOtherVersion(CFile& image, const std::string& sourcePath,
                             const std::string& model) {
  const ModelEntry* entry = FingerprintedModel(model);
  if (!entry)
    return RunStatus::Done();
  std::uint64_t imageBytes = 0;
  const auto versions = VersionsOfImage(image, image.GetLength(), imageBytes);
  if (!versions)
    return versions.Status();
  std::string others;
  for (const VersionFound& version : *versions) {
    if (version.name == entry->name)
      return RunStatus::Done();
    others += (others.empty() ? "" : ", ") + version.name;
  }
  const std::string quoted = QuotedName(sourcePath);
  if (others.empty())
    return Refused(Refusal::OtherVersion,
                   // TRANSLATORS: %1$s is the image, %2$s and %3$s a model's name.
                   // TRANSLATORS: %1$s is the image, %2$s and %3$s models' names.
                   TrFill("source file %s is not an image of %s: its bytes outside the "
                          "language block are not those of %s, nor of any version known "
                          "('zarneth-cli locate' finds the block in it)",
                          {quoted, entry->name, entry->name}));
  return Refused(Refusal::OtherVersion,
                 // TRANSLATORS: %1$s is the image, %2$s and %3$s a model's name.
                 // TRANSLATORS: %1$s is the image, %2$s and %3$s models' names.
                 TrFill("source file %s is not an image of %s but of %s: give that model",
                        {quoted, entry->name, others}));
}

namespace {

// The versions of KnownModels that the image at `path` is; refused where it cannot be read.
Checked<std::vector<VersionFound>> VersionsOf(RunFiles& files, const std::string& path,
                                              std::uint64_t& imageBytes) {
  CFile image;
  const auto length = files.OpenMeasured(image, path, Role::Source);
  if (!length)
    return length.Status();
  return VersionsOfImage(image, *length, imageBytes);
}

}  // namespace

IdentifyResult Run(const IdentifyImage& operation) {
  return RunOperation<IdentifyResult>({{Role::Source, operation.sourcePath}}, nullptr,
                                      [&](IdentifyResult& result, std::uint32_t) -> RunStatus {
                                        RunFiles files;
                                        const auto versions = VersionsOf(
                                            files, operation.sourcePath, result.imageBytes);
                                        if (!versions)
                                          return versions.Status();
                                        result.versions = *versions;
                                        return RunStatus::Done();
                                      });
}

FingerprintResult Fingerprint(const std::string& sourcePath, std::uint32_t start,
                              std::uint32_t end) {
  return RunOperation<FingerprintResult>(
      {{Role::Source, sourcePath}}, nullptr,
      [&](FingerprintResult& result, std::uint32_t) -> RunStatus {
        RunFiles files;
        CFile image;
        const auto length = files.OpenMeasured(image, sourcePath, Role::Source);
        if (!length)
          return length.Status();
        if (end >= *length)
          return Refused(
              Refusal::OutsideImage,
              // TRANSLATORS: %1$s and %2$s are addresses, %3$s the image, %4$s its length.
              TrFill("the block %s to %s runs past the end of source file %s (%s)",
                     {HexText(start), HexText(end), QuotedName(sourcePath), ByteCount(*length)}));
        ModelEntry model;
        model.start = start;
        model.end = end;
        Candidate candidate(model);
        const std::uint64_t read = ScanImage(
            image, 0, [&](std::uint64_t at, auto window) { Feed(candidate, at, window); });
        if (read != *length)
          return Refused(Refusal::ShortRead, ShortReadReason(image, Role::Source, read, *length));
        result.size = *length;
        result.outside = candidate.outside.Finish();
        result.stock = candidate.blockCrc;
        return RunStatus::Done();
      });
}

RunStatus CheckImageIsModel(const std::string& sourcePath, const std::string& model) {
  // A model without a fingerprint takes any image: the run itself opens it and says what
  // is wrong with it.
  if (!FingerprintedModel(model))
    return RunStatus::Done();
  const IdentifyResult opened = RunOperation<IdentifyResult>(
      {{Role::Source, sourcePath}}, nullptr, [&](IdentifyResult&, std::uint32_t) -> RunStatus {
        RunFiles files;
        CFile image;
        if (const auto length = files.OpenMeasured(image, sourcePath, Role::Source); !length)
          return length.Status();
        return RefuseOtherVersion(image, sourcePath, model);
      });
  return opened.status;
}

}  // namespace zarneth
