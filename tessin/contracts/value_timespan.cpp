#include "tessin/contracts/value_timespan.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueTimeSpan::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsValueTimeSpan", &ValueObject::static_type(), {}, Core::factory_of<ValueTimeSpan>(),
      {Core::property("itsvalue", &ValueTimeSpan::get_itsvalue, &ValueTimeSpan::set_itsvalue)});
  return info;
}

void ValueTimeSpan::set_itsvalue(std::int64_t value) {
  m_itsvalue = value;
  notify("itsvalue");
}

Core::GValueHolder ValueTimeSpan::to_value() const {
  Core::GValueHolder value(G_TYPE_INT64);
  g_value_set_int64(value.get(), m_itsvalue);
  return value;
}

std::string ValueTimeSpan::to_string() const { return std::to_string(m_itsvalue); }
std::string ValueTimeSpan::get_name() const { return "timespan"; }
DataType ValueTimeSpan::get_data_type() const { return DataType::TimeSpan; }

}  // namespace Tolvane::Providers::Contracts
