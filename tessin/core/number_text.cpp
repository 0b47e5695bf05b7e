#include "tessin/core/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace Tolvane::Core {

std::size_t format_double(double value, char* buffer) noexcept {
  if (std::isnan(value)) {
    std::memcpy(buffer, "nan", 3);
    return 3;
  }
  if (std::isinf(value)) {
    const char* text = value < 0 ? "-inf" : "inf";
    const std::size_t length = std::strlen(text);
    std::memcpy(buffer, text, length);
    return length;
  }
  // std::to_chars without a precision gives the shortest round-trip form and
  // never consults the locale.
  const auto written = std::to_chars(buffer, buffer + kDoubleTextCapacity - 2, value);
  auto length = static_cast<std::size_t>(written.ptr - buffer);
  if (std::memchr(buffer, '.', length) == nullptr && std::memchr(buffer, 'e', length) == nullptr) {
    buffer[length++] = '.';
    buffer[length++] = '0';
  }
  return length;
}

std::string format_double(double value) {
  char buffer[kDoubleTextCapacity];
  return std::string(buffer, format_double(value, buffer));
}

}  // namespace Tolvane::Core
