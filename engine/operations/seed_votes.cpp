#include "seed_votes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "stop_request.h"

namespace zarneth {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kRepeated = 0xFFFFFFFEu;
// The votes a place should get at the least, for the image stride chosen: enough that a
// block a third of whose seeds survive still stands out among chance hits.
constexpr std::uint64_t kVotesWanted = 384;
// Primes for the image stride, the largest first (none is 2: text in UTF-16 and aligned
// tables repeat at powers of two).
constexpr std::array<std::uint64_t, 24> kPrimes{251, 211, 181, 151, 127, 109, 97, 83,
                                                71,  61,  53,  47,  41,  37,  31, 29,
                                                23,  19,  17,  13,  11,  7,   5,  3};

// The seed of `length` (4 or 8) bytes at `bytes` as a number.
std::uint64_t Key(const unsigned char* bytes, std::size_t length) {
  std::uint64_t key = 0;
  std::memcpy(&key, bytes, length);
  return key;
}

// Whether a seed is one byte repeated, as padding is: such seeds vote everywhere.
bool OneByteRepeated(std::uint64_t key, std::size_t length) {
  const std::uint64_t ones = length == 8 ? 0x0101010101010101u : 0x01010101u;
  return key == (key & 0xFF) * ones;
}

std::uint64_t Mix(std::uint64_t key) {
  return (key ^ (key >> 29)) * 0x9E3779B97F4A7C15u;
}

// (votes, start) ordered so that the worse is the greater: fewer votes, then the later start.
bool Better(const std::pair<std::uint32_t, std::uint32_t>& a,
            const std::pair<std::uint32_t, std::uint32_t>& b) {
  return a.first != b.first ? a.first > b.first : a.second < b.second;
}

// The smallest prime of at least `value` (a stride for sampling the block).
std::uint64_t PrimeAtLeast(std::uint64_t value) {
  for (std::uint64_t candidate = std::max<std::uint64_t>(value, 2);; ++candidate) {
    bool prime = true;
    for (std::uint64_t d = 2; d * d <= candidate && prime; ++d)
      prime = candidate % d != 0;
    if (prime)
      return candidate;
  }
}

}  // namespace

SeedVotes::SeedVotes(const BlockBytes& block, std::size_t keep)
    : m_blockLength(block.Length()), m_keep(keep) {
  if (m_blockLength < 16)
    return;
  // Four-byte seeds survive the densest changes; where most of them stand more than once in
  // the block (text in UTF-16, tables), eight bytes tell places apart.
  double unique = Index(block, 4);
  if (unique < 0.5)
    unique = Index(block, 8);
  if (unique == 0) {
    m_seedLength = 0;
    return;
  }
  std::uint64_t seeds = 0;
  for (const std::uint32_t offset : m_offsets)
    seeds += offset < kRepeated;
  m_imageStride = 1;
  for (const std::uint64_t prime : kPrimes) {
    if (prime * kVotesWanted <= seeds && prime != m_blockStride) {
      m_imageStride = prime;
      break;
    }
  }
  m_groupShift = static_cast<unsigned>(
      std::max<std::uint64_t>(4, std::bit_width(m_blockLength >> 16)));  // at most 64 Ki groups
  m_ring.resize((m_blockLength >> m_groupShift) + 4);
}

