#include "orvel/supports/database/sql_builder.hpp"

#include <unordered_map>

namespace Tolvane::Orvel::Supports::Database {

using MetaModel::MetaTable;

const Core::TypeInfo& SqlBuilder::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseSqlBuilder", &Core::Object::static_type(),
                                   {&IBuildable::static_type()}, nullptr, {});
  return info;
}

SqlBuilderPtr SqlBuilder::create(Contracts::Database::IConnection* conn) {
  TOLVANE_RETURN_VAL_IF_FAIL(conn != nullptr, "conn != NULL", nullptr);
  return std::make_shared<SqlBuilder>(conn);
}

#define TOLVANE_EMPTY_TEXT(check, text) \
  TOLVANE_RETURN_VAL_IF_FAIL(check, text, {}); \
  return {}

std::string SqlBuilder::build_create(const MetaObjectPtr& meta_object, bool) {
  TOLVANE_EMPTY_TEXT(meta_object != nullptr, "meta_object != NULL");
}
std::string SqlBuilder::build_delete(const MetaObjectPtr& meta_object) {
  TOLVANE_EMPTY_TEXT(meta_object != nullptr, "meta_object != NULL");
}
std::string SqlBuilder::build_patch(const MetaObjectPtr& meta_object, bool) {
  TOLVANE_EMPTY_TEXT(meta_object != nullptr, "meta_object != NULL");
}
std::string SqlBuilder::build_normal(const MetaModel::MetaTablePtr& table, Contracts::Database::SqlAction) {
  TOLVANE_EMPTY_TEXT(table != nullptr, "table != NULL");
}
std::string SqlBuilder::alter_database(const MetaModel::MetaDatabasePtr& database_old,
                                       const MetaModel::MetaDatabasePtr& database_new) {
  TOLVANE_RETURN_VAL_IF_FAIL(database_old != nullptr, "database_old != NULL", {});
  TOLVANE_EMPTY_TEXT(database_new != nullptr, "database_new != NULL");
}
std::string SqlBuilder::create_database(const MetaModel::MetaDatabasePtr& database, bool) {
  TOLVANE_EMPTY_TEXT(database != nullptr, "database != NULL");
}
std::string SqlBuilder::alter_schema(const MetaModel::MetaSchemaPtr& schema_old,
                                     const MetaModel::MetaSchemaPtr& schema_new) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema_old != nullptr, "schema_old != NULL", {});
  TOLVANE_EMPTY_TEXT(schema_new != nullptr, "schema_new != NULL");
}
std::string SqlBuilder::build_schema(const MetaModel::MetaSchemaPtr& schema, bool) {
  TOLVANE_EMPTY_TEXT(schema != nullptr, "schema != NULL");
}
std::string SqlBuilder::build_table(const MetaModel::MetaTablePtr& table, bool) {
  TOLVANE_EMPTY_TEXT(table != nullptr, "table != NULL");
}
std::string SqlBuilder::build_view(const MetaModel::MetaViewPtr& view) {
  TOLVANE_EMPTY_TEXT(view != nullptr, "view != NULL");
}
std::string SqlBuilder::build_index(const MetaModel::MetaIndexPtr& index) {
  TOLVANE_EMPTY_TEXT(index != nullptr, "index != NULL");
}
std::string SqlBuilder::build_trigger(const MetaModel::MetaTriggerPtr& trigger) {
  TOLVANE_EMPTY_TEXT(trigger != nullptr, "trigger != NULL");
}
std::string SqlBuilder::build_function(const MetaModel::MetaFunctionPtr& function) {
  TOLVANE_EMPTY_TEXT(function != nullptr, "function != NULL");
}
std::string SqlBuilder::build_user(const MetaModel::MetaUserPtr& user) {
  TOLVANE_EMPTY_TEXT(user != nullptr, "user != NULL");
}
std::string SqlBuilder::build_role(const MetaModel::MetaRolePtr& role) {
  TOLVANE_EMPTY_TEXT(role != nullptr, "role != NULL");
}
std::string SqlBuilder::build_script(const Providers::Contracts::DataSetModelPtr& dataset) {
  TOLVANE_EMPTY_TEXT(dataset != nullptr, "dataset != NULL");
}
std::string SqlBuilder::build_caller(const MetaModel::MetaFunctionPtr& function) {
  TOLVANE_EMPTY_TEXT(function != nullptr, "function != NULL");
}
std::string SqlBuilder::build_event(const MetaModel::MetaEventPtr& event) {
  TOLVANE_EMPTY_TEXT(event != nullptr, "event != NULL");
}
std::string SqlBuilder::patch_event(const MetaModel::MetaEventPtr& event) {
  TOLVANE_EMPTY_TEXT(event != nullptr, "event != NULL");
}
std::string SqlBuilder::patch_function(const MetaModel::MetaFunctionPtr& func) {
  TOLVANE_EMPTY_TEXT(func != nullptr, "func != NULL");
}
std::string SqlBuilder::patch_script(const MetaModel::MetaDatabasePtr& database) {
  TOLVANE_EMPTY_TEXT(database != nullptr, "database != NULL");
}
std::string SqlBuilder::patch_table(const MetaModel::MetaTablePtr& table) {
  TOLVANE_EMPTY_TEXT(table != nullptr, "table != NULL");
}
std::string SqlBuilder::patch_view(const MetaModel::MetaViewPtr& view) {
  TOLVANE_EMPTY_TEXT(view != nullptr, "view != NULL");
}
std::string SqlBuilder::patch_data_table(const Providers::Contracts::TableModelPtr& model) {
  TOLVANE_EMPTY_TEXT(model != nullptr, "model != NULL");
}

