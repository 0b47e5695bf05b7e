#pragma once

#include <cstdint>
#include <vector>

#include <gio/gio.h>

#include "tessin/contracts/value_string.hpp"

namespace Tolvane::Providers::Contracts {

// Bytes in a GLib byte buffer, which the GLib form shares.
class TESSIN_API ValueBinary : public ValueObject {
  TOLVANE_OBJECT(ValueBinary)

  ValueBinary();
  // Copies `length` bytes.
  ValueBinary(const std::uint8_t* data, std::size_t length);
  // Shares an existing buffer (GLib byte buffers are immutable).
  explicit ValueBinary(Core::Bytes bytes);
  static std::shared_ptr<ValueBinary> create(const std::uint8_t* data = nullptr, std::size_t length = 0) {
    return std::make_shared<ValueBinary>(data, length);
  }

  const Core::Bytes& get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(Core::Bytes bytes);

  std::size_t size() const noexcept;
  const std::uint8_t* data() const noexcept;

  // A copy of the bytes.
  std::vector<std::uint8_t> to_bytes() const;
  // Upper-case hexadecimal, two digits a byte.
  std::string to_hexadecimal() const;
  // Writes every byte to `stream`.
  Core::Status write(GOutputStream* stream) const;

  void load(const std::string& filename, FileCallback callback);
  void save(const std::string& filename, FileCallback callback);

  Core::GValueHolder to_value() const override;
  // "" when empty; the bytes up to the first zero byte when they are valid UTF-8;
  // otherwise the hexadecimal form of all bytes.
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  Core::Bytes m_itsvalue;
};

class TESSIN_API ValueBlob final : public ValueBinary {
  TOLVANE_OBJECT(ValueBlob)

  using ValueBinary::ValueBinary;
  static std::shared_ptr<ValueBlob> create(const std::uint8_t* data = nullptr, std::size_t length = 0) {
    return std::make_shared<ValueBlob>(data, length);
  }

  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;
};

}  // namespace Tolvane::Providers::Contracts
