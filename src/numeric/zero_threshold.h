// The magnitude below which the numeric helpers treat a value as zero.
#pragma once

#include <bit>
#include <cstdint>

namespace vtutils {

inline constexpr double kZeroThreshold = 1e-11;
static_assert(std::bit_cast<std::uint64_t>(kZeroThreshold) == 0x3DA5FD7FE1796495);

}  // namespace vtutils
