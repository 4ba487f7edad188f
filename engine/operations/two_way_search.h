#pragma once

// Exact search by the two-way algorithm of Crochemore and Perrin, as glibc's memmem does it
// for long needles: the needle is cut at a critical position once, in time linear in its
// length and with no table that grows with it; then every occurrence is found in time
// linear in the haystack, whatever the bytes (a run of 0xFF looked for in erased flash
// included). The bad-byte shifts of the needle's last byte let most windows of the haystack
// be passed over without a comparison.
//
// The needle and the haystack are read through accessors (`bytes[i]`), so that the same
// search runs over bytes in memory and over files read piece by piece.

#include <algorithm>
#include <array>
#include <cstdint>

#include "stop_request.h"

namespace zarneth {

// Set-up steps between two looks at a stop request: about a mebibyte of the needle.
inline constexpr std::uint64_t kStepsBetweenStopChecks = 1u << 20;

// What the search knows of a needle.
struct TwoWayPlan {
  std::uint64_t length = 0;
  std::uint64_t suffix = 0;  // the critical position: the right half starts here
  std::uint64_t period = 0;  // the shift after the right half matched
  bool periodic = false;     // the left half repeats one period on: matched bytes are remembered
  std::array<std::uint64_t, 256> shift{};  // by the byte under the needle's last byte
};

namespace two_way_detail {

// The start of the needle's maximal suffix less one (wrapping to ~0 for the whole needle)
// and that suffix's period, under the byte order or, `reversed`, its opposite.
template <typename Needle>
std::pair<std::uint64_t, std::uint64_t> MaximalSuffix(const Needle& needle, std::uint64_t length,
                                                      bool reversed) {
  std::uint64_t suffix = ~std::uint64_t{0};
  std::uint64_t j = 0;
  std::uint64_t k = 1;
  std::uint64_t period = 1;
  std::uint64_t steps = 0;
  while (j + k < length) {
    if (++steps % kStepsBetweenStopChecks == 0)
      StopIfRequested();
    const unsigned char a = needle[j + k];
    const unsigned char b = needle[suffix + k];
    if (reversed ? b < a : a < b) {
      j += k;
      k = 1;
      period = j - suffix;
    } else if (a == b) {
      if (k != period) {
        ++k;
      } else {
        j += period;
        k = 1;
      }
    } else {
      suffix = j++;
      k = period = 1;
    }
  }
  return {suffix, period};
}

}  // namespace two_way_detail

// Plans the search for `needle` of `length` bytes (at least one). Looks at a stop request
// every mebibyte of the needle.
template <typename Needle>
TwoWayPlan PlanTwoWay(const Needle& needle, std::uint64_t length) {
  TwoWayPlan plan;
  plan.length = length;
  std::uint64_t period = 1;
  if (length < 3) {
    plan.suffix = length - 1;
  } else {
    const auto [forward, forwardPeriod] = two_way_detail::MaximalSuffix(needle, length, false);
    const auto [reverse, reversePeriod] = two_way_detail::MaximalSuffix(needle, length, true);
    // The later of the two maximal suffixes gives a critical factorization.
    if (reverse + 1 < forward + 1) {
      plan.suffix = forward + 1;
      period = forwardPeriod;
    } else {
      plan.suffix = reverse + 1;
      period = reversePeriod;
    }
  }
  // Periodic when the left half stands again one period on.
  plan.periodic = plan.suffix + period <= length;
  for (std::uint64_t i = 0; plan.periodic && i < plan.suffix; ++i) {
    if ((i + 1) % kStepsBetweenStopChecks == 0)
      StopIfRequested();
    plan.periodic = needle[i] == needle[i + period];
  }
  plan.period = plan.periodic ? period : std::max(plan.suffix, length - plan.suffix) + 1;
  plan.shift.fill(length);
  for (std::uint64_t i = 0; i < length; ++i) {
    if ((i + 1) % kStepsBetweenStopChecks == 0)
      StopIfRequested();
    plan.shift[needle[i]] = length - i - 1;
  }
  return plan;
}

// Hands `found` every start j >= `from` with hay[j, j + length) equal to the needle and
// j + length <= `end`, in order; returns the first start not yet tried, where a later call
// with more of the haystack goes on. Two occurrences closer than the plan's period are
// found both (a self-repeating needle's overlapping occurrences).
template <typename Needle, typename Hay, typename Found>
std::uint64_t TwoWayScan(const TwoWayPlan& plan, const Needle& needle, const Hay& hay,
                         std::uint64_t from, std::uint64_t end, Found&& found) {
  const std::uint64_t n = plan.length;
  const std::uint64_t suffix = plan.suffix;
  const std::uint64_t period = plan.period;
  std::uint64_t j = from;
  std::uint64_t memory = 0;  // periodic: the needle's first bytes known to match at j
  while (j + n <= end) {
    std::uint64_t shift = plan.shift[hay[j + n - 1]];
    if (shift > 0) {
      if (memory != 0 && shift < period)
        shift = n - period;
      memory = 0;
      j += shift;
      continue;
    }
    std::uint64_t i = std::max(suffix, memory);
    while (i < n - 1 && needle[i] == hay[i + j])
      ++i;
    if (i < n - 1) {
      j += i - suffix + 1;
      memory = 0;
      continue;
    }
    // The right half matches: the left half, from right to left, down to what is remembered.
    // Unsigned arithmetic wraps i below 0 to ~0, which i + 1 brings back to 0.
    i = suffix - 1;
    while (memory < i + 1 && needle[i] == hay[i + j])
      --i;
    if (i + 1 < memory + 1)
      found(j);
    j += period;
    memory = plan.periodic ? n - period : 0;
  }
  return j;
}

}  // namespace zarneth
