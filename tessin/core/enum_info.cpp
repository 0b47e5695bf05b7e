#include "tessin/core/enum_info.hpp"

#include <glib.h>

namespace Tolvane::Core {

EnumInfo::EnumInfo(const char* type_name, const char* value_prefix, bool is_flags, std::initializer_list<Member> members)
    : m_type_name(type_name), m_is_flags(is_flags) {
  m_values.reserve(members.size());
  for (const Member& member : members) {
    std::string name = value_prefix;
    for (const char* c = member.nick; *c != '\0'; ++c) {
      name.push_back(*c == '-' ? '_' : g_ascii_toupper(*c));
    }
    m_values.push_back(EnumValue{member.value, std::move(name), member.nick});
  }
}

const EnumValue* EnumInfo::by_value(std::int64_t value) const noexcept {
  for (const EnumValue& v : m_values) {
    if (v.value == value) {
      return &v;
    }
  }
  return nullptr;
}

const EnumValue* EnumInfo::by_nick(std::string_view nick) const noexcept {
  for (const EnumValue& v : m_values) {
    if (v.nick == nick) {
      return &v;
    }
  }
  return nullptr;
}

const EnumValue* EnumInfo::by_name(std::string_view name) const noexcept {
  for (const EnumValue& v : m_values) {
    if (v.name == name) {
      return &v;
    }
  }
  return nullptr;
}

std::uint64_t EnumInfo::all() const noexcept {
  std::uint64_t result = 0;
  for (const EnumValue& v : m_values) {
    result |= static_cast<std::uint64_t>(v.value);
  }
  return result;
}

}  // namespace Tolvane::Core
