#pragma once

#include <cstdint>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// A signed 64-bit time span (microseconds, as GLib counts them). Its text form is
// the decimal number, so that the factory reads back what it shows; its GLib form
// is an int64.
class TESSIN_API ValueTimeSpan final : public ValueObject {
  TOLVANE_OBJECT(ValueTimeSpan)

  explicit ValueTimeSpan(std::int64_t value = 0, std::int32_t interval = 0) noexcept
      : m_itsvalue(value), m_interval(interval) {}
  static std::shared_ptr<ValueTimeSpan> create(std::int64_t value = 0) {
    return std::make_shared<ValueTimeSpan>(value);
  }
  // `n` is kept and never read.
  static std::shared_ptr<ValueTimeSpan> interval(std::int32_t n, std::int64_t value) {
    return std::make_shared<ValueTimeSpan>(value, n);
  }

  std::int64_t get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(std::int64_t value);

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override { return create(m_itsvalue); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 private:
  std::int64_t m_itsvalue;
  [[maybe_unused]] std::int32_t m_interval;
};

}  // namespace Tolvane::Providers::Contracts
