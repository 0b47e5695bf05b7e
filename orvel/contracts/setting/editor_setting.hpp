#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class EditorSetting;
using EditorSettingPtr = std::shared_ptr<EditorSetting>;

// The SQL editor.
class ORVEL_API EditorSetting final : public Core::Object {
  TOLVANE_OBJECT(EditorSetting)

  EditorSetting() = default;
  static EditorSettingPtr create() { return std::make_shared<EditorSetting>(); }

  TOLVANE_SETTING(bool, highlight_syntax, "highlight-syntax", true)
  TOLVANE_SETTING(bool, highlight_matching_brackets, "highlight-matching-brackets", true)
  TOLVANE_SETTING(bool, highlight_current_line, "highlight-current-line", true)
  TOLVANE_SETTING(bool, autocompletion, "autocompletion", true)
  TOLVANE_SETTING(bool, code_fold, "code-fold", false)
  TOLVANE_SETTING(bool, text_wrap, "text-wrap", true)
  TOLVANE_SETTING(bool, display_line_numbers, "display-line-numbers", true)
  TOLVANE_SETTING(bool, insert_tab_as_spaces, "insert-tab-as-spaces", true)
  TOLVANE_SETTING(bool, auto_indent, "auto-indent", true)
  TOLVANE_SETTING(std::int32_t, indent_width, "indent-width", 4)
  TOLVANE_SETTING(std::int32_t, tab_width, "tab-width", 4)
  TOLVANE_SETTING(std::string, font_with_size, "font-with-size", "")
  TOLVANE_SETTING(bool, overview_map, "overview-map", false)
  TOLVANE_SETTING(std::string, style_scheme, "style-scheme", "Adwaita")
};

}  // namespace Tolvane::Orvel::Contracts::Setting
