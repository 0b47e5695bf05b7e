#pragma once

#include <cstdint>

#include "tessin/contracts/value_object.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {

// A failure carried as a value (one statement of a script that failed).
class TESSIN_API ValueError final : public ValueObject {
  TOLVANE_OBJECT(ValueError)

  ValueError(std::int32_t code, std::string message) : m_code(code), m_message(std::move(message)) {}
  static std::shared_ptr<ValueError> create(std::int32_t code, std::string message) {
    return std::make_shared<ValueError>(code, std::move(message));
  }

  std::int32_t get_code() const noexcept { return m_code; }
  const std::string& get_message() const noexcept { return m_message; }
  // "<code>:<message>".
  std::string get_itsvalue() const;
  // The failure as an error of the "SQL" domain.
  Core::Error to_error() const { return Core::Error{"SQL", m_code, m_message}; }

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;

 private:
  std::int32_t m_code;
  std::string m_message;
};

}  // namespace Tolvane::Providers::Contracts
