#include "block_search.h"

#include <array>
#include <bit>
#include <cstring>

#include "stop_request.h"

namespace zarneth {
namespace {

// The block's smallest period p (block[i] == block[i + p] for every i), from the longest
// border of the whole block (Knuth-Morris-Pratt's failure function); its length if none.
std::size_t SmallestPeriod(std::span<const unsigned char> block) {
  std::vector<std::uint32_t> border(block.size(), 0);
  for (std::size_t i = 1; i < block.size(); ++i) {
    std::uint32_t k = border[i - 1];
    while (k > 0 && block[i] != block[k])
      k = border[k - 1];
    border[i] = block[i] == block[k] ? k + 1 : k;
  }
  return block.size() - border.back();
}

// The piece length of a block: long pieces where the block is long (fewer lookups, each
// piece telling more), short ones where it is short (enough of them to vote). None (0) for
// a block too short to give two pieces.
std::size_t PieceLengthFor(std::size_t blockLength) {
  if (blockLength >= 1024)
    return 32;
  if (blockLength >= 256)
    return 16;
  return blockLength >= 16 ? 8 : 0;
}

std::uint64_t Word(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// A 64-bit hash of the piece at `bytes`, `length` a multiple of 8; never 0 (an empty slot).
std::uint64_t PieceHash(const unsigned char* bytes, std::size_t length) {
  std::uint64_t hash = 0x9E3779B97F4A7C15u;
  for (std::size_t i = 0; i < length; i += 8) {
    hash = (hash ^ Word(bytes + i)) * 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 32;
  }
  hash ^= hash >> 29;
  return hash == 0 ? 1 : hash;
}

// Whether the piece is one byte repeated, as padding is.
bool IsOneByteRepeated(const unsigned char* bytes, std::size_t length) {
  const std::uint64_t first = Word(bytes);
  if (first != bytes[0] * 0x0101010101010101u)
    return false;
  for (std::size_t i = 8; i < length; i += 8)
    if (Word(bytes + i) != first)
      return false;
  return true;
}

// (votes, start) pairs ordered so that the worse is the greater: fewer votes, then the later
// start. A max-heap under it keeps the worst kept start on top.
bool Better(const std::pair<std::uint32_t, std::uint64_t>& a,
            const std::pair<std::uint32_t, std::uint64_t>& b) {
  return a.first != b.first ? a.first > b.first : a.second < b.second;
}

}  // namespace

std::uint64_t ScanImage(CFile& image, std::uint64_t length, std::size_t overlap,
                        const ScanSink& sink) {
  // New bytes per window: at least the overlap, so that a long block is not moved more
  // often than it is read.
  const std::size_t fresh = std::max<std::size_t>(kScanWindowSize, overlap);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(overlap + fresh);
  std::size_t kept = 0;  // bytes of the window before, at the buffer's start
  std::uint64_t done = 0;
  while (done < length) {
    StopIfRequested();
    const auto wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(length - done, fresh));
    // ReadAt reads all it is asked for, fewer bytes only at the end of the file.
    const std::uint32_t got = image.ReadAt(done, buffer.get() + kept, wanted);
    const std::size_t windowLength = kept + got;
    sink(done - kept, {buffer.get(), windowLength});
    done += got;
    if (got < wanted)
      break;
    const std::size_t carry = std::min(overlap, windowLength);
    std::memmove(buffer.get(), buffer.get() + windowLength - carry, carry);
    kept = carry;
  }
  return done;
}

ExactSearch::ExactSearch(std::span<const unsigned char> block)
    : m_block(block),
      m_period(SmallestPeriod(block)),
      m_searcher(std::make_unique<Searcher>(block.data(), block.data() + block.size())) {}

void ExactSearch::Look(std::uint64_t windowStart, std::span<const unsigned char> window,
                       const std::function<void(std::uint64_t)>& found) {
  const std::size_t length = m_block.size();
  const unsigned char* begin = window.data();
  const unsigned char* end = begin + window.size();
  const std::uint64_t windowEnd = windowStart + window.size();
  std::uint64_t from = std::max(m_nextStart, windowStart);
  for (;;) {
    if (from + length > windowEnd) {
      m_nextStart = from;
      return;
    }
    const unsigned char* hit = (*m_searcher)(begin + (from - windowStart), end).first;
    if (hit == end) {
      m_nextStart = windowEnd - length + 1;
      return;
    }
    std::uint64_t at = windowStart + static_cast<std::uint64_t>(hit - begin);
    found(at);
    // A block overlaps itself only at its periods: the occurrence one period on needs only
    // its last period of bytes checked; past that, none starts before the overlap ends.
    for (;;) {
      if (m_period == length) {
        from = at + length;
        break;
      }
      const std::uint64_t next = at + m_period;
      if (next + length > windowEnd) {
        m_nextStart = next;
        return;
      }
      if (std::memcmp(begin + (at - windowStart) + length, m_block.data() + length - m_period,
                      m_period) != 0) {
        from = at + std::max(m_period, length - m_period + 1);
        break;
      }
      at = next;
      found(at);
    }
  }
}

struct PieceVotes::Slot {
  std::uint64_t hash = 0;  // 0: empty
  std::uint32_t offset = 0;
  bool repeated = false;  // the piece stands more than once in the block
};

PieceVotes::PieceVotes(std::span<const unsigned char> block, std::size_t keep)
    : m_block(block), m_pieceLength(PieceLengthFor(block.size())), m_keep(keep) {
  if (m_pieceLength == 0)
    return;
  const std::size_t pieces = block.size() - m_pieceLength + 1;
  m_slots.resize(std::bit_ceil(2 * pieces));
  m_seen.resize(std::max<std::size_t>(std::bit_ceil(8 * pieces) / 64, 1), 0);
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t offset = 0; offset < pieces; ++offset) {
    const unsigned char* piece = block.data() + offset;
    if (IsOneByteRepeated(piece, m_pieceLength))
      continue;
    const std::uint64_t hash = PieceHash(piece, m_pieceLength);
    std::size_t i = hash & mask;
    while (m_slots[i].hash != 0 && m_slots[i].hash != hash)
      i = (i + 1) & mask;
    if (m_slots[i].hash == hash) {
      m_slots[i].repeated = true;
      continue;
    }
    m_slots[i] = {hash, static_cast<std::uint32_t>(offset), false};
    const std::uint64_t bit = SeenBit(hash);
    m_seen[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
}

PieceVotes::~PieceVotes() = default;

std::uint64_t PieceVotes::SeenBit(std::uint64_t hash) const {
  // The high bits: the slots take the low ones.
  return (hash >> 32) & (m_seen.size() * 64 - 1);
}

const PieceVotes::Slot* PieceVotes::Find(std::uint64_t hash) const {
  const std::uint64_t bit = SeenBit(hash);
  if ((m_seen[bit / 64] & (std::uint64_t{1} << (bit % 64))) == 0)
    return nullptr;
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = hash & mask; m_slots[i].hash != 0; i = (i + 1) & mask)
    if (m_slots[i].hash == hash)
      return m_slots[i].repeated ? nullptr : &m_slots[i];
  return nullptr;
}

void PieceVotes::Look(std::uint64_t windowStart, std::span<const unsigned char> window) {
  if (m_pieceLength == 0)
    return;
  const std::uint64_t windowEnd = windowStart + window.size();
  std::uint64_t piece =
      std::max(m_nextPiece, (windowStart + m_pieceLength - 1) / m_pieceLength * m_pieceLength);
  for (; piece + m_pieceLength <= windowEnd; piece += m_pieceLength) {
    const Slot* slot = Find(PieceHash(window.data() + (piece - windowStart), m_pieceLength));
    if (slot && piece >= slot->offset)
      ++m_open[piece - slot->offset];
  }
  m_nextPiece = piece;
  Settle(piece, false);
}

void PieceVotes::Settle(std::uint64_t nextPiece, bool all) {
  // A start gets its last vote from a piece that begins within the block's length of it.
  const std::uint64_t reach = m_block.size() - m_pieceLength;
  for (auto it = m_open.begin(); it != m_open.end();) {
    const auto [start, votes] = *it;
    if (!all && start + reach >= nextPiece) {
      ++it;
      continue;
    }
    it = m_open.erase(it);
    if (votes < 2)
      continue;
    const std::pair<std::uint32_t, std::uint64_t> entry{votes, start};
    if (m_best.size() == m_keep) {
      if (!Better(entry, m_best.front()))
        continue;
      std::pop_heap(m_best.begin(), m_best.end(), Better);
      m_best.pop_back();
    }
    m_best.push_back(entry);
    std::push_heap(m_best.begin(), m_best.end(), Better);
  }
}

std::vector<std::uint64_t> PieceVotes::Nominees() {
  Settle(0, true);
  std::sort(m_best.begin(), m_best.end(), Better);
  std::vector<std::uint64_t> starts;
  for (const auto& [votes, start] : m_best)
    starts.push_back(start);
  return starts;
}

Agreement MeasureAgreement(CFile& image, std::uint64_t imageLength,
                           std::span<const unsigned char> block, std::uint64_t start) {
  Agreement result;
  const std::uint64_t inside =
      start >= imageLength ? 0 : std::min<std::uint64_t>(block.size(), imageLength - start);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kScanWindowSize);
  std::array<std::uint64_t, 256> inBlock{};
  std::array<std::uint64_t, 256> inImage{};
  while (result.bytes < inside) {
    StopIfRequested();
    const auto wanted =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(inside - result.bytes, kScanWindowSize));
    const std::uint32_t got = image.ReadAt(start + result.bytes, buffer.get(), wanted);
    const unsigned char* expected = block.data() + result.bytes;
    for (std::uint32_t i = 0; i < got; ++i) {
      result.agreeing += buffer[i] == expected[i];
      ++inBlock[expected[i]];
      ++inImage[buffer[i]];
    }
    result.bytes += got;
    if (got < wanted)
      break;
  }
  if (result.bytes == 0)
    return result;
  // The share that would agree if the image's bytes stood in any order.
  double chance = 0;
  const double n = static_cast<double>(result.bytes);
  for (std::size_t b = 0; b < 256; ++b)
    chance += static_cast<double>(inBlock[b]) / n * static_cast<double>(inImage[b]) / n;
  const double share = static_cast<double>(result.agreeing) / n;
  result.clear = result.agreeing >= 16 && share >= chance + (1 - chance) / 4;
  return result;
}

}  // namespace zarneth
