#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class DataGridSetting;
using DataGridSettingPtr = std::shared_ptr<DataGridSetting>;

// The data grid; colours are CSS colour texts.
class ORVEL_API DataGridSetting final : public Core::Object {
  TOLVANE_OBJECT(DataGridSetting)

  DataGridSetting() = default;
  static DataGridSettingPtr create() { return std::make_shared<DataGridSetting>(); }

  TOLVANE_SETTING(std::string, submit_mode, "submit-mode", "live")
  TOLVANE_SETTING(std::int32_t, records_limit, "records-limit", 1000)
  TOLVANE_SETTING(std::string, font_with_size, "font-with-size", "monospace 10")
  TOLVANE_SETTING(std::string, color_bg_dark, "color-bg-dark", "rgba(0, 0, 0, 0.05)")
  TOLVANE_SETTING(std::string, color_bg_light, "color-bg-light", "rgba(255, 255, 255, 0.05)")
  TOLVANE_SETTING(std::string, color_bg_dirty, "color-bg-dirty", "rgba(245, 108, 108, 0.3)")
  TOLVANE_SETTING(std::string, color_text, "color-text", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_integer, "color-integer", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_float, "color-float", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_datetime, "color-datetime", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_binary, "color-binary", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_spatial, "color-spatial", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_compute, "color-compute", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_others, "color-others", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_dbnull, "color-dbnull", "rgba(0, 0, 0, 1.0)")
  TOLVANE_SETTING(std::string, color_current, "color-current", "rgba(204, 204, 204, 0.8)")
};

}  // namespace Tolvane::Orvel::Contracts::Setting
