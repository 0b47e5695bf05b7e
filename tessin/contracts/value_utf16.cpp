#include "tessin/contracts/value_utf16.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueUtf16::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueUtf16", &ValueObject::static_type(), {}, nullptr,
                                   {Core::property("itsvalue", &ValueUtf16::get_itsvalue, &ValueUtf16::set_itsvalue)});
  return info;
}

std::shared_ptr<ValueUtf16> ValueUtf16::string(std::string_view text) {
  GError* error = nullptr;
  glong written = 0;
  gunichar2* converted = g_utf8_to_utf16(text.data(), static_cast<glong>(text.size()), nullptr, &written, &error);
  if (converted == nullptr) {
    g_critical("ValueUtf16: %s", error != nullptr ? error->message : "invalid UTF-8");
    g_clear_error(&error);
    return nullptr;
  }
  std::u16string buffer(reinterpret_cast<const char16_t*>(converted), static_cast<std::size_t>(written));
  g_free(converted);
  return create(std::move(buffer));
}

void ValueUtf16::set_itsvalue(std::u16string text) {
  m_itsvalue = std::move(text);
  notify("itsvalue");
}

std::optional<std::string> ValueUtf16::to_utf8() const {
  glong written = 0;
  gchar* converted = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(m_itsvalue.data()),
                                     static_cast<glong>(m_itsvalue.size()), nullptr, &written, nullptr);
  if (converted == nullptr) {
    return std::nullopt;
  }
  std::string result(converted, static_cast<std::size_t>(written));
  g_free(converted);
  return result;
}

Core::GValueHolder ValueUtf16::to_value() const {
  auto text = to_utf8();
  return Core::GValueHolder::of_string(text ? text->c_str() : nullptr);
}

std::string ValueUtf16::to_string() const { return to_utf8().value_or(std::string()); }

ValueObjectPtr ValueUtf16::clone() const {
  // Cloned through UTF-8, so an invalid buffer clones into an empty text.
  auto text = to_utf8();
  auto copy = string(text ? *text : std::string());
  return copy ? copy : create(std::u16string());
}

std::string ValueUtf16::get_name() const { return "wstring"; }
DataType ValueUtf16::get_data_type() const { return DataType::WString; }

}  // namespace Tolvane::Providers::Contracts
