#pragma once

#include <cstdint>
#include <string>

#include "model_presets.h"
#include "operations.h"

namespace zarneth {

// What a Done run did, in the words zarneth-cli prints and the done dialog shows below its
// text, with the CRC-32 of the bytes it put in place: "wrote 'out.bin' (2097152 bytes):
// 'image.bin' with 'german.blk' at 0x1CD800, CRC-32 0x1A2B3C4D". For a dry run, what the
// run would do, without a CRC-32: "would write ...".
std::string DescribeDone(const WriteOperation& operation, const WriteResult& result);
// The share of `part` in `whole` with one decimal, rounded down, so that "100.0%" means
// every byte: "99.2%".
std::string ShareText(std::uint64_t part, std::uint64_t whole);
// A percentage given by the user, as it was meant: "99%", "99.5%".
std::string ShareText(double percent);

// A CRC-32 as messages write it: "0x1A2B3C4D".
std::string CrcText(std::uint32_t crc);

// An offset in a block, as the places found in an image show it: "+000144".
std::string BlockOffsetText(std::uint64_t offset);

// What `transcript` ("the transcript 'de.blk'") of `transcriptLength` bytes at `preset`'s own
// start would overwrite after its language block: "the transcript 'de.blk' (89156 bytes) is
// longer than the language block of V135 (75776 bytes): 13380 bytes after the block, up to
// 0x1E3443, would be overwritten".
std::string DescribeOverrun(const std::string& transcript, const ModelPreset& preset,
                            std::uint64_t transcriptLength);
// The same for any `block` ("the block 'old.bin' it replaces") of `blockLength` at `start`.
std::string DescribeOverrun(const std::string& transcript, const std::string& block,
                            std::uint64_t start, std::uint64_t blockLength,
                            std::uint64_t transcriptLength);

// `count` bytes in the user's words: "1 byte", "2 bytes".
std::string ByteCount(std::uint64_t count);

}  // namespace zarneth
