// What the C++ library of Debian's emscripten (3.1.6) lacks of C++20 and the
// program uses. The web program's build has the files that use it include it
// first (programs/web/CMakeLists.txt).
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
