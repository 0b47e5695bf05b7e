#pragma once

#include <string>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// UTF-16 text. The text form is the UTF-8 conversion; a buffer that is not valid
// UTF-16 shows as "" and converts to a null GLib string.
class TESSIN_API ValueUtf16 final : public ValueObject {
  TOLVANE_OBJECT(ValueUtf16)

  explicit ValueUtf16(std::u16string text) : m_itsvalue(std::move(text)) {}
  // Takes over a UTF-16 buffer.
  static std::shared_ptr<ValueUtf16> create(std::u16string text) {
    return std::make_shared<ValueUtf16>(std::move(text));
  }
  // Converts UTF-8 text; null (and a critical message) when it is not valid UTF-8.
  static std::shared_ptr<ValueUtf16> string(std::string_view text);

  const std::u16string& get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(std::u16string text);

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;

 private:
  // The UTF-8 form, or nothing when the buffer is not valid UTF-16.
  std::optional<std::string> to_utf8() const;

  std::u16string m_itsvalue;
};

}  // namespace Tolvane::Providers::Contracts
