#include "orvel/contracts/setting/extension_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& ExtensionSetting::static_type() {
  using Self = ExtensionSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingExtensionSetting", &Core::Object::static_type(), {}, Core::factory_of<ExtensionSetting>(),
      {property("loaded-plugins", &Self::get_loaded_plugins, &Self::set_loaded_plugins)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
