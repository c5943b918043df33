#pragma once
// 16-bit game numbers. A result outside the 16-bit range is an overflow error:
// a message and the end of the program, never silent wrap-around.
#include <cstdint>

namespace platform {

using Int16 = std::int16_t;

[[noreturn]] void OverflowError();

constexpr Int16 ToInt16Checked(long long value)
{
    if (value < INT16_MIN || value > INT16_MAX)
        OverflowError();
    return static_cast<Int16>(value);
}

constexpr Int16 Add16(Int16 a, long long b)
{
    return ToInt16Checked(static_cast<long long>(a) + b);
}

} // namespace platform
