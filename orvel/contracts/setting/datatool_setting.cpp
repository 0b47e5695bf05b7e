#include "orvel/contracts/setting/datatool_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& DataToolSetting::static_type() {
  using Self = DataToolSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingDataToolSetting", &Core::Object::static_type(), {}, Core::factory_of<DataToolSetting>(),
      {property("external-editor", &Self::get_external_editor, &Self::set_external_editor)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
