// RunJob on fuzzed jobs (mode, create-new flag, which file in which role, address texts)
// over small generated files in a temporary folder. After every run: the source is unchanged
// unless the run was in place and Done, every file equals what a plain model of the two
// operations predicts, no other file appeared, and a file outside the folder is untouched.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "c_file.h"
#include "hex_address.h"
#include "patch_job.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

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
    constexpr char kAlphabet[] = "0123456789ABCDEFabcdef x-h";
    std::string text(Byte() % 10, ' ');
    for (char& c : text)
      c = kAlphabet[Byte() % (sizeof kAlphabet - 1)];
    return text;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
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
  bool expectThrow = false;
  zarneth::PatchOutcome outcome = zarneth::PatchOutcome::Failed;
};

bool IsFile(Target t) {
  return t == Target::A || t == Target::B || t == Target::C;
}

// Which opens succeed: a file held by an earlier open of the run is refused.
bool CanOpenSource(Target t) {
  return IsFile(t);
}
bool CanOpenTranscript(Target t, Target held) {
  return (IsFile(t) || t == Target::ReadOnly) && t != held;
}
bool CanCreate(Target t, Target held1, Target held2) {
  return (IsFile(t) && t != held1 && t != held2) || t == Target::NewFile;
}

// Writing bytes at `at`, past the end too; writing nothing changes nothing.
void Splice(Bytes& into, std::uint64_t at, const Bytes& bytes) {
  if (bytes.empty())
    return;
  if (into.size() < at + bytes.size())
    into.resize(at + bytes.size(), 0);
  std::copy(bytes.begin(), bytes.end(), into.begin() + static_cast<std::ptrdiff_t>(at));
}

Model Predict(const zarneth::PatchJob& job, Target source, Target transcript, Target destination,
              std::map<Target, Bytes> files) {
  Model model{std::move(files)};
  const std::uint32_t start = zarneth::ParseHexAddress(job.startText);
  if (job.mode == zarneth::PatchMode::Zarneth) {
    if (source == Target::None || transcript == Target::None || !CanOpenSource(source) ||
        !CanOpenTranscript(transcript, source))
      return model;
    const Bytes piece = model.files[transcript];
    if (!job.createNewFile) {
      if (start >= 0x80000000u) {
        model.expectThrow = true;
        return model;
      }
      Splice(model.files[source], start, piece);
      model.outcome = zarneth::PatchOutcome::Done;
      return model;
    }
    if (destination == Target::None || !CanCreate(destination, source, transcript))
      return model;
    const Bytes image = model.files[source];
    const std::size_t at = std::min<std::size_t>(start, image.size());
    Bytes copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(at));
    copy.insert(copy.end(), piece.begin(), piece.end());
    if (at + piece.size() < image.size())
      copy.insert(copy.end(), image.begin() + static_cast<std::ptrdiff_t>(at + piece.size()),
                  image.end());
    model.files[destination] = copy;
    model.outcome = zarneth::PatchOutcome::Done;
    return model;
  }

  if (source == Target::None || !CanOpenSource(source) || destination == Target::None ||
      !CanCreate(destination, source, Target::None))
    return model;
  const Bytes image = model.files[source];
  model.files[destination].clear();  // created or emptied before anything else
  const std::uint32_t cutLength = zarneth::ParseHexAddress(job.endText) - start + 1u;
  if (start >= 0x80000000u) {
    model.expectThrow = true;
  } else if (std::uint64_t{start} + cutLength <= image.size()) {
    model.files[destination] = Bytes(image.begin() + start, image.begin() + start + cutLength);
    model.outcome = zarneth::PatchOutcome::Done;
  }
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

  // An in-place start far past the end would grow a sparse file of up to 2 GiB; the gap
  // logic is the same a few bytes past the end, so such inputs are skipped.
  const std::uint32_t start = zarneth::ParseHexAddress(job.startText);
  if (job.mode == zarneth::PatchMode::Zarneth && !job.createNewFile && start > 0x10000u &&
      start < 0x80000000u)
    return 0;

  const Model model = Predict(job, source.target, transcript.target, destination.target, files);
  bool threw = false;
  zarneth::PatchOutcome outcome = zarneth::PatchOutcome::Failed;
  try {
    outcome = zarneth::RunJob(job).outcome;
  } catch (const zarneth::CFileException&) {
    threw = true;
  }
  Check(threw == model.expectThrow, "a file error where none was due, or none where one was");
  if (!threw)
    Check(outcome == model.outcome, "outcome");

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
