#pragma once

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// Well-known text or coordinates.
class TESSIN_API ValueGeometry : public ValueObject {
  TOLVANE_OBJECT(ValueGeometry)

  explicit ValueGeometry(std::string value) : m_itsvalue(std::move(value)) {}
  static std::shared_ptr<ValueGeometry> create(std::string value) {
    return std::make_shared<ValueGeometry>(std::move(value));
  }

  const std::string& get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(std::string value);

  Core::GValueHolder to_value() const override;
  std::string to_string() const override { return m_itsvalue; }
  ValueObjectPtr clone() const override { return create(m_itsvalue); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  std::string m_itsvalue;
};

// A point as "latitude, longitude". Only unsigned numbers are recognised: a sign
// is not part of either coordinate.
class TESSIN_API ValueGeography final : public ValueGeometry {
  TOLVANE_OBJECT(ValueGeography)

  using ValueGeometry::ValueGeometry;
  static std::shared_ptr<ValueGeography> create(std::string value) {
    return std::make_shared<ValueGeography>(std::move(value));
  }

  // 0 for an empty or unmatched text.
  double latitude() const;
  double longitude() const;

  ValueObjectPtr clone() const override { return create(m_itsvalue); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 private:
  double coordinate(const char* group) const;
};

}  // namespace Tolvane::Providers::Contracts
