#include "orvel/supports/database/adapter.hpp"

namespace Tolvane::Orvel::Supports::Database {

const Core::TypeInfo& Adapter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseAdapter", &Core::Object::static_type(),
                                   {&IAdaptable::static_type()}, nullptr, {});
  return info;
}

AdapterPtr Adapter::create(Contracts::Database::IConnection* connection) {
  TOLVANE_RETURN_VAL_IF_FAIL(connection != nullptr, "connection != NULL", nullptr);
  return std::make_shared<Adapter>(connection);
}

Core::Status Adapter::fill_meta_database(const MetaModel::MetaDatabasePtr& database, bool) {
  TOLVANE_RETURN_VAL_IF_FAIL(database != nullptr, "database != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_schema(const MetaModel::MetaSchemaPtr& schema, bool) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema != nullptr, "schema != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_table(const MetaModel::MetaTablePtr& table, bool) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_view(const MetaModel::MetaViewPtr& view) {
  TOLVANE_RETURN_VAL_IF_FAIL(view != nullptr, "view != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_index(const MetaModel::MetaIndexPtr& index) {
  TOLVANE_RETURN_VAL_IF_FAIL(index != nullptr, "index != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_trigger(const MetaModel::MetaTriggerPtr& trigger) {
  TOLVANE_RETURN_VAL_IF_FAIL(trigger != nullptr, "trigger != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_function(const MetaModel::MetaFunctionPtr& function) {
  TOLVANE_RETURN_VAL_IF_FAIL(function != nullptr, "function != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_user(const MetaModel::MetaUserPtr& user) {
  TOLVANE_RETURN_VAL_IF_FAIL(user != nullptr, "user != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_role(const MetaModel::MetaRolePtr& role) {
  TOLVANE_RETURN_VAL_IF_FAIL(role != nullptr, "role != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_event(const MetaModel::MetaEventPtr& event) {
  TOLVANE_RETURN_VAL_IF_FAIL(event != nullptr, "event != NULL", {});
  return {};
}

Core::Status Adapter::fill_meta_object(const MetaModel::MetaObjectPtr& meta_object, bool) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_object != nullptr, "meta_object != NULL", {});
  return {};
}

Core::Status Adapter::fill_data_table(const Providers::Contracts::TableModelPtr& table) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", {});
  return {};
}

Core::Status Adapter::fill_data_set(const Providers::Contracts::DataSetModelPtr& dataset) {
  TOLVANE_RETURN_VAL_IF_FAIL(dataset != nullptr, "dataset != NULL", {});
  for (const auto& table : dataset->get_tables()) {
    if (auto filled = fill_data_table(table); !filled) {
      return filled;
    }
  }
  return {};
}

}  // namespace Tolvane::Orvel::Supports::Database
