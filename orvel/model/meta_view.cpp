#include "orvel/model/meta_view.hpp"

#include <algorithm>

#include "tessin/core/property.hpp"
#include "tessin/core/regex.hpp"
#include "tessin/core/source_log.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaView::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaView", &MetaObject::static_type(), {}, Core::factory_of<MetaView>(),
      {Core::property("definition", &MetaView::get_definition, &MetaView::set_definition),
       Core::property("columns", &MetaView::get_columns)});
  return info;
}

// `with-data` declares its initial true as its default, so the JSON form writes
// it only when it is false.
const Core::TypeInfo& Materialized::static_type() {
  using C = Materialized;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMaterialized", &MetaView::static_type(), {}, Core::factory_of<Materialized>(),
      {Core::property("table-space", &C::get_table_space, &C::set_table_space),
       Core::property("definer", &C::get_definer, &C::set_definer),
       Core::property("fill-factor", &C::get_fill_factor, &C::set_fill_factor),
       Core::property("with-data", &C::get_with_data, &C::set_with_data).with_default(true)});
  return info;
}

MetaViewPtr MetaView::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<MetaView>(database, schema, name);
}

MaterializedPtr Materialized::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<Materialized>(database, schema, name);
}

void MetaView::set_definition(std::string definition) {
  m_definition = std::move(definition);
  derive_columns();
  notify("definition");
}

namespace {

constexpr int kPatternFlags = G_REGEX_CASELESS | G_REGEX_MULTILINE;

// The select list between SELECT and FROM.
const Core::Regex& list_pattern() {
  static const Core::Regex regex(R"re(select\s+(?<columns>[\w\s`'".,=()\[\]\*]+)\s+from)re", kPatternFlags);
  return regex;
}

// One item of the list with the separator after it: a qualified column with an
// alias, a column with an alias, a qualified column, a qualified star, a star or
// a plain column.
const Core::Regex& item_pattern() {
  static const Core::Regex regex(
      R"re((?<expr1>[\w`'"\[\]]+\.[\w`'"\[\]]+\s+as\s+[\w`'"\[\]]+)[,\s]+|(?<expr2>[\w`'"\[\]]+\s+as\s+[\w`'"\[\]]+)[,\s]+|(?<expr3>[\w`'"\[\]]+\.[\w`'"\[\]]+)[,\s]+|(?<expr4>[\w`'"\[\]]+\.\*)[,\s]+|(?<expr5>\*)[,\s]+|(?<expr6>[\w`'"\[\]]+)[,\s]+)re",
      kPatternFlags);
  return regex;
}

constexpr std::string_view kBlanks = " \t\n\r\f\v";

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The text of the group that took part in the match.
std::string item_of(const GMatchInfo* info) {
  static constexpr const char* groups[] = {"expr3", "expr2", "expr1", "expr6", "expr5", "expr4"};
  for (const char* group : groups) {
    Core::GCharPtr text(g_match_info_fetch_named(info, group));
    if (text && text.get()[0] != '\0') {
      return std::string(trimmed(text.get()));
    }
  }
  return {};
}

MetaColumnPtr column_of(std::string_view item) {
  auto column = MetaColumn::create();
  std::string name;
  const std::size_t as = item.find(" as ");
  if (as != std::string_view::npos) {
    name = trimmed(item.substr(as + 4));
    column->set_raw_type(std::string(trimmed(item.substr(0, as))));
  } else {
    name = item;
    column->set_raw_type(std::string(item));
  }
  std::erase_if(name, [](char c) { return c == '`' || c == '\'' || c == '"' || c == '[' || c == ']'; });
  column->set_name(std::move(name));
  return column;
}

}  // namespace

void MetaView::derive_columns() {
  Core::GMatchInfoPtr list = list_pattern().match(m_definition);
  std::optional<std::string> columns = Core::Regex::named_group(list.get(), "columns");
  if (!columns) {
    return;
  }
  // The last item has no separator after it; the end of the list stands in for one.
  std::string items = std::move(*columns);
  items.push_back(',');
  Core::GMatchInfoPtr info = item_pattern().match(items);
  bool first = true;
  while (info && g_match_info_matches(info.get()) != FALSE) {
    if (first) {
      m_columns.clear();
      first = false;
    }
    std::string item = item_of(info.get());
    if (!item.empty()) {
      m_columns.push_back(column_of(item));
    }
    GError* error = nullptr;
    if (g_match_info_next(info.get(), &error) == FALSE) {
      if (error != nullptr) {
        TOLVANE_WARNING("%s", error->message);
        g_error_free(error);
      }
      break;
    }
  }
}

MetaObjectPtr MetaView::clone() const {
  auto copy = std::static_pointer_cast<MetaView>(MetaObject::clone());
  copy->m_columns.clear();
  return copy;
}

// The columns follow from the definition, which is written, so they have no
// member of their own: two views with the same definition give the same text.
Core::Json::NodeRef MetaView::serialize_property(std::string_view property_name,
                                                 const Core::PropertySpec& spec) const {
  if (property_name == "columns") {
    return {};
  }
  return MetaObject::serialize_property(property_name, spec);
}

}  // namespace Tolvane::Orvel::MetaModel
