#include "orvel/model/meta_table.hpp"

#include "orvel/model/constraints/meta_check.hpp"
#include "orvel/model/constraints/meta_exclude.hpp"
#include "orvel/model/constraints/meta_foreign_key.hpp"
#include "orvel/model/constraints/meta_unique.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaTable::static_type() {
  using C = MetaTable;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaTable", &MetaObject::static_type(), {}, Core::factory_of<MetaTable>(),
      {Core::property("constraints", &C::get_constraints, &C::set_constraints),
       Core::property("columns", &C::get_columns, &C::set_columns),
       Core::property("indexes", &C::get_indexes, &C::set_indexes),
       Core::property("rules", &C::get_rules, &C::set_rules),
       Core::property("triggers", &C::get_triggers, &C::set_triggers),
       Core::property("options", &C::get_options, &C::set_options)});
  return info;
}

MetaTablePtr MetaTable::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<MetaTable>(database, schema, name);
}

MetaColumnPtr MetaTable::get_column(OptionalText name) const {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  for (const MetaColumnPtr& column : m_columns) {
    if (column && column->get_name() == *name) {
      return column;
    }
  }
  return nullptr;
}

MetaColumnPtr MetaTable::new_column(OptionalText name, DataType data_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  MetaColumnPtr column = MetaColumn::with_type(name, data_type, "");
  m_columns.push_back(column);
  return column;
}

void MetaTable::reset_partial(DBObject kind) {
  switch (kind) {
    case DBObject::Check:
    case DBObject::Exclude:
    case DBObject::Foreign:
    case DBObject::Unique:
      remove_constraints(kind);
      break;
    case DBObject::Column:
      m_columns.clear();
      break;
    default:
      break;
  }
}

void MetaTable::remove_constraints(DBObject kind) {
  const Core::TypeInfo* type = nullptr;
  switch (kind) {
    case DBObject::Foreign:
      type = &MetaForeignKey::static_type();
      break;
    case DBObject::Unique:
      type = &MetaUnique::static_type();
      break;
    case DBObject::Check:
      type = &MetaCheck::static_type();
      break;
    case DBObject::Exclude:
      type = &MetaExclude::static_type();
      break;
    default:
      return;
  }
  // From the last entry to the first, so that a removal does not skip the entry
  // that moves into its place.
  for (std::size_t i = m_constraints.size(); i-- > 0;) {
    if (m_constraints[i] && m_constraints[i]->is_a(*type)) {
      m_constraints.erase(m_constraints.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

MetaObjectPtr MetaTable::clone() const {
  auto copy = std::static_pointer_cast<MetaTable>(MetaObject::clone());
  clone_into(m_constraints, copy->m_constraints);
  clone_into(m_columns, copy->m_columns);
  clone_into(m_indexes, copy->m_indexes);
  clone_into(m_rules, copy->m_rules);
  clone_into(m_triggers, copy->m_triggers);
  copy->m_options = m_options;
  return copy;
}

void MetaTable::reset() {
  m_columns.clear();
  m_indexes.clear();
  m_triggers.clear();
  m_constraints.clear();
  m_options.clear();
  m_rules.clear();
  MetaObject::reset();
}

Core::Json::NodeRef MetaTable::serialize_property(std::string_view property_name,
                                                  const Core::PropertySpec& spec) const {
  if (property_name == "constraints") {
    JsonArray* array = json_array_sized_new(static_cast<guint>(m_constraints.size()));
    for (const MetaConstraintPtr& constraint : m_constraints) {
      if (constraint) {
        json_array_add_object_element(array, constraint->to_classed_json_object().release());
      }
    }
    Core::Json::NodeRef node = Core::Json::node_of(array);
    json_array_unref(array);
    return node;
  }
  if (property_name == "columns") {
    return array_node(m_columns);
  }
  if (property_name == "indexes") {
    return array_node(m_indexes);
  }
  if (property_name == "rules") {
    return array_node(m_rules);
  }
  if (property_name == "triggers") {
    return array_node(m_triggers);
  }
  if (property_name == "options") {
    return map_node(m_options);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaTable::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                     JsonNode* node) {
  if (property_name == "constraints") {
    std::vector<MetaConstraintPtr> constraints;
    for_each_object(node, [&constraints](JsonObject* element) {
      if (MetaConstraintPtr constraint = MetaConstraint::from_classed_json_object(element)) {
        constraints.push_back(std::move(constraint));
      }
    });
    set_constraints(std::move(constraints));
    return true;
  }
  if (property_name == "columns") {
    set_columns(read_array<MetaColumn>(node));
    return true;
  }
  if (property_name == "indexes") {
    set_indexes(read_array<MetaIndex>(node));
    return true;
  }
  if (property_name == "rules") {
    set_rules(read_array<MetaRule>(node));
    return true;
  }
  if (property_name == "triggers") {
    set_triggers(read_array<MetaTrigger>(node));
    return true;
  }
  if (property_name == "options") {
    set_options(read_map(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
