#include "orvel/contracts/setting/datagrid_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& DataGridSetting::static_type() {
  using Self = DataGridSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingDataGridSetting", &Core::Object::static_type(), {}, Core::factory_of<DataGridSetting>(),
      {property("submit-mode", &Self::get_submit_mode, &Self::set_submit_mode),
       property("records-limit", &Self::get_records_limit, &Self::set_records_limit).with_default(std::int64_t{1000}),
       property("font-with-size", &Self::get_font_with_size, &Self::set_font_with_size),
       property("color-bg-dark", &Self::get_color_bg_dark, &Self::set_color_bg_dark),
       property("color-bg-light", &Self::get_color_bg_light, &Self::set_color_bg_light),
       property("color-bg-dirty", &Self::get_color_bg_dirty, &Self::set_color_bg_dirty),
       property("color-text", &Self::get_color_text, &Self::set_color_text),
       property("color-integer", &Self::get_color_integer, &Self::set_color_integer),
       property("color-float", &Self::get_color_float, &Self::set_color_float),
       property("color-datetime", &Self::get_color_datetime, &Self::set_color_datetime),
       property("color-binary", &Self::get_color_binary, &Self::set_color_binary),
       property("color-spatial", &Self::get_color_spatial, &Self::set_color_spatial),
       property("color-compute", &Self::get_color_compute, &Self::set_color_compute),
       property("color-others", &Self::get_color_others, &Self::set_color_others),
       property("color-dbnull", &Self::get_color_dbnull, &Self::set_color_dbnull),
       property("color-current", &Self::get_color_current, &Self::set_color_current)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
