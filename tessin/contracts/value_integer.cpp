#include "tessin/contracts/value_integer.hpp"

#include <charconv>

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

template <class T>
std::string ValueIntegerBase<T>::to_string() const {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, m_itsvalue);
  (void)ec;
  return std::string(buffer, end);
}

template class ValueIntegerBase<std::int8_t>;
template class ValueIntegerBase<std::int16_t>;
template class ValueIntegerBase<std::int32_t>;
template class ValueIntegerBase<std::int64_t>;
template class ValueIntegerBase<std::uint8_t>;
template class ValueIntegerBase<std::uint16_t>;
template class ValueIntegerBase<std::uint32_t>;
template class ValueIntegerBase<std::uint64_t>;

#define TOLVANE_DEFINE_VALUE_INTEGER(Class, short_name, data_type, gtype, gsetter, ...)                    \
  const Core::TypeInfo& Class::static_type() {                                                           \
    static const Core::TypeInfo info("TolvaneProvidersContracts" #Class, &ValueObject::static_type(),     \
                                     {__VA_ARGS__}, Core::factory_of<Class>(),                           \
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

#define SIGNED &IInteger::static_type()
#define UNSIGNED &IInteger::static_type(), &IUnsigned::static_type()

TOLVANE_DEFINE_VALUE_INTEGER(ValueInt8, "byte", DataType::Int8, G_TYPE_CHAR, g_value_set_schar, SIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueInt16, "int16", DataType::Int16, G_TYPE_INT, g_value_set_int, SIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueInt32, "int32", DataType::Int32, G_TYPE_INT, g_value_set_int, SIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueInt64, "int64", DataType::Int64, G_TYPE_INT64, g_value_set_int64, SIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueUInt8, "uint8", DataType::UInt8, G_TYPE_UCHAR, g_value_set_uchar, UNSIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueUInt16, "uint16", DataType::UInt16, G_TYPE_UINT, g_value_set_uint, UNSIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueUInt32, "uint32", DataType::UInt32, G_TYPE_UINT, g_value_set_uint, UNSIGNED)
TOLVANE_DEFINE_VALUE_INTEGER(ValueUInt64, "uint64", DataType::UInt64, G_TYPE_UINT64, g_value_set_uint64, UNSIGNED)

#undef SIGNED
#undef UNSIGNED
#undef TOLVANE_DEFINE_VALUE_INTEGER

}  // namespace Tolvane::Providers::Contracts
