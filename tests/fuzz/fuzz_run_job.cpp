// RunJob on fuzzed jobs (mode, create-new flag, which file in which role, address texts),
// some after a dry run of the same job, over small generated files in a temporary folder. After
// every run: every file equals what a plain model of the rules predicts (a refused run changes
// nothing at all), no other file appeared (no temporary file is left), and a file outside the
// folder is untouched.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "c_file.h"
#include "hex_address.h"
#include "patch_job.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using zarneth::test::Bytes;

// What a path names in the folder. A and LinkA are one file.
enum class Target { None, A, B, C, ReadOnly, Directory, Dangling, NewFile, NoFolder };
struct Choice {
  const char* name;
  Target target;
};
constexpr Choice kChoices[] = {
    {"", Target::None},           {"a.bin", Target::A},
    {"b.bin", Target::B},         {"c.bin", Target::C},
    {"ro.bin", Target::ReadOnly}, {"dir", Target::Directory},
    {"link-a", Target::A},        {"dangling", Target::Dangling},
    {"new.bin", Target::NewFile}, {"nowhere/x.bin", Target::NoFolder},
};
constexpr std::size_t kChoiceCount = sizeof kChoices / sizeof kChoices[0];

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  unsigned Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  std::string Address() {
    constexpr char kAlphabet[] = "0123456789ABCDEFabcdef x-h\t0";
    std::string text(Byte() % 12, ' ');
    for (char& c : text)
      c = kAlphabet[Byte() % (sizeof kAlphabet - 1)];
    return text;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

// The tests' own file helpers, for paths the harness builds with std::filesystem.
Bytes ReadFile(const fs::path& path) {
  return zarneth::test::ReadBytes(path.string());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  zarneth::test::WriteBytes(path.string(), bytes);
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "model mismatch: %s\n", what);
    std::abort();
  }
}

// The folder, made once per process and filled anew for every input; its sibling holds a
// file that no run may touch.
const fs::path& Base() {
  static const fs::path base = [] {
    std::string pattern = (fs::temp_directory_path() / "zarneth-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      std::abort();
    fs::create_directory(fs::path(pattern) / "outside");
    WriteFile(fs::path(pattern) / "outside" / "sentinel.bin", Bytes(64, 0x5A));
    return fs::path(pattern);
  }();
  return base;
}

struct Model {
  std::map<Target, Bytes> files;  // the regular files that exist, with their bytes
  zarneth::PatchOutcome outcome = zarneth::PatchOutcome::Failed;
};

bool IsWritable(Target t) {
  return t == Target::A || t == Target::B || t == Target::C;
}
bool IsReadable(Target t) {
  return IsWritable(t) || t == Target::ReadOnly;
}
// A destination the save file may write: a new name, or a writable file no other role holds.
bool CanReplace(Target t, Target source, Target transcript) {
  return t == Target::NewFile || (IsWritable(t) && t != source && t != transcript);
}

Bytes Splice(Bytes into, std::size_t at, const Bytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), into.begin() + static_cast<std::ptrdiff_t>(at));
  return into;
}

