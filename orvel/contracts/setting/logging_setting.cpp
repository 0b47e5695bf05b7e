#include "orvel/contracts/setting/logging_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& LoggingSetting::static_type() {
  using Self = LoggingSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingLoggingSetting", &Core::Object::static_type(), {}, Core::factory_of<LoggingSetting>(),
      {property("file-size-max", &Self::get_file_size_max, &Self::set_file_size_max),
       property("logger-level", &Self::get_logger_level, &Self::set_logger_level)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
