#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class GeneralSetting;
using GeneralSettingPtr = std::shared_ptr<GeneralSetting>;

// Window and toolbar state of the front end. The numeric codes (locale, colour
// scheme, window state, starter page, snippet mode) are the host's own.
class ORVEL_API GeneralSetting final : public Core::Object {
  TOLVANE_OBJECT(GeneralSetting)

  GeneralSetting();
  static GeneralSettingPtr create() { return std::make_shared<GeneralSetting>(); }

  TOLVANE_SETTING(std::int32_t, window_left, "window-left", 0)
  TOLVANE_SETTING(std::int32_t, window_top, "window-top", 0)
  TOLVANE_SETTING(std::int32_t, window_width, "window-width", 0)
  TOLVANE_SETTING(std::int32_t, window_height, "window-height", 0)
  TOLVANE_SETTING(std::int32_t, window_state, "window-state", 0)
  TOLVANE_SETTING(std::uint32_t, user_locale, "user-locale", 0)
  TOLVANE_SETTING(std::uint32_t, color_scheme, "color-scheme", 0)
  // The creation time (UTC) of a new group; none when a file held no valid one.
  TOLVANE_SETTING(Core::DateTime, broadcasting, "broadcasting", {})
  TOLVANE_SETTING(std::string, titlebar_background, "titlebar-background", "none")
  TOLVANE_SETTING(bool, toolbar_main_icon, "toolbar-main-icon", false)
  TOLVANE_SETTING(bool, toolbar_main_text, "toolbar-main-text", true)
  TOLVANE_SETTING(bool, toolbar_minor_text, "toolbar-minor-text", true)
  TOLVANE_SETTING(std::uint32_t, starter_page, "starter-page", 0)
  // The key is spelled so in every settings file.
  TOLVANE_SETTING(double, connecton_icon_size, "connecton-icon-size", 96.0)
  TOLVANE_SETTING(std::uint32_t, snippet_mode, "snippet-mode", 1)
  TOLVANE_SETTING(bool, check_updates_on_startup, "check-updates-on-startup", false)

  // The group's JSON members: the property defaults rules, and "broadcasting"
  // always, as ISO 8601 text or "" when there is none.
  Core::Json::ObjectRef to_json() const;
  // Reads the members; a "broadcasting" text that is not ISO 8601 leaves no
  // date-time.
  void from_json(JsonObject* json);
};

}  // namespace Tolvane::Orvel::Contracts::Setting
