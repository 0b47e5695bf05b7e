#include "orvel/contracts/setting/editor_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& EditorSetting::static_type() {
  using Self = EditorSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingEditorSetting", &Core::Object::static_type(), {}, Core::factory_of<EditorSetting>(),
      {property("highlight-syntax", &Self::get_highlight_syntax, &Self::set_highlight_syntax).with_default(true),
       property("highlight-matching-brackets", &Self::get_highlight_matching_brackets, &Self::set_highlight_matching_brackets).with_default(true),
       property("highlight-current-line", &Self::get_highlight_current_line, &Self::set_highlight_current_line).with_default(true),
       property("autocompletion", &Self::get_autocompletion, &Self::set_autocompletion).with_default(true),
       property("code-fold", &Self::get_code_fold, &Self::set_code_fold),
       property("text-wrap", &Self::get_text_wrap, &Self::set_text_wrap).with_default(true),
       property("display-line-numbers", &Self::get_display_line_numbers, &Self::set_display_line_numbers).with_default(true),
       property("insert-tab-as-spaces", &Self::get_insert_tab_as_spaces, &Self::set_insert_tab_as_spaces).with_default(true),
       property("auto-indent", &Self::get_auto_indent, &Self::set_auto_indent).with_default(true),
       property("indent-width", &Self::get_indent_width, &Self::set_indent_width).with_default(std::int64_t{4}),
       property("tab-width", &Self::get_tab_width, &Self::set_tab_width).with_default(std::int64_t{4}),
       property("font-with-size", &Self::get_font_with_size, &Self::set_font_with_size),
       property("overview-map", &Self::get_overview_map, &Self::set_overview_map),
       property("style-scheme", &Self::get_style_scheme, &Self::set_style_scheme)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
