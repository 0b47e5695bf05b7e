#include "tessin/core/property_value.hpp"

namespace Tolvane::Core {

bool equal_values(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) {
    return false;
  }
  return std::visit(
      [&b](const auto& left) -> bool {
        using T = std::decay_t<decltype(left)>;
        const T& right = std::get<T>(b);
        if constexpr (std::is_same_v<T, std::any>) {
          return false;
        } else if constexpr (std::is_same_v<T, DateTime>) {
          if (!left || !right) {
            return !left && !right;
          }
          return g_date_time_equal(left.get(), right.get()) != FALSE;
        } else {
          return left == right;
        }
      },
      a);
}

}  // namespace Tolvane::Core
