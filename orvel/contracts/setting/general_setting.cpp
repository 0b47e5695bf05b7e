#include "orvel/contracts/setting/general_setting.hpp"

#include "orvel/contracts/serialization/json_serializer.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

namespace Json = Core::Json;

GeneralSetting::GeneralSetting() : m_broadcasting(Core::DateTime::adopt(g_date_time_new_now_utc())) {}

const Core::TypeInfo& GeneralSetting::static_type() {
  using Self = GeneralSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingGeneralSetting", &Core::Object::static_type(), {},
      Core::factory_of<GeneralSetting>(),
      {property("window-left", &Self::get_window_left, &Self::set_window_left),
       property("window-top", &Self::get_window_top, &Self::set_window_top),
       property("window-width", &Self::get_window_width, &Self::set_window_width),
       property("window-height", &Self::get_window_height, &Self::set_window_height),
       property("window-state", &Self::get_window_state, &Self::set_window_state),
       property("user-locale", &Self::get_user_locale, &Self::set_user_locale),
       property("color-scheme", &Self::get_color_scheme, &Self::set_color_scheme),
       property("broadcasting", &Self::get_broadcasting, &Self::set_broadcasting),
       property("titlebar-background", &Self::get_titlebar_background, &Self::set_titlebar_background),
       property("toolbar-main-icon", &Self::get_toolbar_main_icon, &Self::set_toolbar_main_icon),
       property("toolbar-main-text", &Self::get_toolbar_main_text, &Self::set_toolbar_main_text).with_default(true),
       property("toolbar-minor-text", &Self::get_toolbar_minor_text, &Self::set_toolbar_minor_text)
           .with_default(true),
       property("starter-page", &Self::get_starter_page, &Self::set_starter_page),
       property("connecton-icon-size", &Self::get_connecton_icon_size, &Self::set_connecton_icon_size)
           .with_default(96.0),
       property("snippet-mode", &Self::get_snippet_mode, &Self::set_snippet_mode).with_default(std::uint64_t{1}),
       property("check-updates-on-startup", &Self::get_check_updates_on_startup,
                &Self::set_check_updates_on_startup)});
  return info;
}

Json::ObjectRef GeneralSetting::to_json() const {
  return Json::serialize_object(*this, [this](const Core::Object&, const Core::PropertySpec& spec, Json::NodeRef& node) {
    if (spec.name != "broadcasting") {
      return false;
    }
    JsonNode* text = json_node_alloc();
    json_node_init_string(text, Serialization::date_time_to_iso8601(m_broadcasting).c_str());
    node = Json::NodeRef::adopt(text);
    return true;
  });
}

void GeneralSetting::from_json(JsonObject* json) {
  Json::deserialize_object(*this, json, [this](Core::Object&, const Core::PropertySpec& spec, JsonNode* node) {
    if (spec.name != "broadcasting") {
      return false;
    }
    if (JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == G_TYPE_STRING) {
      set_broadcasting(Serialization::date_time_from_iso8601(json_node_get_string(node)));
    }
    return true;
  });
}

}  // namespace Tolvane::Orvel::Contracts::Setting