double SeedVotes::Index(const BlockBytes& block, std::size_t length) {
  m_seedLength = length;
  const std::uint64_t places = m_blockLength - length + 1;
  m_blockStride = places <= kMaxSeeds ? 1 : PrimeAtLeast((places + kMaxSeeds - 1) / kMaxSeeds);
  const std::uint64_t seeds = (places + m_blockStride - 1) / m_blockStride;
  m_slotBits = static_cast<unsigned>(std::bit_width(std::bit_ceil(2 * seeds) - 1));
  m_keys.assign(std::size_t{1} << m_slotBits, 0);
  m_offsets.assign(m_keys.size(), kNone);
  m_filterBits = std::min(20u, m_slotBits + 3);
  m_filter.assign(std::max<std::size_t>((std::size_t{1} << m_filterBits) / 64, 1), 0);
  const std::size_t mask = m_keys.size() - 1;
  std::uint64_t kept = 0;
  std::uint64_t repeated = 0;
  unsigned char bytes[8];
  for (std::uint64_t offset = 0; offset < places; offset += m_blockStride) {
    if (offset % (std::uint64_t{1} << 20) < m_blockStride)
      StopIfRequested();
    if (block.Held())
      std::memcpy(bytes, block.HeldBytes().data() + offset, length);
    else
      block.Copy(offset, {bytes, length});
    const std::uint64_t key = Key(bytes, length);
    if (OneByteRepeated(key, length))
      continue;
    const std::uint64_t hash = Mix(key);
    std::size_t i = hash >> (64 - m_slotBits);
    while (m_keys[i] != 0 && m_keys[i] != key)
      i = (i + 1) & mask;
    if (m_keys[i] == key) {
      if (m_offsets[i] != kRepeated) {
        m_offsets[i] = kRepeated;
        ++repeated;
      }
      continue;
    }
    m_keys[i] = key;
    m_offsets[i] = static_cast<std::uint32_t>(offset);
    ++kept;
    const std::uint64_t bit = hash >> (64 - m_filterBits);
    m_filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  return kept == 0 ? 0 : static_cast<double>(kept - repeated) / static_cast<double>(kept);
}

std::uint32_t SeedVotes::Find(std::uint64_t key) const {
  const std::uint64_t hash = Mix(key);
  const std::uint64_t bit = hash >> (64 - m_filterBits);
  if ((m_filter[bit / 64] & (std::uint64_t{1} << (bit % 64))) == 0)
    return kNone;
  const std::size_t mask = m_keys.size() - 1;
  for (std::size_t i = hash >> (64 - m_slotBits); m_keys[i] != 0; i = (i + 1) & mask)
    if (m_keys[i] == key)
      return m_offsets[i] == kRepeated ? kNone : m_offsets[i];
  return kNone;
}

void SeedVotes::Look(std::uint64_t windowStart, std::span<const unsigned char> window) {
  if (m_seedLength == 0)
    return;
  const std::uint64_t windowEnd = windowStart + window.size();
  std::uint64_t at =
      std::max(m_nextOffset, (windowStart + m_imageStride - 1) / m_imageStride * m_imageStride);
  for (; at + m_seedLength <= windowEnd; at += m_imageStride) {
    const std::uint64_t key = Key(window.data() + (at - windowStart), m_seedLength);
    if (OneByteRepeated(key, m_seedLength))
      continue;
    const std::uint32_t offset = Find(key);
    if (offset != kNone && at >= offset)
      Vote(at - offset);
  }
  m_nextOffset = at;
  // No later vote names a start a block's length or more behind the stream.
  if (at >= m_blockLength)
    SettleBelow((at - m_blockLength) >> m_groupShift);
}

void SeedVotes::Vote(std::uint64_t start) {
  const std::uint64_t group = start >> m_groupShift;
  if (group >= m_lowGroup + m_ring.size())
    SettleBelow(group - m_ring.size() + 1);
  Group& g = m_ring[group % m_ring.size()];
  if (g.votes++ == 0)
    m_touched.push_back(group);
  if (g.lead == 0) {
    g.start = static_cast<std::uint32_t>(start);
    g.lead = 1;
  } else if (g.start == start) {
    ++g.lead;
  } else {
    --g.lead;
  }
}

void SeedVotes::SettleBelow(std::uint64_t group) {
  if (group <= m_lowGroup)
    return;
  // Only groups with votes are looked at: most of an image votes for nothing.
  std::size_t kept = 0;
  for (const std::uint64_t touched : m_touched) {
    if (touched >= group) {
      m_touched[kept++] = touched;
      continue;
    }
    Group& settled = m_ring[touched % m_ring.size()];
    if (settled.votes >= 2) {
      const std::pair<std::uint32_t, std::uint32_t> entry{settled.votes, settled.start};
      if (m_best.size() < m_keep || Better(entry, m_best.front())) {
        if (m_best.size() == m_keep) {
          std::pop_heap(m_best.begin(), m_best.end(), Better);
          m_best.pop_back();
        }
        m_best.push_back(entry);
        std::push_heap(m_best.begin(), m_best.end(), Better);
      }
    }
    settled = Group{};
  }
  m_touched.resize(kept);
  m_lowGroup = group;
}

std::vector<std::uint64_t> SeedVotes::Nominees() {
  if (!m_ring.empty())
    SettleBelow(m_lowGroup + m_ring.size());
  std::sort(m_best.begin(), m_best.end(), Better);
  std::vector<std::uint64_t> starts;
  for (const auto& entry : m_best)
    starts.push_back(entry.second);
  return starts;
}

}  // namespace zarneth
