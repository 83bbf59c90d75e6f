// What the C++ library of Debian's emscripten (3.1.6) lacks of C++20 and the
// program uses. The web preset includes it first in every C++ file it builds
// (CMAKE_CXX_FLAGS in CMakePresets.json); elsewhere it is never included.
#pragma once

#include <version>

#ifndef __cpp_lib_bit_cast
#include <type_traits>

namespace std {

template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

}  // namespace std
#endif
