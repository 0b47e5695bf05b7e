#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// One member of an enumeration or flags type: number, upper-case value name
// (TOLVANE_PROVIDERS_CONTRACTS_DATA_TYPE_INT64) and nick ("int64").
struct EnumValue {
  std::int64_t value;
  std::string name;
  std::string nick;
};

// The description of an enumeration or flags type under its registered name.
class TESSIN_API EnumInfo {
 public:
  struct Member {
    std::int64_t value;
    const char* nick;
  };

  // Value names are `value_prefix` followed by the nick in upper case with '-'
  // written as '_'.
  EnumInfo(const char* type_name, const char* value_prefix, bool is_flags, std::initializer_list<Member> members);

  const std::string& type_name() const noexcept { return m_type_name; }
  bool is_flags() const noexcept { return m_is_flags; }
  const std::vector<EnumValue>& values() const noexcept { return m_values; }

  const EnumValue* by_value(std::int64_t value) const noexcept;
  const EnumValue* by_nick(std::string_view nick) const noexcept;
  const EnumValue* by_name(std::string_view name) const noexcept;
  // Every flag together.
  std::uint64_t all() const noexcept;

 private:
  std::string m_type_name;
  bool m_is_flags;
  std::vector<EnumValue> m_values;
};

// Specialised for each enumeration of the system: `static const EnumInfo& info();`.
template <class E>
struct EnumTraits;

template <class E>
concept DescribedEnum = std::is_enum_v<E> && requires {
  { EnumTraits<E>::info() } -> std::same_as<const EnumInfo&>;
};

template <DescribedEnum E>
const EnumInfo& enum_info() {
  return EnumTraits<E>::info();
}

// The nick of a value; "" for a value outside the table.
template <DescribedEnum E>
const std::string& nick_of(E value) {
  static const std::string empty;
  const EnumValue* found = enum_info<E>().by_value(static_cast<std::int64_t>(value));
  return found != nullptr ? found->nick : empty;
}

template <DescribedEnum E>
bool enum_from_nick(std::string_view nick, E& out) {
  const EnumValue* found = enum_info<E>().by_nick(nick);
  if (found == nullptr) {
    return false;
  }
  out = static_cast<E>(found->value);
  return true;
}

template <DescribedEnum E>
E all_flags() {
  return static_cast<E>(enum_info<E>().all());
}

}  // namespace Tolvane::Core

// Bit operators for an `enum class` used as a flags type.
#define TOLVANE_FLAGS_OPERATORS(E)                                                                       \
  constexpr E operator|(E a, E b) {                                                                      \
    return static_cast<E>(static_cast<std::underlying_type_t<E>>(a) | static_cast<std::underlying_type_t<E>>(b)); \
  }                                                                                                      \
  constexpr E operator&(E a, E b) {                                                                      \
    return static_cast<E>(static_cast<std::underlying_type_t<E>>(a) & static_cast<std::underlying_type_t<E>>(b)); \
  }                                                                                                      \
  constexpr E operator~(E a) { return static_cast<E>(~static_cast<std::underlying_type_t<E>>(a)); }     \
  constexpr E& operator|=(E& a, E b) { return a = a | b; }                                               \
  constexpr E& operator&=(E& a, E b) { return a = a & b; }                                               \
  constexpr bool has_flag(E set, E flag) { return (set & flag) == flag; }
