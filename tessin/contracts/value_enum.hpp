#pragma once

#include <vector>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// The text of an enumeration member, with the list of allowed member names.
// ValueSet and ValueFlags hold members of sets and flags the same way.
class TESSIN_API ValueEnum : public ValueObject {
  TOLVANE_OBJECT(ValueEnum)

  explicit ValueEnum(std::string member) : m_itsvalue(std::move(member)) {}
  static std::shared_ptr<ValueEnum> create(std::string member) { return std::make_shared<ValueEnum>(std::move(member)); }

  const std::string& get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(std::string member);
  const std::vector<std::string>& members() const noexcept { return m_members; }

  // Appends a copy of each given member name to the member list.
  virtual void initialize(const std::vector<std::string>& members);

  Core::GValueHolder to_value() const override;
  std::string to_string() const override { return m_itsvalue; }
  // Clones the member text only, not the member list.
  ValueObjectPtr clone() const override { return create(m_itsvalue); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  std::string m_itsvalue;
  std::vector<std::string> m_members;
};

#define TOLVANE_VALUE_ENUM_CLASS(Class)                                                  \
  class TESSIN_API Class final : public ValueEnum {                                      \
    TOLVANE_OBJECT(Class)                                                                \
    using ValueEnum::ValueEnum;                                                          \
    static std::shared_ptr<Class> create(std::string member) {                           \
      return std::make_shared<Class>(std::move(member));                                 \
    }                                                                                    \
    ValueObjectPtr clone() const override { return create(m_itsvalue); }                 \
    std::string get_name() const override;                                               \
    DataType get_data_type() const override;                                             \
  }

TOLVANE_VALUE_ENUM_CLASS(ValueSet);
TOLVANE_VALUE_ENUM_CLASS(ValueFlags);

#undef TOLVANE_VALUE_ENUM_CLASS

}  // namespace Tolvane::Providers::Contracts
