// A value's bits read as another type of the same size. The standard library's std::bit_cast
// where it has one; the WebAssembly build's older library lacks it, and the compiler's own
// builtin, which std::bit_cast is made of, serves there.
#pragma once

#include <bit>
#include <type_traits>

namespace morvane {

template <typename To, typename From>
requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
         std::is_trivially_copyable_v<From>) constexpr To BitCast(const From& from) noexcept
{
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

} // namespace morvane
