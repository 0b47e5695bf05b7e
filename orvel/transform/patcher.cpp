#include "orvel/transform/patcher.hpp"

#include <string_view>
#include <unordered_map>

#include "orvel/transform/data_json.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using namespace MetaModel;
using Providers::Contracts::DataSetModel;
using Providers::Contracts::DataSetModelPtr;
using Providers::Contracts::RowModel;
using Providers::Contracts::RowModelPtr;
using Providers::Contracts::TableModel;
using Providers::Contracts::TableModelPtr;

constexpr int kIdentical = static_cast<int>(DataVersion::Identical);
constexpr int kUpdate = static_cast<int>(DataVersion::Update);

// What the target's text is compared as when names do not count: its
// "database" and "schema" members holding the source's names. Only member
// values change, so a column or a view text that happens to contain a name
// is compared as it is.
struct Names {
  std::string source_database;
  std::string target_database;
  std::string source_schema;
  std::string target_schema;
  // A schema's own "name" is its schema name and is neutralised with it.
  bool schema_root = false;

  bool changes_something() const {
    return (!target_database.empty() && target_database != source_database) ||
           (!target_schema.empty() && target_schema != source_schema);
  }
};

std::optional<Names> names_of(const MetaObject& source, const MetaObject& target, bool compare_names) {
  if (compare_names) {
    return std::nullopt;
  }
  Names names{source.get_database(), target.get_database(), source.get_schema(), target.get_schema()};
  if (!names.changes_something()) {
    return std::nullopt;
  }
  return names;
}

void replace_member(JsonObject* object, const char* member, const std::string& from, const std::string& to) {
  JsonNode* node = json_object_get_member(object, member);
  if (from.empty() || from == to || node == nullptr || json_node_get_value_type(node) != G_TYPE_STRING) {
    return;
  }
  if (from == json_node_get_string(node)) {
    json_object_set_string_member(object, member, to.c_str());
  }
}

void neutralise(JsonNode* node, const Names& names, bool root) {
  if (JSON_NODE_HOLDS_ARRAY(node)) {
    JsonArray* array = json_node_get_array(node);
    for (guint i = 0; i < json_array_get_length(array); ++i) {
      neutralise(json_array_get_element(array, i), names, false);
    }
    return;
  }
  if (!JSON_NODE_HOLDS_OBJECT(node)) {
    return;
  }
  JsonObject* object = json_node_get_object(node);
  replace_member(object, "database", names.target_database, names.source_database);
  replace_member(object, "schema", names.target_schema, names.source_schema);
  if (root && names.schema_root) {
    replace_member(object, "name", names.target_schema, names.source_schema);
  }
  GList* members = json_object_get_members(object);
  for (GList* member = members; member != nullptr; member = member->next) {
    JsonNode* child = json_object_get_member(object, static_cast<const char*>(member->data));
    if (JSON_NODE_HOLDS_ARRAY(child) || JSON_NODE_HOLDS_OBJECT(child)) {
      neutralise(child, names, false);
    }
  }
  g_list_free(members);
}

// The node's text, read and written again through json-glib, with the
// target's names neutralised when `names` is given.
std::string rewritten(const std::string& text, const Names* names) {
  auto parsed = Core::Json::parse(text);
  if (!parsed) {
    return text;
  }
  if (names != nullptr) {
    neutralise(parsed->get(), *names, true);
  }
  return Core::Json::to_text(parsed->get());
}

bool same_text(const MetaObject& source, const MetaObject& target, const std::optional<Names>& names) {
  if (!names) {
    return source.to_json() == target.to_json();
  }
  // Both sides go through the same parser and generator, so only the names
  // can tell them apart.
  return rewritten(source.to_json(), nullptr) == rewritten(target.to_json(), &*names);
}

std::optional<Names> element_names(const MetaObject& source, const MetaObject& target, bool neutral) {
  return names_of(source, target, !neutral);
}

// The first position of each name in a list.
template <class T>
class NameIndex {
 public:
  explicit NameIndex(const std::vector<std::shared_ptr<T>>& items) : m_items(items) {
    m_first.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i]) {
        m_first.emplace(items[i]->get_name(), i);
      }
    }
  }

  std::shared_ptr<T> find(const std::string& name) const {
    auto found = m_first.find(name);
    return found == m_first.end() ? nullptr : m_items[found->second];
  }

 private:
  const std::vector<std::shared_ptr<T>>& m_items;
  std::unordered_map<std::string_view, std::size_t> m_first;
};