#undef TOLVANE_EMPTY_TEXT

Core::Status SqlBuilder::check_table(const MetaModel::MetaTablePtr& table) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  return {};
}

void SqlBuilder::order_with_dependence(const MetaModel::MetaSchemaPtr& schema, int start) {
  TOLVANE_RETURN_IF_FAIL(schema != nullptr, "schema != NULL");
  auto& tables = schema->get_tables();
  const auto count = static_cast<std::ptrdiff_t>(tables.size());
  std::ptrdiff_t n = start;
  if (n < 0 || n + 1 >= count) {
    return;
  }
  // Which table moved each table in front of itself. Moving a table in front
  // of one it has (through others) moved in front of itself would undo that
  // move and start over, for ever: that is a cycle, and it stays as it is.
  // Without cycles nothing is skipped, so the order is the plain one.
  std::unordered_map<const MetaTable*, const MetaTable*> moved_by;
  auto closes_cycle = [&moved_by, count](const MetaTable* candidate, const MetaTable* table) {
    const MetaTable* current = table;
    for (std::ptrdiff_t step = 0; step <= count; ++step) {
      auto found = moved_by.find(current);
      if (found == moved_by.end()) {
        return false;
      }
      current = found->second;
      if (current == candidate) {
        return true;
      }
    }
    return true;
  };
  while (n >= 0) {
    const MetaModel::MetaTablePtr table = tables[static_cast<std::size_t>(n)];
    for (const auto& constraint : table->get_constraints()) {
      auto key = std::dynamic_pointer_cast<MetaModel::MetaForeignKey>(constraint);
      if (!key) {
        continue;
      }
      std::ptrdiff_t found = n + 1;
      while (found < count && tables[static_cast<std::size_t>(found)]->get_name() != key->get_refer_table()) {
        ++found;
      }
      if (found >= count || closes_cycle(tables[static_cast<std::size_t>(found)].get(), table.get())) {
        continue;
      }
      MetaModel::MetaTablePtr referenced = tables[static_cast<std::size_t>(found)];
      tables.erase(tables.begin() + found);
      tables.insert(tables.begin() + n, referenced);
      moved_by[referenced.get()] = table.get();
      ++n;
    }
    --n;
  }
}

}  // namespace Tolvane::Orvel::Supports::Database