// What the run must do under the rules: every check passes, or nothing changes at all.
Model Predict(const zarneth::PatchJob& job, Target source, Target transcript, Target destination,
              std::map<Target, Bytes> files) {
  Model model{std::move(files)};
  const auto start = zarneth::ParseHexAddress(job.startText);
  if (!start || !IsReadable(source))
    return model;
  const Bytes image = model.files[source];
  if (job.mode == zarneth::PatchMode::Zarneth) {
    const bool inPlace = !job.createNewFile;
    if (!IsReadable(transcript) || transcript == source || (inPlace && !IsWritable(source)))
      return model;
    const Bytes& piece = model.files[transcript];
    if (std::uint64_t{*start} + piece.size() > image.size())
      return model;
    if (inPlace) {
      model.files[source] = Splice(image, *start, piece);
    } else {
      if (!CanReplace(destination, source, transcript))
        return model;
      model.files[destination] = Splice(image, *start, piece);
    }
    model.outcome = zarneth::PatchOutcome::Done;
    return model;
  }

  const auto end = zarneth::ParseHexAddress(job.endText);
  if (!end || std::uint64_t{*end} + 1 < *start || std::uint64_t{*end} + 1 > image.size() ||
      !CanReplace(destination, source, Target::None))
    return model;
  model.files[destination] = Bytes(image.begin() + *start, image.begin() + *end + 1);
  model.outcome = zarneth::PatchOutcome::Done;
  return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const fs::path folder = Base() / "work";
  fs::remove_all(folder);
  fs::create_directory(folder);

  // The folder's files, with sizes and bytes from the input.
  std::map<Target, Bytes> files;
  const Target regular[] = {Target::A, Target::B, Target::C, Target::ReadOnly};
  const char* names[] = {"a.bin", "b.bin", "c.bin", "ro.bin"};
  for (int i = 0; i < 4; ++i) {
    Bytes bytes((in.Byte() | (in.Byte() << 8)) % 700);
    const unsigned seed = in.Byte();
    for (std::size_t j = 0; j < bytes.size(); ++j)
      bytes[j] = static_cast<unsigned char>(seed * 31 + j * 7 + i);
    WriteFile(folder / names[i], bytes);
    files[regular[i]] = bytes;
  }
  ::chmod((folder / "ro.bin").c_str(), 0444);
  fs::create_directory(folder / "dir");
  fs::create_symlink("a.bin", folder / "link-a");
  fs::create_symlink("not-there.bin", folder / "dangling");

  const unsigned flags = in.Byte();
  const Choice& source = kChoices[in.Byte() % kChoiceCount];
  const Choice& transcript = kChoices[in.Byte() % kChoiceCount];
  const Choice& destination = kChoices[in.Byte() % kChoiceCount];
  auto pathOf = [&](const Choice& c) {
    return *c.name ? (folder / c.name).string() : std::string();
  };
  zarneth::PatchJob job;
  job.mode = (flags & 1) ? zarneth::PatchMode::Cut : zarneth::PatchMode::Zarneth;
  job.createNewFile = (flags & 2) != 0;
  job.sourcePath = pathOf(source);
  job.transcriptPath = pathOf(transcript);
  job.destinationPath = pathOf(destination);
  job.startText = in.Address();
  job.endText = in.Address();

  const Model model = Predict(job, source.target, transcript.target, destination.target, files);
  if (flags & 4) {
    // A dry run of the same job first: the real run's outcome, and not a file touched.
    zarneth::WriteOperation dry = zarneth::OperationOf(job);
    std::visit([](auto& operation) { operation.dryRun = true; }, dry);
    Check(zarneth::Run(dry).outcome() == model.outcome, "a dry run's outcome");
    for (int i = 0; i < 4; ++i)
      Check(ReadFile(folder / names[i]) == files.at(regular[i]), "a dry run changed a file");
    Check(!fs::exists(folder / "new.bin"), "a dry run created a file");
  }
  Check(zarneth::RunJob(job).outcome() == model.outcome, "outcome");

  // Every file as predicted; nothing else in the folder; the outside untouched.
  for (int i = 0; i < 4; ++i)
    Check(ReadFile(folder / names[i]) == model.files.at(regular[i]), "contents of a file");
  const bool created = model.files.count(Target::NewFile) != 0;
  Check(fs::exists(folder / "new.bin") == created, "a new file appeared or did not");
  if (created)
    Check(ReadFile(folder / "new.bin") == model.files.at(Target::NewFile), "new file");
  Check(std::distance(fs::directory_iterator(folder), fs::directory_iterator()) ==
            7 + (created ? 1 : 0),
        "files in the folder");
  Check(!fs::exists(folder / "not-there.bin"), "a dangling link was written through");
  Check(ReadFile(Base() / "outside" / "sentinel.bin") == Bytes(64, 0x5A), "outside file");
  return 0;
}
