#pragma once
// A row of 10 x 10 blocks kept as a bit set, one bit a column of blocks, and
// its walk as runs of neighbouring blocks.
#include <bit>
#include <cstdint>

namespace platform {

// The bits 0..n-1.
constexpr std::uint64_t BitsBelow(int n)
{
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Calls f(first, last) for each run of set bits first..last-1, left to right.
template <typename F> void ForEachRun(std::uint64_t bits, F&& f)
{
    while (bits != 0) {
        const int first = std::countr_zero(bits);
        const int last = first + std::countr_one(bits >> first);
        bits &= ~BitsBelow(last);
        f(first, last);
    }
}

} // namespace platform
