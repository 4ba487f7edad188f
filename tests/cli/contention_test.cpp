// Several zarneth-cli processes started at once on the same image, in place and into new
// files. Each run must end done, failed or with a file error, and the files must equal what
// some order of running the successful ones one after another gives: never a mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace zarneth::test {
namespace {

struct CliJob {
  bool inPlace;
  int transcript;
  std::size_t offset;
  std::string output;  // new-file runs only
  int exitCode = -1;
};

std::string HexText(std::size_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%zX", value);
  return text;
}

Bytes Patched(Bytes image, const Bytes& transcript, std::size_t offset) {
  std::copy(transcript.begin(), transcript.end(),
            image.begin() + static_cast<std::ptrdiff_t>(offset));
  return image;
}

TEST(ContentionTest, ConcurrentRunsOnOneImageSerialiseOrFail) {
  TempDir dir;
  const std::string image = dir / "image.bin";
  const Bytes original = Pattern(4 << 20, 1);
  std::vector<Bytes> transcripts;
  for (unsigned i = 0; i < 3; ++i) {
    transcripts.push_back(Pattern(64 << 10, 10 + i));
    WriteBytes(dir / ("t" + std::to_string(i) + ".bin"), transcripts.back());
  }

  int doneInPlace = 0;
  int doneNewFile = 0;
  for (int round = 0; round < 6; ++round) {
    WriteBytes(image, original);
    // Two in-place runs overlap, so their order shows in the result.
    std::vector<CliJob> runs = {
        {true, 0, 0x1000, ""},   {false, 1, 0x2000, dir / "n1.bin"},
        {true, 1, 0x9000, ""},   {false, 2, 0x0, dir / "n2.bin"},
        {true, 2, 0x300000, ""}, {false, 0, 0x10000, dir / "n3.bin"},
    };
    std::vector<int> pids;
    for (const CliJob& run : runs) {
      std::vector<std::string> args = {"patch",
                                       "--source",
                                       image,
                                       "--transcript",
                                       dir / ("t" + std::to_string(run.transcript) + ".bin"),
                                       "--start",
                                       HexText(run.offset),
                                       "--quiet"};
      if (run.inPlace) {
        args.push_back("--in-place");
      } else {
        args.insert(args.end(), {"--output", run.output});
        std::remove(run.output.c_str());
      }
      pids.push_back(StartCli(args));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
      runs[i].exitCode = WaitCli(pids[i]);
      ASSERT_TRUE(runs[i].exitCode == 0 || runs[i].exitCode == 1 || runs[i].exitCode == 3)
          << "run " << i << " ended with " << runs[i].exitCode;
    }

    // The image and every done copy must fit one sequential order of the done in-place runs.
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i)
      if (runs[i].inPlace && runs[i].exitCode == 0)
        order.push_back(i);
    const Bytes result = ReadBytes(image);
    bool explained = false;
    do {
      std::vector<Bytes> states{original};
      for (int i : order)
        states.push_back(Patched(states.back(), transcripts[runs[i].transcript], runs[i].offset));
      if (states.back() != result)
        continue;
      bool copiesFit = true;
      for (const CliJob& run : runs) {
        if (run.inPlace || run.exitCode != 0)
          continue;
        const Bytes copy = ReadBytes(run.output);
        copiesFit = copiesFit && std::any_of(states.begin(), states.end(), [&](const Bytes& s) {
                      return Patched(s, transcripts[run.transcript], run.offset) == copy;
                    });
      }
      explained = copiesFit;
    } while (!explained && std::next_permutation(order.begin(), order.end()));
    ASSERT_TRUE(explained) << "round " << round << ": the files match no sequential order";

    for (const CliJob& run : runs)
      (run.inPlace ? doneInPlace : doneNewFile) += run.exitCode == 0;
  }
  EXPECT_GT(doneInPlace + doneNewFile, 0) << "no run ever got through";
}

}  // namespace
}  // namespace zarneth::test