// The common element pass over one kind of child. `neutral`: compare with
// the target's names neutralised.
template <class T, class Out>
void element_passes(const std::vector<std::shared_ptr<T>>& source, const std::vector<std::shared_ptr<T>>& target,
                    bool target_first, bool neutral, std::vector<std::shared_ptr<Out>>& out) {
  const NameIndex<T> in_source(source);
  const NameIndex<T> in_target(target);
  auto source_pass = [&] {
    for (const auto& element : source) {
      if (!element) {
        continue;
      }
      auto match = in_target.find(element->get_name());
      if (!match) {
        element->set_version(DataVersion::Delete);
        out.push_back(element);
      } else if (same_text(*element, *match, element_names(*element, *match, neutral))) {
        element->set_version(DataVersion::Identical);
        out.push_back(element);
      } else {
        match->set_version(DataVersion::Update);
        out.push_back(match);
      }
    }
  };
  auto target_pass = [&] {
    for (const auto& element : target) {
      if (element && !in_source.find(element->get_name())) {
        element->set_version(DataVersion::Insert);
        out.push_back(element);
      }
    }
  };
  if (target_first) {
    target_pass();
    source_pass();
  } else {
    source_pass();
    target_pass();
  }
}

template <class C>
std::vector<MetaConstraintPtr> constraints_of(const std::vector<MetaConstraintPtr>& constraints) {
  std::vector<MetaConstraintPtr> found;
  for (const auto& constraint : constraints) {
    if (std::dynamic_pointer_cast<C>(constraint)) {
      found.push_back(constraint);
    }
  }
  return found;
}

template <class C>
void constraint_passes(const MetaTable& source, const MetaTable& target, MetaTable& patch) {
  element_passes(constraints_of<C>(source.get_constraints()), constraints_of<C>(target.get_constraints()), false,
                 true, patch.get_constraints());
}

// The schema level: a source-only element is "insert", a target-only one
// "delete", a pair takes the mark of its element diff.
template <class T, class Diff>
void schema_passes(const std::vector<std::shared_ptr<T>>& source, const std::vector<std::shared_ptr<T>>& target,
                   std::vector<std::shared_ptr<T>>& out, Diff diff) {
  const NameIndex<T> in_source(source);
  const NameIndex<T> in_target(target);
  for (const auto& element : source) {
    if (!element) {
      continue;
    }
    if (auto match = in_target.find(element->get_name())) {
      element->set_version(static_cast<DataVersion>(diff(element, match)));
    } else {
      element->set_version(DataVersion::Insert);
    }
    out.push_back(element);
  }
  for (const auto& element : target) {
    if (element && !in_source.find(element->get_name())) {
      element->set_version(DataVersion::Delete);
      out.push_back(element);
    }
  }
}

int whole_text_diff(const MetaObject& source, const MetaObject& target, bool compare_names) {
  return same_text(source, target, names_of(source, target, compare_names)) ? kIdentical : kUpdate;
}

}  // namespace

