#pragma once

#include <vector>

#include "orvel/model/constraints/meta_constraint.hpp"
#include "orvel/model/meta_column.hpp"
#include "orvel/model/meta_index.hpp"
#include "orvel/model/meta_object.hpp"
#include "orvel/model/meta_rule.hpp"
#include "orvel/model/meta_trigger.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaTable;
using MetaTablePtr = std::shared_ptr<MetaTable>;

// A table with its constraints, columns (in column order), indexes, rules,
// triggers and storage options. The lists are live: callers fill them directly.
class ORVEL_API MetaTable : public MetaObject {
  TOLVANE_OBJECT(MetaTable)

  MetaTable() = default;
  static MetaTablePtr create() { return std::make_shared<MetaTable>(); }
  static MetaTablePtr with_names(OptionalText database, OptionalText schema, OptionalText name);

  const std::vector<MetaConstraintPtr>& get_constraints() const noexcept { return m_constraints; }
  std::vector<MetaConstraintPtr>& get_constraints() noexcept { return m_constraints; }
  void set_constraints(std::vector<MetaConstraintPtr> constraints) {
    assign(m_constraints, std::move(constraints), "constraints");
  }
  const std::vector<MetaColumnPtr>& get_columns() const noexcept { return m_columns; }
  std::vector<MetaColumnPtr>& get_columns() noexcept { return m_columns; }
  void set_columns(std::vector<MetaColumnPtr> columns) { assign(m_columns, std::move(columns), "columns"); }
  const std::vector<MetaIndexPtr>& get_indexes() const noexcept { return m_indexes; }
  std::vector<MetaIndexPtr>& get_indexes() noexcept { return m_indexes; }
  void set_indexes(std::vector<MetaIndexPtr> indexes) { assign(m_indexes, std::move(indexes), "indexes"); }
  const std::vector<MetaRulePtr>& get_rules() const noexcept { return m_rules; }
  std::vector<MetaRulePtr>& get_rules() noexcept { return m_rules; }
  void set_rules(std::vector<MetaRulePtr> rules) { assign(m_rules, std::move(rules), "rules"); }
  const std::vector<MetaTriggerPtr>& get_triggers() const noexcept { return m_triggers; }
  std::vector<MetaTriggerPtr>& get_triggers() noexcept { return m_triggers; }
  void set_triggers(std::vector<MetaTriggerPtr> triggers) { assign(m_triggers, std::move(triggers), "triggers"); }
  // Storage clauses and the like, by option name.
  const TextMap& get_options() const noexcept { return m_options; }
  TextMap& get_options() noexcept { return m_options; }
  void set_options(TextMap options) { assign(m_options, std::move(options), "options"); }

  // The first column of exactly that name (letter case counts), or null.
  MetaColumnPtr get_column(OptionalText name) const;
  // Appends a column of that name and type with an empty raw type and ordinal
  // 0; numbering is the caller's task.
  MetaColumnPtr new_column(OptionalText name, DataType data_type);

  // Drops one kind of child so that it can be loaded again: `check`, `exclude`,
  // `foreign` and `unique` remove those constraints, `column` the columns;
  // other kinds change nothing.
  void reset_partial(DBObject kind);
  // Removes the constraints of the class belonging to `foreign`, `unique`,
  // `check` or `exclude`, keeping the order of the others.
  void remove_constraints(DBObject kind);

  DBObject character() const override { return DBObject::Table; }
  MetaObjectPtr clone() const override;
  void reset() override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  std::vector<MetaConstraintPtr> m_constraints;
  std::vector<MetaColumnPtr> m_columns;
  std::vector<MetaIndexPtr> m_indexes;
  std::vector<MetaRulePtr> m_rules;
  std::vector<MetaTriggerPtr> m_triggers;
  TextMap m_options;
};

}  // namespace Tolvane::Orvel::MetaModel
