#pragma once

#include <memory>
#include <string>

#include "orvel/contracts/database/sql_action.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_set_model.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Turns metadata objects into SQL text: CREATE statements for databases,
// schemas, tables with their indexes and triggers, views, indexes and
// triggers; DROP statements; and the script that rebuilds an existing table to
// a changed definition. The texts hold several statements; run them with a
// ScriptRunner (orvel/supports/database/script_runner.hpp), which runs every
// statement and stops at the first failure. A missing object is a programming
// error (a critical naming it) and gives "".
class ORVEL_API IBuildable {
  TOLVANE_INTERFACE(IBuildable)

  using MetaObjectPtr = MetaModel::MetaObjectPtr;

  virtual ~IBuildable();

  virtual std::string build_create(const MetaObjectPtr& meta_object, bool use_raw_type) = 0;
  virtual std::string build_delete(const MetaObjectPtr& meta_object) = 0;
  // By the object's change mark: the CREATE, the rebuild or the DROP text.
  virtual std::string build_patch(const MetaObjectPtr& meta_object, bool use_raw_type) = 0;
  virtual std::string build_normal(const MetaModel::MetaTablePtr& table, SqlAction action) = 0;
  virtual std::string alter_database(const MetaModel::MetaDatabasePtr& database_old,
                                     const MetaModel::MetaDatabasePtr& database_new) = 0;
  virtual std::string create_database(const MetaModel::MetaDatabasePtr& database, bool use_raw_type) = 0;
  virtual std::string alter_schema(const MetaModel::MetaSchemaPtr& schema_old,
                                   const MetaModel::MetaSchemaPtr& schema_new) = 0;
  virtual std::string build_schema(const MetaModel::MetaSchemaPtr& schema, bool use_raw_type) = 0;
  virtual std::string build_table(const MetaModel::MetaTablePtr& table, bool use_raw_type) = 0;
  virtual std::string build_view(const MetaModel::MetaViewPtr& view) = 0;
  virtual std::string build_index(const MetaModel::MetaIndexPtr& index) = 0;
  virtual std::string build_trigger(const MetaModel::MetaTriggerPtr& trigger) = 0;
  virtual std::string build_function(const MetaModel::MetaFunctionPtr& function) = 0;
  virtual std::string build_user(const MetaModel::MetaUserPtr& user) = 0;
  virtual std::string build_role(const MetaModel::MetaRolePtr& role) = 0;
  virtual std::string build_script(const Providers::Contracts::DataSetModelPtr& dataset) = 0;
  virtual std::string build_caller(const MetaModel::MetaFunctionPtr& function) = 0;
  virtual std::string build_event(const MetaModel::MetaEventPtr& event) = 0;
  virtual std::string patch_event(const MetaModel::MetaEventPtr& event) = 0;
  virtual std::string patch_function(const MetaModel::MetaFunctionPtr& func) = 0;
  virtual std::string patch_script(const MetaModel::MetaDatabasePtr& database) = 0;
  // The script that rebuilds the table to its changed definition, keeping its
  // rows; "" for a table the builder cannot reproduce (see check_table).
  virtual std::string patch_table(const MetaModel::MetaTablePtr& table) = 0;
  virtual std::string patch_view(const MetaModel::MetaViewPtr& view) = 0;
  virtual std::string patch_data_table(const Providers::Contracts::TableModelPtr& model) = 0;

  // Whether the builder reproduces the table faithfully, so that rebuilding it
  // loses nothing; an error of the SQL error domain (FEATURE_NOT_SUPPORTED)
  // says what it would lose. Callers that rebuild tables ask first, since
  // patch_table gives "" for such a table.
  virtual Core::Status check_table(const MetaModel::MetaTablePtr& table) = 0;
};

using IBuildablePtr = std::shared_ptr<IBuildable>;

}  // namespace Tolvane::Orvel::Contracts::Database
