#pragma once

#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class ExtensionSetting;
using ExtensionSettingPtr = std::shared_ptr<ExtensionSetting>;

// Plug-ins.
class ORVEL_API ExtensionSetting final : public Core::Object {
  TOLVANE_OBJECT(ExtensionSetting)

  ExtensionSetting() = default;
  static ExtensionSettingPtr create() { return std::make_shared<ExtensionSetting>(); }

  TOLVANE_SETTING(std::string, loaded_plugins, "loaded-plugins", "")
};

}  // namespace Tolvane::Orvel::Contracts::Setting
