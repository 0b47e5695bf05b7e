#pragma once

#include <cstddef>
#include <string>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// Room for any text `format_double` writes.
inline constexpr std::size_t kDoubleTextCapacity = 32;

// The shortest text that reads back (with strtod in the C locale, or
// g_ascii_strtod) to exactly `value`, always marked as a real: it holds a '.'
// or an exponent ("1.0", "-0.0", "0.1", "1e+308", "5e-324"), so a reader that
// tells integers from reals gets a real back. Not-a-number and the infinities
// come out as "nan", "inf" and "-inf"; formats that cannot carry them decide
// what to write instead. The decimal separator is '.' whatever the locale.
TESSIN_API std::string format_double(double value);

// The same into `buffer` (at least kDoubleTextCapacity bytes, not terminated);
// returns the length. Allocates nothing, for per-cell use.
TESSIN_API std::size_t format_double(double value, char* buffer) noexcept;

}  // namespace Tolvane::Core
