#pragma once

#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class DataToolSetting;
using DataToolSettingPtr = std::shared_ptr<DataToolSetting>;

// External data tools.
class ORVEL_API DataToolSetting final : public Core::Object {
  TOLVANE_OBJECT(DataToolSetting)

  DataToolSetting() = default;
  static DataToolSettingPtr create() { return std::make_shared<DataToolSetting>(); }

  TOLVANE_SETTING(std::string, external_editor, "external-editor", "")
};

}  // namespace Tolvane::Orvel::Contracts::Setting
