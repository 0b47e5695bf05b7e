#pragma once

// Nodes with every writable value property away from its default, so that a
// member that is lost on the way through JSON or clone shows up in the text.

#include <string>
#include <vector>

#include "orvel/model/meta_model.hpp"

namespace Tolvane::Orvel::MetaModel::Testing {

inline void fill_values(MetaObject& node, const std::string& tag) {
  for (const Core::PropertySpec* spec : node.type().properties()) {
    if (!spec->writable()) {
      continue;
    }
    switch (spec->kind) {
      case Core::PropertyKind::Boolean:
        node.set_property(spec->name, !std::get<bool>(spec->default_value));
        break;
      case Core::PropertyKind::Int8:
      case Core::PropertyKind::UInt8:
      case Core::PropertyKind::Int16:
      case Core::PropertyKind::UInt16:
      case Core::PropertyKind::Int32:
      case Core::PropertyKind::UInt32:
      case Core::PropertyKind::Int64:
      case Core::PropertyKind::UInt64:
        node.set_property(spec->name, std::uint64_t{101});
        break;
      case Core::PropertyKind::Enum:
        node.set_property(spec->name, std::int64_t{6});
        break;
      case Core::PropertyKind::Flags:
        node.set_property(spec->name, std::uint64_t{8});
        break;
      case Core::PropertyKind::String:
        node.set_property(spec->name, spec->name + "-" + tag);
        break;
      default:
        break;
    }
  }
  node.get_attributes()["vendor"] = tag;
}

template <class T>
std::shared_ptr<T> filled(const std::string& tag) {
  auto node = T::create();
  fill_values(*node, tag);
  return node;
}

// Every concrete class of the model.
inline std::vector<const Core::TypeInfo*> all_classes() {
  return {&MetaObject::static_type(),     &MetaClassify::static_type(), &MetaDatabase::static_type(),
          &MetaSchema::static_type(),     &MetaTable::static_type(),    &MetaColumn::static_type(),
          &MetaIndex::static_type(),      &MetaConstraint::static_type(), &MetaCheck::static_type(),
          &MetaUnique::static_type(),     &MetaForeignKey::static_type(), &MetaExclude::static_type(),
          &MetaView::static_type(),       &Materialized::static_type(), &MetaTrigger::static_type(),
          &MetaFunction::static_type(),   &MetaEvent::static_type(),    &MetaRule::static_type(),
          &MetaSynonym::static_type(),    &MetaRole::static_type(),     &MetaUser::static_type()};
}

// A table with one child of every kind, each filled.
inline MetaTablePtr full_table(const std::string& tag) {
  auto table = filled<MetaTable>(tag);
  table->get_columns() = {filled<MetaColumn>(tag + "c1"), filled<MetaColumn>(tag + "c2")};
  auto index = filled<MetaIndex>(tag);
  index->get_columns() = {"a", "b"};
  table->get_indexes().push_back(index);
  table->get_constraints() = {filled<MetaConstraint>(tag), filled<MetaCheck>(tag), filled<MetaUnique>(tag),
                              filled<MetaForeignKey>(tag), filled<MetaExclude>(tag)};
  table->get_rules().push_back(filled<MetaRule>(tag));
  table->get_triggers().push_back(filled<MetaTrigger>(tag));
  table->get_options() = {{"WITHOUT ROWID", "true"}, {"STRICT", "false"}};
  return table;
}

}  // namespace Tolvane::Orvel::MetaModel::Testing
