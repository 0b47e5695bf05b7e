#pragma once

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

class TESSIN_API ValueBoolean final : public ValueObject, public IInteger, public IUnsigned {
  TOLVANE_OBJECT(ValueBoolean)

  explicit ValueBoolean(bool value = false) : m_itsvalue(value) {}
  static std::shared_ptr<ValueBoolean> create(bool value = false) { return std::make_shared<ValueBoolean>(value); }

  bool get_itsvalue() const noexcept { return m_itsvalue; }
  // Notifies on every call, changed or not.
  void set_itsvalue(bool value);
  bool get_boolean() const noexcept { return m_itsvalue; }

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;
  std::int64_t to_integer() const override { return m_itsvalue ? 1 : 0; }
  std::uint64_t to_unsigned() const override { return m_itsvalue ? 1 : 0; }

 private:
  bool m_itsvalue;
};

}  // namespace Tolvane::Providers::Contracts
