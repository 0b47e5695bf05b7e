#include <locale.h>

#include <cstdlib>

#include "tessin/contracts/values.hpp"

namespace Tolvane::Providers::Contracts {

namespace {

// The leading decimal integer, as atoi reads it: blanks, a sign, digits.
std::int64_t leading_decimal(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

std::int64_t signed_auto_base(const std::string& text) { return g_ascii_strtoll(text.c_str(), nullptr, 0); }

std::uint64_t unsigned_auto_base(const std::string& text) { return g_ascii_strtoull(text.c_str(), nullptr, 0); }

// The leading number in single precision, read in the C locale: numbers are
// written with a '.' whatever the user's locale, and must read back the same.
// Parsed as a float directly rather than narrowed from a double, which would
// round twice.
float leading_float(const std::string& text) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtof_l(text.c_str(), nullptr, c_locale);
}

ValueObjectPtr make_time(const std::optional<std::string_view>& text) {
  if (!text) {
    Core::DateTime now = Core::DateTime::adopt(g_date_time_new_now_local());
    return ValueTime::hms(g_date_time_get_hour(now.get()), g_date_time_get_minute(now.get()),
                          g_date_time_get_seconds(now.get()));
  }
  if (auto time = parse_time_of_day(*text)) {
    auto [hour, minute, seconds] = *time;
    return ValueTime::hms(hour, minute, seconds);
  }
  return ValueTime::hms(0, 0, 0);
}

}  // namespace

ValueObjectPtr IValue::factory(DataType type, std::optional<std::string_view> text) {
  // Null text reads as "" for every numeric kind, which parses to 0.
  const std::string owned = text ? std::string(*text) : std::string();
  switch (type) {
    case DataType::DbNull:
      return ValueNull::create();
    case DataType::Boolean:
      return ValueBoolean::create(owned == "true");
    case DataType::Int8:
      return ValueInt8::create(static_cast<std::int8_t>(leading_decimal(owned)));
    case DataType::Int16:
      return ValueInt16::create(static_cast<std::int16_t>(leading_decimal(owned)));
    case DataType::Int32:
      return ValueInt32::create(static_cast<std::int32_t>(leading_decimal(owned)));
    case DataType::Int64:
      return ValueInt64::create(signed_auto_base(owned));
    case DataType::UInt8:
      return ValueUInt8::create(static_cast<std::uint8_t>(static_cast<std::uint32_t>(unsigned_auto_base(owned))));
    case DataType::UInt16:
      return ValueUInt16::create(static_cast<std::uint16_t>(static_cast<std::uint32_t>(unsigned_auto_base(owned))));
    case DataType::UInt32:
      return ValueUInt32::create(static_cast<std::uint32_t>(unsigned_auto_base(owned)));
    case DataType::UInt64:
      return ValueUInt64::create(unsigned_auto_base(owned));
    case DataType::Money:
      return ValueMoney::create(static_cast<double>(leading_float(owned)));
    case DataType::Float:
      return ValueFloat::create(leading_float(owned));
    case DataType::Double:
      return ValueDouble::create(g_ascii_strtod(owned.c_str(), nullptr));
    case DataType::Date:
      return text ? ValueObjectPtr(ValueDate::iso8601(owned)) : ValueObjectPtr(ValueDate::create());
    case DataType::Time:
      return make_time(text);
    case DataType::DateTime:
    case DataType::TimeStamp:
      return text ? ValueObjectPtr(ValueDateTime::iso8601(owned)) : ValueObjectPtr(ValueDateTime::create());
    case DataType::TimeSpan:
      return ValueTimeSpan::interval(0, signed_auto_base(owned));
    case DataType::String:
      return ValueString::create(owned);
    case DataType::Uuid:
      return ValueUuid::uuid(owned);
    case DataType::Json:
      return ValueJson::create(owned);
    case DataType::Binary:
      return ValueBinary::create(reinterpret_cast<const std::uint8_t*>(owned.data()), owned.size());
    case DataType::Blob:
      return ValueBlob::create(reinterpret_cast<const std::uint8_t*>(owned.data()), owned.size());
    case DataType::Object:
      return ValueObject::create();
    default:
      return ValueXml::create(owned);
  }
}

}  // namespace Tolvane::Providers::Contracts