int Patcher::diff_meta_database(const MetaDatabasePtr& source, const MetaDatabasePtr& target, bool compare_names,
                                MetaDatabasePtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  if (whole_text_diff(*source, *target, compare_names) == kIdentical) {
    return kIdentical;
  }
  auto result = MetaDatabase::with_name(target->get_database());
  const NameIndex<MetaSchema> in_source(source->get_schemas());
  const NameIndex<MetaSchema> in_target(target->get_schemas());
  for (const auto& schema : source->get_schemas()) {
    if (!schema) {
      continue;
    }
    auto match = in_target.find(schema->get_name());
    if (!match) {
      schema->set_version(DataVersion::Delete);
      result->get_schemas().push_back(schema);
      continue;
    }
    MetaSchemaPtr schema_patch;
    if (diff_meta_schema(schema, match, compare_names, &schema_patch) == kUpdate && schema_patch) {
      schema_patch->set_version(DataVersion::Update);
      result->get_schemas().push_back(schema_patch);
    }
  }
  for (const auto& schema : target->get_schemas()) {
    if (schema && !in_source.find(schema->get_name())) {
      schema->set_version(DataVersion::Insert);
      result->get_schemas().push_back(schema);
    }
  }
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

int Patcher::diff_meta_schema(const MetaSchemaPtr& source, const MetaSchemaPtr& target, bool compare_names,
                              MetaSchemaPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  auto names = names_of(*source, *target, compare_names);
  if (names) {
    names->schema_root = true;
  }
  if (same_text(*source, *target, names)) {
    return kIdentical;
  }
  auto result = MetaSchema::with_names(target->get_database(), target->get_name());
  schema_passes(source->get_events(), target->get_events(), result->get_events(),
                [&](const MetaEventPtr& s, const MetaEventPtr& t) { return diff_meta_event(s, t, compare_names); });
  schema_passes(
      source->get_functions(), target->get_functions(), result->get_functions(),
      [&](const MetaFunctionPtr& s, const MetaFunctionPtr& t) { return diff_meta_function(s, t, compare_names); });

  // Tables: the table diff runs from the target towards the source, so its
  // marks say what the target must become.
  const NameIndex<MetaTable> in_source(source->get_tables());
  const NameIndex<MetaTable> in_target(target->get_tables());
  for (const auto& table : source->get_tables()) {
    if (!table) {
      continue;
    }
    auto match = in_target.find(table->get_name());
    if (!match) {
      table->set_version(DataVersion::Insert);
      result->get_tables().push_back(table);
      continue;
    }
    MetaTablePtr table_patch;
    const int mark = diff_meta_table(match, table, compare_names, &table_patch);
    if (table_patch) {
      table_patch->set_database(match->get_database());
      table_patch->set_schema(match->get_schema());
      table_patch->set_name(match->get_name());
      result->get_tables().push_back(table_patch);
    } else {
      table->set_version(static_cast<DataVersion>(mark));
      result->get_tables().push_back(table);
    }
  }
  for (const auto& table : target->get_tables()) {
    if (table && !in_source.find(table->get_name())) {
      table->set_version(DataVersion::Delete);
      result->get_tables().push_back(table);
    }
  }

  schema_passes(source->get_views(), target->get_views(), result->get_views(),
                [&](const MetaViewPtr& s, const MetaViewPtr& t) { return diff_meta_view(s, t, compare_names); });
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

int Patcher::diff_meta_table(const MetaTablePtr& source, const MetaTablePtr& target, bool compare_names,
                             MetaTablePtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  if (whole_text_diff(*source, *target, compare_names) == kIdentical) {
    return kIdentical;
  }
  auto result = MetaTable::with_names(target->get_database(), target->get_schema(), target->get_name());
  result->set_version(DataVersion::Update);
  element_passes(source->get_columns(), target->get_columns(), true, false, result->get_columns());
  element_passes(source->get_indexes(), target->get_indexes(), false, !compare_names, result->get_indexes());
  constraint_passes<MetaForeignKey>(*source, *target, *result);
  element_passes(source->get_triggers(), target->get_triggers(), false, !compare_names, result->get_triggers());
  constraint_passes<MetaCheck>(*source, *target, *result);
  constraint_passes<MetaUnique>(*source, *target, *result);
  element_passes(source->get_rules(), target->get_rules(), false, !compare_names, result->get_rules());
  constraint_passes<MetaExclude>(*source, *target, *result);

  TextMap& options = result->get_options();
  for (const auto& [key, value] : target->get_options()) {
    auto in_source = source->get_options().find(key);
    if (in_source == source->get_options().end() || in_source->second != value) {
      options[key] = value;
    }
  }
  if (source->get_comment() != target->get_comment()) {
    options["COMMENT"] = target->get_comment();
  }
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

int Patcher::diff_meta_view(const MetaViewPtr& source, const MetaViewPtr& target, bool compare_names,
                            MetaViewPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  return whole_text_diff(*source, *target, compare_names);
}

int Patcher::diff_meta_function(const MetaFunctionPtr& source, const MetaFunctionPtr& target, bool compare_names,
                                MetaFunctionPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  return whole_text_diff(*source, *target, compare_names);
}

int Patcher::diff_meta_event(const MetaEventPtr& source, const MetaEventPtr& target, bool compare_names,
                             MetaEventPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  return whole_text_diff(*source, *target, compare_names);
}

int Patcher::diff_data_set(const DataSetModelPtr& source, const DataSetModelPtr& target,
                           DataSetModelPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  if (data_set_json(*source) == data_set_json(*target)) {
    return kIdentical;
  }
  auto result = DataSetModel::create();
  const auto& targets = target->get_tables();
  for (std::size_t i = 0; i < source->get_tables().size() && i < targets.size(); ++i) {
    TableModelPtr table_patch;
    if (source->get_tables()[i] && targets[i] &&
        diff_data_table(source->get_tables()[i], targets[i], &table_patch) == kUpdate && table_patch) {
      result->get_tables().push_back(table_patch);
    }
  }
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

int Patcher::diff_data_table(const TableModelPtr& source, const TableModelPtr& target, TableModelPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  if (table_json(*source) == table_json(*target)) {
    return kIdentical;
  }
  auto result = TableModel::create();
  result->get_columns() = target->get_columns();
  const auto& targets = target->get_rows();
  for (std::size_t i = 0; i < source->get_rows().size() && i < targets.size(); ++i) {
    RowModelPtr row_patch;
    if (source->get_rows()[i] && targets[i] && diff_data_row(source->get_rows()[i], targets[i], &row_patch) == kUpdate &&
        row_patch) {
      row_patch->set_version(DataVersion::Update);
      result->append(row_patch);
    }
  }
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

int Patcher::diff_data_row(const RowModelPtr& source, const RowModelPtr& target, RowModelPtr* patch) const {
  if (patch) {
    *patch = nullptr;
  }
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "source != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "target != NULL", 0);
  if (row_json(*source) == row_json(*target)) {
    return kIdentical;
  }
  auto result = RowModel::create();
  const auto& targets = target->get_values();
  for (std::size_t i = 0; i < source->get_values().size() && i < targets.size(); ++i) {
    const auto& from = source->get_values()[i];
    const auto& to = targets[i];
    TOLVANE_RETURN_VAL_IF_FAIL(from != nullptr, "source != NULL", 0);
    TOLVANE_RETURN_VAL_IF_FAIL(to != nullptr, "target != NULL", 0);
    const bool same = &from->type() == &to->type() && value_json(*from) == value_json(*to);
    to->set_data("VERSION", same ? DataVersion::Identical : DataVersion::Update);
    result->get_values().push_back(to);
  }
  if (patch) {
    *patch = result;
  }
  return kUpdate;
}

}  // namespace Tolvane::Orvel::Transform
