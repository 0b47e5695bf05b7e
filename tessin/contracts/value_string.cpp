#include "tessin/contracts/value_string.hpp"

#include "tessin/contracts/value_file_io.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

#define TOLVANE_TEXT_TYPE(Class, parent)                                                                   \
  const Core::TypeInfo& Class::static_type() {                                                          \
    static const Core::TypeInfo info("TolvaneProvidersContracts" #Class, &parent::static_type(), {},     \
                                     Core::factory_of<Class>(),                                          \
                                     {Core::property("itsvalue", &Class::get_itsvalue, &Class::set_itsvalue)}); \
    return info;                                                                                        \
  }

TOLVANE_TEXT_TYPE(ValueString, ValueObject)
TOLVANE_TEXT_TYPE(ValueXml, ValueString)
TOLVANE_TEXT_TYPE(ValueJson, ValueString)
TOLVANE_TEXT_TYPE(ValueUuid, ValueString)

#undef TOLVANE_TEXT_TYPE

void ValueString::set_itsvalue(std::string text) {
  m_itsvalue = std::move(text);
  notify("itsvalue");
}

Core::GValueHolder ValueString::to_value() const { return Core::GValueHolder::of_string(m_itsvalue.c_str()); }
ValueObjectPtr ValueString::clone() const { return create(m_itsvalue); }
std::string ValueString::get_name() const { return "string"; }
DataType ValueString::get_data_type() const { return DataType::String; }

std::string ValueXml::get_name() const { return "xml"; }
DataType ValueXml::get_data_type() const { return DataType::Xml; }
std::string ValueJson::get_name() const { return "json"; }
DataType ValueJson::get_data_type() const { return DataType::Json; }

std::shared_ptr<ValueUuid> ValueUuid::create() { return uuid(Core::take_std(g_uuid_string_random())); }
std::string ValueUuid::get_name() const { return "uuid"; }
DataType ValueUuid::get_data_type() const { return DataType::Uuid; }

void ValueString::load(const std::string& filename, FileCallback callback) {
  auto self = this->self<ValueString>();
  detail::run_file_job<Core::Result<std::optional<std::string>>>(
      [filename] { return detail::read_file(filename); },
      [self, callback = std::move(callback)](Core::Result<std::optional<std::string>>&& read) {
        if (!read) {
          callback(Core::fail(std::move(read.error())));
          return;
        }
        if (read->has_value()) {
          // Every line is appended with its line feed, so a last line without
          // one gets it.
          std::string text = std::move(**read);
          if (!text.empty() && text.back() != '\n') {
            text.push_back('\n');
          }
          self->set_itsvalue(std::move(text));
        }
        callback({});
      });
}

void ValueString::save(const std::string& filename, FileCallback callback) {
  detail::run_file_job<Core::Status>([filename, text = m_itsvalue] { return detail::write_file(filename, text); },
                                     [callback = std::move(callback)](Core::Status&& written) { callback(written); });
}

}  // namespace Tolvane::Providers::Contracts
