#include "tessin/contracts/value_real.hpp"

#include <charconv>
#include <cmath>

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

namespace {

// printf's "%f" in the C locale, without the locale lookup printf does.
std::string fixed6(double number) {
  if (!std::isfinite(number)) {
    return std::isnan(number) ? (std::signbit(number) ? "-nan" : "nan") : (number < 0 ? "-inf" : "inf");
  }
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 6);
  (void)ec;
  return std::string(buffer, end);
}

}  // namespace

template <class T>
std::string ValueRealBase<T>::to_string() const {
  return fixed6(static_cast<double>(m_itsvalue));
}

template class ValueRealBase<float>;
template class ValueRealBase<double>;

#define TOLVANE_DEFINE_VALUE_REAL(Class, short_name, data_type, gtype, gsetter)                             \
  const Core::TypeInfo& Class::static_type() {                                                           \
    static const Core::TypeInfo info("TolvaneProvidersContracts" #Class, &ValueObject::static_type(),     \
                                     {&INumeric::static_type()}, Core::factory_of<Class>(),              \
                                     {Core::property("itsvalue", &Class::get_itsvalue, &Class::set_itsvalue)}); \
    return info;                                                                                         \
  }                                                                                                      \
  Core::GValueHolder Class::to_value() const {                                                           \
    Core::GValueHolder value(gtype);                                                                     \
    gsetter(value.get(), m_itsvalue);                                                                    \
    return value;                                                                                        \
  }                                                                                                      \
  std::string Class::get_name() const { return short_name; }                                            \
  DataType Class::get_data_type() const { return data_type; }

TOLVANE_DEFINE_VALUE_REAL(ValueFloat, "float", DataType::Float, G_TYPE_FLOAT, g_value_set_float)
TOLVANE_DEFINE_VALUE_REAL(ValueDouble, "double", DataType::Double, G_TYPE_DOUBLE, g_value_set_double)
TOLVANE_DEFINE_VALUE_REAL(ValueMoney, "money", DataType::Money, G_TYPE_DOUBLE, g_value_set_double)
TOLVANE_DEFINE_VALUE_REAL(ValueDecimal, "decimal", DataType::Decimal, G_TYPE_DOUBLE, g_value_set_double)

#undef TOLVANE_DEFINE_VALUE_REAL

}  // namespace Tolvane::Providers::Contracts
